#include "dll_commands.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "error_report.h"

const char* const kDllLibraryNames[kDllEntryCount] = {
    "Crypt32.dll",  "kernel32.dll", "Kernel32.dll", "advapi32.dll", "advapi32.dll", "advapi32.dll",
    "advapi32.dll", "advapi32.dll", "advapi32.dll", "kernel32.dll", "kernel32.dll", "kernel32.dll",
    "advapi32.dll", "advapi32.dll", "advapi32.dll", "advapi32.dll", "advapi32.dll", "kernel32.dll",
    "kernel32.dll", "kernel32.dll", "ole32.dll",    "ole32.dll",    "kernel32.dll", "user32.dll",
    "kernel32.dll", "Crypt32.dll",  "user32.dll",
};

const char* const kDllFunctionNames[kDllEntryCount] = {
    "CryptBinaryToStringA", "WideCharToMultiByte", "MultiByteToWideChar", "CryptAcquireContextA",
    "CryptReleaseContext",  "CryptCreateHash",     "CryptHashData",       "CryptDestroyHash",
    "CryptGetHashParam",    "GetProcessHeap",      "HeapAlloc",           "RtlFillMemory",
    "CryptAcquireContextA", "CryptCreateHash",     "CryptReleaseContext", "CryptHashData",
    "CryptGetHashParam",    "lstrlenW",            "RtlMoveMemory",       "HeapFree",
    "CoInitialize",         "CoUninitialize",      "LCMapStringA",        "CharUpperA",
    "lstrlenA",             "CryptStringToBinaryA", "CharLowerA",
};

namespace {
HMODULE g_modules[kDllEntryCount];
void* g_addresses[kDllEntryCount];

const char* const kSystemLibraries[] = {"Kernel32.dll", "Gdi32.dll", "User32.dll",
                                        "Advapi32.dll", "Mpr.dll",   "Shell32.dll"};

// The directory of the running executable, with a trailing backslash.
void ProgramDirectory(char* out, int size) {
    int n = static_cast<int>(GetModuleFileNameA(nullptr, out, size));
    while (n > 0 && out[n - 1] != '\\') --n;
    out[n] = 0;
}

// A "#n" name is an ordinal: the number, modulo 65536, in place of a name.
LPCSTR ProcName(const char* function) {
    if (function[0] == '#') return reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(atoi(function + 1) & 0xFFFF));
    return function;
}

[[noreturn]] void BindingFailed(const char* library, const char* function) {
    char message[600];
    if (*library)
        wsprintfA(message, "无法找到指定DLL库文件“%s”中的输出命令“%s”", library, function);
    else
        wsprintfA(message, "无法找到指定DLL库文件中的输出命令“%s”", function);
    RaiseFatalMessage(message);
}
}  // namespace

void* BindDllCommand(int entry) {
    if (g_addresses[entry]) return g_addresses[entry];
    const char* library = kDllLibraryNames[entry];
    const char* function = kDllFunctionNames[entry];
    LPCSTR proc = ProcName(function);
    HMODULE module = nullptr;
    void* address = nullptr;
    if (!*library) {
        for (const char* candidate : kSystemLibraries) {
            module = LoadLibraryA(candidate);
            if (!module) continue;
            address = reinterpret_cast<void*>(GetProcAddress(module, proc));
            if (address) break;
            FreeLibrary(module);
            module = nullptr;
        }
    } else {
        if (strchr(library, ':')) {
            module = LoadLibraryA(library);
        } else {
            char path[MAX_PATH + 260];
            ProgramDirectory(path, MAX_PATH);
            lstrcatA(path, library);
            module = LoadLibraryA(path);
            if (!module) module = LoadLibraryA(library);
        }
        if (module) address = reinterpret_cast<void*>(GetProcAddress(module, proc));
    }
    if (!address) {
        if (module) FreeLibrary(module);
        BindingFailed(library, function);
    }
    g_modules[entry] = module;
    g_addresses[entry] = address;
    return address;
}

void FreeDllCommands() {
    for (int i = 0; i < kDllEntryCount; ++i) {
        if (g_modules[i]) FreeLibrary(g_modules[i]);
        g_modules[i] = nullptr;
        g_addresses[i] = nullptr;
    }
}

void* DllCommandAddress(int entry) { return g_addresses[entry]; }
