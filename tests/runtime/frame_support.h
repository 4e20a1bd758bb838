// Helpers for the child cases of the late-binding and start-up tests: children report what
// they see as lines on standard output, and never hang.
#pragma once
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <string>

inline void Say(const char* format, ...) {
    char line[1024];
    va_list args;
    va_start(args, format);
    int n = vsnprintf(line, sizeof(line) - 1, format, args);
    va_end(args);
    if (n < 0) n = 0;
    if (n > static_cast<int>(sizeof(line)) - 2) n = sizeof(line) - 2;
    line[n++] = '\n';
    DWORD written;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line, n, &written, nullptr);
}

// Ends a child that is stuck (a loop that never returns) with exit code 3.
inline DWORD WINAPI WatchdogThread(LPVOID ms) {
    Sleep(static_cast<DWORD>(reinterpret_cast<uintptr_t>(ms)));
    Say("watchdog");
    ExitProcess(3);
}
inline void StartWatchdog(DWORD milliseconds = 15000) {
    CreateThread(nullptr, 0, WatchdogThread, reinterpret_cast<LPVOID>(static_cast<uintptr_t>(milliseconds)), 0,
                 nullptr);
}

inline std::string Narrow(const wchar_t* w) {
    char buf[2048];
    int n = WideCharToMultiByte(CP_UTF8, 0, w, -1, buf, sizeof(buf), nullptr, nullptr);
    return n > 0 ? std::string(buf, n - 1) : std::string();
}
