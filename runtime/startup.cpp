#include "startup.h"

#include <windows.h>
#include <ole2.h>

#include <string>

#include "exit_path.h"

namespace {
const wchar_t kOwnerClass[] = L"WenhuitongRuntimeOwner";

bool g_oleInitialised = false;
HWND g_owner = nullptr;
DWORD g_startupThread = 0;

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

void ReadExecutablePath(std::wstring* directory, std::wstring* fileName) {
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
        directory->clear();
        *fileName = path;
    } else {
        *directory = path.substr(0, cut);
        *fileName = path.substr(cut + 1);
    }
}

void InitialiseRuntime(const ProgramHeader* header) {
    // 1. The memory services use the process heap from their first call on.
    if (!BeginStartup(header)) return;

    // 2.
    HRESULT ole = OleInitialize(nullptr);
    g_oleInitialised = SUCCEEDED(ole);

    // 3. A root directory keeps its backslash: "C:" alone would mean the drive's current directory.
    std::wstring current = ProgramDirectory();
    if (current.empty() || current.back() == L':') current += L'\\';
    SetCurrentDirectoryW(current.c_str());

    // 4, 5.
    CreateOwnerWindow();
    g_startupThread = GetCurrentThreadId();

    // 6-9.
    FinishStartup();
}

void* RuntimeOwnerWindow() { return g_owner; }
uint32_t StartupThreadId() { return g_startupThread; }

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
