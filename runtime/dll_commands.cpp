// The table of late-bound functions: 27 slots, each bound on its first call and cached. How a
// (library, function) name becomes an address is the host's (BindDllFunction); the slots, the
// order of binding and the fatal error for a missing name are the same everywhere.
#include "dll_commands.h"

#include <string>

#include "error_report.h"
#include "program_header.h"

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
// The four parallel slot arrays, and the tables they were filled from (so that a call after
// the exit path emptied them can still bind).
const char* g_libraries[kDllEntryCount];
const char* g_functions[kDllEntryCount];
void* g_modules[kDllEntryCount];
void* g_addresses[kDllEntryCount];
int g_count = 0;
bool g_ready = false;
int g_sourceCount = 0;
const char* const* g_sourceLibraries = nullptr;
const char* const* g_sourceFunctions = nullptr;

void EnsureReady() {
    if (g_ready) return;
    if (g_sourceLibraries) {
        SetUpDllCommands(g_sourceCount, g_sourceLibraries, g_sourceFunctions);
    } else {
        const ProgramHeader& h = TheProgramHeader();
        SetUpDllCommands(h.dllCommandCount, h.dllLibraries, h.dllFunctions);
    }
}

[[noreturn]] void BindingFailed(const char* library, const char* function) {
    // Built to size: names of any length fit.
    std::string message;
    if (*library) {
        message = "无法找到指定DLL库文件“";
        message += library;
        message += "”中的输出命令“";
    } else {
        message = "无法找到指定DLL库文件中的输出命令“";
    }
    message += function;
    message += "”";
    RaiseFatalMessage(message.c_str());
}
}  // namespace

void SetUpDllCommands(int count, const char* const* libraries, const char* const* functions) {
    if (count < 0) count = 0;
    if (count > kDllEntryCount) count = kDllEntryCount;
    if (!libraries || !functions) count = 0;
    g_sourceCount = count;
    g_sourceLibraries = libraries;
    g_sourceFunctions = functions;
    for (int i = 0; i < kDllEntryCount; ++i) {
        ReleaseDllModule(g_modules[i]);
        g_libraries[i] = i < count ? libraries[i] : nullptr;
        g_functions[i] = i < count ? functions[i] : nullptr;
        g_modules[i] = nullptr;
        g_addresses[i] = nullptr;
    }
    g_count = count;
    g_ready = true;
}

void* BindDllCommand(int entry) {
    EnsureReady();
    // Only a broken caller names an entry the table does not have.
    if (entry < 0 || entry >= g_count) RaiseRuntimeError(1, 0, entry);
    if (g_addresses[entry]) return g_addresses[entry];
    const char* library = g_libraries[entry] ? g_libraries[entry] : "";
    const char* function = g_functions[entry] ? g_functions[entry] : "";
    void* module = nullptr;
    void* address = BindDllFunction(library, function, &module);
    if (!address) BindingFailed(library, function);
    g_modules[entry] = module;
    g_addresses[entry] = address;
    return address;
}

void FreeDllCommands() {
    for (int i = 0; i < kDllEntryCount; ++i) {
        ReleaseDllModule(g_modules[i]);
        g_modules[i] = nullptr;
        g_addresses[i] = nullptr;
        g_libraries[i] = nullptr;
        g_functions[i] = nullptr;
    }
    g_count = 0;
    g_ready = false;
}

void* DllCommandAddress(int entry) { return entry >= 0 && entry < kDllEntryCount ? g_addresses[entry] : nullptr; }
void* DllCommandModule(int entry) { return entry >= 0 && entry < kDllEntryCount ? g_modules[entry] : nullptr; }
