// The command runner on the program's real main window, in this process.
#include <windows.h>

#include <string>

#include "engine/crc32_rc4.h"
#include "runtime/library.h"
#include "runtime/memory.h"
#include "shell/command_queue.h"
#include "shell/handlers.h"
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
