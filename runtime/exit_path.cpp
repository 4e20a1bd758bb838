#include "exit_path.h"

#include <windows.h>

#include "startup.h"

namespace {
[[noreturn]] void ExitFromOtherThread(int exitCode) {
    HWND owner = static_cast<HWND>(RuntimeOwnerWindow());
    if (!ExitInProgress() && owner) {
        // The start-up thread ends the process while handling this. The time-out only matters
        // when that thread no longer takes messages (it may be waiting for this one).
        DWORD_PTR answer;
        SendMessageTimeoutW(owner, kExitRequestMessage, static_cast<WPARAM>(exitCode), 0,
                            SMTO_NOTIMEOUTIFNOTHUNG, 10000, &answer);
    }
    if (!ExitInProgress()) ExitProcess(static_cast<UINT>(exitCode));
    // The exit path is running on the start-up thread and ends the process.
    for (;;) Sleep(INFINITE);
}
}  // namespace

void ExitRuntime(int exitCode) {
    DWORD startup = StartupThreadId();
    if (startup != 0 && GetCurrentThreadId() != startup) ExitFromOtherThread(exitCode);
    // Ending again from inside the exit path (an exit routine or hook) ends at once.
    if (!BeginExit()) ExitProcess(static_cast<UINT>(exitCode));
    RunExitSequence();
    CloseRuntimeFrame();
    ExitProcess(static_cast<UINT>(exitCode));
}
