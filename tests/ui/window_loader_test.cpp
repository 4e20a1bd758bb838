// Window loading and lifetime, the window procedure's menu and close handling, and the
// window commands (LoadWindow, SetFocus, PopupMenu), on forms/frame_form.txt.
#include <windows.h>

#include "frame_test_support.h"
#include "runtime/error_report.h"
#include "runtime/message_loop.h"
#include "runtime/notify.h"
#include "runtime/runtime_services.h"
#include "test_support.h"
#include "ui/unit_properties.h"
#include "ui/window_commands.h"
#include "ui/window_loader.h"
#include "ui/window_registry.h"

using namespace frame;

namespace {
std::string MenuText(HMENU menu, UINT item, UINT flags) {
    wchar_t text[128] = L"";
    GetMenuStringW(menu, item, text, 128, flags);
    return WideToGbkString(text);
}

RECT RectIn(HWND hwnd, HWND parent) {
    RECT rc;
    GetWindowRect(hwnd, &rc);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

// Ends whatever is still open after a few seconds, so that a failing case cannot hang.
UINT_PTR g_safety = 0;
void CALLBACK SafetyTimer(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    g_safety = 0;
    EndMenu();
    DestroyAllWindows();
}
void ArmSafety() { g_safety = SetTimer(nullptr, 0, 4000, SafetyTimer); }
void DisarmSafety() {
    if (g_safety) KillTimer(nullptr, g_safety);
    g_safety = 0;
}

int g_popups = 0;
LRESULT CALLBACK CountPopups(int code, WPARAM wParam, LPARAM lParam) {
    if (code >= 0 && reinterpret_cast<CWPSTRUCT*>(lParam)->message == WM_INITMENUPOPUP) ++g_popups;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
}  // namespace

TEST_CASE("loading creates the window first, then the units from the last record, ids from 100") {
    UseFrameForm();
    REQUIRE(LoadFormWindow(kMain, nullptr, false));
    // Unit events raised while the units are created reach no handler; the window's
    // events 0, 3 and 4 follow the loaded notices, the shown notices come last.
    CHECK(log ==
          "c:0014:100:w c:0013:110:w c:0011:120:w c:0010:130:w c:0012:140:w "
          "l:0014 l:0013 l:0011 l:0010 l:0012 created e3 e4 s:0014 s:0013 s:0011 s:0010 s:0012");
    HWND main = WindowOf(kMain);
    REQUIRE(main);
    CHECK(IsWindowVisible(main));
    CHECK(WindowTextGbk(main) == "框架主窗口");
    CHECK(GetDlgCtrlID(UnitWindow(kMain, kUnitA)) == 140);
    CHECK(GetDlgCtrlID(UnitWindow(kMain, kHiddenUnit)) == 100);
    CHECK(IsWindowVisible(UnitWindow(kMain, kUnitA)));
    CHECK_FALSE(IsWindowVisible(UnitWindow(kMain, kHiddenUnit)));
    // The stored cursor number 3 became a cursor of the unit.
    CHECK(FindRecord(FindWindowById(kMain)->records, kUnitA)->CursorSlot != nullptr);
    CHECK(IsAnyWindowAlive());
    DestroyAllWindows();
    CHECK_FALSE(IsAnyWindowAlive());
    for (const FormRecord& r : FindWindowById(kMain)->records) {
        CHECK(r.ObjectSlot == nullptr);
        CHECK(r.CursorSlot == nullptr);
    }
}

TEST_CASE("units of a container are moved into it and keep container-relative positions") {
    UseFrameForm();
    REQUIRE(LoadFormWindow(kMain, nullptr, false));
    HWND main = WindowOf(kMain), box = UnitWindow(kMain, kContainer), inside = UnitWindow(kMain, kInside);
    CHECK(GetParent(box) == main);
    CHECK(GetParent(inside) == box);
    RECT rc = RectIn(inside, box);
    CHECK(rc.left == 5);
    CHECK(rc.top == 6);
    CHECK((GetWindowLongW(box, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) != 0);
    // Hiding the container hides what it holds.
    WriteUnitBool(kMain, kContainer, kPropertyVisible, false);
    CHECK_FALSE(IsWindowVisible(inside));
    WriteUnitBool(kMain, kContainer, kPropertyVisible, true);
    CHECK(IsWindowVisible(inside));
    DestroyAllWindows();
}

TEST_CASE("the menu bar leaves hidden items out but numbers every menu record from 20000 but those with an id") {
    UseFrameForm();
    REQUIRE(LoadFormWindow(kMain, nullptr, false));
    HWND main = WindowOf(kMain);
    HMENU bar = GetMenu(main);
    REQUIRE(bar);
    REQUIRE(GetMenuItemCount(bar) == 2);
    CHECK(MenuText(bar, 0, MF_BYPOSITION) == "文件");
    CHECK(MenuText(bar, 1, MF_BYPOSITION) == "帮助");
    CHECK(GetMenuItemID(bar, 1) == 20007);
    HMENU file = GetSubMenu(bar, 0);
    REQUIRE(file);
    REQUIRE(GetMenuItemCount(file) == 3);
    CHECK(GetMenuItemID(file, 0) == 20001);
    CHECK(MenuText(file, 0, MF_BYPOSITION) == "打开\tCtrl+O");
    CHECK((GetMenuState(file, 1, MF_BYPOSITION) & MF_SEPARATOR) != 0);
    CHECK(GetMenuItemID(file, 2) == 20003);
    CHECK((GetMenuState(file, 2, MF_BYPOSITION) & MF_GRAYED) != 0);

    struct {
        WPARAM command;
        const char* expected;
    } const cases[] = {
        {20001, "menu:open:26100002"},
        {20005, "menu:a:26100006"},  // an item of the hidden pop-up menu
        {20006, "menu:b"},
        {20100, "menu:a:26100009"},
        {20007, "menu:help"},
        {20004, ""},          // the hidden heading has no handler
        {20002, ""},          // a separator
        {20008, ""},          // past the last menu record
        {57600 + 5, ""},      // system range, ignored
        {MAKEWPARAM(20003, 1), "menu:exit"},  // from an accelerator
    };
    for (const auto& c : cases) {
        CAPTURE(c.command);
        log.clear();
        SendMessageW(main, WM_COMMAND, c.command, 0);
        CHECK(log == c.expected);
    }
    DestroyAllWindows();
}

TEST_CASE("menu items with a shortcut make the window's accelerator table") {
    UseFrameForm();
    REQUIRE(LoadFormWindow(kMain, nullptr, false));
    HACCEL table = BuildAccelerators(*FindWindowById(kMain));
    REQUIRE(table);
    ACCEL entries[4];
    REQUIRE(CopyAcceleratorTableW(table, entries, 4) == 1);
    CHECK(entries[0].fVirt == (FVIRTKEY | FCONTROL));
    CHECK(entries[0].key == 'O');
    CHECK(entries[0].cmd == 20001);
    DestroyAcceleratorTable(table);

    // Ctrl+O pressed in a unit of the window chooses the item.
    BYTE keys[256];
    GetKeyboardState(keys);
    BYTE saved = keys[VK_CONTROL];
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    log.clear();
    PostMessageW(UnitWindow(kMain, kUnitA), WM_KEYDOWN, 'O', 0);
    Pump();
    keys[VK_CONTROL] = saved;
    SetKeyboardState(keys);
    CHECK(log == "menu:open:26100002");
    DestroyAllWindows();
}

TEST_CASE("loading a window that is open only activates it") {
    UseFrameForm();
    REQUIRE(LoadFormWindow(kMain, nullptr, false));
    HWND main = WindowOf(kMain);
    log.clear();
    CHECK(LoadFormWindow(kMain, nullptr, false));
    CHECK(log.empty());
    CHECK(WindowOf(kMain) == main);
    ShowWindow(main, SW_MINIMIZE);
    CHECK(LoadFormWindow(kMain, nullptr, false));
    CHECK_FALSE(IsIconic(main));
    DestroyAllWindows();
}

TEST_CASE("a window whose record 0 is not visible is loaded but not shown") {
    UseFrameForm();
    REQUIRE(LoadFormWindow(kHidden, nullptr, false));
    REQUIRE(WindowOf(kHidden));
    CHECK_FALSE(IsWindowVisible(WindowOf(kHidden)));
    CHECK(RuntimeOf(*FindWindowById(kHidden)).loaded);
    DestroyAllWindows();
}

TEST_CASE("a load that fails leaves nothing behind") {
    struct {
        uint32_t window;
        const wchar_t* title;
        const char* log;
    } const cases[] = {
        {kUnknownType, L"框架未知类型", ""},   // a type without a create function
        {kFailing, L"框架失败窗口", "c:0002:100:w"},  // a unit whose creation fails
        {0x52999999, nullptr, ""},                   // no such window
    };
    for (const auto& c : cases) {
        CAPTURE(c.window);
        UseFrameForm();
        CHECK_FALSE(LoadFormWindow(c.window, nullptr, false));
        CHECK(log == c.log);
        CHECK(WindowOf(c.window) == nullptr);
        if (c.title) CHECK(FindWindowW(nullptr, c.title) == nullptr);
        CHECK_FALSE(IsAnyWindowAlive());
        if (FormWindow* w = FindWindowById(c.window))
            for (const FormRecord& r : w->records) CHECK(r.ObjectSlot == nullptr);
        CHECK(EventDispatchSuspension() == 0);
        Pump();
    }
}

TEST_CASE("a dead parent fails the load; a live one owns the window") {
    UseFrameForm();
    HWND dead = CreateWindowW(L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(dead);
    CHECK_FALSE(LoadFormWindow(kDialog, dead, false));
    CHECK(WindowOf(kDialog) == nullptr);

    UnitRef notLoaded = {kOther, 0};
    CHECK_FALSE(LoadWindow(kDialog, false, &notLoaded));
    CHECK(WindowOf(kDialog) == nullptr);

    REQUIRE(LoadFormWindow(kOther, nullptr, false));
    UnitRef other = {kOther, 0};
    CHECK(LoadWindow(kDialog, false, &other));
    REQUIRE(WindowOf(kDialog));
    CHECK(GetWindow(WindowOf(kDialog), GW_OWNER) == WindowOf(kOther));
    DestroyAllWindows();
}

TEST_CASE("a handler of event 0 that closes the window prevents events 3 and 4") {
    UseFrameForm();
    CHECK(LoadFormWindow(kSelfClosing, nullptr, false));
    CHECK(log == "selfclose");
    CHECK(WindowOf(kSelfClosing) == nullptr);
    Pump();
}

TEST_CASE("the close query raises event 12, then event 1; either can veto") {
    UseFrameForm();
    REQUIRE(LoadFormWindow(kMain, nullptr, false));
    HWND main = WindowOf(kMain);
    struct {
        bool veto12, veto1;
        const char* log;
        bool closed;
    } const cases[] = {
        {true, false, "close12", false},
        {false, true, "close12 close1", false},
        {false, false, "close12 close1", true},
    };
    for (const auto& c : cases) {
        CAPTURE(c.log);
        vetoClose12 = c.veto12;
        vetoClose1 = c.veto1;
        log.clear();
        SendMessageW(main, WM_CLOSE, 0, 0);
        CHECK(log == c.log);
        CHECK((IsWindow(main) == FALSE) == c.closed);
    }
    CHECK(WindowOf(kMain) == nullptr);
    Pump();
}

TEST_CASE("the session-end query raises event 1, whose false refuses") {
    UseFrameForm();
    REQUIRE(LoadFormWindow(kMain, nullptr, false));
    HWND main = WindowOf(kMain);
    vetoClose1 = true;
    log.clear();
    CHECK(SendMessageW(main, WM_QUERYENDSESSION, 0, 0) == FALSE);
    CHECK(log == "close1");
    vetoClose1 = false;
    CHECK(SendMessageW(main, WM_QUERYENDSESSION, 0, 0) == TRUE);
    CHECK(IsWindow(main));
    DestroyAllWindows();
}

namespace {
struct ModalProbe {
    bool seen = false;
    bool mainEnabled = true, otherEnabled = true, disabledEnabled = true;
    bool topmost = false;
} g_probe;

void CALLBACK ProbeModal(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    HWND dialog = WindowOf(kDialog);
    g_probe.seen = dialog != nullptr;
    g_probe.mainEnabled = IsWindowEnabled(WindowOf(kMain)) != FALSE;
    g_probe.otherEnabled = IsWindowEnabled(WindowOf(kOther)) != FALSE;
    g_probe.disabledEnabled = IsWindowEnabled(WindowOf(kDisabledBefore)) != FALSE;
    g_probe.topmost = dialog && (GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
    if (dialog) PostMessageW(dialog, WM_CLOSE, 0, 0);
}
}  // namespace

TEST_CASE("a modal load disables the other windows and re-enables exactly those that were enabled") {
    UseFrameForm();
    REQUIRE(LoadFormWindow(kMain, nullptr, false));
    REQUIRE(LoadFormWindow(kOther, nullptr, false));
    REQUIRE(LoadFormWindow(kDisabledBefore, nullptr, false));
    EnableWindow(WindowOf(kDisabledBefore), FALSE);
    HWND main = WindowOf(kMain);
    SetWindowPos(main, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetActiveWindow(main);
    log.clear();
    g_probe = ModalProbe();
    SetTimer(nullptr, 0, 100, ProbeModal);
    ArmSafety();
    // Returns only when the window has gone.
    CHECK(LoadWindow(kDialog, true));
    DisarmSafety();
    CHECK(g_probe.seen);
    CHECK(log == "c:0001:100:w l:0001 dialog s:0001");
    CHECK_FALSE(g_probe.mainEnabled);
    CHECK_FALSE(g_probe.otherEnabled);
    CHECK_FALSE(g_probe.disabledEnabled);
    CHECK(g_probe.topmost);  // it sat on a top-most window
    CHECK(WindowOf(kDialog) == nullptr);
    CHECK(IsWindowEnabled(WindowOf(kMain)));
    CHECK(IsWindowEnabled(WindowOf(kOther)));
    CHECK_FALSE(IsWindowEnabled(WindowOf(kDisabledBefore)));
    DestroyAllWindows();
}

TEST_CASE("a modal window destroyed without a close request still re-enables the others") {
    UseFrameForm();
    REQUIRE(LoadFormWindow(kMain, nullptr, false));
    REQUIRE(LoadFormWindow(kDialog, nullptr, true));
    CHECK_FALSE(IsWindowEnabled(WindowOf(kMain)));
    DestroyWindow(WindowOf(kDialog));
    CHECK(IsWindowEnabled(WindowOf(kMain)));
    DestroyAllWindows();
}

TEST_CASE("a destroyed window loads again from its definition") {
    UseFrameForm();
    REQUIRE(LoadFormWindow(kMain, nullptr, false));
    WriteUnitText(kMain, kUnitA, kPropertyTag, "新");
    CHECK(std::string(ReadUnitText(kMain, kUnitA, kPropertyTag)) == "新");
    DestroyAllWindows();
    REQUIRE(LoadFormWindow(kMain, nullptr, false));
    CHECK(std::string(ReadUnitText(kMain, kUnitA, kPropertyTag)) == "标记");
    DestroyAllWindows();
}

namespace {
void CALLBACK CloseMain(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    PostMessageW(WindowOf(kMain), WM_CLOSE, 0, 0);
}
}  // namespace

TEST_CASE("closing the last window ends the message loop") {
    UseFrameForm();
    REQUIRE(LoadFormWindow(kMain, nullptr, false));
    SetTimer(nullptr, 0, 100, CloseMain);
    ArmSafety();
    RunMessageLoop();
    DisarmSafety();
    CHECK_FALSE(IsAnyWindowAlive());
    CHECK(log.find("close1") != std::string::npos);
}

TEST_CASE("the unit lookups of RuntimeNotify 2006 give unit objects of loaded windows only") {
    UseFrameForm();
    CHECK(RuntimeNotify(kNotifyFindUnit, kMain, 0) == 0);
    REQUIRE(LoadFormWindow(kMain, nullptr, false));
    FormWindow* w = FindWindowById(kMain);
    CHECK(RuntimeNotify(kNotifyFindUnit, kMain, 0) == reinterpret_cast<intptr_t>(WindowObject(*w)));
    CHECK(RuntimeNotify(kNotifyFindUnit, kMain, kMainRecord) == reinterpret_cast<intptr_t>(WindowObject(*w)));
    CHECK(RuntimeNotify(kNotifyFindUnit, kMain, kUnitA) ==
          reinterpret_cast<intptr_t>(FindRecord(w->records, kUnitA)->ObjectSlot));
    CHECK(RuntimeNotify(kNotifyFindUnit, kMain, 0x16999999) == 0);
    CHECK(RuntimeNotify(kNotifyFindUnit, kMain, kMenuA) == 0);  // menu items have no object
    DestroyAllWindows();
}

TEST_CASE("SetFocus gives the unit the keyboard focus") {
    UseFrameForm();
    REQUIRE(LoadFormWindow(kMain, nullptr, false));
    SetForegroundWindow(WindowOf(kMain));
    SetUnitFocus(kMain, kBorrower);
    CHECK(GetFocus() == UnitWindow(kMain, kBorrower));
    SetUnitFocus(kMain, kUnitA);
    CHECK(GetFocus() == UnitWindow(kMain, kUnitA));
    DestroyAllWindows();
}

CHILD_CASE(frame_focus_not_loaded) {
    UseFrameForm();
    SetUnitFocus(kMain, kUnitA);
}

CHILD_CASE(frame_popup_not_loaded) {
    UseFrameForm();
    PopupMenu(kMain, {kMain, kMenuPopup}, 10, 10);
}

TEST_CASE("the window commands on a window that is not loaded are fatal") {
    for (const char* name : {"frame_focus_not_loaded", "frame_popup_not_loaded"}) {
        CAPTURE(name);
        ChildRun run = RunChildCase(name);
        CHECK(run.exitCode == -1);
        CHECK(run.output.find("指定窗口或窗口组件不存在或尚未载入") != std::string::npos);
    }
}

TEST_CASE("the start window is loaded and shown through the framework") {
    UseFrameForm();
    LoadStartWindow(kMain);
    REQUIRE(WindowOf(kMain));
    CHECK(IsWindowVisible(WindowOf(kMain)));
    CHECK(log.find("created e3 e4") != std::string::npos);
    DestroyAllWindows();
}

CHILD_CASE(frame_start_window_fails) {
    UseFrameForm();
    LoadStartWindow(kUnknownType);
}

CHILD_CASE(frame_report_names) {
    UseFrameForm();
    LoadFormWindow(kMain, nullptr, false);
    RaiseRuntimeError(4, kMain, kUnitA);
}

TEST_CASE("a start window that fails to load, and the names in a runtime error report") {
    struct {
        const char* child;
        const char* text;
    } const cases[] = {
        {"frame_start_window_fails", "错误信息：载入启动窗口失败\r\n"},
        {"frame_report_names", "\r\n1376780289, 370147346\r\n\"主窗口\"\r\n\"单元_甲\"\r\n"},
    };
    for (const auto& c : cases) {
        CAPTURE(c.child);
        ChildRun run = RunChildCase(c.child);
        CHECK(run.exitCode == -1);
        CAPTURE(GbkToUtf8(run.output));
        CHECK(run.output.find(c.text) != std::string::npos);
    }
}

namespace {
void CALLBACK ChooseFirstItem(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    HWND main = WindowOf(kMain);
    PostMessageW(main, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(main, WM_KEYUP, VK_DOWN, 0);
    PostMessageW(main, WM_KEYDOWN, VK_RETURN, 0);
    PostMessageW(main, WM_KEYUP, VK_RETURN, 0);
}
}  // namespace

TEST_CASE("a choice from PopupMenu raises the item's event") {
    UseFrameForm();
    REQUIRE(LoadFormWindow(kMain, nullptr, false));
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, CountPopups, nullptr, GetCurrentThreadId());
    g_popups = 0;
    log.clear();
    SetTimer(nullptr, 0, 200, ChooseFirstItem);
    ArmSafety();
    PopupMenu(kMain, {kMain, kMenuPopup}, 150, 150);
    Pump();
    DisarmSafety();
    CHECK(g_popups == 1);
    CHECK(log == "menu:a:26100006");
    UnhookWindowsHookEx(hook);
    DestroyAllWindows();
}

TEST_CASE("PopupMenu shows nothing for a menu of another window or an item without sub-items") {
    UseFrameForm();
    REQUIRE(LoadFormWindow(kMain, nullptr, false));
    REQUIRE(LoadFormWindow(kDialog, nullptr, false));
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, CountPopups, nullptr, GetCurrentThreadId());
    g_popups = 0;
    log.clear();
    ArmSafety();
    PopupMenu(kMain, {kDialog, kMenuPopup}, 10, 10);  // the menu belongs to the main window
    PopupMenu(kDialog, {kDialog, kMenuPopup}, 10, 10);  // the dialog has no such menu
    PopupMenu(kMain, {kMain, kMenuHelp}, 10, 10);
    PopupMenu(kMain, {kMain, kMenuOpen}, 10, 10);
    Pump();
    DisarmSafety();
    CHECK(g_popups == 0);
    CHECK(log.empty());
    UnhookWindowsHookEx(hook);
    DestroyAllWindows();
}

namespace {
void CALLBACK ChooseFirstUnitsItem(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    HWND w = WindowOf(kUnits);
    PostMessageW(w, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(w, WM_KEYDOWN, VK_RETURN, 0);
}
}  // namespace

TEST_CASE("the program's unit types: a group box holds its radio boxes, a super menu draws the menus") {
    UseFrameForm(kFrameUnitsForm);
    REQUIRE(LoadFormWindow(kUnits, nullptr, false));
    CHECK(log.empty());  // what the units raised while loading reached no handler
    HWND window = WindowOf(kUnits), group = UnitWindow(kUnits, kGroup), a = UnitWindow(kUnits, kRadioA);
    CHECK(GetParent(a) == group);
    CHECK(GetParent(group) == window);
    CHECK(ReadUnitInt(kUnits, kRadioB, kPropertyLeft) == 100);
    CHECK(ReadUnitInt(kUnits, kGroup, kPropertyTop) == 80);
    WriteUnitBool(kUnits, kGroup, kPropertyVisible, false);
    CHECK_FALSE(IsWindowVisible(a));
    CHECK_FALSE(ReadUnitBool(kUnits, kRadioB, kPropertyVisible));
    WriteUnitBool(kUnits, kGroup, kPropertyVisible, true);
    CHECK(IsWindowVisible(a));

    // The super menu had the bar rebuilt owner-drawn, each item carrying its description.
    HMENU bar = GetMenu(window);
    REQUIRE(bar);
    REQUIRE(GetMenuItemCount(bar) == 1);
    MENUITEMINFOW mi = {};
    mi.cbSize = sizeof(mi);
    mi.fMask = MIIM_FTYPE | MIIM_DATA;
    REQUIRE(GetMenuItemInfoW(bar, 0, TRUE, &mi));
    CHECK((mi.fType & MFT_OWNERDRAW) != 0);
    const MenuItemDrawInfo* info = reinterpret_cast<const MenuItemDrawInfo*>(mi.dwItemData);
    REQUIRE(info);
    CHECK(info->menuId == 0x26110001);
    CHECK(info->text == "文件");
    CHECK(info->inMenuBar);
    CHECK(info->hasSubItems);
    CHECK(RuntimeOf(*FindWindowById(kUnits)).ownerDrawnMenus);
    // Owner-drawn items keep their text for screen readers, in the bar and in its pop-up.
    CHECK(MenuText(bar, 0, MF_BYPOSITION) == "文件");
    HMENU popup = GetSubMenu(bar, 0);
    REQUIRE(popup);
    CHECK_FALSE(MenuText(popup, 0, MF_BYPOSITION).empty());

    // Owner-drawn or not, the numbering holds for the bar and for pop-up menus.
    log.clear();
    SendMessageW(window, WM_COMMAND, 20001, 0);
    CHECK(log == "menu:open:26110002");
    log.clear();
    SetForegroundWindow(window);
    SetTimer(nullptr, 0, 200, ChooseFirstUnitsItem);
    ArmSafety();
    PopupMenu(kUnits, {kUnits, kUnitsMenuPopup}, 120, 120);
    Pump();
    DisarmSafety();
    CHECK(log == "menu:a:26110004");
    DestroyAllWindows();
}
