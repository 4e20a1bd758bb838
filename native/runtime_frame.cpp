// The runtime's frame on a native host: start-up, the event pump, the exit path and the
// clipboard commands, for a program without windows. What is kept is what the engine and
// a console program rely on: the program's path, exit routines and steps run once in their
// order, and a fatal report ending the process with -1.
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "runtime/call_command.h"
#include "runtime/commands.h"
#include "runtime/commands_file.h"
#include "runtime/exit_path.h"
#include "runtime/message_loop.h"
#include "runtime/startup.h"
#include "runtime/values.h"

namespace {
int32_t g_suspension = 0;

std::wstring Widen(const std::string& s) {
    // File names are bytes; each becomes one wide character, so that nothing is lost.
    std::wstring w;
    for (unsigned char c : s) w += static_cast<wchar_t>(c);
    return w;
}
}  // namespace

// A native program keeps the current directory it was started in: its arguments name files
// relative to it, and it has no files of its own beside it to find.
void InitialiseRuntime(const ProgramHeader* header) {
    if (!BeginStartup(header)) return;
    ProgramDirectory();  // read now: /proc/self/exe names a replaced program "... (deleted)"
    FinishStartup();
}

void ReadExecutablePath(std::wstring* directory, std::wstring* fileName) {
    char buffer[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    std::string path = n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
    size_t cut = path.rfind('/');
    *directory = Widen(cut == std::string::npos ? std::string() : path.substr(0, cut));
    *fileName = Widen(cut == std::string::npos ? path : path.substr(cut + 1));
}

void* RuntimeOwnerWindow() { return nullptr; }
uint32_t StartupThreadId() { return 0; }
void CloseRuntimeFrame() {}

// ---- The event pump: no windows, so no messages wait; the suspension count is kept.
namespace cmd {
LIBRARY_COMMAND(ProcessEvents) {}
}  // namespace cmd
void ProcessEvents() { CallCommand(cmd::ProcessEvents, 0, nullptr); }
void RunMessageLoop() {}
bool MessageLoopRunning() { return false; }
void SetWindowAliveQuery(bool (*)()) {}
void WindowCreated() {}
void WindowDestroyed() {}
bool AnyWindowLoaded() { return false; }
void AddIdleCallback(void*, IdleRoutine, uint32_t) {}
void RemoveIdleCallback(void*, IdleRoutine, uint32_t) {}
void SetIdleStep(bool (*)(long)) {}
void SetMessageFilter(bool (*)(void*)) {}
void SuspendEventDispatch() { ++g_suspension; }
void ResumeEventDispatch() {
    if (g_suspension > 0) --g_suspension;
}
int32_t EventDispatchSuspension() { return g_suspension; }

// ---- The exit path.
void ExitRuntime(int exitCode) {
    // Ending again from inside the exit path ends at once.
    if (!BeginExit()) _exit(exitCode);
    RunExitSequence();
    fflush(nullptr);
    _exit(exitCode);
}

// ---- The clipboard: a program without windows has none; it reads as empty and takes nothing.
namespace cmd {
LIBRARY_COMMAND(GetClipboardText) {
    result->value = 0;
    result->type = kText;
}
LIBRARY_COMMAND(SetClipboardText) {
    result->value = 0;
    result->type = kBool;
}
LIBRARY_COMMAND(GetClipboardUnits) {
    result->value = 0;
    result->type = kByteSet;
}
LIBRARY_COMMAND(SetClipboardUnits) {
    result->value = 0;
    result->type = kBool;
}
}  // namespace cmd
