#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>

#include "runtime/command_args.h"
#include "runtime/memory.h"
#include "test_support.h"
#include "ui/keyboard_navigation.h"
#include "ui/units/super_button.h"
#include "ui/units/super_menu.h"
#include "ui/wide_text.h"
#include "unit_test_support.h"

using namespace units_test;

namespace {

ArgRecord Int(int32_t v) { return ArgRecord{static_cast<uint32_t>(v), 0, kInt}; }
ArgRecord Bool(bool v) { return ArgRecord{v ? 1u : 0u, 0, kBool}; }
ArgRecord TextValue(const char* t) { return ArgRecord{reinterpret_cast<uintptr_t>(t), 0, kText}; }

int32_t ReadInt(Unit* u, int k) {
    ArgRecord r = {};
    REQUIRE(u->ReadProperty(k, &r));
    return static_cast<int32_t>(r.value);
}

// A text property as its code page 936 bytes (the fresh block freed).
std::string ReadText(Unit* u, int k) {
    ArgRecord r = {};
    REQUIRE(u->ReadProperty(k, &r));
    REQUIRE(r.type == kText);
    char* t = reinterpret_cast<char*>(static_cast<uintptr_t>(r.value));
    std::string s = t ? t : "";
    if (t) FreeMemory(t);
    return s;
}

DWORD Style(Unit* u) { return static_cast<DWORD>(GetWindowLongW(u->hwnd, GWL_STYLE)); }
DWORD ExStyle(Unit* u) { return static_cast<DWORD>(GetWindowLongW(u->hwnd, GWL_EXSTYLE)); }

// Units inside a group box are created in the window and moved in, as the loader does.
Unit* InContainer(Unit* u, Unit* container) {
    SetParent(u->hwnd, container->hwnd);
    return u;
}

RadioBoxData Radio(const char* caption, bool checked) {
    RadioBoxData d;
    d.Caption = caption;
    d.Checked = checked;
    return d;
}

const uint32_t kEdit = 0x16770001, kEdit2 = 0x16770002;

// EditBox own property numbers minus 8.
const int kContent = 0, kMaxLength = 6, kSelStart = 16, kSelLength = 17, kSelText = 18, kPasswordChar = 11;

}  // namespace

TEST_CASE("radio boxes are exclusive within their own container only") {
    EventRecorder events;
    HWND host = CreateHostWindow(L"radio", 400, 200);
    Unit* groupA = CreateTestUnit(kTypeGroupBox, Blob(), host, 5, 5, 180, 100, 0x16770010);
    Unit* groupB = CreateTestUnit(kTypeGroupBox, Blob(), host, 200, 5, 180, 100, 0x16770020);
    Unit* a1 = InContainer(CreateTestUnit(kTypeRadioBox, RadioBoxBlob(Radio("二进制", true)), host, 5, 15, 80, 16, 0x16770011), groupA);
    Unit* a2 = InContainer(CreateTestUnit(kTypeRadioBox, RadioBoxBlob(Radio("八进制", false)), host, 5, 40, 80, 16, 0x16770012), groupA);
    Unit* a3 = InContainer(CreateTestUnit(kTypeRadioBox, RadioBoxBlob(Radio("十进制", false)), host, 5, 65, 80, 16, 0x16770013), groupA);
    Unit* b1 = InContainer(CreateTestUnit(kTypeRadioBox, RadioBoxBlob(Radio("字母转大写", true)), host, 5, 15, 80, 16, 0x16770021), groupB);
    REQUIRE(a1);
    REQUIRE(a2);
    REQUIRE(a3);
    REQUIRE(b1);
    const int kChecked = 10;
    CHECK(ReadInt(a1, kChecked) == 1);
    CHECK(ReadInt(b1, kChecked) == 1);
    CHECK(Utf8(WindowTextW(a1->hwnd)) == u8"二进制");

    // A hidden sibling is unchecked too (the control's own grouping would skip it).
    ShowWindow(a3->hwnd, SW_HIDE);
    SendMessageW(a3->hwnd, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageW(a2->hwnd, BM_CLICK, 0, 0);
    CHECK(ReadInt(a2, kChecked) == 1);
    CHECK(ReadInt(a1, kChecked) == 0);
    CHECK(ReadInt(a3, kChecked) == 0);
    CHECK(ReadInt(b1, kChecked) == 1);  // another container
    CHECK(events.Count(a2->unitId, 0) == 1);
    CHECK(events.Count(a1->unitId, 0) == 0);

    // Writing the property keeps the container exclusive and raises nothing.
    CHECK(a1->PropertyChanged(kChecked, Bool(true)));
    CHECK(ReadInt(a1, kChecked) == 1);
    CHECK(ReadInt(a2, kChecked) == 0);
    CHECK(ReadInt(b1, kChecked) == 1);
    CHECK(events.Count(a1->unitId, 0) == 0);
    CHECK(a1->PropertyChanged(kChecked, Bool(false)));
    CHECK(ReadInt(a1, kChecked) == 0);

    for (Unit* u : {a1, a2, a3, b1, groupA, groupB}) DeleteUnit(u);
    DestroyWindow(host);
}

TEST_CASE("hiding a group box hides the units moved into it") {
    EventRecorder events;
    HWND host = CreateHostWindow(L"group", 300, 200);
    Unit* group = CreateTestUnit(kTypeGroupBox, Blob(), host, 5, 5, 200, 100, 0x16770030);
    Unit* radio = InContainer(CreateTestUnit(kTypeRadioBox, RadioBoxBlob(Radio("一", false)), host, 5, 15, 80, 16, 0x16770031), group);
    Unit* label = InContainer(CreateTestUnit(kTypeTransLabel, Blob(), host, 5, 40, 80, 16, 0x16770032), group);
    REQUIRE(group);
    CHECK(WindowTextW(group->hwnd).empty());  // no data: no caption
    CHECK(IsWindowVisible(radio->hwnd));
    CHECK(IsWindowVisible(label->hwnd));
    ShowWindow(group->hwnd, SW_HIDE);
    CHECK_FALSE(IsWindowVisible(radio->hwnd));
    CHECK_FALSE(IsWindowVisible(label->hwnd));
    ShowWindow(group->hwnd, SW_SHOWNA);
    CHECK(IsWindowVisible(radio->hwnd));

    // Its units' notifications reach them through the group box.
    SendMessageW(radio->hwnd, BM_CLICK, 0, 0);
    CHECK(events.Count(radio->unitId, 0) == 1);
    for (Unit* u : {radio, label, group}) DeleteUnit(u);
    DestroyWindow(host);
}

TEST_CASE("edit box: content, selection and limits read and write in code page 936") {
    EventRecorder events;
    HWND host = CreateHostWindow(L"edit", 400, 200);
    EditBoxData d;
    d.MultiLine = 1;
    d.ScrollBars = 2;
    d.Border = 3;
    d.Content = "初始";
    Unit* edit = CreateTestUnit(kTypeEditBox, EditBoxBlob(d), host, 5, 5, 300, 80, kEdit);
    REQUIRE(edit);
    CHECK(ReadText(edit, kContent) == "初始");
    CHECK(Utf8(WindowTextW(edit->hwnd)) == u8"初始");  // the same characters on any system code page

    const char* text = "中文ab汉字";  // 10 bytes, 6 characters
    CHECK(edit->PropertyChanged(kContent, TextValue(text)));
    CHECK(ReadText(edit, kContent) == text);
    CHECK(Utf8(WindowTextW(edit->hwnd)) == u8"中文ab汉字");

    struct SelectionCase {
        int32_t start;
        DWORD wideStart;
        int32_t readStart;
    } starts[] = {
        {-1, 6, 10},  // after the last character
        {0, 0, 0},
        {4, 2, 4},    // before "ab"
        {-5, 0, 0},   // other negatives count as 0
        {99, 6, 10},
    };
    for (const SelectionCase& c : starts) {
        CAPTURE(c.start);
        CHECK(edit->PropertyChanged(kSelStart, Int(c.start)));
        DWORD s = 0, e = 0;
        SendMessageW(edit->hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
        CHECK(s == c.wideStart);
        CHECK(ReadInt(edit, kSelStart) == c.readStart);
    }

    // Selection in bytes: from "ab" over four bytes is "ab汉".
    CHECK(edit->PropertyChanged(kSelStart, Int(4)));
    CHECK(edit->PropertyChanged(kSelLength, Int(4)));
    CHECK(ReadInt(edit, kSelLength) == 4);
    CHECK(ReadText(edit, kSelText) == "ab汉");
    CHECK(edit->PropertyChanged(kSelText, TextValue("粘")));
    CHECK(ReadText(edit, kContent) == "中文粘字");

    // -1 after writing the content: the caret is after the new text.
    CHECK(edit->PropertyChanged(kContent, TextValue("新的内容")));
    CHECK(edit->PropertyChanged(kSelStart, Int(-1)));
    DWORD s = 0, e = 0;
    SendMessageW(edit->hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    CHECK(s == 4);
    CHECK(e == 4);

    CHECK(edit->PropertyChanged(kMaxLength, Int(12)));
    CHECK(SendMessageW(edit->hwnd, EM_GETLIMITTEXT, 0, 0) == 12);
    CHECK(ReadInt(edit, kMaxLength) == 12);
    CHECK_FALSE(edit->PropertyChanged(40, Int(0)));
    ArgRecord unused = {};
    CHECK_FALSE(edit->ReadProperty(40, &unused));
    DeleteUnit(edit);
    DestroyWindow(host);
}

TEST_CASE("edit box: the wide content holds every character; each write and paste raises one event") {
    const int kContentWide = 21;
    HWND host = CreateHostWindow(L"edit", 400, 200);
    auto units = [](const std::wstring& w) {
        std::string b;
        for (wchar_t c : w) b += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        return b;
    };
    for (int multiLine : {0, 1}) {
        CAPTURE(multiLine);
        EditBoxData d;
        d.MultiLine = multiLine;
        Unit* edit = CreateTestUnit(kTypeEditBox, EditBoxBlob(d), host, 5, 5, 300, 80, kEdit);
        REQUIRE(edit);
        EventRecorder events;
        std::string written = units(L"a\U0001F600\uD55C");
        ByteSet block = NewByteSetBlock(static_cast<int32_t>(written.size()));
        memcpy(ByteSetBytes(block), written.data(), written.size());
        CHECK(edit->PropertyChanged(kContentWide, ArgRecord{reinterpret_cast<uintptr_t>(block), 0, kByteSet}));
        FreeMemory(block);
        CHECK(events.Count(edit->unitId, 0) == 1);
        CHECK(WindowTextW(edit->hwnd) == L"a\U0001F600\uD55C");
        ArgRecord r = {};
        REQUIRE(edit->ReadProperty(kContentWide, &r));
        CHECK(r.type == kByteSet);
        uint8_t* read = reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(r.value));
        CHECK(std::string(reinterpret_cast<char*>(ByteSetBytes(read)), ByteSetBlockLength(read)) == written);
        FreeMemory(read);
        CHECK(ReadText(edit, kContent) == "a???");  // the GBK view cannot hold them
        CHECK(edit->PropertyChanged(kContent, TextValue("中")));
        CHECK(events.Count(edit->unitId, 0) == 2);

        // A paste replaces the selection with the clipboard's text, at one event.
        REQUIRE(OpenClipboard(nullptr));
        EmptyClipboard();
        HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, sizeof(L"\U0001F600"));
        memcpy(GlobalLock(g), L"\U0001F600", sizeof(L"\U0001F600"));
        GlobalUnlock(g);
        SetClipboardData(CF_UNICODETEXT, g);
        CloseClipboard();
        SendMessageW(edit->hwnd, EM_SETSEL, 0, 0);
        SendMessageW(edit->hwnd, WM_PASTE, 0, 0);
        CHECK(WindowTextW(edit->hwnd) == L"\U0001F600中");
        CHECK(events.Count(edit->unitId, 0) == 3);
        SendMessageW(edit->hwnd, EM_SETREADONLY, TRUE, 0);  // a read-only box takes no paste
        SendMessageW(edit->hwnd, WM_PASTE, 0, 0);
        CHECK(WindowTextW(edit->hwnd) == L"\U0001F600中");
        CHECK(events.Count(edit->unitId, 0) == 3);
        DeleteUnit(edit);
    }
    DestroyWindow(host);
}

// Wine's edit control needs seconds for a paragraph of a few hundred K characters: a large
// content stays in the unit, the control shows its beginning, and the program sees all of it.
TEST_CASE("edit box: a large content is kept whole behind a bounded, read-only view" * doctest::timeout(20)) {
    EventRecorder events;
    HWND host = CreateHostWindow(L"edit", 400, 200);
    EditBoxData d;
    d.MultiLine = 1;
    Unit* edit = CreateTestUnit(kTypeEditBox, EditBoxBlob(d), host, 5, 5, 300, 80, kEdit);
    REQUIRE(edit);
    std::string big;
    for (int i = 0; i < 300000; ++i) big += i % 5 ? std::string(1, static_cast<char>('a' + i % 26)) : "中";
    CHECK(edit->PropertyChanged(kContent, TextValue(big.c_str())));
    CHECK(ReadText(edit, kContent) == big);
    std::wstring shown = WindowTextW(edit->hwnd);
    CHECK(shown.size() < 20000);
    CHECK(shown.find(L"（共 ") != std::wstring::npos);
    CHECK((GetWindowLongW(edit->hwnd, GWL_STYLE) & ES_READONLY) != 0);
    // Copy from the box carries the whole content.
    SendMessageW(edit->hwnd, EM_SETSEL, 0, -1);
    SendMessageW(edit->hwnd, WM_COPY, 0, 0);
    REQUIRE(OpenClipboard(nullptr));
    HANDLE h = GetClipboardData(CF_UNICODETEXT);
    size_t copied = h ? wcslen(static_cast<const wchar_t*>(GlobalLock(h))) : 0;
    if (h) GlobalUnlock(h);
    CloseClipboard();
    CHECK(copied == 300000);
    // A small content makes the box an ordinary, editable one again.
    CHECK(edit->PropertyChanged(kContent, TextValue("ab")));
    CHECK(WindowTextW(edit->hwnd) == L"ab");
    CHECK((GetWindowLongW(edit->hwnd, GWL_STYLE) & ES_READONLY) == 0);
    DeleteUnit(edit);
    DestroyWindow(host);
}

TEST_CASE("edit box: styles from the stored data") {
    EventRecorder events;
    HWND host = CreateHostWindow(L"styles", 400, 200);
    struct Case {
        const char* name;
        int multiLine, scrollBars, border, inputMode, caseConversion, alignment;
        DWORD want, refuse, wantEx;
        bool wantsEnter;
    } cases[] = {
        {"output box", 1, 2, 3, 0, 0, 0, ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL, ES_AUTOHSCROLL | WS_HSCROLL,
         WS_EX_STATICEDGE, true},
        {"both bars", 1, 3, 1, 0, 0, 0, ES_MULTILINE | WS_VSCROLL | WS_HSCROLL | ES_AUTOHSCROLL, 0, WS_EX_CLIENTEDGE, true},
        {"single line", 0, 2, 5, 0, 2, 2, ES_AUTOHSCROLL | ES_UPPERCASE | ES_RIGHT, ES_MULTILINE | WS_VSCROLL, 0, false},
        {"read-only multi-line", 1, 0, 4, 1, 1, 1, ES_MULTILINE | ES_READONLY | ES_LOWERCASE | ES_CENTER, WS_VSCROLL,
         WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME, false},
        {"password", 0, 0, 0, 2, 0, 0, ES_PASSWORD, ES_READONLY, 0, false},
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        EditBoxData d;
        d.MultiLine = c.multiLine;
        d.ScrollBars = c.scrollBars;
        d.Border = c.border;
        d.InputMode = c.inputMode;
        d.CaseConversion = c.caseConversion;
        d.Alignment = c.alignment;
        d.PasswordChar = '#';
        Unit* edit = CreateTestUnit(kTypeEditBox, EditBoxBlob(d), host, 5, 5, 200, 60, kEdit);
        REQUIRE(edit);
        CHECK((Style(edit) & c.want) == c.want);
        CHECK((Style(edit) & c.refuse) == 0);
        CHECK((ExStyle(edit) & (WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME | WS_EX_STATICEDGE)) == c.wantEx);
        CHECK(edit->WantsKey(VK_RETURN) == c.wantsEnter);
        // Border values 1-4 are frame edges; 5 is a line the control draws inside itself.
        RECT outer, inner;
        GetWindowRect(edit->hwnd, &outer);
        GetClientRect(edit->hwnd, &inner);
        CHECK(((outer.right - outer.left) - inner.right > 0) == (c.border >= 1 && c.border <= 4));
        CHECK_FALSE(edit->WantsKey(VK_TAB));
        if (c.inputMode == 2) {
            CHECK(SendMessageW(edit->hwnd, EM_GETPASSWORDCHAR, 0, 0) == L'#');
            CHECK(ReadInt(edit, kPasswordChar) == '#');
        }
        DeleteUnit(edit);
    }

    // A single-line box lower than its text grows to fit it.
    EditBoxData low;
    Unit* edit = CreateTestUnit(kTypeEditBox, EditBoxBlob(low), host, 5, 5, 100, 4, kEdit);
    REQUIRE(edit);
    RECT rc;
    GetWindowRect(edit->hwnd, &rc);
    CHECK(rc.bottom - rc.top > 10);
    DeleteUnit(edit);
    DestroyWindow(host);
}

TEST_CASE("edit box: every change raises event 0 once, typed or written") {
    EventRecorder events;
    HWND host = CreateHostWindow(L"change", 400, 200);
    EditBoxData multi;
    multi.MultiLine = 1;
    multi.ScrollBars = 2;
    Unit* m = CreateTestUnit(kTypeEditBox, EditBoxBlob(multi), host, 5, 5, 200, 60, kEdit);
    Unit* s = CreateTestUnit(kTypeEditBox, EditBoxBlob(EditBoxData()), host, 5, 80, 200, 20, kEdit2);
    REQUIRE(m);
    REQUIRE(s);
    CHECK(events.Count(kEdit, 0) == 0);  // creation with content is no change

    for (Unit* u : {m, s}) {
        CAPTURE(u->unitId);
        events.Clear();
        SendMessageW(u->hwnd, WM_CHAR, 'x', 1);
        CHECK(events.Count(u->unitId, 0) == 1);
        events.Clear();
        CHECK(u->PropertyChanged(kContent, TextValue("写入")));
        CHECK(events.Count(u->unitId, 0) == 1);
        events.Clear();
        CHECK(u->PropertyChanged(kContent, TextValue("写入")));  // the same text again is still a write
        CHECK(events.Count(u->unitId, 0) == 1);
    }
    DeleteUnit(m);
    DeleteUnit(s);
    DestroyWindow(host);
}

TEST_CASE("edit box: a spin control beside a single-line box raises event 1") {
    EventRecorder events;
    HWND host = CreateHostWindow(L"spin", 300, 200);
    EditBoxData d;
    d.SpinMode = 1;
    d.SpinMin = 10;
    d.SpinMax = 0;  // the smaller value is the lower bound
    d.Content = "5";
    Unit* edit = CreateTestUnit(kTypeEditBox, EditBoxBlob(d), host, 5, 5, 100, 22, kEdit);
    REQUIRE(edit);
    edit->OnLoaded();
    HWND spin = FindWindowExW(host, nullptr, UPDOWN_CLASSW, nullptr);
    REQUIRE(spin);
    CHECK(IsWindowVisible(spin));
    int lo = -1, hi = -1;
    SendMessageW(spin, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lo), reinterpret_cast<LPARAM>(&hi));
    CHECK(lo == 0);
    CHECK(hi == 10);
    for (int delta : {1, -1}) {
        NMUPDOWN nm = {};
        nm.hdr.hwndFrom = spin;
        nm.hdr.idFrom = GetDlgCtrlID(spin);
        nm.hdr.code = UDN_DELTAPOS;
        nm.iDelta = delta;
        SendMessageW(host, WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
        REQUIRE(events.Count(kEdit, 1) >= 1);
        CHECK(events.events().back().args == std::vector<int32_t>{delta});
        events.Clear();
    }
    ShowWindow(edit->hwnd, SW_HIDE);
    CHECK_FALSE(IsWindowVisible(spin));
    DeleteUnit(edit);
    CHECK_FALSE(IsWindow(spin));
    DestroyWindow(host);
}

TEST_CASE("common events carry their arguments and act on results") {
    EventRecorder events;
    HWND host = CreateHostWindow(L"common", 400, 200);
    Unit* edit = CreateTestUnit(kTypeEditBox, EditBoxBlob(EditBoxData()), host, 5, 5, 200, 20, kEdit);
    REQUIRE(edit);

    SendMessageW(edit->hwnd, WM_LBUTTONDOWN, 0, MAKELPARAM(7, 9));
    SendMessageW(edit->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(7, 9));
    REQUIRE(events.Count(kEdit, -1) == 1);
    for (const RaisedEvent& e : events.events()) {
        if (e.number != -1) continue;
        CHECK(e.args == std::vector<int32_t>{7, 9, 0});
    }
    CHECK(events.Count(kEdit, -2) == 1);

    // A key handler without a result leaves the key to the box; 0 swallows it.
    SendMessageW(edit->hwnd, WM_KEYDOWN, 'A', 1);
    CHECK(events.Count(kEdit, -9) == 1);
    SendMessageW(edit->hwnd, WM_CHAR, 'a', 1);
    CHECK(events.Count(kEdit, -11) == 1);
    CHECK(ReadText(edit, kContent) == "a");
    events.Answer(-11, 0);
    SendMessageW(edit->hwnd, WM_CHAR, 'b', 1);
    CHECK(ReadText(edit, kContent) == "a");
    events.Answer(-11, 'Z');
    SendMessageW(edit->hwnd, WM_CHAR, 'c', 1);
    CHECK(ReadText(edit, kContent) == "aZ");
    // A Chinese character reaches the handler as its code page 936 code.
    events.Answer(-11, 0xbaba);  // 汉
    events.Clear();
    SendMessageW(edit->hwnd, WM_CHAR, 0x5b57, 1);  // 字
    REQUIRE(events.Count(kEdit, -11) == 1);
    for (const RaisedEvent& e : events.events())
        if (e.number == -11) CHECK(e.args == std::vector<int32_t>{0xd7d6});
    CHECK(ReadText(edit, kContent) == "aZ汉");

    events.Answer(-12, 0);
    SendMessageW(edit->hwnd, WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT, static_cast<WORD>(-240)), 0);
    CHECK(events.events().back().number == -12);
    CHECK(events.events().back().args[0] == -2);

    SendMessageW(edit->hwnd, WM_SETFOCUS, 0, 0);
    CHECK(events.Count(kEdit, -7) == 1);
    SendMessageW(edit->hwnd, WM_KILLFOCUS, 0, 0);
    CHECK(events.Count(kEdit, -8) == 1);
    DeleteUnit(edit);
    DestroyWindow(host);
}

TEST_CASE("buttons: caption, pictures and the clicked event") {
    EventRecorder events;
    HWND host = CreateHostWindow(L"buttons", 400, 200);
    struct Case {
        const char* name;
        Blob picture;
        DWORD pictureStyle;
        UINT imageType;
    } cases[] = {
        {"no picture", Blob(), 0, IMAGE_BITMAP},
        {"png", EncodePng(16, 16, ChevronPixels()), BS_BITMAP, IMAGE_BITMAP},
        {"icon", MakeIco32(16, 0xff204080), BS_ICON, IMAGE_ICON},
        {"undecodable", Blob(40, 0x5a), 0, IMAGE_BITMAP},
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        ButtonData d;
        d.Caption = "进制计算";
        d.Picture = c.picture;
        Unit* button = CreateTestUnit(kTypeButton, ButtonBlob(d), host, 5, 5, 80, 24, 0x16770040);
        REQUIRE(button);
        CHECK(Utf8(WindowTextW(button->hwnd)) == u8"进制计算");
        CHECK((Style(button) & (BS_BITMAP | BS_ICON)) == c.pictureStyle);
        CHECK((SendMessageW(button->hwnd, BM_GETIMAGE, c.imageType, 0) != 0) == (c.pictureStyle != 0));
        CHECK((Style(button) & (BS_CENTER | BS_VCENTER)) == (BS_CENTER | BS_VCENTER));
        events.Clear();
        SendMessageW(button->hwnd, BM_CLICK, 0, 0);
        CHECK(events.Count(0x16770040, 0) == 1);
        DeleteUnit(button);
    }
    DestroyWindow(host);
}

TEST_CASE("a unit whose data is newer than its reader is not created") {
    EventRecorder events;
    HWND host = CreateHostWindow(L"versions", 300, 200);
    const uint32_t types[] = {kTypeEditBox, kTypePicBox, kTypeGroupBox, kTypeButton, kTypeRadioBox,
                              kTypeStatusBar, kTypeTransLabel, kTypeSuperBtn, kTypeSupperMenu};
    for (uint32_t type : types) {
        CAPTURE(type);
        Blob tooNew = {99, 0, 0, 0};
        CHECK(CreateTestUnit(type, tooNew, host, 0, 0, 50, 20, 0x16770050) == nullptr);
        Unit* fine = CreateTestUnit(type, Blob(), host, 0, 0, 50, 20, 0x16770050);
        REQUIRE(fine);
        CHECK(fine->typeId == type);
        CHECK(UnitFromWindow(fine->hwnd) == fine);
        DeleteUnit(fine);
    }
    DestroyWindow(host);
}

TEST_CASE("labels, picture boxes and the status bar") {
    EventRecorder events;
    HWND host = CreateHostWindow(L"others", 400, 300);
    Unit* label = CreateTestUnit(kTypeTransLabel, Blob(), host, 5, 5, 80, 16, 0x16770060);
    REQUIRE(label);
    CHECK(Utf8(WindowTextW(label->hwnd)) == u8"透明标签");  // the type's name when no data is stored
    CHECK((ExStyle(label) & WS_EX_TRANSPARENT) != 0);
    CHECK(label->PropertyChanged(0, TextValue("整数转进制：")));
    CHECK(ReadText(label, 0) == "整数转进制：");

    // DisplayMode 2: a larger picture is shrunk to fit and centred.
    PicBoxData pd;
    pd.DisplayMode = 2;
    pd.Picture = EncodeJpeg(200, 100, QuadrantPixels(200, 100), 95);
    Unit* pic = CreateTestUnit(kTypePicBox, PicBoxBlob(pd), host, 5, 30, 100, 100, 0x16770061);
    REQUIRE(pic);
    Capture c = RenderOffscreen(
        100, 100, 0xff00ff,
        [](HDC dc, const RECT&, void* unit) {
            SendMessageW(static_cast<Unit*>(unit)->hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        },
        pic);
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    uint32_t faceRgb = (GetRValue(face) << 16) | (GetGValue(face) << 8) | GetBValue(face);
    CHECK(c.at(50, 10) == faceRgb);  // above the picture: the default background
    CHECK(c.at(50, 90) == faceRgb);
    auto redish = [](uint32_t px) { return ((px >> 16) & 0xff) > 160 && ((px >> 8) & 0xff) < 100; };
    auto bluish = [](uint32_t px) { return (px & 0xff) > 150 && ((px >> 16) & 0xff) < 100; };
    CHECK(redish(c.at(10, 35)));  // top-left quadrant of a 100 x 50 picture at y 25
    CHECK(bluish(c.at(90, 35)));
    ArgRecord r = {};
    REQUIRE(pic->ReadProperty(2, &r));
    CHECK(r.type == kByteSet);
    CHECK(ByteSetBlockLength(reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(r.value))) == static_cast<int32_t>(pd.Picture.size()));
    FreeMemory(reinterpret_cast<void*>(static_cast<uintptr_t>(r.value)));

    Unit* status = CreateTestUnit(kTypeStatusBar, StatusBarBlob(StatusBarData()), host, 0, 250, 400, 20, 0x16770062);
    REQUIRE(status);
    wchar_t cls[64] = L"";
    GetClassNameW(status->hwnd, cls, 64);
    CHECK(std::wstring(cls) == STATUSCLASSNAMEW);
    for (Unit* u : {label, pic, status}) DeleteUnit(u);
    DestroyWindow(host);
}

namespace {
struct FaceRequest {
    Unit* unit;
    UINT state;
    bool hover;
};
void DrawFace(HDC dc, const RECT& rc, void* context) {
    FaceRequest* f = static_cast<FaceRequest*>(context);
    PaintSuperButton(f->unit, dc, rc, f->state, f->hover);
}
// Columns that hold a pixel of the given colour.
std::vector<int> ColumnsWith(const Capture& c, bool (*match)(uint32_t)) {
    std::vector<int> columns;
    for (int x = 0; x < c.width; ++x)
        for (int y = 0; y < c.height; ++y)
            if (match(c.at(x, y))) {
                columns.push_back(x);
                break;
            }
    return columns;
}
bool IsChevron(uint32_t px) { return px == kChevronGrey; }
bool IsRed(uint32_t px) { return px == 0xff0000; }
bool IsText(uint32_t px) { return px == 0x000000; }
}  // namespace

TEST_CASE("super button: caption as window text, clicks, toggling") {
    EventRecorder events;
    HWND host = CreateHostWindow(L"super", 300, 200);
    SuperBtnData d;
    d.caption = "加密解密";
    d.CheckBox = 1;
    Unit* button = CreateTestUnit(kTypeSuperBtn, SuperBtnBlob(d), host, 5, 5, 90, 24, 0x16770070);
    REQUIRE(button);
    CHECK(Utf8(WindowTextW(button->hwnd)) == u8"加密解密");
    CHECK((Style(button) & BS_TYPEMASK) == BS_OWNERDRAW);
    const int kChecked = 2, kCaption = 14;
    CHECK(ReadInt(button, kChecked) == 0);
    SendMessageW(button->hwnd, BM_CLICK, 0, 0);
    CHECK(events.Count(0x16770070, 0) == 1);
    CHECK(ReadInt(button, kChecked) == 1);
    SendMessageW(button->hwnd, BM_CLICK, 0, 0);
    CHECK(events.Count(0x16770070, 0) == 2);
    CHECK(ReadInt(button, kChecked) == 0);
    CHECK(button->PropertyChanged(kCaption, TextValue("交换↑↓")));
    CHECK(Utf8(WindowTextW(button->hwnd)) == u8"交换↑↓");
    CHECK(ReadText(button, kCaption) == "交换↑↓");
    DeleteUnit(button);
    DestroyWindow(host);
}

TEST_CASE("super button: pictures by state, right of the caption for AlignStyle 2") {
    EventRecorder events;
    HWND host = CreateHostWindow(L"faces", 300, 200);
    SuperBtnData d;
    d.caption = "取哈希值";
    d.font = LogFontBlob(-12, 400, 134, "");
    d.font[26] = NONANTIALIASED_QUALITY;  // caption pixels in the caption colour only
    d.AlignStyle = 2;
    d.DefaultColor = 1;
    d.PicOut = EncodePng(16, 16, ChevronPixels());
    Unit* noIn = CreateTestUnit(kTypeSuperBtn, SuperBtnBlob(d), host, 5, 5, 100, 24, 0x16770080);
    // A red square on white: the top-left pixel's white is the default transparent colour.
    std::vector<uint32_t> square(256, 0xffff0000u);
    for (int i = 0; i < 16; ++i) square[i] = square[15 * 16 + i] = square[i * 16] = square[i * 16 + 15] = 0xffffffffu;
    d.PicIn = EncodePng(16, 16, square);
    Unit* withIn = CreateTestUnit(kTypeSuperBtn, SuperBtnBlob(d), host, 5, 40, 100, 24, 0x16770081);
    REQUIRE(noIn);
    REQUIRE(withIn);

    FaceRequest out = {noIn, 0, false}, over = {noIn, 0, true};
    Capture outFace = RenderOffscreen(100, 24, 0, DrawFace, &out);
    Capture overFace = RenderOffscreen(100, 24, 0, DrawFace, &over);
    for (const Capture* c : {&outFace, &overFace}) {
        std::vector<int> chevron = ColumnsWith(*c, IsChevron), text = ColumnsWith(*c, IsText);
        REQUIRE_FALSE(chevron.empty());  // without PicIn the mouse-over face shows PicOut
        REQUIRE_FALSE(text.empty());
        CHECK(chevron.front() > text.back());  // the picture right of the caption
    }
    FaceRequest withInOver = {withIn, 0, true}, withInOut = {withIn, 0, false};
    Capture red = RenderOffscreen(100, 24, 0, DrawFace, &withInOver);
    CHECK_FALSE(ColumnsWith(red, IsRed).empty());
    CHECK(ColumnsWith(red, IsChevron).empty());
    Capture grey = RenderOffscreen(100, 24, 0, DrawFace, &withInOut);
    CHECK(ColumnsWith(grey, IsRed).empty());
    CHECK_FALSE(ColumnsWith(grey, IsChevron).empty());

    // Disabled without PicDisabled: a generated, lighter picture; neither of the others.
    FaceRequest disabled = {withIn, ODS_DISABLED, true};
    Capture off = RenderOffscreen(100, 24, 0, DrawFace, &disabled);
    CHECK(ColumnsWith(off, IsRed).empty());
    CHECK(ColumnsWith(off, IsChevron).empty());
    DeleteUnit(noIn);
    DeleteUnit(withIn);
    DestroyWindow(host);
}

TEST_CASE("super button: DefaultColor 1 ignores the six colours") {
    EventRecorder events;
    HWND host = CreateHostWindow(L"colours", 300, 200);
    SuperBtnData d;
    d.BkColorOut = 0x0000ff;  // red in COLORREF
    d.DefaultColor = 1;
    Unit* system = CreateTestUnit(kTypeSuperBtn, SuperBtnBlob(d), host, 5, 5, 60, 24, 0x16770090);
    d.DefaultColor = 0;
    Unit* own = CreateTestUnit(kTypeSuperBtn, SuperBtnBlob(d), host, 5, 40, 60, 24, 0x16770091);
    FaceRequest a = {system, 0, false}, b = {own, 0, false};
    Capture sc = RenderOffscreen(60, 24, 0, DrawFace, &a), oc = RenderOffscreen(60, 24, 0, DrawFace, &b);
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    CHECK(sc.at(30, 12) == ((GetRValue(face) << 16) | (GetGValue(face) << 8) | GetBValue(face)));
    CHECK(oc.at(30, 12) == 0xff0000u);
    DeleteUnit(system);
    DeleteUnit(own);
    DestroyWindow(host);
}

namespace {
struct DestroyWatch {
    static HANDLE oldProcAtDestroy, maskAtDestroy;
    static bool sawDestroy;
};
HANDLE DestroyWatch::oldProcAtDestroy = nullptr;
HANDLE DestroyWatch::maskAtDestroy = nullptr;
bool DestroyWatch::sawDestroy = false;

LRESULT CALLBACK WatchedProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        DestroyWatch::sawDestroy = true;
        DestroyWatch::oldProcAtDestroy = GetPropW(hwnd, kMenuExOldProcProperty);
        DestroyWatch::maskAtDestroy = GetPropW(hwnd, kMenuExMaskProperty);
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

const void* ProcOf(HWND h) { return reinterpret_cast<const void*>(GetWindowLongPtrW(h, GWLP_WNDPROC)); }
const void* Addr(WNDPROC p) { return reinterpret_cast<const void*>(p); }

HWND WatchedWindow(bool withMenu) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = WatchedProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"WhtUnitsWatched";
        RegisterClassW(&wc);
        registered = true;
    }
    HMENU bar = nullptr;
    if (withMenu) {
        bar = CreateMenu();
        HMENU popup = CreatePopupMenu();
        AppendMenuW(popup, MF_STRING, 20001, L"作者");
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), L"关于作者");
    }
    HWND h = CreateWindowExW(0, L"WhtUnitsWatched", L"menu", WS_POPUP | WS_BORDER, 30, 30, 300, 200, nullptr, bar,
                             GetModuleHandleW(nullptr), nullptr);
    ShowWindow(h, SW_SHOWNOACTIVATE);
    return h;
}
}  // namespace

TEST_CASE("super menu: subclasses once, only windows with a menu bar, and cleans up") {
    EventRecorder events;
    OwnerDrawRequests requests;
    HWND plain = WatchedWindow(false);
    Unit* none = CreateTestUnit(kTypeSupperMenu, Blob(), plain, 600, 304, 56, 32, 0x167700a0, false);
    REQUIRE(none);
    CHECK(GetPropW(plain, kMenuExOldProcProperty) == nullptr);
    CHECK(ProcOf(plain) == Addr(WatchedProc));
    CHECK(requests.count() == 0);
    CHECK_FALSE(IsWindowVisible(none->hwnd));
    DeleteUnit(none);
    DestroyWindow(plain);

    HWND window = WatchedWindow(true);
    SupperMenuData data;
    data.Font = LogFontBlob(-12, 400, 1, "Microsoft YaHei UI");
    data.FontFace = "Microsoft YaHei UI";
    Unit* first = CreateTestUnit(kTypeSupperMenu, SupperMenuBlob(data), window, 600, 304, 56, 32, 0x167700a1, false);
    REQUIRE(first);
    ShowWindow(first->hwnd, SW_SHOWNA);  // never visible, whoever asks
    CHECK_FALSE(IsWindowVisible(first->hwnd));
    const void* subclassed = ProcOf(window);
    CHECK(subclassed != Addr(WatchedProc));
    CHECK(GetPropW(window, kMenuExOldProcProperty) == reinterpret_cast<HANDLE>(WatchedProc));
    CHECK(GetPropW(window, kMenuExMaskProperty) != nullptr);
    CHECK(requests.count() == 1);

    // The bar is owner-drawn and keeps its text.
    HMENU bar = GetMenu(window);
    MENUITEMINFOW mi = {};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_FTYPE | MIIM_STRING;
    wchar_t caption[32] = L"";
    mi.dwTypeData = caption;
    mi.cch = 32;
    REQUIRE(GetMenuItemInfoW(bar, 0, TRUE, &mi));
    CHECK((mi.fType & MFT_OWNERDRAW) != 0);
    CHECK(Utf8(caption) == u8"关于作者");
    MEASUREITEMSTRUCT measure = {};
    measure.CtlType = ODT_MENU;
    MENUITEMINFOW data0 = {};
    data0.cbSize = sizeof data0;
    data0.fMask = MIIM_DATA | MIIM_ID;
    GetMenuItemInfoW(bar, 0, TRUE, &data0);
    measure.itemID = data0.wID;
    measure.itemData = data0.dwItemData;
    CHECK(SendMessageW(window, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)) == TRUE);
    CHECK(measure.itemWidth > 20);
    CHECK(measure.itemHeight > 10);

    // Owner-drawn items lose the system's mnemonics; the unit answers them.
    HMENU popup = CreatePopupMenu();
    AppendMenuW(popup, MF_STRING, 20010, L"一键编码(&B)");
    AppendMenuW(popup, MF_STRING, 20011, L"一键解码(&J)");
    SendMessageW(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
    CHECK(GetPropW(window, kMenuExMenuShownProperty) == popup);
    CHECK(SendMessageW(window, WM_MENUCHAR, MAKEWPARAM('j', MF_POPUP), reinterpret_cast<LPARAM>(popup)) ==
          MAKELRESULT(1, MNC_EXECUTE));
    CHECK(SendMessageW(window, WM_MENUCHAR, MAKEWPARAM('B', MF_POPUP), reinterpret_cast<LPARAM>(popup)) ==
          MAKELRESULT(0, MNC_EXECUTE));
    CHECK(SendMessageW(window, WM_MENUCHAR, MAKEWPARAM('x', MF_POPUP), reinterpret_cast<LPARAM>(popup)) == 0);
    SendMessageW(window, WM_EXITMENULOOP, 0, 0);
    CHECK(GetPropW(window, kMenuExMenuShownProperty) == nullptr);
    DestroyMenu(popup);

    // A second super menu changes nothing.
    Unit* second = CreateTestUnit(kTypeSupperMenu, Blob(), window, 600, 304, 56, 32, 0x167700a2, false);
    REQUIRE(second);
    CHECK(ProcOf(window) == subclassed);
    CHECK(GetPropW(window, kMenuExOldProcProperty) == reinterpret_cast<HANDLE>(WatchedProc));
    CHECK(requests.count() == 1);

    // Theme 1 is a preset of nine colours.
    CHECK(first->PropertyChanged(0, Int(1)));
    const uint32_t preset[9] = {0xf7f8f9, 0xffefe3, 0xe4ae88, 0xc2eeff, 0xccf4ff, 0x9dd7ff, 0x800000, 0xcb8c6a, 0x8d8d8d};
    for (int i = 0; i < 9; ++i) CHECK(static_cast<uint32_t>(ReadInt(first, 1 + i)) == preset[i]);
    CHECK(static_cast<uint32_t>(ReadInt(first, 10)) == 0x00ffffffu);  // the tenth is not part of it

    // On WM_DESTROY the properties are gone before the window's own procedure sees it.
    DestroyWatch::sawDestroy = false;
    DestroyWatch::oldProcAtDestroy = DestroyWatch::maskAtDestroy = reinterpret_cast<HANDLE>(1);
    DestroyWindow(window);
    CHECK(DestroyWatch::sawDestroy);
    CHECK(DestroyWatch::oldProcAtDestroy == nullptr);
    CHECK(DestroyWatch::maskAtDestroy == nullptr);
    DeleteUnit(first);
    DeleteUnit(second);
}

TEST_CASE("super menu: a unit deleted while its window lives gives the window back") {
    EventRecorder events;
    OwnerDrawRequests requests;
    HWND window = WatchedWindow(true);
    Unit* menu = CreateTestUnit(kTypeSupperMenu, Blob(), window, 0, 0, 10, 10, 0x167700b0, false);
    REQUIRE(menu);
    CHECK(ProcOf(window) != Addr(WatchedProc));
    DeleteUnit(menu);
    CHECK(ProcOf(window) == Addr(WatchedProc));
    CHECK(GetPropW(window, kMenuExOldProcProperty) == nullptr);
    MENUITEMINFOW mi = {};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_FTYPE;
    REQUIRE(GetMenuItemInfoW(GetMenu(window), 0, TRUE, &mi));
    CHECK((mi.fType & MFT_OWNERDRAW) == 0);
    Pump(50);  // messages still arrive and reach the window's own procedure
    DestroyWindow(window);
}

TEST_CASE("super button: a focus mark without DrawFocus once the keyboard is in use") {
    EventRecorder events;
    HWND host = CreateHostWindow(L"focus", 300, 200);
    SuperBtnData d;
    d.caption = "加密解密";  // DrawFocus 0
    Unit* button = CreateTestUnit(kTypeSuperBtn, SuperBtnBlob(d), host, 5, 5, 72, 24, 0x16770090);
    REQUIRE(button);
    // The focus rectangle runs 3 pixels inside the edge: the pixels of that row that differ
    // from the face of the button without the focus.
    FaceRequest focused = {button, ODS_FOCUS, false}, plain = {button, 0, false};
    Capture without = RenderOffscreen(72, 24, 0, DrawFace, &plain);
    auto marks = [&](FaceRequest* face) {
        Capture c = RenderOffscreen(72, 24, 0, DrawFace, face);
        int n = 0;
        for (int x = 0; x < c.width; ++x) n += c.at(x, 3) != without.at(x, 3);
        return n;
    };
    HideKeyboardCues(host);
    CHECK(marks(&focused) == 0);
    ShowKeyboardCues(host);
    CHECK(KeyboardCuesShown(button->hwnd));
    CHECK(marks(&focused) > 10);
    CHECK(marks(&plain) == 0);
    DeleteUnit(button);
    DestroyWindow(host);
}
