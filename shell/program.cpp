#include "shell/program.h"

#include "runtime/runtime_services.h"
#include "shell/main_window.h"
#include "ui/window_loader.h"

namespace {
// The program keeps no global state: its start and exit routines have nothing to do.
int ProgramStartRoutine() { return 0; }
void ProgramExitRoutine(int) {}
}  // namespace

void StartProgram() {
    UseFormData(kProgramForm);
    InstallWindowFramework();
    const RuntimeServiceTable& services = RuntimeServices();
    services.RuntimeService(kServiceInitialise, 0, 0);
    ProgramStartRoutine();
    services.RuntimeService(kServiceAddExitRoutine, reinterpret_cast<uintptr_t>(&ProgramExitRoutine), 0);
    services.LoadStartWindow(wht::kMainWindow);
}
