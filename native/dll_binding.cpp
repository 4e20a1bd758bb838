// Binding on a native host: each (library, function) name of the late-bound table resolves to
// the program's own implementation (native/system_calls.h) instead of a loaded module. A name
// it does not have is the same fatal error as a missing export on Windows.
#include "runtime/dll_commands.h"

#include <strings.h>
#include <windows.h>

#include <cstring>

#include "native/system_calls.h"

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
}  // namespace

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

// There are no modules to give back.
void ReleaseDllModule(void*) {}
