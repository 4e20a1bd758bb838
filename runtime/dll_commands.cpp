#include "dll_commands.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "error_report.h"
#include "program_header.h"
#include "startup.h"

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
HMODULE g_modules[kDllEntryCount];
void* g_addresses[kDllEntryCount];
int g_count = 0;
bool g_ready = false;
int g_sourceCount = 0;
const char* const* g_sourceLibraries = nullptr;
const char* const* g_sourceFunctions = nullptr;

const char* const kSystemLibraries[] = {"Kernel32.dll", "Gdi32.dll", "User32.dll",
                                        "Advapi32.dll", "Mpr.dll",   "Shell32.dll"};

void EnsureReady() {
    if (g_ready) return;
    if (g_sourceLibraries) {
        SetUpDllCommands(g_sourceCount, g_sourceLibraries, g_sourceFunctions);
    } else {
        const ProgramHeader& h = TheProgramHeader();
        SetUpDllCommands(h.dllCommandCount, h.dllLibraries, h.dllFunctions);
    }
}

// A "#n" name is an ordinal: the number, modulo 65536, in place of a name.
LPCSTR ProcName(const char* function) {
    if (function[0] == '#') return reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(atoi(function + 1) & 0xFFFF));
    return function;
}

// A name without a drive is tried in the program's directory first. The directory is joined
// in wide characters so that a directory outside the ANSI code page still works; the name
// itself is read as LoadLibraryA would read it.
HMODULE LoadFromProgramDirectory(const char* library) {
    int n = MultiByteToWideChar(CP_ACP, 0, library, -1, nullptr, 0);
    if (n <= 0) return nullptr;
    std::wstring path = ProgramDirectory();
    path += L'\\';
    size_t at = path.size();
    path.resize(at + n);
    MultiByteToWideChar(CP_ACP, 0, library, -1, &path[at], n);
    path.resize(at + n - 1);
    return LoadLibraryW(path.c_str());
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
        if (g_modules[i]) FreeLibrary(g_modules[i]);
        g_libraries[i] = i < count ? libraries[i] : nullptr;
        g_functions[i] = i < count ? functions[i] : nullptr;
        g_modules[i] = nullptr;
        g_addresses[i] = nullptr;
    }
    g_count = count;
    g_ready = true;
}

void* BindDllFunction(const char* library, const char* function, void** module) {
    if (!library) library = "";
    if (!function) function = "";
    LPCSTR proc = ProcName(function);
    HMODULE loaded = nullptr;
    void* address = nullptr;
    if (!*library) {
        for (const char* candidate : kSystemLibraries) {
            loaded = LoadLibraryA(candidate);
            if (!loaded) continue;
            address = reinterpret_cast<void*>(GetProcAddress(loaded, proc));
            if (address) break;
            FreeLibrary(loaded);
            loaded = nullptr;
        }
    } else {
        if (strchr(library, ':')) {
            loaded = LoadLibraryA(library);
        } else {
            loaded = LoadFromProgramDirectory(library);
            if (!loaded) loaded = LoadLibraryA(library);
        }
        if (loaded) address = reinterpret_cast<void*>(GetProcAddress(loaded, proc));
    }
    if (!address && loaded) {
        FreeLibrary(loaded);
        loaded = nullptr;
    }
    if (module) *module = loaded;
    return address;
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
    g_modules[entry] = static_cast<HMODULE>(module);
    g_addresses[entry] = address;
    return address;
}

void FreeDllCommands() {
    for (int i = 0; i < kDllEntryCount; ++i) {
        if (g_modules[i]) FreeLibrary(g_modules[i]);
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

extern "C" void* __cdecl BindDllCommandForThunk(int entry) { return BindDllCommand(entry); }

#if defined(__i386__)
// EAX: entry number; the stack holds the caller's return address and then the function's own
// arguments, untouched. ECX and EDX are kept for functions that read them.
extern "C" __attribute__((naked)) void CallDllCommandThunk() {
    asm("pushl %ecx\n\t"
        "pushl %edx\n\t"
        "pushl %eax\n\t"
        "call _BindDllCommandForThunk\n\t"
        "addl $4, %esp\n\t"
        "popl %edx\n\t"
        "popl %ecx\n\t"
        "jmp *%eax");
}
#elif defined(__x86_64__)
// EAX: entry number. The function's first four arguments are in RCX, RDX, R8 and R9 (or
// XMM0-XMM3 for floating-point ones), the rest on the stack behind the caller's shadow
// space: all are kept while the entry is bound, then the thunk jumps to the function, which
// returns straight to the caller. The binder is called with the stack 16-byte aligned.
extern "C" __attribute__((naked)) void CallDllCommandThunk() {
    asm("pushq %rcx\n\t"
        "pushq %rdx\n\t"
        "pushq %r8\n\t"
        "pushq %r9\n\t"
        "subq $104, %rsp\n\t"  // 32 shadow bytes, 4 x 16 for XMM0-3, 8 to align
        "movdqu %xmm0, 32(%rsp)\n\t"
        "movdqu %xmm1, 48(%rsp)\n\t"
        "movdqu %xmm2, 64(%rsp)\n\t"
        "movdqu %xmm3, 80(%rsp)\n\t"
        "movl %eax, %ecx\n\t"
        "call BindDllCommandForThunk\n\t"
        "movdqu 32(%rsp), %xmm0\n\t"
        "movdqu 48(%rsp), %xmm1\n\t"
        "movdqu 64(%rsp), %xmm2\n\t"
        "movdqu 80(%rsp), %xmm3\n\t"
        "addq $104, %rsp\n\t"
        "popq %r9\n\t"
        "popq %r8\n\t"
        "popq %rdx\n\t"
        "popq %rcx\n\t"
        "jmp *%rax");
}
#else
#error "CallDllCommandThunk is written for i686 and x86_64"
#endif
