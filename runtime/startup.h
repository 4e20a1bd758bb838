// Runtime initialisation (RuntimeService 6) and the state it leaves for the rest of the runtime.
#pragma once
#include <cstdint>
#include <string>

#include "program_header.h"

// Runs the start-up steps once, in order: heap, OLE, current directory, hidden owner window,
// start-up thread, constant area, late-bound slots, library hooks, form data. Later calls do
// nothing. Null: the program's own header.
void InitialiseRuntime(const ProgramHeader* header);
bool RuntimeInitialised();

// The running executable's directory (no trailing backslash) and file name. Before start-up
// they are read on first use without changing the current directory.
const wchar_t* ProgramDirectory();
const wchar_t* ProgramFileName();
// The host's way to read them (once, on first use).
void ReadExecutablePath(std::wstring* directory, std::wstring* fileName);

void* RuntimeOwnerWindow();  // null before start-up
uint32_t StartupThreadId();  // 0 before start-up
int32_t ProgramBuildKind();
int32_t ProgramHeaderWord1();
int32_t ProgramHeaderWord2();  // as stored: the header's word plus one

// The window framework's step 9: read the form data and relocate its handler offsets.
// Returning false is the fatal error "载入窗口模板数据段出错!".
typedef bool (*FormDataLoader)(const uint8_t* data, uint32_t length, uintptr_t codeBase);
void SetFormDataLoader(FormDataLoader loader);

// Sent to the hidden owner window by a thread that ends the process.
const uint32_t kExitRequestMessage = 0x83E7;

// For the host's InitialiseRuntime: BeginStartup is false when start-up has run before, and
// keeps the header (null: the program's own) and its words; FinishStartup runs steps 6-9.
bool BeginStartup(const ProgramHeader* header);
void FinishStartup();

// Pieces of the exit path (exit_path.cpp).
void NotifyLibraries(int32_t code);
void CloseRuntimeFrame();  // destroys the hidden owner window, uninitialises OLE
