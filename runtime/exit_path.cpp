#include "exit_path.h"

#include <windows.h>

namespace {
const int kMaxRoutines = 32;
ExitRoutine g_routines[kMaxRoutines];
int g_routineCount = 0;
void (*g_steps[kMaxRoutines])();
int g_stepCount = 0;
volatile LONG g_exiting = 0;
}  // namespace

void AddExitRoutine(ExitRoutine routine) {
    for (int i = 0; i < g_routineCount; ++i)
        if (g_routines[i] == routine) return;
    if (g_routineCount < kMaxRoutines) g_routines[g_routineCount++] = routine;
}

void DropExitRoutines() { g_routineCount = 0; }

void AddExitStep(void (*step)()) {
    if (g_stepCount < kMaxRoutines) g_steps[g_stepCount++] = step;
}

void ExitRuntime(int exitCode) {
    if (InterlockedExchange(&g_exiting, 1) == 0) {
        for (int i = 0; i < g_routineCount; ++i) g_routines[i](i);
        // Later steps undo earlier start-up work, so run them newest first.
        for (int i = g_stepCount - 1; i >= 0; --i) g_steps[i]();
    }
    ExitProcess(static_cast<UINT>(exitCode));
}
