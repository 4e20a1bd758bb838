// The one way out of the process: exit routines, library hooks, late-bound modules, open
// files, the hidden owner window, OLE, then ExitProcess.
#pragma once
#include <cstdint>

typedef void (*ExitRoutine)(int index);
// Listed once: a routine already listed is not added again. Routines run in the order they
// were listed, each with its index (from 0).
void AddExitRoutine(ExitRoutine routine);
// After a runtime error the exit routines do not run.
void DropExitRoutines();

// Clean-up of other parts of the runtime (icons, caches ...). Steps run newest first, after the
// open files are closed and before the hidden owner window goes.
void AddExitStep(void (*step)());

bool ExitInProgress();

// On another thread than the start-up thread the request goes to the start-up thread, which
// runs the exit path; the process ends either way.
[[noreturn]] void ExitRuntime(int exitCode);

// For the host's ExitRuntime: BeginExit is false when the exit path already runs; the
// sequence runs the exit routines, the library hooks, frees the late-bound modules, closes
// the open files and runs the steps.
bool BeginExit();
void RunExitSequence();
