// The program's entry: start up, then run the message loop until the last window is gone.
#include <windows.h>

#include "runtime/runtime_services.h"
#include "shell/program.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    StartProgram();
    RuntimeServices().RunMessageLoop();
    return 0;
}
