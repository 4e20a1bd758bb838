// What every host's exit path runs before the process ends, in this order.
#include <atomic>
#include <vector>

#include "dll_commands.h"
#include "exit_path.h"
#include "notify.h"
#include "startup.h"

namespace {
std::vector<ExitRoutine> g_routines;
std::vector<void (*)()> g_steps;
std::atomic<bool> g_exiting{false};
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

bool ExitInProgress() { return g_exiting.load(); }

bool BeginExit() { return !g_exiting.exchange(true); }

void RunExitSequence() {
    for (size_t i = 0; i < g_routines.size(); ++i) g_routines[i](static_cast<int>(i));
    NotifyLibraries(6);
    FreeDllCommands();
    RuntimeNotify(kNotifyCloseAllFiles, 0, 0);
    for (size_t i = g_steps.size(); i-- > 0;) g_steps[i]();
}
