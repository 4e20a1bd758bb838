// The command runner on the program's real main window, in this process.
#include <windows.h>

#include <string>

#include "engine/crc32_rc4.h"
#include "engine/service_failure.h"
#include "runtime/library.h"
#include "runtime/memory.h"
#include "shell/command_queue.h"
#include "shell/handlers.h"
#include "shell/main_window.h"
#include "shell/program.h"
#include "shell/unit_access.h"
#include "test_support.h"
#include "ui/wide_text.h"

TEST_CASE("a command that runs out of memory ends with a prompt, and the program goes on") {
    StartProgram();
    std::wstring input(1 << 20, L'a');
    wht::WriteInputWide(U(input));
    wht::WriteOutput("old");
    CountBlockBytes();
    // Far less than the one-click report of a megabyte needs, far more than reading it.
    SetBlockBytesLimit(LiveBlockBytes() + 12 * 1024 * 1024);
    wht::菜单_一键编码_被选择();
    SetBlockBytesLimit(0);
    CHECK(W(wht::ReadOutputWide()) == GbkToWide(wht::kOutOfMemoryPrompt));
    CHECK(W(wht::ReadInputWide()) == input);
    CHECK_FALSE(wht::CommandRunning());

    wht::菜单_取crc32_被选择();
    ByteSetVar bytes = ToByteSet(std::string(1 << 20, 'a').c_str());
    CHECK(S(wht::ReadOutput()) == S(Crc32Hex(bytes)));
}

TEST_CASE("a text set from outside that the box cannot hold is refused, and the status bar says why") {
    StartProgram();
    wht::WriteInput("keep");
    HWND input = GetDlgItem(FindWindowW(nullptr, L"文汇通 v1.0"), 110);
    const int32_t kMaxLength = 14;
    wht::WriteInt(wht::k编辑框_QZ输入, kMaxLength, 5);
    CHECK(SendMessageW(input, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"123456")) == FALSE);
    CHECK(S(wht::ReadInput()) == "keep");
    CHECK(S(wht::ReadText(wht::k状态条1, wht::kPropStatusText)) ==
          "提示：这段6个字符的文字太长，输入框放不下，没有放入；输入框的内容没有改动。");
    CHECK(SendMessageW(input, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"12345")) == TRUE);
    CHECK(S(wht::ReadInput()) == "12345");
    wht::WriteInt(wht::k编辑框_QZ输入, kMaxLength, 0);
}

TEST_CASE("swap is all or nothing, whatever memory allows it") {
    StartProgram();
    const std::wstring a = std::wstring(40000, L'a') + L"中", b(50000, L'b');
    int swapped = 0, kept = 0;
    for (int step = 0; step < 48; ++step) {
        wht::WriteInputWide(U(a));
        wht::WriteOutputWide(U(b));
        CountBlockBytes();
        SetBlockBytesLimit(LiveBlockBytes() + step * 16 * 1024);
        wht::超级按钮_交换上下_被单击();
        SetBlockBytesLimit(0);
        std::wstring in = W(wht::ReadInputWide()), out = W(wht::ReadOutputWide());
        CAPTURE(step);
        if (in == b && out == a) {
            ++swapped;
        } else {
            CHECK(in == a);
            CHECK(out == b);
            CHECK(S(wht::ReadText(wht::k状态条1, wht::kPropStatusText)) == wht::kOutOfMemoryPrompt);
            ++kept;
        }
    }
    // Both ends were reached, so the limits in between tried every step of the swap.
    CHECK(swapped > 0);
    CHECK(kept > 0);
}

TEST_CASE("a failing system service is told where the command shows its prompt") {
    StartProgram();
    wht::WriteInput("keep");
    for (wht::PromptPlace place : {wht::PromptPlace::kOutputBox, wht::PromptPlace::kStatusBar}) {
        wht::WriteOutput("old");
        wht::RunCommand([] { NoteServiceFailure("系统的脚本引擎"); }, place);
        const std::string prompt = "提示：系统的脚本引擎出错，这项转换没能做完。输入框的内容没有改动。";
        bool inBox = place == wht::PromptPlace::kOutputBox;
        CHECK(S(wht::ReadOutput()) == (inBox ? prompt : "old"));
        CHECK(S(wht::ReadText(wht::k状态条1, wht::kPropStatusText)) == (inBox ? "" : prompt));
        CHECK(S(wht::ReadInput()) == "keep");
    }
}

TEST_CASE("a close asked for during a command drops the commands waiting behind it") {
    // Once the waiting ones still ran when the command ended without another progress turn.
    StartProgram();
    static int ran;
    ran = 0;
    wht::RunCommand([] {
        wht::RunCommand([] { ++ran; });
        wht::CloseWhenIdle();
    });
    CHECK(ran == 0);
    CHECK_FALSE(wht::CommandRunning());
    MSG closing;
    CHECK(PeekMessageW(&closing, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE));  // the close comes after
}
