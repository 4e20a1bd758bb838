// Single actions on a running program, for the screenshot script: each runs as
// `test_e2e.exe --child=NAME`, does one thing to the program and returns.
#include "program_driver.h"
#include "test_support.h"

namespace {
ProgramDriver Attached() {
    ProgramDriver p;
    for (int i = 0; i < 200 && !p.Attach(); ++i) Sleep(50);
    return p;
}

void ShowGroup(int button) {
    ProgramDriver p = Attached();
    p.Click(button);
}

void OpenMenu(int button) {
    ProgramDriver p = Attached();
    p.SetInput("文汇通");
    p.PostClick(button);
}
}  // namespace

CHILD_CASE(shot_encoding_group) { ShowGroup(ids::按钮_编码处理); }
CHILD_CASE(shot_base_group) {
    ProgramDriver p = Attached();
    p.Click(ids::按钮_进制计算);
    p.SetInput("255");
    p.Click(ids::单选框_十进制);
}
CHILD_CASE(shot_case_group) {
    ProgramDriver p = Attached();
    p.Click(ids::按钮_转大小写);
    p.SetInput("abc文汇通");
    p.Click(ids::单选框_字母转大写);
}
CHILD_CASE(shot_menu_1) { OpenMenu(ids::超级按钮_加密解密); }
CHILD_CASE(shot_menu_2) { OpenMenu(ids::超级按钮_文汇通1); }
CHILD_CASE(shot_menu_3) { OpenMenu(ids::超级按钮_文汇通2); }
CHILD_CASE(shot_menu_4) { OpenMenu(ids::超级按钮_取哈希值); }
CHILD_CASE(shot_menu_5) { OpenMenu(ids::超级按钮_一键解码); }
CHILD_CASE(shot_file_menu) {
    ProgramDriver p = Attached();
    PostMessageW(p.main(), WM_SYSCOMMAND, SC_KEYMENU, 'f');  // as Alt+F
}
CHILD_CASE(shot_close_menu) {
    ProgramDriver p = Attached();
    if (HWND menu = FindProcessWindow(p.processId(), L"#32768", true)) PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    Sleep(300);
    p.Click(ids::按钮_编码处理1);
}
CHILD_CASE(shot_about) {
    ProgramDriver p = Attached();
    PostMessageW(p.main(), WM_COMMAND, MAKEWPARAM(MenuCommand("作者"), 0), 0);
}
CHILD_CASE(shot_quit) {
    ProgramDriver p = Attached();
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == p.processId() && w != p.main() && IsWindowVisible(w)) PostMessageW(w, WM_CLOSE, 0, 0);
    }
    Sleep(300);
    PostMessageW(p.main(), WM_CLOSE, 0, 0);
}
