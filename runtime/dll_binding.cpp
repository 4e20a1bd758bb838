// Binding on Windows: a late-bound name is a module loaded by name and one of its exports.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "dll_commands.h"
#include "startup.h"

namespace {
const char* const kSystemLibraries[] = {"Kernel32.dll", "Gdi32.dll", "User32.dll",
                                        "Advapi32.dll", "Mpr.dll",   "Shell32.dll"};

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
}  // namespace

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

void ReleaseDllModule(void* module) {
    if (module) FreeLibrary(static_cast<HMODULE>(module));
}

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
