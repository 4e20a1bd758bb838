#include "ui/window_loader.h"

#include <cstring>
#include <set>
#include <string>

#include "runtime/error_report.h"
#include "runtime/message_loop.h"
#include "runtime/notify.h"
#include "runtime/runtime_services.h"
#include "runtime/startup.h"
#include "ui/dpi.h"
#include "ui/event_dispatch.h"
#include "ui/keyboard_navigation.h"
#include "ui/unit_properties.h"
#include "ui/wide_text.h"
#include "ui/window_unit.h"

namespace {
// The units' private messages 0x806F (loaded) and 0x8076 (shown) are their OnLoaded and
// OnShown; the window itself is sent 0x8004.
const UINT kMsgWindowLoaded = 0x8004;
const int kFirstControlId = 100, kControlIdStep = 10;

// Windows in the middle of a load: a second load of the same window (from a message that
// the suspension lets through) must not replace the table the first one is filling.
std::set<uint32_t> g_loading;

// ---- Shortcut keys ----------------------------------------------------------------------

struct ShortcutEntry {
    std::string name;
    BYTE modifiers;
    WORD key;
};

const std::vector<ShortcutEntry>& ShortcutTable() {
    static std::vector<ShortcutEntry> table;
    if (!table.empty()) return table;
    char name[32];
    for (int i = 0; i < 26; ++i) {
        wsprintfA(name, "Ctrl+%c", 'A' + i);
        table.push_back({name, FCONTROL, static_cast<WORD>('A' + i)});
    }
    struct Group {
        const char* prefix;
        BYTE modifiers;
    };
    const Group groups[] = {{"Ctrl+", FCONTROL}, {"Shift+", FSHIFT}, {"Ctrl+Shift+", FCONTROL | FSHIFT}, {"", 0}};
    for (const Group& g : groups) {
        for (int i = 1; i <= 12; ++i) {
            wsprintfA(name, "%sF%d", g.prefix, i);
            table.push_back({name, g.modifiers, static_cast<WORD>(VK_F1 + i - 1)});
        }
    }
    table.push_back({"Ins", 0, VK_INSERT});
    table.push_back({"Del", 0, VK_DELETE});
    table.push_back({"Shift+Ins", FSHIFT, VK_INSERT});
    table.push_back({"Shift+Del", FSHIFT, VK_DELETE});
    table.push_back({"Ctrl+Ins", FCONTROL, VK_INSERT});
    table.push_back({"Ctrl+Del", FCONTROL, VK_DELETE});
    table.push_back({"Alt+Bksp", FALT, VK_BACK});
    return table;
}

// ---- Menus ----------------------------------------------------------------------------

bool IsSeparator(const FormRecord& r) { return r.Caption == "-"; }

std::string ItemText(const FormRecord& r) {
    std::string text = r.Caption;
    const char* name;
    BYTE modifiers;
    WORD key;
    if (ShortcutKey(r.ShortcutIndex, &name, &modifiers, &key)) {
        text += "\t";
        text += name;
    }
    return text;
}

// Appends the records [i, end) of the menu run that starts at `first`: each record with the
// records of higher level after it as its sub-items. Hidden records are left out together
// with their sub-items.
void AppendItems(FormWindow& w, HMENU menu, int first, int i, int end, bool bar, bool ownerDrawn,
                 MenuItemDrawList* items) {
    while (i < end) {
        FormRecord& r = w.records[i];
        int j = i + 1;
        while (j < end && w.records[j].Level > r.Level) ++j;
        if (!(r.MenuFlags & kMenuHidden)) {
            bool separator = IsSeparator(r);
            bool sub = !separator && j > i + 1;
            UINT flags = (r.MenuFlags & kMenuDisabled ? MF_GRAYED : 0) | (r.MenuFlags & kMenuChecked ? MF_CHECKED : 0);
            std::wstring text = GbkToWide(ItemText(r).c_str());
            LPCWSTR content = text.c_str();
            if (ownerDrawn) {
                std::unique_ptr<MenuItemDrawInfo> info(new MenuItemDrawInfo);
                info->menuId = r.id;
                info->text = ItemText(r);
                info->separator = separator;
                info->inMenuBar = bar;
                info->hasSubItems = sub;
                info->disabled = (r.MenuFlags & kMenuDisabled) != 0;
                info->checked = (r.MenuFlags & kMenuChecked) != 0;
                content = reinterpret_cast<LPCWSTR>(info.get());
                items->push_back(std::move(info));
                flags |= MF_OWNERDRAW;
            } else {
                flags |= separator ? MF_SEPARATOR : MF_STRING;
            }
            if (separator) {
                AppendMenuW(menu, flags | MF_SEPARATOR, 0, ownerDrawn ? content : nullptr);
            } else {
                if (sub) {
                    HMENU popup = CreatePopupMenu();
                    AppendItems(w, popup, first, i + 1, j, false, ownerDrawn, items);
                    if (bar) r.PopupMenus[0] = popup;
                    AppendMenuW(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(popup), content);
                } else {
                    AppendMenuW(menu, flags, MenuCommandOf(w, i - first), content);
                }
                // An owner-drawn item keeps its text as well, so screen readers and UI
                // automation read the menu like any other.
                if (ownerDrawn) {
                    MENUITEMINFOW mii = {};
                    mii.cbSize = sizeof(mii);
                    mii.fMask = MIIM_STRING;
                    mii.dwTypeData = const_cast<LPWSTR>(text.c_str());
                    SetMenuItemInfoW(menu, GetMenuItemCount(menu) - 1, TRUE, &mii);
                }
            }
        }
        i = j;
    }
}

// ---- Loading ---------------------------------------------------------------------------

enum class LoadOutcome { Failed, Loaded, AlreadyOpen };

DWORD UnitStyle(const FormRecord& r, bool isWindow) {
    if (r.UnitTypeId == kTypeSupperMenu) return 0;
    DWORD style = 0;
    if (r.UnitFlags & kUnitDisabled) style |= WS_DISABLED;
    // On a top-level window the tab-stop bit would be the maximise box.
    if (!isWindow && (r.UnitFlags & kUnitTabStop)) style |= WS_TABSTOP;
    return style;
}

void Fail(FormWindow& w, HWND hwnd) {
    WindowRuntime& rt = RuntimeOf(w);
    if (hwnd && IsWindow(hwnd)) {
        // The window's own teardown takes the units, cursors, accelerators and the menu.
        DestroyWindow(hwnd);
        return;
    }
    if (rt.accelerators) DestroyAcceleratorTable(rt.accelerators);
    if (rt.menuBar) DestroyMenu(rt.menuBar);
    ForgetRuntime(w.id);
    ResetWorkingRecords(w);
}

// What a type's create function gets for one record: its data, stored place and flags. A
// unit's place is scaled to the window's DPI; the window scales its own size.
UnitCreateParams CreateParamsFor(const FormWindow& w, const FormRecord& r, bool isWindow, HWND parent, int controlId,
                                 int dpi) {
    UnitCreateParams p = {};
    p.record = &r;
    p.data = r.UnitData.data();
    p.size = static_cast<uint32_t>(r.UnitData.size());
    p.style = UnitStyle(r, isWindow);
    p.parent = parent;
    p.controlId = controlId;
    p.left = r.Left;
    p.top = r.Top;
    p.width = r.Width;
    p.height = r.Height;
    if (!isWindow) {
        RECT rc = ScaleRectToDpi(r.Left, r.Top, r.Width, r.Height, dpi);
        p.left = rc.left;
        p.top = rc.top;
        p.width = rc.right - rc.left;
        p.height = rc.bottom - rc.top;
    }
    p.dpi = dpi;
    p.windowId = w.id;
    p.unitId = r.id;
    return p;
}

// A created unit knows its window, identifier and type, and lives in its record's slot.
void KeepInSlot(const FormWindow& w, FormRecord& r, Unit* unit) {
    unit->windowId = w.id;
    unit->unitId = r.id;
    unit->typeId = r.UnitTypeId;
    r.ObjectSlot = unit;
}

bool CreateUnits(FormWindow& w, HWND parent, bool modal) {
    WindowRuntime& rt = RuntimeOf(w);
    FormRecord& r0 = w.records[0];
    UnitCreateFunction create = r0.isMenu ? nullptr : FindUnitCreateFunction(r0.UnitTypeId);
    if (!create) return false;

    HWND owner = parent;
    if (!owner) {
        WindowData data;
        bool inTaskbar = !ReadWindowData(r0.UnitData.data(), static_cast<uint32_t>(r0.UnitData.size()), &data) ||
                         data.ShowInTaskbar != 0;
        if (modal || !inTaskbar) owner = static_cast<HWND>(RuntimeOwnerWindow());
    }
    UnitCreateParams p = CreateParamsFor(w, r0, true, owner, 0, SystemDpi());
    p.menu = rt.menuBar;
    p.accelerators = rt.accelerators;
    Unit* window = create(p);
    if (!window || !window->hwnd || !IsWindow(window->hwnd)) {
        delete window;
        Fail(w, nullptr);
        return false;
    }
    KeepInSlot(w, r0, window);
    WindowCreated();
    HWND hwnd = window->hwnd;
    // Created at the system's DPI; a window that came up on a monitor of another DPI takes
    // that monitor's.
    if (WindowUnit* frame = dynamic_cast<WindowUnit*>(window)) {
        int dpi = WindowDpi(hwnd);
        if (dpi != frame->dpi) {
            frame->dpi = dpi;
            SIZE size = frame->OuterSizeAtDpi(dpi);
            SetWindowPos(hwnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            frame->OnDpiChanged();
        }
        // At 96 DPI the stored size is the window's size, as it always was.
        if (frame->dpi != kDesignDpi) frame->FitClientToDpi();
    }

    int controlId = kFirstControlId;
    for (size_t i = w.records.size(); i-- > 1;) {
        FormRecord& r = w.records[i];
        if (r.isMenu) continue;
        UnitCreateFunction unitCreate = FindUnitCreateFunction(r.UnitTypeId);
        if (!unitCreate) {
            Fail(w, hwnd);
            return false;
        }
        Unit* unit = unitCreate(CreateParamsFor(w, r, false, hwnd, controlId, window->dpi));
        if (!unit) {
            Fail(w, hwnd);
            return false;
        }
        KeepInSlot(w, r, unit);
        controlId += kControlIdStep;
    }
    return true;
}

void Reparent(FormWindow& w) {
    for (size_t i = 1; i < w.records.size(); ++i) {
        FormRecord& r = w.records[i];
        Unit* unit = RecordObject(r);
        if (!unit || !unit->hwnd || r.ParentId == 0 || r.ParentId == r.id) continue;
        FormRecord* container = FindRecord(w.records, r.ParentId);
        Unit* target = container ? RecordObject(*container) : nullptr;
        if (!target || !target->hwnd || target->hwnd == unit->hwnd) continue;
        // A container inside its own unit would make the windows a cycle.
        if (IsChild(unit->hwnd, target->hwnd)) continue;
        SetParent(unit->hwnd, target->hwnd);
        // So that Tab moves into the container's units.
        LONG ex = GetWindowLongW(target->hwnd, GWL_EXSTYLE);
        if (!(ex & WS_EX_CONTROLPARENT)) SetWindowLongW(target->hwnd, GWL_EXSTYLE, ex | WS_EX_CONTROLPARENT);
    }
}

// Step 15: the other loaded top-level windows without a parent are disabled, each one's
// enabled state remembered so that closing gives back exactly what was there.
void DisableOtherWindows(FormWindow& w) {
    WindowRuntime& rt = RuntimeOf(w);
    rt.modal = true;
    for (FormWindow& other : FormWindows()) {
        if (&other == &w || !IsWindowAlive(other) || RuntimeOf(other).parent) continue;
        HWND h = WindowHandle(other);
        rt.disabledWindows.push_back({h, IsWindowEnabled(h) != FALSE});
        EnableWindow(h, FALSE);
    }
}

LoadOutcome Load(uint32_t windowId, HWND parent, bool modal) {
    DeleteRetiredUnits();
    FormWindow* w = FindWindowById(windowId);
    if (!w || w->records.empty()) return LoadOutcome::Failed;
    if (IsWindowAlive(*w)) {
        HWND h = WindowHandle(*w);
        if (IsIconic(h))
            ShowWindow(h, SW_RESTORE);
        else
            SetForegroundWindow(h);
        return LoadOutcome::AlreadyOpen;
    }
    if (g_loading.count(windowId)) return LoadOutcome::Failed;
    if (modal)
        parent = nullptr;
    else if (parent && !IsWindow(parent))
        return LoadOutcome::Failed;

    g_loading.insert(windowId);
    RuntimeNotify(kNotifySuspendEvents, 0, 0);
    ResetWorkingRecords(*w);
    ForgetRuntime(windowId);
    {
        WindowRuntime& rt = RuntimeOf(*w);
        rt.parent = parent;
        rt.menuBar = BuildMenuBar(*w, false, &rt.barItems);
        rt.accelerators = BuildAccelerators(*w);
    }
    if (!CreateUnits(*w, parent, modal)) {
        g_loading.erase(windowId);
        RuntimeNotify(kNotifyResumeEvents, 0, 0);
        return LoadOutcome::Failed;
    }
    Unit* window = WindowObject(*w);
    HWND hwnd = window->hwnd;
    Reparent(*w);
    HideKeyboardCues(hwnd);

    for (FormRecord& r : w->records) {
        if (!r.isMenu && !r.MouseCursor.empty())
            r.CursorSlot = CreateUnitCursor(r.MouseCursor.data(), static_cast<uint32_t>(r.MouseCursor.size()));
    }
    for (size_t i = w->records.size(); i-- > 1;)
        if (Unit* u = RecordObject(w->records[i])) u->OnLoaded();
    SendMessageW(hwnd, kMsgWindowLoaded, 0, 0);

    for (size_t i = 1; i < w->records.size(); ++i) {
        FormRecord& r = w->records[i];
        Unit* u = RecordObject(r);
        if (u && u->hwnd && (r.UnitFlags & kUnitVisible) && r.UnitTypeId != kTypeSupperMenu)
            ShowWindow(u->hwnd, SW_SHOWNA);
    }
    g_loading.erase(windowId);
    RuntimeNotify(kNotifyResumeEvents, 0, 0);

    // From here on handlers run, and any of them may close the window.
    auto stillOpen = [&]() { return WindowObject(*w) == window && IsWindow(hwnd); };
    const int32_t loadEvents[] = {0, 3, 4};
    for (int32_t e : loadEvents) {
        if (!stillOpen()) return LoadOutcome::Loaded;
        RaiseFrameworkEvent(windowId, 0, e);
    }
    if (!stillOpen()) return LoadOutcome::Loaded;
    if (w->records[0].UnitFlags & kUnitVisible) {
        WindowUnit* frame = dynamic_cast<WindowUnit*>(window);
        ShowWindow(hwnd, frame ? frame->ShowCommand() : SW_SHOW);
        UpdateWindow(hwnd);
    }
    if (!stillOpen()) return LoadOutcome::Loaded;
    if (modal) DisableOtherWindows(*w);

    HWND focus = GetFocus();
    for (size_t i = w->records.size(); i-- > 1 && stillOpen();)
        if (Unit* u = RecordObject(w->records[i])) u->OnShown();
    if (!stillOpen()) return LoadOutcome::Loaded;
    if (focus && IsWindow(focus) && GetFocus() != focus) SetFocus(focus);
    RuntimeOf(*w).loaded = true;
    return LoadOutcome::Loaded;
}

bool FrameworkMessageFilter(void* message);

void RunModalLoop(HWND hwnd) {
    MSG msg;
    while (IsWindow(hwnd)) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            // The quit belongs to the outer loop.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got == -1) break;
        if (FrameworkMessageFilter(&msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    DeleteRetiredUnits();
}

bool FrameworkMessageFilter(void* message) {
    DeleteRetiredUnits();
    MSG* m = static_cast<MSG*>(message);
    if (!m->hwnd || m->message < WM_KEYFIRST || m->message > WM_KEYLAST) return false;
    HWND root = GetAncestor(m->hwnd, GA_ROOT);
    FormWindow* w = FindWindowByHandle(root);
    if (!w) return false;
    HACCEL accelerators = RuntimeOf(*w).accelerators;
    if (accelerators && TranslateAcceleratorW(root, accelerators, m)) return true;
    if (HandleWindowKey(m)) return true;
    if (m->message == WM_KEYDOWN || m->message == WM_KEYUP || m->message == WM_CHAR) {
        Unit* unit = UnitFromWindow(m->hwnd);
        if (unit && unit->WantsKey(static_cast<int>(m->wParam))) return false;
    }
    // Arrow keys within a group, Space on buttons, mnemonics.
    return IsDialogMessageW(root, m) != FALSE;
}

// Every live unit object of every window, for requests that hand one back.
Unit* FindLiveUnitObject(uintptr_t object) {
    if (!object) return nullptr;
    for (FormWindow& w : FormWindows()) {
        if (!IsWindowAlive(w)) continue;
        for (FormRecord& r : w.records)
            if (!r.isMenu && reinterpret_cast<uintptr_t>(r.ObjectSlot) == object) return static_cast<Unit*>(r.ObjectSlot);
    }
    return nullptr;
}

intptr_t NotifyLoadWindow(int32_t, uintptr_t first, uintptr_t) {
    const LoadWindowRequest* request = reinterpret_cast<const LoadWindowRequest*>(first);
    if (!request) return -1;
    HWND parent = nullptr;
    if (request->parent) {
        Unit* p = FindLiveUnitObject(request->parent);
        if (!p || !p->hwnd) return -1;
        parent = p->hwnd;
    }
    return LoadWindowAndRun(request->windowId, parent, request->modal != 0) ? 0 : -1;
}

intptr_t NotifyFindUnit(int32_t code, uintptr_t first, uintptr_t second) {
    FormWindow* w = FindWindowByReference(first);
    Unit* unit = nullptr;
    if (w && IsWindowAlive(*w)) {
        FormRecord* r = FindUnitRecord(*w, second);
        if (r) unit = RecordObject(*r);
    }
    if (!unit && code == kNotifyFindUnitStrict)
        ReportRuntimeError(0, "指定窗口或窗口组件不存在或尚未载入", static_cast<int32_t>(first), static_cast<int32_t>(second));
    return reinterpret_cast<intptr_t>(unit);
}

intptr_t NotifyOwnerDrawMenus(int32_t, uintptr_t first, uintptr_t) {
    FormWindow* w = FindWindowByReference(first);
    if (!w || !IsWindowAlive(*w)) return 0;
    RuntimeOf(*w).ownerDrawnMenus = true;
    RebuildMenuBar(*w);
    return 1;
}

bool LoadStartWindowThroughFramework(uint32_t windowId) { return LoadFormWindow(windowId, nullptr, false); }

bool ResolveWindowName(uint32_t windowId, char* name) {
    FormWindow* w = FindWindowById(windowId);
    if (!w || !IsWindowAlive(*w)) return false;
    lstrcpynA(name, w->WindowName.c_str(), 256);
    return true;
}

bool ResolveUnitName(uint32_t windowId, uint32_t unitId, char* name) {
    FormWindow* w = FindWindowById(windowId);
    FormRecord* r = w ? FindUnitRecord(*w, unitId) : nullptr;
    if (!r) return false;
    lstrcpynA(name, r->Name.c_str(), 256);
    return true;
}
}  // namespace

bool ShortcutKey(uint32_t index, const char** name, BYTE* modifiers, WORD* virtualKey) {
    const std::vector<ShortcutEntry>& table = ShortcutTable();
    if (index == 0 || index > table.size()) return false;
    const ShortcutEntry& e = table[index - 1];
    *name = e.name.c_str();
    *modifiers = e.modifiers;
    *virtualKey = e.key;
    return true;
}

HMENU BuildMenuBar(FormWindow& w, bool ownerDrawn, MenuItemDrawList* items) {
    int first, count;
    if (!FirstMenuRun(w.records, &first, &count)) return nullptr;
    for (int i = first; i < first + count; ++i) w.records[i].PopupMenus[0] = nullptr;
    HMENU bar = CreateMenu();
    AppendItems(w, bar, first, first, first + count, true, ownerDrawn, items);
    // A bar of hidden items only would show as an empty strip.
    if (GetMenuItemCount(bar) <= 0) {
        DestroyMenu(bar);
        return nullptr;
    }
    return bar;
}

HMENU BuildPopupMenu(FormWindow& w, int k, bool ownerDrawn, MenuItemDrawList* items) {
    int first, count;
    if (!FirstMenuRun(w.records, &first, &count) || k < 0 || k >= count) return nullptr;
    int i = first + k;
    int end = i + 1;
    while (end < first + count && w.records[end].Level > w.records[i].Level) ++end;
    if (end == i + 1 || IsSeparator(w.records[i])) return nullptr;
    HMENU menu = CreatePopupMenu();
    AppendItems(w, menu, first, i + 1, end, false, ownerDrawn, items);
    return menu;
}

void RebuildMenuBar(FormWindow& w) {
    if (!IsWindowAlive(w)) return;
    HWND hwnd = WindowHandle(w);
    WindowRuntime& rt = RuntimeOf(w);
    MenuItemDrawList items;
    HMENU bar = BuildMenuBar(w, rt.ownerDrawnMenus, &items);
    HMENU old = GetMenu(hwnd);
    SetMenu(hwnd, bar);
    if (old) DestroyMenu(old);
    rt.menuBar = bar;
    rt.barItems.swap(items);
    DrawMenuBar(hwnd);
}

HACCEL BuildAccelerators(const FormWindow& w) {
    int first, count;
    if (!FirstMenuRun(w.records, &first, &count)) return nullptr;
    std::vector<ACCEL> entries;
    for (int k = 0; k < count; ++k) {
        const FormRecord& r = w.records[first + k];
        const char* name;
        BYTE modifiers;
        WORD key;
        if (IsSeparator(r) || !ShortcutKey(r.ShortcutIndex, &name, &modifiers, &key)) continue;
        ACCEL a;
        a.fVirt = static_cast<BYTE>(FVIRTKEY | modifiers);
        a.key = key;
        a.cmd = static_cast<WORD>(MenuCommandOf(w, k));
        entries.push_back(a);
    }
    if (entries.empty()) return nullptr;
    return CreateAcceleratorTableW(entries.data(), static_cast<int>(entries.size()));
}

HCURSOR CreateUnitCursor(const uint8_t* data, uint32_t size) {
    if (!data || size < 4) return nullptr;
    int32_t number;
    memcpy(&number, data, 4);
    // Cursor numbers 1 to 15 name the system cursors (arrow, cross, I-beam, ...).
    static const WORD kSystemCursors[] = {
        32512 /* arrow */, 32515 /* cross */,    32513 /* I-beam */, 32512 /* icon: arrow */,
        32646 /* size all */, 32643 /* NE-SW */, 32645 /* N-S */,    32642 /* NW-SE */,
        32644 /* W-E */,   32516 /* up arrow */, 32514 /* wait */,   32648 /* no */,
        32650 /* app starting */, 32651 /* help */, 32649 /* hand */,
    };
    const int32_t systemCount = sizeof(kSystemCursors) / sizeof(kSystemCursors[0]);
    if (number >= 1 && number <= systemCount) {
        // A copy, so that every cursor in a CursorSlot is the window's own to destroy.
        HCURSOR shared = LoadCursorW(nullptr, MAKEINTRESOURCEW(kSystemCursors[number - 1]));
        return shared ? static_cast<HCURSOR>(CopyImage(shared, IMAGE_CURSOR, 0, 0, 0)) : nullptr;
    }
    if (number != -1) return nullptr;
    // -1: a cursor file image follows. Its first image, with the hot spot in front, is the
    // resource form that CreateIconFromResourceEx takes.
    const uint8_t* file = data + 4;
    uint32_t n = size - 4;
    if (n < 6 + 16) return nullptr;
    uint16_t type, images;
    memcpy(&type, file + 2, 2);
    memcpy(&images, file + 4, 2);
    if (type != 2 || images == 0) return nullptr;
    const uint8_t* entry = file + 6;
    uint16_t hotX, hotY;
    uint32_t bytes, offset;
    memcpy(&hotX, entry + 4, 2);
    memcpy(&hotY, entry + 6, 2);
    memcpy(&bytes, entry + 8, 4);
    memcpy(&offset, entry + 12, 4);
    if (offset > n || bytes > n - offset || bytes == 0) return nullptr;
    std::vector<uint8_t> resource(4 + bytes);
    memcpy(&resource[0], &hotX, 2);
    memcpy(&resource[2], &hotY, 2);
    memcpy(&resource[4], file + offset, bytes);
    return reinterpret_cast<HCURSOR>(CreateIconFromResourceEx(resource.data(), static_cast<DWORD>(resource.size()),
                                                              FALSE, 0x00030000, 0, 0, LR_DEFAULTCOLOR));
}

void RelayoutWindowAtDpi(FormWindow& w, int dpi) {
    Unit* window = WindowObject(w);
    if (!window) return;
    window->dpi = dpi;
    window->OnDpiChanged();
    for (size_t i = 1; i < w.records.size(); ++i) {
        const FormRecord& r = w.records[i];
        Unit* u = RecordObject(r);
        if (r.isMenu || !u || !u->hwnd) continue;
        RECT rc = ScaleRectToDpi(r.Left, r.Top, r.Width, r.Height, dpi);
        SetWindowPos(u->hwnd, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        u->dpi = dpi;
    }
    // Once every unit has its place: parts that go beside a unit follow it.
    for (size_t i = w.records.size(); i-- > 1;)
        if (Unit* u = w.records[i].isMenu ? nullptr : RecordObject(w.records[i])) u->OnDpiChanged();
    RedrawWindow(WindowHandle(w), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

int FormWindowDpi(uint32_t windowId) {
    FormWindow* w = FindWindowById(windowId);
    Unit* window = w && IsWindowAlive(*w) ? WindowObject(*w) : nullptr;
    return window ? window->dpi : kDesignDpi;
}

bool LoadFormWindow(uint32_t windowId, HWND parent, bool modal) {
    return Load(windowId, parent, modal) != LoadOutcome::Failed;
}

bool LoadWindowAndRun(uint32_t windowId, HWND parent, bool modal) {
    HWND before = GetActiveWindow();
    LoadOutcome outcome = Load(windowId, parent, modal);
    if (outcome == LoadOutcome::Failed) return false;
    if (outcome == LoadOutcome::AlreadyOpen) return true;
    FormWindow* w = FindWindowById(windowId);
    if (!w || !IsWindowAlive(*w) || !(w->records[0].UnitFlags & kUnitVisible)) return true;
    RuntimeOf(*w).loaded = false;
    if (!modal) return true;
    HWND hwnd = WindowHandle(*w);
    if (before && IsWindow(before) && (GetWindowLongW(before, GWL_EXSTYLE) & WS_EX_TOPMOST))
        SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    RunModalLoop(hwnd);
    return true;
}

bool QueryCloseWindow(const FormWindow& w) {
    int32_t result;
    if (RaiseFrameworkEvent(w.id, 0, 12, &result) && result == 0) return false;
    if (!IsWindowAlive(w)) return false;
    if (RaiseFrameworkEvent(w.id, 0, 1, &result) && result == 0) return false;
    return true;
}

bool CloseFormWindow(FormWindow& w) {
    HWND hwnd = WindowHandle(w);
    if (!hwnd || !IsWindow(hwnd)) return false;
    if (!QueryCloseWindow(w)) return false;
    if (WindowHandle(w) != hwnd || !IsWindow(hwnd)) return false;
    // Before the destruction, so that activation can pass to the windows enabled again.
    ReplayDisabledWindows(w);
    DestroyWindow(hwnd);
    return true;
}

bool BringModalForward(HWND disabled) {
    for (FormWindow& other : FormWindows()) {
        WindowRuntime& rt = RuntimeOf(other);
        if (!rt.modal || rt.modalReplayed || !IsWindowAlive(other)) continue;
        for (const std::pair<HWND, bool>& d : rt.disabledWindows) {
            if (d.first != disabled) continue;
            HWND modal = WindowHandle(other);
            if (IsIconic(modal)) ShowWindow(modal, SW_RESTORE);
            SetWindowPos(modal, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
            SetForegroundWindow(modal);
            return true;
        }
    }
    return false;
}

void ReplayDisabledWindows(FormWindow& w) {
    WindowRuntime& rt = RuntimeOf(w);
    if (!rt.modal || rt.modalReplayed) return;
    rt.modalReplayed = true;
    for (const std::pair<HWND, bool>& d : rt.disabledWindows)
        if (IsWindow(d.first)) EnableWindow(d.first, d.second ? TRUE : FALSE);
    rt.disabledWindows.clear();
}

void OnFormWindowDestroyed(HWND hwnd) {
    FormWindow* w = FindWindowByHandle(hwnd);
    if (!w) return;
    // A modal window destroyed without a close request must not leave the others disabled.
    ReplayDisabledWindows(*w);
    WindowRuntime& rt = RuntimeOf(*w);
    for (FormRecord& r : w->records) {
        if (r.isMenu) {
            r.PopupMenus[0] = r.PopupMenus[1] = nullptr;
            continue;
        }
        if (Unit* u = RecordObject(r)) {
            if (u->hwnd) DetachUnitFromWindow(u->hwnd);
            RetireUnit(u);
        }
        r.ObjectSlot = nullptr;
        if (r.CursorSlot) {
            DestroyCursor(static_cast<HCURSOR>(r.CursorSlot));
            r.CursorSlot = nullptr;
        }
    }
    if (rt.accelerators) DestroyAcceleratorTable(rt.accelerators);
    // The menu bar goes with the window itself.
    ForgetRuntime(w->id);
    WindowDestroyed();
}

void RestoreWindowFocus(FormWindow& w) {
    HWND hwnd = WindowHandle(w);
    if (!hwnd) return;
    HWND last = RuntimeOf(w).lastFocus;
    if (last && IsWindow(last) && IsChild(hwnd, last) && IsWindowVisible(last) && IsWindowEnabled(last)) {
        SetFocus(last);
        return;
    }
    HWND best = nullptr;
    uint32_t bestOrder = 0;
    for (size_t i = w.records.size(); i-- > 1;) {
        const FormRecord& r = w.records[i];
        Unit* u = RecordObject(r);
        if (!u || !u->hwnd || !IsWindowVisible(u->hwnd) || !IsWindowEnabled(u->hwnd)) continue;
        if (!(GetWindowLongW(u->hwnd, GWL_STYLE) & WS_TABSTOP)) continue;
        if (!best || r.TabOrder < bestOrder) {
            best = u->hwnd;
            bestOrder = r.TabOrder;
        }
    }
    if (best) SetFocus(best);
}

void InstallWindowFramework() {
    RegisterAllUnitTypes();
    RegisterWindowUnitType();
    InstallEventDispatch();
    RegisterNotifyHandler(kNotifyLoadWindow, NotifyLoadWindow);
    RegisterNotifyHandler(kNotifyFindUnit, NotifyFindUnit);
    RegisterNotifyHandler(kNotifyFindUnitStrict, NotifyFindUnit);
    RegisterNotifyHandler(kNotifyOwnerDrawMenus, NotifyOwnerDrawMenus);
    SetStartWindowLoader(LoadStartWindowThroughFramework);
    InstallUnitPropertyAccess();
    SetUnitNameResolver({ResolveWindowName, ResolveUnitName});
    SetWindowAliveQuery(IsAnyWindowAlive);
    SetMessageFilter(FrameworkMessageFilter);
}
