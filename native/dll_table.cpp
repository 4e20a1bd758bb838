// The table of late-bound functions on a native host: the same 27 slots, filled the same
// lazy way, but each (library, function) name resolves to the program's own implementation
// (native/system_calls.h) instead of a loaded module. A name it does not have is the same
// fatal error as a missing export on Windows.
#include "runtime/dll_commands.h"

#include <strings.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "native/system_calls.h"
#include "runtime/error_report.h"
#include "runtime/program_header.h"

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
// The heap and memory entries with the argument types the engine passes (32-bit sizes).
void* EntryGetProcessHeap() { return GetProcessHeap(); }
void* EntryHeapAlloc(void* heap, uint32_t flags, uint32_t size) { return HeapAlloc(heap, flags, size); }
int32_t EntryHeapFree(void* heap, uint32_t flags, void* block) { return HeapFree(heap, flags, block); }
void EntryRtlMoveMemory(void* to, const void* from, uint32_t n) {
    if (n) memmove(to, from, n);
}
void EntryRtlFillMemory(void* to, uint32_t n, int32_t fill) {
    if (n) memset(to, fill & 0xFF, n);
}
// This host has no component objects to initialise: the engine's automation objects are
// never found, and it takes its own paths.
long EntryCoInitialize(void*) { return 0; }
void EntryCoUninitialize() {}

struct Export {
    const char* library;
    const char* function;
    void* address;
};

template <typename F>
void* Address(F* f) {
    return reinterpret_cast<void*>(f);
}

const Export kExports[] = {
    {"crypt32.dll", "CryptBinaryToStringA", Address(NativeCryptBinaryToStringA)},
    {"crypt32.dll", "CryptStringToBinaryA", Address(NativeCryptStringToBinaryA)},
    {"kernel32.dll", "WideCharToMultiByte", Address(NativeWideCharToMultiByte)},
    {"kernel32.dll", "MultiByteToWideChar", Address(NativeMultiByteToWideChar)},
    {"advapi32.dll", "CryptAcquireContextA", Address(NativeCryptAcquireContextA)},
    {"advapi32.dll", "CryptReleaseContext", Address(NativeCryptReleaseContext)},
    {"advapi32.dll", "CryptCreateHash", Address(NativeCryptCreateHash)},
    {"advapi32.dll", "CryptHashData", Address(NativeCryptHashData)},
    {"advapi32.dll", "CryptDestroyHash", Address(NativeCryptDestroyHash)},
    {"advapi32.dll", "CryptGetHashParam", Address(NativeCryptGetHashParam)},
    {"kernel32.dll", "GetProcessHeap", Address(EntryGetProcessHeap)},
    {"kernel32.dll", "HeapAlloc", Address(EntryHeapAlloc)},
    {"kernel32.dll", "HeapFree", Address(EntryHeapFree)},
    {"kernel32.dll", "RtlFillMemory", Address(EntryRtlFillMemory)},
    {"kernel32.dll", "RtlMoveMemory", Address(EntryRtlMoveMemory)},
    {"kernel32.dll", "lstrlenW", Address(NativeLstrlenW)},
    {"kernel32.dll", "lstrlenA", Address(NativeLstrlenA)},
    {"kernel32.dll", "LCMapStringA", Address(NativeLCMapStringA)},
    {"ole32.dll", "CoInitialize", Address(EntryCoInitialize)},
    {"ole32.dll", "CoUninitialize", Address(EntryCoUninitialize)},
    {"user32.dll", "CharUpperA", Address(NativeCharUpperA)},
    {"user32.dll", "CharLowerA", Address(NativeCharLowerA)},
};

// The system libraries an empty library name searches, in their order.
const char* const kSystemLibraries[] = {"kernel32.dll", "gdi32.dll", "user32.dll",
                                        "advapi32.dll", "mpr.dll",   "shell32.dll"};

const char* g_libraries[kDllEntryCount];
const char* g_functions[kDllEntryCount];
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

// The file part of a library name: a path ("C:\...\Kernel32.dll") names the same library.
const char* FilePart(const char* library) {
    const char* cut = strrchr(library, '\\');
    const char* slash = strrchr(library, '/');
    if (slash > cut) cut = slash;
    return cut ? cut + 1 : library;
}

void* Find(const char* library, const char* function) {
    for (const Export& e : kExports)
        if (strcasecmp(e.library, library) == 0 && strcmp(e.function, function) == 0) return e.address;
    return nullptr;
}

[[noreturn]] void BindingFailed(const char* library, const char* function) {
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
        g_libraries[i] = i < count ? libraries[i] : nullptr;
        g_functions[i] = i < count ? functions[i] : nullptr;
        g_addresses[i] = nullptr;
    }
    g_count = count;
    g_ready = true;
}

void* BindDllFunction(const char* library, const char* function, void** module) {
    if (!library) library = "";
    if (!function) function = "";
    void* address = nullptr;
    // Ordinals ("#n") name no function of the program's own.
    if (function[0] != '#') {
        if (!*library) {
            for (const char* candidate : kSystemLibraries)
                if ((address = Find(candidate, function))) break;
        } else {
            address = Find(FilePart(library), function);
        }
    }
    // There is no module: the functions are part of the program.
    if (module) *module = nullptr;
    return address;
}

void* BindDllCommand(int entry) {
    EnsureReady();
    if (entry < 0 || entry >= g_count) RaiseRuntimeError(1, 0, entry);
    if (g_addresses[entry]) return g_addresses[entry];
    const char* library = g_libraries[entry] ? g_libraries[entry] : "";
    const char* function = g_functions[entry] ? g_functions[entry] : "";
    void* address = BindDllFunction(library, function, nullptr);
    if (!address) BindingFailed(library, function);
    g_addresses[entry] = address;
    return address;
}

void FreeDllCommands() {
    for (int i = 0; i < kDllEntryCount; ++i) {
        g_addresses[i] = nullptr;
        g_libraries[i] = nullptr;
        g_functions[i] = nullptr;
    }
    g_count = 0;
    g_ready = false;
}

void* DllCommandAddress(int entry) { return entry >= 0 && entry < kDllEntryCount ? g_addresses[entry] : nullptr; }
void* DllCommandModule(int) { return nullptr; }
