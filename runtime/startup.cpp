#include "startup.h"

#include <windows.h>
#include <ole2.h>

#include <string>

#include "dll_commands.h"
#include "error_report.h"
#include "exit_path.h"
#include "memory.h"
#include "notify.h"

namespace {
const wchar_t kOwnerClass[] = L"WenhuitongRuntimeOwner";

bool g_initialised = false;
bool g_oleInitialised = false;
HWND g_owner = nullptr;
DWORD g_startupThread = 0;
int32_t g_buildKind = 0, g_word1 = 0, g_word2 = 0;
const ProgramHeader* g_header = nullptr;
FormDataLoader g_formLoader = nullptr;

bool g_pathKnown = false;
std::wstring g_directory, g_fileName;

void ReadProgramPath() {
    if (g_pathKnown) return;
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (n < path.size() || path.size() >= 32768) {
            path.resize(n < path.size() ? n : path.size());
            break;
        }
        path.resize(path.size() * 2);
    }
    size_t cut = path.rfind(L'\\');
    if (cut == std::wstring::npos) {
        g_directory.clear();
        g_fileName = path;
    } else {
        g_directory = path.substr(0, cut);
        g_fileName = path.substr(cut + 1);
    }
    g_pathKnown = true;
}

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kExitRequestMessage) {
        // Another thread ends the process: the exit path runs here, on the start-up thread.
        // An exit that is already running here ends the process itself.
        if (!ExitInProgress()) ExitRuntime(static_cast<int>(wParam));
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void CreateOwnerWindow() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = OwnerProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = nullptr;
    wc.lpszClassName = kOwnerClass;
    RegisterClassW(&wc);
    g_owner = CreateWindowExW(0, kOwnerClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
}
}  // namespace

void InitialiseRuntime(const ProgramHeader* header) {
    if (g_initialised) return;
    g_initialised = true;
    const ProgramHeader& h = header ? *header : TheProgramHeader();
    g_header = &h;

    // 1. The memory services use the process heap from their first call on.
    g_buildKind = h.buildKind;
    g_word1 = h.word1;
    g_word2 = h.word2 + 1;

    // 2.
    HRESULT ole = OleInitialize(nullptr);
    g_oleInitialised = SUCCEEDED(ole);

    // 3. A root directory keeps its backslash: "C:" alone would mean the drive's current directory.
    ReadProgramPath();
    std::wstring current = g_directory;
    if (current.empty() || current.back() == L':') current += L'\\';
    SetCurrentDirectoryW(current.c_str());

    // 4, 5.
    CreateOwnerWindow();
    g_startupThread = GetCurrentThreadId();

    // 6. Without a constant block the shared empty constants keep their bounds: moving them
    // would let FreeMemory free the empty text.
    if (h.constantArea) SetConstantAreaBounds(h.constantArea, h.constantArea + h.constantAreaSize);

    // 7.
    SetUpDllCommands(h.dllCommandCount, h.dllLibraries, h.dllFunctions);

    // 8.
    NotifyLibraries(5);

    // 9.
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

void* RuntimeOwnerWindow() { return g_owner; }
uint32_t StartupThreadId() { return g_startupThread; }
int32_t ProgramBuildKind() { return g_buildKind; }
int32_t ProgramHeaderWord1() { return g_word1; }
int32_t ProgramHeaderWord2() { return g_word2; }

void SetFormDataLoader(FormDataLoader loader) { g_formLoader = loader; }

void NotifyLibraries(int32_t code) {
    if (!g_header || !g_header->libraries) return;
    int count = g_header->libraryCount;
    for (int i = 0; i < count; ++i) {
        LibraryNotifyHook hook = g_header->libraries[i].hook;
        if (!hook) continue;
        if (code == 5)
            hook(5, 1, reinterpret_cast<uintptr_t>(&RuntimeNotify), 0);
        else
            hook(code, 0, 0, 0);
    }
}

void CloseRuntimeFrame() {
    if (g_owner) {
        DestroyWindow(g_owner);
        g_owner = nullptr;
    }
    if (g_oleInitialised) {
        OleUninitialize();
        g_oleInitialised = false;
    }
}
