// The runtime's frame on a native host: start-up, the event pump, the exit path and the
// clipboard commands, for a program without windows. What is kept is what the engine and
// a console program rely on: the program's path, exit routines and steps run once in their
// order, and a fatal report ending the process with -1.
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/call_command.h"
#include "runtime/commands.h"
#include "runtime/commands_file.h"
#include "runtime/memory.h"
#include "runtime/dll_commands.h"
#include "runtime/error_report.h"
#include "runtime/exit_path.h"
#include "runtime/message_loop.h"
#include "runtime/notify.h"
#include "runtime/startup.h"
#include "runtime/values.h"

namespace {
bool g_initialised = false;
const ProgramHeader* g_header = nullptr;
int32_t g_buildKind = 0, g_word1 = 0, g_word2 = 0;
FormDataLoader g_formLoader = nullptr;
bool g_pathKnown = false;
std::wstring g_directory, g_fileName;
std::vector<ExitRoutine> g_routines;
std::vector<void (*)()> g_steps;
bool g_exiting = false;
int32_t g_suspension = 0;

std::wstring Widen(const std::string& s) {
    // File names are bytes; each becomes one wide character, so that nothing is lost.
    std::wstring w;
    for (unsigned char c : s) w += static_cast<wchar_t>(c);
    return w;
}

void ReadProgramPath() {
    if (g_pathKnown) return;
    char buffer[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    std::string path = n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
    size_t cut = path.rfind('/');
    g_directory = Widen(cut == std::string::npos ? std::string() : path.substr(0, cut));
    g_fileName = Widen(cut == std::string::npos ? path : path.substr(cut + 1));
    g_pathKnown = true;
}
}  // namespace

// A native program keeps the current directory it was started in: its arguments name files
// relative to it, and it has no files of its own beside it to find.
void InitialiseRuntime(const ProgramHeader* header) {
    if (g_initialised) return;
    g_initialised = true;
    const ProgramHeader& h = header ? *header : TheProgramHeader();
    g_header = &h;
    g_buildKind = h.buildKind;
    g_word1 = h.word1;
    g_word2 = h.word2 + 1;
    ReadProgramPath();
    if (h.constantArea) SetConstantAreaBounds(h.constantArea, h.constantArea + h.constantAreaSize);
    SetUpDllCommands(h.dllCommandCount, h.dllLibraries, h.dllFunctions);
    NotifyLibraries(5);
    if (g_formLoader && !g_formLoader(h.formData, h.formDataSize, h.codeBase))
        RaiseFatalMessage("载入窗口模板数据段出错!");
}

bool RuntimeInitialised() { return g_initialised; }
const wchar_t* ProgramDirectory() {
    ReadProgramPath();
    return g_directory.c_str();
}
const wchar_t* ProgramFileName() {
    ReadProgramPath();
    return g_fileName.c_str();
}
void* RuntimeOwnerWindow() { return nullptr; }
uint32_t StartupThreadId() { return 0; }
int32_t ProgramBuildKind() { return g_buildKind; }
int32_t ProgramHeaderWord1() { return g_word1; }
int32_t ProgramHeaderWord2() { return g_word2; }
void SetFormDataLoader(FormDataLoader loader) { g_formLoader = loader; }

void NotifyLibraries(int32_t code) {
    if (!g_header || !g_header->libraries) return;
    for (int i = 0; i < g_header->libraryCount; ++i) {
        LibraryNotifyHook hook = g_header->libraries[i].hook;
        if (!hook) continue;
        if (code == 5)
            hook(5, 1, reinterpret_cast<uintptr_t>(&RuntimeNotify), 0);
        else
            hook(code, 0, 0, 0);
    }
}
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
bool ExitInProgress() { return g_exiting; }

void ExitRuntime(int exitCode) {
    // Ending again from inside the exit path ends at once.
    if (g_exiting) _exit(exitCode);
    g_exiting = true;
    for (size_t i = 0; i < g_routines.size(); ++i) g_routines[i](static_cast<int>(i));
    NotifyLibraries(6);
    FreeDllCommands();
    RuntimeNotify(kNotifyCloseAllFiles, 0, 0);
    for (size_t i = g_steps.size(); i-- > 0;) g_steps[i]();
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
