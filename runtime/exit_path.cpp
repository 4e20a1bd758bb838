#include "exit_path.h"

#include <windows.h>

#include <vector>

#include "dll_commands.h"
#include "notify.h"
#include "startup.h"

namespace {
std::vector<ExitRoutine> g_routines;
std::vector<void (*)()> g_steps;
volatile LONG g_exiting = 0;

[[noreturn]] void ExitFromOtherThread(int exitCode) {
    HWND owner = static_cast<HWND>(RuntimeOwnerWindow());
    if (!g_exiting && owner) {
        // The start-up thread ends the process while handling this. The time-out only matters
        // when that thread no longer takes messages (it may be waiting for this one).
        DWORD_PTR answer;
        SendMessageTimeoutW(owner, kExitRequestMessage, static_cast<WPARAM>(exitCode), 0,
                            SMTO_NOTIMEOUTIFNOTHUNG, 10000, &answer);
    }
    if (!g_exiting) ExitProcess(static_cast<UINT>(exitCode));
    // The exit path is running on the start-up thread and ends the process.
    for (;;) Sleep(INFINITE);
}
}  // namespace

void AddExitRoutine(ExitRoutine routine) {
    if (!routine) return;
    for (ExitRoutine r : g_routines)
        if (r == routine) return;
    g_routines.push_back(routine);
}

void DropExitRoutines() { g_routines.clear(); }

void AddExitStep(void (*step)()) {
    if (step) g_steps.push_back(step);
}

bool ExitInProgress() { return g_exiting != 0; }

void ExitRuntime(int exitCode) {
    DWORD startup = StartupThreadId();
    if (startup != 0 && GetCurrentThreadId() != startup) ExitFromOtherThread(exitCode);
    // Ending again from inside the exit path (an exit routine or hook) ends at once.
    if (InterlockedExchange(&g_exiting, 1) != 0) ExitProcess(static_cast<UINT>(exitCode));

    for (size_t i = 0; i < g_routines.size(); ++i) g_routines[i](static_cast<int>(i));
    NotifyLibraries(6);
    FreeDllCommands();
    RuntimeNotify(kNotifyCloseAllFiles, 0, 0);
    for (size_t i = g_steps.size(); i-- > 0;) g_steps[i]();
    CloseRuntimeFrame();
    ExitProcess(static_cast<UINT>(exitCode));
}
