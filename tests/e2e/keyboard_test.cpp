// The keyboard as a user's key strokes reach the program: posted into its queue, taken by
// its own message loop (and its dialog-message filter), never sent straight to a window.
#include <string>
#include <vector>

#include "program_driver.h"
#include "test_support.h"

namespace {
HWND MenuWindow(ProgramDriver& p) { return FindProcessWindow(p.processId(), L"#32768", true); }

bool ProgramRunning(ProgramDriver& p) { return WaitForSingleObject(p.process(), 0) == WAIT_TIMEOUT && IsWindow(p.main()); }

std::vector<int> GroupControls(int groupButton) {
    switch (groupButton) {
    case ids::按钮_进制计算:
        return {ids::单选框_二进制, ids::单选框_八进制, ids::单选框_十进制, ids::单选框_十六进制, ids::单选框_进制转文本,
                ids::单选框_文本转进制};
    case ids::按钮_转大小写:
        return {ids::单选框_字母转大写, ids::单选框_字母转小写, ids::单选框_数字转大写};
    default:
        return {ids::超级按钮_加密解密, ids::超级按钮_文汇通1, ids::超级按钮_文汇通2, ids::超级按钮_取哈希值,
                ids::超级按钮_交换上下, ids::超级按钮_一键解码};
    }
}

bool FocusOn(ProgramDriver& p, int id) {
    return WaitFor([&] { return p.Focus() == p.Control(id); }, 2000);
}

// Tab (with the modifiers given) until the control has the focus.
bool TabTo(ProgramDriver& p, int id, int modifiers = 0) {
    for (int i = 0; i < 20; ++i) {
        if (p.Focus() == p.Control(id)) return true;
        p.PostKey(VK_TAB, modifiers);
    }
    return FocusOn(p, id);
}

bool CuesShown(ProgramDriver& p) { return GetPropW(p.main(), L"WenHuiTong.KeyboardCues") != nullptr; }
}  // namespace

TEST_CASE("a new window hides focus marks until the keyboard is used") {
    ProgramDriver& p = Program();
    CHECK_FALSE(CuesShown(p));
    p.PostMouseClick(ids::编辑框_QZ输入);
    CHECK_FALSE(CuesShown(p));
    p.PostKey(VK_TAB);
    CHECK(CuesShown(p));
}

TEST_CASE("Esc in either edit box neither closes the program nor touches its text") {
    ProgramDriver& p = Fresh();
    p.SetInput("中文 abc");
    p.Menu("RC4加密");
    const std::wstring input = p.InputWide(), output = p.OutputWide();
    REQUIRE_FALSE(output.empty());
    for (int box : {ids::编辑框_QZ输入, ids::编辑框_357输出}) {
        CAPTURE(box);
        p.PostMouseClick(box);
        REQUIRE(FocusOn(p, box));
        // A key the dialog manager hands the box first, as a user types before pressing Esc.
        p.PostKey(VK_END);
        p.PostKey(VK_ESCAPE);
        p.PostKey(VK_ESCAPE, MOD_SHIFT);
        Sleep(200);
        p.Settle();
        REQUIRE(ProgramRunning(p));
        CHECK(p.InputWide() == input);
        CHECK(p.OutputWide() == output);
        CHECK(p.Focus() == p.Control(box));
    }
}

TEST_CASE("Tab and Shift+Tab walk the controls in screen order, round the end") {
    const int groups[] = {ids::按钮_编码处理, ids::按钮_进制计算, ids::按钮_转大小写};
    for (int group : groups) {
        CAPTURE(group);
        ProgramDriver& p = Fresh();
        p.Click(group);
        std::vector<int> order = {ids::按钮_编码处理, ids::按钮_进制计算, ids::按钮_转大小写, ids::按钮_编码处理1,
                                  ids::编辑框_QZ输入};
        for (int c : GroupControls(group)) order.push_back(c);
        order.push_back(ids::编辑框_357输出);
        p.SetInput("12");
        p.PostMouseClick(ids::编辑框_QZ输入);
        REQUIRE(FocusOn(p, ids::编辑框_QZ输入));
        const size_t start = 4, n = order.size();
        for (size_t step = 1; step <= n; ++step) {
            p.PostKey(VK_TAB);
            CAPTURE(step);
            CHECK(FocusOn(p, order[(start + step) % n]));
        }
        for (size_t step = 1; step <= n; ++step) {
            p.PostKey(VK_TAB, MOD_SHIFT);
            CAPTURE(step);
            CHECK(FocusOn(p, order[(start + n - step) % n]));
        }
        // Passing over the radio boxes neither checked one nor ran its conversion; the
        // input box kept its text without a tab character.
        CHECK(p.Checked(ids::单选框_二进制));
        CHECK(p.OutputWide().empty());
        CHECK(p.InputWide() == L"12");
    }
}

TEST_CASE("Space and Enter on a focused super button open its menu; arrows and Enter choose") {
    struct Case {
        int key;
        int downs;
        const char* output;
    } cases[] = {{VK_SPACE, 1, "%D6%D0"}, {VK_RETURN, 3, "%E4%B8%AD"}};
    for (const Case& c : cases) {
        CAPTURE(c.key);
        ProgramDriver& p = Fresh();
        p.SetInput("中");
        p.PostMouseClick(ids::编辑框_QZ输入);
        REQUIRE(FocusOn(p, ids::编辑框_QZ输入));
        p.PostKey(VK_TAB);
        REQUIRE(FocusOn(p, ids::超级按钮_加密解密));
        CHECK(CuesShown(p));
        p.PostKey(c.key);
        REQUIRE(WaitFor([&] { return MenuWindow(p) != nullptr; }));
        for (int i = 0; i < c.downs; ++i) p.PostKey(VK_DOWN);
        p.PostKey(VK_RETURN);
        CHECK(WaitFor([&] { return Gbk(p.OutputWide()) == c.output; }));
        CHECK(WaitFor([&] { return MenuWindow(p) == nullptr; }));
        CHECK(p.InputWide() == L"中");
    }
}

TEST_CASE("Space and Enter run the buttons without a menu") {
    ProgramDriver& p = Fresh();
    p.SetInput("ab");
    REQUIRE(TabTo(p, ids::超级按钮_交换上下));
    p.PostKey(VK_SPACE);
    CHECK(p.InputWide().empty());
    CHECK(p.OutputWide() == L"ab");
    p.PostKey(VK_RETURN);
    CHECK(p.InputWide() == L"ab");
    CHECK(p.OutputWide().empty());
    REQUIRE(TabTo(p, ids::按钮_编码处理1, MOD_SHIFT));
    p.PostKey(VK_RETURN);
    CHECK(p.InputWide().empty());
    // A radio box runs its action from Space.
    p.SetInput("ff");
    p.Click(ids::按钮_进制计算);
    REQUIRE(TabTo(p, ids::单选框_十六进制));
    p.PostKey(VK_SPACE);
    CHECK(p.Checked(ids::单选框_十六进制));
    CHECK(p.OutputWide().find(L"十进制结果为：255") != std::wstring::npos);
}

TEST_CASE("Ctrl+A selects the whole text of either box") {
    ProgramDriver& p = Fresh();
    p.SetInput("abc中文");
    p.Menu("GB2312一UTF8");
    for (int box : {ids::编辑框_QZ输入, ids::编辑框_357输出}) {
        CAPTURE(box);
        p.PostMouseClick(box);
        HWND w = p.Control(box);
        SendMessageW(w, EM_SETSEL, 1, 1);
        p.PostKey('A', MOD_CONTROL);
        DWORD start = 9, end = 0;
        SendMessageW(w, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        CHECK(start == 0);
        CHECK(end == (box == ids::编辑框_QZ输入 ? p.InputWide() : p.OutputWide()).size());
    }
    CHECK(p.InputWide() == L"abc中文");
}

TEST_CASE("activating the disabled main window brings the about window forward") {
    ProgramDriver& p = Fresh();
    PostMessageW(p.main(), WM_COMMAND, MAKEWPARAM(MenuCommand("作者"), 0), 0);
    REQUIRE(WaitFor([&] { return !p.Enabled(p.main()); }));
    HWND about = nullptr;
    for (HWND w = GetTopWindow(nullptr); w && !about; w = GetWindow(w, GW_HWNDNEXT)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == p.processId() && w != p.main() && IsWindowVisible(w) && GetWindowTextLengthW(w) == 0) about = w;
    }
    REQUIRE(about);
    SetForegroundWindow(p.main());
    CHECK(WaitFor([&] { return GetForegroundWindow() == about; }));
    // Above the main window again.
    bool aboveMain = false;
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (w == about) aboveMain = true;
        if (w == p.main()) break;
    }
    CHECK(aboveMain);
    PostMessageW(about, WM_CLOSE, 0, 0);
    CHECK(WaitFor([&] { return p.Enabled(p.main()); }));
}
