#include <windows.h>

#include <cstring>
#include <string>

#include "frame_support.h"
#include "runtime/dll_commands.h"
#include "runtime/runtime_services.h"
#include "test_support.h"

// Two exports of this test program, so that binding by name and by ordinal can be seen to
// reach a module of our own. Exported names are sorted: WhtProbeOne is ordinal 1.
extern "C" __declspec(dllexport) int __stdcall WhtProbeOne(int x) { return x + 1; }
extern "C" __declspec(dllexport) int __stdcall WhtProbeTwo(int x) { return x * 2; }
// Their exported names: i686 decorates stdcall names with the argument bytes, x86_64 does not.
#if defined(__i386__)
#define WHT_PROBE(name) name "@4"
#else
#define WHT_PROBE(name) name
#endif

namespace {
std::string ExePath() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

std::string ExeName() {
    std::string p = ExePath();
    return p.substr(p.rfind('\\') + 1);
}

// A table of our own through the same slots as the program's, for the cases below.
const char* g_testLibraries[8];
const char* g_testFunctions[8];
std::string g_exePath;

void UseTestTable() {
    g_exePath = ExePath();
    const char* libraries[8] = {"kernel32.dll", "mpr.dll", "mpr.dll", "kernel32.dll",
                                "",             "",        g_exePath.c_str(), "no_such_library_wht.dll"};
    const char* functions[8] = {"GetProcessHeap", "WNetGetLastErrorA", "WNetGetLastErrorW", "NoSuchExportWht",
                                "GetStockObject", "NoSuchExportWht",   "#2",                "WhtProbeOne"};
    memcpy(g_testLibraries, libraries, sizeof(libraries));
    memcpy(g_testFunctions, functions, sizeof(functions));
    SetUpDllCommands(8, g_testLibraries, g_testFunctions);
}
}  // namespace

TEST_CASE("every entry of the program's table binds to its library's export") {
    for (int entry = 0; entry < kDllEntryCount; ++entry) {
        CAPTURE(entry);
        std::string library = kDllLibraryNames[entry], function = kDllFunctionNames[entry];
        CAPTURE(library);
        CAPTURE(function);
        HMODULE own = LoadLibraryA(kDllLibraryNames[entry]);
        REQUIRE(own != nullptr);
        void* expected = reinterpret_cast<void*>(GetProcAddress(own, kDllFunctionNames[entry]));
        CHECK(expected != nullptr);
        CHECK(BindDllCommand(entry) == expected);
        CHECK(DllCommandAddress(entry) == expected);
        CHECK(DllCommandModule(entry) == own);
        FreeLibrary(own);
    }
    // Called as the program calls them: the function's own result, unconverted.
    CHECK(CallDllCommand<int>(kDllLstrlenA, "abc") == 3);
    CHECK(CallDllCommand<HANDLE>(kDllGetProcessHeap) == GetProcessHeap());
}

#if defined(__i386__)
// The thunk's convention: the entry number in EAX, the function's own arguments on the stack.
typedef int(__attribute__((stdcall, regparm(1))) * ThunkLstrlenA)(int entry, const char* text);
typedef int(__attribute__((stdcall, regparm(1))) * ThunkMultiByte)(int entry, UINT, DWORD, const char*, int, wchar_t*,
                                                                   int);
int CallLstrlenThunk(int entry, const char* text) {
    return reinterpret_cast<ThunkLstrlenA>(RuntimeServices().CallDllCommand)(entry, text);
}
int CallMultiByteThunk(int entry, UINT cp, DWORD flags, const char* s, int n, wchar_t* out, int room) {
    return reinterpret_cast<ThunkMultiByte>(RuntimeServices().CallDllCommand)(entry, cp, flags, s, n, out, room);
}
#else
// The thunk's convention: the entry number in EAX, the function's own arguments where the
// x64 convention puts them. ThunkCall6(thunk, entry, a..f) moves them into place: a-d into
// RCX, RDX, R8, R9 and e, f behind a fresh shadow space.
extern "C" intptr_t ThunkCall6(void* thunk, int entry, intptr_t a, intptr_t b, intptr_t c, intptr_t d, intptr_t e,
                               intptr_t f);
asm(".text\n"
    ".globl ThunkCall6\n"
    "ThunkCall6:\n\t"
    "subq $56, %rsp\n\t"
    "movq %rcx, %r10\n\t"
    "movl %edx, %eax\n\t"
    "movq %r8, %rcx\n\t"
    "movq %r9, %rdx\n\t"
    "movq 96(%rsp), %r8\n\t"
    "movq 104(%rsp), %r9\n\t"
    "movq 112(%rsp), %r11\n\t"
    "movq %r11, 32(%rsp)\n\t"
    "movq 120(%rsp), %r11\n\t"
    "movq %r11, 40(%rsp)\n\t"
    "callq *%r10\n\t"
    "addq $56, %rsp\n\t"
    "ret\n");
void* Thunk() { return reinterpret_cast<void*>(RuntimeServices().CallDllCommand); }
int CallLstrlenThunk(int entry, const char* text) {
    return static_cast<int>(ThunkCall6(Thunk(), entry, reinterpret_cast<intptr_t>(text), 0, 0, 0, 0, 0));
}
int CallMultiByteThunk(int entry, UINT cp, DWORD flags, const char* s, int n, wchar_t* out, int room) {
    return static_cast<int>(ThunkCall6(Thunk(), entry, cp, flags, reinterpret_cast<intptr_t>(s), n,
                                       reinterpret_cast<intptr_t>(out), room));
}
#endif

TEST_CASE("the service table's thunk passes the caller's arguments straight to the function") {
    CHECK(CallLstrlenThunk(kDllLstrlenA, "abcd") == 4);
    CHECK(CallLstrlenThunk(kDllLstrlenA, "") == 0);
    wchar_t wide[8] = {};
    CHECK(CallMultiByteThunk(kDllMultiByteToWideChar, 936, 0, "\xD6\xD0", -1, wide, 8) == 2);
    CHECK(wide[0] == 0x4E2D);
    // A callee that removed the wrong number of bytes would drift the stack and crash here.
    int total = 0;
    for (int i = 0; i < 300000; ++i) total += CallLstrlenThunk(kDllLstrlenA, "xy");
    CHECK(total == 600000);
}

TEST_CASE("the binding rule: system search, program directory, absolute path and ordinals") {
    std::string exe = ExePath(), name = ExeName();
    HMODULE self = GetModuleHandleA(nullptr);
    void* one = reinterpret_cast<void*>(GetProcAddress(self, WHT_PROBE("WhtProbeOne")));
    void* two = reinterpret_cast<void*>(GetProcAddress(self, WHT_PROBE("WhtProbeTwo")));
    REQUIRE(one != nullptr);
    REQUIRE(two != nullptr);
    struct Case {
        std::string library;
        const char* function;
        const char* moduleName;  // whose export is expected; null: nothing found
        void* own;               // or this address
    } cases[] = {
        // Empty library: Kernel32, Gdi32, User32, Advapi32, Mpr, Shell32 in that order.
        {"", "lstrlenA", "kernel32.dll", nullptr},
        {"", "GetStockObject", "gdi32.dll", nullptr},
        {"", "CharUpperA", "user32.dll", nullptr},
        {"", "CryptAcquireContextA", "advapi32.dll", nullptr},
        {"", "WNetGetLastErrorA", "mpr.dll", nullptr},
        {"", "ShellExecuteA", "shell32.dll", nullptr},
        {"", "NoSuchExportWht", nullptr, nullptr},
        // Not in the program's directory: found through the system search.
        {"kernel32.dll", "GetProcessHeap", "kernel32.dll", nullptr},
        {"KERNEL32.DLL", "GetProcessHeap", "kernel32.dll", nullptr},
        {"no_such_library_wht.dll", "GetProcessHeap", nullptr, nullptr},
        {"kernel32.dll", "NoSuchExportWht", nullptr, nullptr},
        // The program's directory, and a path with a drive, loaded as it is.
        {name, WHT_PROBE("WhtProbeTwo"), nullptr, two},
        {exe, WHT_PROBE("WhtProbeOne"), nullptr, one},
        // Ordinals: the number after "#", modulo 65536.
        {exe, "#1", nullptr, one},
        {exe, "#2", nullptr, two},
        {exe, "#65537", nullptr, one},
        {name, "#002", nullptr, two},
        {exe, "#0", nullptr, nullptr},
        {exe, "#3", nullptr, nullptr},
    };
    for (const Case& c : cases) {
        std::string function = c.function;
        CAPTURE(c.library);
        CAPTURE(function);
        void* expected = c.own;
        HMODULE reference = nullptr;
        if (c.moduleName) {
            reference = LoadLibraryA(c.moduleName);
            REQUIRE(reference != nullptr);
            expected = reinterpret_cast<void*>(GetProcAddress(reference, c.function));
            REQUIRE(expected != nullptr);
        }
        void* module = reinterpret_cast<void*>(1);
        void* address = BindDllFunction(c.library.c_str(), c.function, &module);
        CHECK(address == expected);
        if (expected) {
            CHECK(module != nullptr);
            FreeLibrary(static_cast<HMODULE>(module));
        } else {
            CHECK(module == nullptr);
        }
        if (reference) FreeLibrary(reference);
    }
    // The ordinal form reaches the function itself.
    typedef int(__stdcall * Probe)(int);
    void* module = nullptr;
    Probe probe = reinterpret_cast<Probe>(BindDllFunction(exe.c_str(), "#65538", &module));
    REQUIRE(reinterpret_cast<void*>(probe) != nullptr);
    CHECK(probe(21) == 42);
    FreeLibrary(static_cast<HMODULE>(module));
}

// Binding is lazy and cached: one load per entry, however often it is called.
CHILD_CASE(bind_once_per_entry) {
    UseTestTable();
    Say("mpr loaded before: %d", GetModuleHandleA("mpr.dll") != nullptr);
    Say("slot 0 before: %d", DllCommandAddress(0) != nullptr);
    void* first = BindDllCommand(0);
    void* second = BindDllCommand(0);
    Say("entry 0 cached: %d", first == second && DllCommandAddress(0) == first);
    Say("entry 0 is GetProcessHeap: %d",
        first == reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetProcessHeap")));
    Say("entry 0 called: %d", CallDllCommand<HANDLE>(0) == GetProcessHeap());

    BindDllCommand(1);
    BindDllCommand(1);
    Say("entry 1 bound: %d", DllCommandModule(1) == GetModuleHandleA("mpr.dll"));
    FreeDllCommands();
    // Bound twice but loaded once: one FreeLibrary unloads it.
    Say("mpr loaded after freeing: %d", GetModuleHandleA("mpr.dll") != nullptr);
    Say("slots empty: %d", DllCommandAddress(0) == nullptr && DllCommandModule(1) == nullptr);

    // Two entries of one library: each loads it anew.
    UseTestTable();
    BindDllCommand(1);
    BindDllCommand(2);
    FreeLibrary(GetModuleHandleA("mpr.dll"));
    Say("mpr loaded after one of two frees: %d", GetModuleHandleA("mpr.dll") != nullptr);
}

TEST_CASE("an entry is bound once, and each entry loads its library once") {
    ChildRun run = RunChildCase("bind_once_per_entry");
    CHECK(run.exitCode == 0);
    CHECK(run.output ==
          "mpr loaded before: 0\n"
          "slot 0 before: 0\n"
          "entry 0 cached: 1\n"
          "entry 0 is GetProcessHeap: 1\n"
          "entry 0 called: 1\n"
          "entry 1 bound: 1\n"
          "mpr loaded after freeing: 0\n"
          "slots empty: 1\n"
          "mpr loaded after one of two frees: 1\n");
}

// After the exit path emptied the slots a late call still binds from the same table.
CHILD_CASE(bind_after_free) {
    UseTestTable();
    BindDllCommand(0);
    FreeDllCommands();
    Say("rebound: %d", CallDllCommand<HANDLE>(0) == GetProcessHeap());
    Say("ordinal entry: %d", CallDllCommand<int>(6, 5) == 10);
}

TEST_CASE("slots emptied on exit bind again from the same table") {
    ChildRun run = RunChildCase("bind_after_free");
    CHECK(run.exitCode == 0);
    CHECK(run.output == "rebound: 1\nordinal entry: 1\n");
}

CHILD_CASE(missing_export) {
    UseTestTable();
    BindDllCommand(3);
    Say("returned");
}
CHILD_CASE(missing_export_no_library_name) {
    UseTestTable();
    BindDllCommand(5);
    Say("returned");
}
CHILD_CASE(missing_library) {
    UseTestTable();
    BindDllCommand(7);
    Say("returned");
}
CHILD_CASE(entry_outside_table) {
    UseTestTable();
    BindDllCommand(8);
    Say("returned");
}
CHILD_CASE(long_names) {
    static std::string library(700, 'L'), function(700, 'F');
    static const char* libraries[1] = {library.c_str()};
    static const char* functions[1] = {function.c_str()};
    SetUpDllCommands(1, libraries, functions);
    BindDllCommand(0);
    Say("returned");
}

TEST_CASE("a function that cannot be bound ends the program naming library and function") {
    struct Case {
        const char* child;
        std::string report;
    } cases[] = {
        {"missing_export",
         "运行时出错!\r\n\r\n错误信息：无法找到指定DLL库文件“kernel32.dll”中的输出命令“NoSuchExportWht”\r\n\r\n0, 0\r\n"},
        {"missing_export_no_library_name",
         "运行时出错!\r\n\r\n错误信息：无法找到指定DLL库文件中的输出命令“NoSuchExportWht”\r\n\r\n0, 0\r\n"},
        {"missing_library",
         "运行时出错!\r\n\r\n错误信息：无法找到指定DLL库文件“no_such_library_wht.dll”中的输出命令“WhtProbeOne”"
         "\r\n\r\n0, 0\r\n"},
        {"entry_outside_table",
         "运行时出错!\r\n\r\n错误代码：1\r\n\r\n错误信息：数组成员引用下标超出定义范围\r\n\r\n0, 8\r\n"},
        {"long_names", "运行时出错!\r\n\r\n错误信息：无法找到指定DLL库文件“" + std::string(700, 'L') +
                           "”中的输出命令“" + std::string(700, 'F') + "”\r\n\r\n0, 0\r\n"},
    };
    for (const Case& c : cases) {
        CAPTURE(c.child);
        ChildRun run = RunChildCase(c.child);
        CHECK(run.exitCode == -1);
        CHECK(Hex(run.output) == Hex(c.report));
    }
}
