// The program's entry sequence, shared by the executable and the tests that start the
// program's windows in their own process.
#pragma once
#include "ui/form_data.h"

extern const FormDataImage kProgramForm;

// Start-up in order: runtime initialisation, the start routine, the exit routine, the
// start window. Returns once the start window is loaded; the caller runs the message loop.
void StartProgram();
