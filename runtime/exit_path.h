// The one way out of the process: exit routines, library hooks, modules, OLE, then exit.
#pragma once
#include <cstdint>

typedef void (*ExitRoutine)(int index);
// Listed once: a routine already listed is not added again.
void AddExitRoutine(ExitRoutine routine);
void DropExitRoutines();

// Steps of the exit path that belong to other parts of the runtime register here
// (freeing late-bound modules, closing files, destroying the hidden window ...).
void AddExitStep(void (*step)());

[[noreturn]] void ExitRuntime(int exitCode);
