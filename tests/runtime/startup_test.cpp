#include <windows.h>
#include <objbase.h>

#include <cstring>
#include <string>

#include "frame_support.h"
#include "runtime/call_command.h"
#include "runtime/constant_area.h"
#include "runtime/dll_commands.h"
#include "runtime/error_report.h"
#include "runtime/exit_path.h"
#include "runtime/message_loop.h"
#include "runtime/notify.h"
#include "runtime/program_header.h"
#include "runtime/runtime_services.h"
#include "runtime/startup.h"
#include "test_support.h"

namespace {
intptr_t LibraryHook(int library, int32_t code, uintptr_t first, uintptr_t second, uintptr_t third) {
    if (code == 5) {
        bool notify = second == reinterpret_cast<uintptr_t>(&RuntimeNotify);
        Say("library %d hook %d %u %s %u", library, code, static_cast<unsigned>(first), notify ? "RuntimeNotify" : "?",
            static_cast<unsigned>(third));
        // The entry handed over reaches the core.
        typedef intptr_t (*Notify)(int32_t, uintptr_t, uintptr_t);
        void* block = reinterpret_cast<void*>(reinterpret_cast<Notify>(second)(kNotifyAlloc, 16, 0));
        reinterpret_cast<Notify>(second)(kNotifyFree, reinterpret_cast<uintptr_t>(block), 0);
    } else {
        Say("library %d hook %d", library, code);
    }
    return 0;
}
intptr_t HookOne(int32_t c, uintptr_t a, uintptr_t b, uintptr_t d) { return LibraryHook(1, c, a, b, d); }
intptr_t HookThree(int32_t c, uintptr_t a, uintptr_t b, uintptr_t d) { return LibraryHook(3, c, a, b, d); }

LibraryRecord g_testLibraries[kRuntimeLibraryCount] = {
    {"core", nullptr}, {"units", HookOne}, {"automation", nullptr}, {"super button", HookThree}, {"super menu", nullptr},
};
const char* g_names[2] = {"user32.dll", "kernel32.dll"};
const char* g_functions[2] = {"CharUpperA", "lstrlenA"};
const uint8_t g_formBytes[3] = {1, 2, 3};

// The program's header with test hooks, its own two-entry table and form data.
ProgramHeader TestHeader() {
    ProgramHeader h = TheProgramHeader();
    h.libraries = g_testLibraries;
    h.dllCommandCount = 2;
    h.dllLibraries = g_names;
    h.dllFunctions = g_functions;
    h.formData = g_formBytes;
    h.formDataSize = sizeof(g_formBytes);
    h.codeBase = 0x401000;
    return h;
}

bool g_formResult = true;
bool FormLoader(const uint8_t* data, uint32_t length, uintptr_t codeBase) {
    Say("form data %d %u 0x%X", data == g_formBytes, length, static_cast<unsigned>(codeBase));
    return g_formResult;
}

std::wstring CurrentDirectory() {
    wchar_t buf[1024];
    DWORD n = GetCurrentDirectoryW(1024, buf);
    return std::wstring(buf, n);
}

std::string ExeName() {
    char buf[MAX_PATH];
    std::string p(buf, GetModuleFileNameA(nullptr, buf, MAX_PATH));
    return p.substr(p.rfind('\\') + 1);
}

std::wstring ExeDirectory() {
    wchar_t buf[1024];
    DWORD n = GetModuleFileNameW(nullptr, buf, 1024);
    std::wstring p(buf, n);
    return p.substr(0, p.rfind(L'\\'));
}

void InitialiseForTest() {
    static ProgramHeader header = TestHeader();
    SetFormDataLoader(FormLoader);
    RuntimeService(kServiceInitialise, reinterpret_cast<uintptr_t>(&header));
}
}  // namespace

CHILD_CASE(startup_state) {
    SetCurrentDirectoryW(L"C:\\windows");
    Say("before: initialised %d, owner %d, thread %u", RuntimeInitialised(), RuntimeOwnerWindow() != nullptr,
        StartupThreadId());
    InitialiseForTest();
    Say("initialised %d", RuntimeInitialised());
    Say("current directory is the program's %d", CurrentDirectory() == ExeDirectory());
    Say("program directory %d, file %s", std::wstring(ProgramDirectory()) == ExeDirectory(),
        Narrow(ProgramFileName()).c_str());

    HWND owner = static_cast<HWND>(RuntimeOwnerWindow());
    wchar_t cls[64] = L"";
    GetClassNameW(owner, cls, 64);
    RECT r = {1, 1, 1, 1};
    GetWindowRect(owner, &r);
    Say("owner window %d, visible %d, size %ldx%ld, top level %d, class %s", IsWindow(owner) != 0,
        IsWindowVisible(owner) != 0, r.right - r.left, r.bottom - r.top, GetParent(owner) == nullptr,
        Narrow(cls).c_str());
    WNDCLASSW wc = {};
    GetClassInfoW(GetModuleHandleW(nullptr), cls, &wc);
    Say("class cursor arrow %d, no brush %d", wc.hCursor == LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)),
        wc.hbrBackground == nullptr);
    Say("start-up thread %d", StartupThreadId() == GetCurrentThreadId());
    Say("header words %d %d %d", ProgramBuildKind(), ProgramHeaderWord1(), ProgramHeaderWord2());
    // OLE is initialised on this thread: a multithreaded apartment is refused.
    HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    Say("ole single-threaded %d", hr == RPC_E_CHANGED_MODE);
    Say("constant area %d %d", InConstantArea(EmptyTextConstant()), InConstantArea(ConstantArea + 1843));

    // The slots hold the header's names, unbound until called.
    Say("slots unbound %d", DllCommandAddress(0) == nullptr && DllCommandAddress(1) == nullptr);
    Say("entry 1 is lstrlenA %d", CallDllCommand<int>(1, "abcde") == 5);
    char text[] = "abc";
    CallDllCommand<char*>(0, text);
    Say("entry 0 is CharUpperA %s", text);

    // A second initialisation changes nothing.
    RuntimeService(kServiceInitialise, 0);
    Say("owner unchanged %d", RuntimeOwnerWindow() == owner);
}

TEST_CASE("initialisation runs its steps in order from the program header") {
    ChildRun run = RunChildCase("startup_state");
    CHECK(run.exitCode == 0);
    CHECK(run.output ==
          "before: initialised 0, owner 0, thread 0\n"
          "library 1 hook 5 1 RuntimeNotify 0\n"
          "library 3 hook 5 1 RuntimeNotify 0\n"
          "form data 1 3 0x401000\n"
          "initialised 1\n"
          "current directory is the program's 1\n"
          "program directory 1, file " +
              ExeName() +
              "\n"
              "owner window 1, visible 0, size 0x0, top level 1, class WenhuitongRuntimeOwner\n"
              "class cursor arrow 1, no brush 1\n"
              "start-up thread 1\n"
              "header words 3 0 112533\n"
              "ole single-threaded 1\n"
              "constant area 1 1\n"
              "slots unbound 1\n"
              "entry 1 is lstrlenA 1\n"
              "entry 0 is CharUpperA ABC\n"
              "owner unchanged 1\n");
}

CHILD_CASE(form_data_failure) {
    g_formResult = false;
    InitialiseForTest();
    Say("returned");
}
CHILD_CASE(no_start_window) {
    LoadStartWindow(0x52000001);
    Say("returned");
}
uint32_t g_loadedWindow = 0;
bool StartWindowFails(uint32_t id) {
    g_loadedWindow = id;
    return false;
}
CHILD_CASE(start_window_fails) {
    SetStartWindowLoader(StartWindowFails);
    RuntimeServices().LoadStartWindow(0x52000001);
    Say("returned");
}
CHILD_CASE(no_property_access) {
    RuntimeServices().ReadUnitProperty(0x52000001, 0x16000001, 0, 0);
    Say("returned");
}

TEST_CASE("start-up failures use the error report and exit code -1") {
    struct Case {
        const char* child;
        const char* report;
    } cases[] = {
        {"form_data_failure",
         "library 1 hook 5 1 RuntimeNotify 0\nlibrary 3 hook 5 1 RuntimeNotify 0\nform data 1 3 0x401000\n"
         "运行时出错!\r\n\r\n错误信息：载入窗口模板数据段出错!\r\n\r\n0, 0\r\n"
         "library 1 hook 6\nlibrary 3 hook 6\n"},
        {"no_start_window", "运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n\r\n0, 0\r\n"},
        {"start_window_fails", "运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n\r\n0, 0\r\n"},
        {"no_property_access", "运行时出错!\r\n\r\n错误信息：指定窗口或窗口组件不存在或尚未载入\r\n\r\n0, 0\r\n"},
    };
    for (const Case& c : cases) {
        CAPTURE(c.child);
        ChildRun run = RunChildCase(c.child);
        CHECK(run.exitCode == -1);
        CHECK(Hex(run.output) == Hex(c.report));
    }
}

bool StartWindowLoads(uint32_t id) {
    g_loadedWindow = id;
    return true;
}

TEST_CASE("the start window goes to the window framework's loader") {
    SetStartWindowLoader(StartWindowLoads);
    LoadStartWindow(0x52000007);
    CHECK(g_loadedWindow == 0x52000007);
    SetStartWindowLoader(nullptr);
}

namespace {
void RoutineA(int index) { Say("routine A %d", index); }
void RoutineB(int index) { Say("routine B %d", index); }
intptr_t CloseFiles(int32_t code, uintptr_t, uintptr_t) {
    Say("close files: modules freed %d, owner window %d", DllCommandModule(1) == nullptr,
        IsWindow(static_cast<HWND>(RuntimeOwnerWindow())) != 0);
    return 0;
}
void ExitStep() { Say("exit step: owner window %d", IsWindow(static_cast<HWND>(RuntimeOwnerWindow())) != 0); }

void PrepareExit() {
    InitialiseForTest();
    RuntimeService(kServiceAddExitRoutine, reinterpret_cast<uintptr_t>(&RoutineA));
    RuntimeService(kServiceAddExitRoutine, reinterpret_cast<uintptr_t>(&RoutineB));
    RuntimeService(kServiceAddExitRoutine, reinterpret_cast<uintptr_t>(&RoutineA));
    RegisterNotifyHandler(kNotifyCloseAllFiles, CloseFiles);
    AddExitStep(ExitStep);
    CallDllCommand<int>(1, "x");
}
}  // namespace

CHILD_CASE(exit_path_order) {
    PrepareExit();
    Say("exiting");
    ExitRuntime(5);
}
CHILD_CASE(exit_after_runtime_error) {
    PrepareExit();
    RaiseRuntimeError(1, 7, 8);
}
CHILD_CASE(exit_through_notify) {
    PrepareExit();
    RuntimeNotify(kNotifyEndProcess, 12, 0);
}

DWORD WINAPI ExitOnOtherThread(LPVOID) {
    Say("other thread exits");
    ExitRuntime(9);
}
void RoutineOnThread(int index) { Say("routine %d on start-up thread %d", index, GetCurrentThreadId() == StartupThreadId()); }

CHILD_CASE(exit_from_other_thread) {
    StartWatchdog();
    InitialiseForTest();
    AddExitRoutine(RoutineOnThread);
    CreateThread(nullptr, 0, ExitOnOtherThread, nullptr, 0, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    Say("message loop ended");
}

DWORD WINAPI FailOnOtherThread(LPVOID) {
    RaiseRuntimeError(4, 1, 2);
}
CHILD_CASE(runtime_error_on_other_thread) {
    StartWatchdog();
    InitialiseForTest();
    AddExitRoutine(RoutineOnThread);
    CreateThread(nullptr, 0, FailOnOtherThread, nullptr, 0, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    Say("message loop ended");
}

TEST_CASE("the exit path: routines once each with their index, hooks, modules, files, window") {
    const std::string started =
        "library 1 hook 5 1 RuntimeNotify 0\nlibrary 3 hook 5 1 RuntimeNotify 0\nform data 1 3 0x401000\n";
    const std::string teardown =
        "library 1 hook 6\nlibrary 3 hook 6\n"
        "close files: modules freed 1, owner window 1\n"
        "exit step: owner window 1\n";
    struct Case {
        const char* child;
        int exitCode;
        std::string output;
    } cases[] = {
        {"exit_path_order", 5, started + "exiting\nroutine A 0\nroutine B 1\n" + teardown},
        {"exit_through_notify", 12, started + "routine A 0\nroutine B 1\n" + teardown},
        // After a runtime error the exit routines do not run; the rest of the path does.
        {"exit_after_runtime_error", -1,
         started + "运行时出错!\r\n\r\n错误代码：1\r\n\r\n错误信息：数组成员引用下标超出定义范围\r\n\r\n7, 8\r\n" + teardown},
        // From another thread the exit path runs on the start-up thread.
        {"exit_from_other_thread", 9,
         started + "other thread exits\nroutine 0 on start-up thread 1\nlibrary 1 hook 6\nlibrary 3 hook 6\n"},
        {"runtime_error_on_other_thread", -1,
         started + "运行时出错!\r\n\r\n错误代码：4\r\n\r\n错误信息：数组成员引用下标必须大于等于1\r\n\r\n1, 2\r\n"
                   "library 1 hook 6\nlibrary 3 hook 6\n"},
    };
    for (const Case& c : cases) {
        CAPTURE(c.child);
        ChildRun run = RunChildCase(c.child);
        CHECK(run.exitCode == c.exitCode);
        CHECK(Hex(run.output) == Hex(c.output));
    }
}

// An exit before start-up has no other thread to hand over to: it simply ends.
CHILD_CASE(exit_other_thread_uninitialised) {
    StartWatchdog();
    AddExitRoutine(RoutineA);
    HANDLE t = CreateThread(nullptr, 0, ExitOnOtherThread, nullptr, 0, nullptr);
    WaitForSingleObject(t, INFINITE);
    Say("returned");
}

TEST_CASE("before start-up an exit on any thread runs the path there") {
    ChildRun run = RunChildCase("exit_other_thread_uninitialised");
    CHECK(run.exitCode == 9);
    CHECK(run.output == "other thread exits\nroutine A 0\n");
}

// ---- error report --------------------------------------------------------------------------

namespace {
bool FakeWindowName(uint32_t windowId, char* name) {
    if (windowId != 0x52000001 && windowId != 0x02000003) return false;
    strcpy(name, windowId == 0x52000001 ? "窗口_主窗口" : "窗口_关于");
    return true;
}
bool FakeUnitName(uint32_t windowId, uint32_t unitId, char* name) {
    if (windowId != 0x52000001 || unitId != 0x16000002) return false;
    strcpy(name, "按钮_进制计算");
    return true;
}
int ReportWithSuspension(const char* text) {
    Say("suspended %d", EventDispatchSuspension());
    DWORD written;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, lstrlenA(text), &written, nullptr);
    return 1;
}
}  // namespace

TEST_CASE("a window id in the place line brings the window's and the unit's names") {
    SetUnitNameResolver({FakeWindowName, FakeUnitName});
    struct Case {
        int number;
        const char* message;
        uint32_t place1, place2;
        const char* text;
    } cases[] = {
        {0, "", 0x52000001, 0x16000002,
         "运行时出错!\r\n\r\n1375731713, 369098754\r\n\"窗口_主窗口\"\r\n\"按钮_进制计算\"\r\n"},
        {0, "", 0x52000001, 0x16000009, "运行时出错!\r\n\r\n1375731713, 369098761\r\n\"窗口_主窗口\"\r\n未找到所指定的窗口组件\r\n"},
        {0, "", 0x52000005, 0x16000002, "运行时出错!\r\n\r\n1375731717, 369098754\r\n未找到所指定的窗口\r\n"},
        // Bits 24 to 27 decide, not the whole top byte.
        {0, "", 0x02000003, 0, "运行时出错!\r\n\r\n33554435, 0\r\n\"窗口_关于\"\r\n未找到所指定的窗口组件\r\n"},
        {0, "", 0x16000002, 0x52000001, "运行时出错!\r\n\r\n369098754, 1375731713\r\n"},
        {0, "", 0x25000001, 1, "运行时出错!\r\n\r\n620756993, 1\r\n"},
        {5, RuntimeErrorMessage(5), 0x52000001, 0x16000002,
         "运行时出错!\r\n\r\n错误代码：5\r\n\r\n错误信息：数据或数组类型不匹配\r\n\r\n1375731713, 369098754\r\n\"窗口_主窗口\"\r\n\"按钮_进制计算\"\r\n"},
        {0, nullptr, -1u, 0, "运行时出错!\r\n\r\n-1, 0\r\n"},
    };
    LeakCheck leaks;
    for (const Case& c : cases) {
        CAPTURE(c.place1);
        CAPTURE(c.place2);
        char* text = BuildErrorBoxText(c.number, c.message, c.place1, c.place2);
        CHECK(Hex(text) == Hex(c.text));
        FreeMemory(text);
    }
    CHECK(leaks.leaked() == 0);
    SetUnitNameResolver({nullptr, nullptr});
}

CHILD_CASE(numbered_report_with_names) {
    SetUnitNameResolver({FakeWindowName, FakeUnitName});
    SetErrorReportHook(ReportWithSuspension);
    RaiseRuntimeError(4, 0x52000001, 0x16000002);
}
CHILD_CASE(report_from_notify) {
    SetErrorReportHook(ReportWithSuspension);
    RuntimeNotify(kNotifyFatalError, reinterpret_cast<uintptr_t>("不能求余数于零"), 0);
}

TEST_CASE("the report suspends event dispatch, shows the box text and ends with -1") {
    struct Case {
        const char* child;
        const char* output;
    } cases[] = {
        {"numbered_report_with_names",
         "suspended 1\n运行时出错!\r\n\r\n错误代码：4\r\n\r\n错误信息：数组成员引用下标必须大于等于1\r\n\r\n"
         "1375731713, 369098754\r\n\"窗口_主窗口\"\r\n\"按钮_进制计算\"\r\n"},
        {"report_from_notify", "suspended 1\n运行时出错!\r\n\r\n错误信息：不能求余数于零\r\n\r\n0, 0\r\n"},
    };
    for (const Case& c : cases) {
        CAPTURE(c.child);
        ChildRun run = RunChildCase(c.child);
        CHECK(run.exitCode == -1);
        CHECK(Hex(run.output) == Hex(c.output));
    }
}

// ---- service table and numbered services ------------------------------------------------------

TEST_CASE("service 2 copies an array out of the constant area, once") {
    LeakCheck leaks;
    // A two-element int array and a 2x3 byte array laid out inside the constant area.
    uint8_t* spot = ConstantArea + 1700;
    const int32_t ints[4] = {1, 2, 11, 22};
    const int32_t shape[3] = {2, 2, 3};
    memcpy(spot, ints, sizeof(ints));
    memcpy(spot + 32, shape, sizeof(shape));
    memcpy(spot + 44, "abcdef", 6);

    void* a = spot;
    RuntimeService(kServiceCopyConstantArray, reinterpret_cast<uintptr_t>(&a), 4);
    CHECK_FALSE(InConstantArea(a));
    CHECK(memcmp(a, ints, sizeof(ints)) == 0);
    static_cast<int32_t*>(a)[2] = 99;  // the copy is the program's to change
    CHECK(reinterpret_cast<const int32_t*>(spot)[2] == 11);
    void* before = a;
    RuntimeService(kServiceCopyConstantArray, reinterpret_cast<uintptr_t>(&a), 4);
    CHECK(a == before);

    void* b = spot + 32;
    RuntimeService(kServiceCopyConstantArray, reinterpret_cast<uintptr_t>(&b), 1);
    CHECK_FALSE(InConstantArea(b));
    CHECK(memcmp(b, spot + 32, 18) == 0);

    void* none = nullptr;
    RuntimeService(kServiceCopyConstantArray, reinterpret_cast<uintptr_t>(&none), 4);
    CHECK(none == nullptr);
    CHECK(leaks.leaked() == 2);
    FreeMemory(a);
    FreeMemory(b);
    CHECK(leaks.leaked() == 0);
    memset(spot, 0, 64);
}

TEST_CASE("the service table holds the runtime's entries in their order") {
    const RuntimeServiceTable& t = RuntimeServices();
    CHECK(reinterpret_cast<void*>(t.RunMessageLoop) == reinterpret_cast<void*>(&RunMessageLoop));
    CHECK(reinterpret_cast<void*>(t.LoadStartWindow) == reinterpret_cast<void*>(&LoadStartWindow));
    CHECK(reinterpret_cast<void*>(t.CallCommand) == reinterpret_cast<void*>(&CallCommand));
    CHECK(reinterpret_cast<void*>(t.AllocMemory) == reinterpret_cast<void*>(&AllocMemory));
    CHECK(reinterpret_cast<void*>(t.FreeMemory) == reinterpret_cast<void*>(&FreeMemory));
    CHECK(reinterpret_cast<void*>(t.ReallocMemory) == reinterpret_cast<void*>(&ReallocMemory));
    CHECK(reinterpret_cast<void*>(t.RaiseRuntimeError) == reinterpret_cast<void*>(&RaiseRuntimeError));
    CHECK(reinterpret_cast<void*>(t.CallDllCommand) == reinterpret_cast<void*>(&CallDllCommandThunk));
    LeakCheck leaks;
    void* p = t.AllocMemory(10);
    p = t.ReallocMemory(p, 100);
    t.FreeMemory(p);
    CHECK(leaks.leaked() == 0);
    CHECK(t.RuntimeService(0, 0, 0) == 0);
}

// ---- message loop --------------------------------------------------------------------------

namespace {
const UINT kProbe = WM_APP + 1, kProbeNested = WM_APP + 2;
std::string g_trace;
bool g_alive = false;

LRESULT CALLBACK ProbeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kProbe:
        g_trace += "m" + std::to_string(wParam) + " ";
        return 0;
    case kProbeNested:
        // A handler that lets messages through runs the waiting ones inside itself.
        g_trace += "<";
        ProcessEvents();
        g_trace += "> ";
        return 0;
    case WM_DESTROY:
        g_trace += "destroy ";
        g_alive = false;
        WindowDestroyed();
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND ProbeWindow() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ProbeProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"WhtProbeWindow";
    RegisterClassW(&wc);
    return CreateWindowExW(0, L"WhtProbeWindow", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance,
                           nullptr);
}

// Takes what the queue still holds, in order.
std::string Leftovers() {
    std::string s;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) s += "quit ";
        else if (msg.message == kProbe) s += "m" + std::to_string(msg.wParam) + " ";
    }
    return s;
}
}  // namespace

TEST_CASE("ProcessEvents dispatches waiting messages and stops before the quit message") {
    HWND w = ProbeWindow();
    REQUIRE(w != nullptr);
    Leftovers();
    struct Case {
        const char* name;
        void (*post)(HWND);
        void (*run)();
        const char* dispatched;
        const char* left;
    } cases[] = {
        {"facade",
         [](HWND h) {
             PostMessageW(h, kProbe, 1, 0);
             PostMessageW(h, kProbe, 2, 0);
         },
         [] { ProcessEvents(); }, "m1 m2 ", ""},
        {"quit in the queue",
         [](HWND h) {
             PostMessageW(h, kProbe, 1, 0);
             PostMessageW(h, WM_QUIT, 0, 0);
             PostMessageW(h, kProbe, 2, 0);
         },
         [] { CallCommand(cmd::ProcessEvents, 0, nullptr); }, "m1 ", "quit m2 "},
        {"quit requested",
         [](HWND h) {
             PostMessageW(h, kProbe, 1, 0);
             PostQuitMessage(0);
         },
         [] { RuntimeNotify(kNotifyProcessEvents, 0, 0); }, "m1 ", "quit "},
        {"re-entered from a handler",
         [](HWND h) {
             PostMessageW(h, kProbeNested, 0, 0);
             PostMessageW(h, kProbe, 1, 0);
         },
         [] { ProcessEvents(); }, "<m1 > ", ""},
        {"empty queue", [](HWND) {}, [] { ProcessEvents(); }, "", ""},
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        g_trace.clear();
        c.post(w);
        c.run();
        CHECK(g_trace == c.dispatched);
        CHECK(Leftovers() == c.left);
    }
    g_alive = true;
    DestroyWindow(w);
    Leftovers();
}

TEST_CASE("codes 2009 and 2010 let messages run, then raise and lower the suspension count") {
    HWND w = ProbeWindow();
    Leftovers();
    g_trace.clear();
    int32_t base = EventDispatchSuspension();
    PostMessageW(w, kProbe, 1, 0);
    RuntimeNotify(kNotifySuspendEvents, 0, 0);
    CHECK(g_trace == "m1 ");
    CHECK(EventDispatchSuspension() == base + 1);
    RuntimeNotify(kNotifySuspendEvents, 0, 0);
    PostMessageW(w, kProbe, 2, 0);
    RuntimeNotify(kNotifyResumeEvents, 0, 0);
    CHECK(g_trace == "m1 m2 ");
    CHECK(EventDispatchSuspension() == base + 1);
    RuntimeNotify(kNotifyResumeEvents, 0, 0);
    RuntimeNotify(kNotifyResumeEvents, 0, 0);  // never below 0
    CHECK(EventDispatchSuspension() == 0);
    DestroyWindow(w);
    Leftovers();
}

namespace {
HWND g_window = nullptr;
void IdleOne(uint32_t arg) { g_trace += "idle" + std::to_string(arg) + " "; }
void IdleGone(uint32_t) { g_trace += "gone "; }
int g_phase = 0;
bool IdleStep(long count) {
    g_trace += "s" + std::to_string(count) + " ";
    if (count < 2) return true;
    // The third step of each idle phase wakes the loop: first with a message, then a close.
    PostMessageW(g_window, ++g_phase == 1 ? kProbe : WM_CLOSE, 7, 0);
    return false;
}
bool Alive() { return g_alive; }
}  // namespace

CHILD_CASE(loop_no_window) {
    StartWatchdog();
    RunMessageLoop();
    Say("returned, running %d", MessageLoopRunning());
    SetWindowAliveQuery(Alive);
    RunMessageLoop();
    Say("returned with the query");
}

CHILD_CASE(loop_until_last_window) {
    StartWatchdog();
    g_window = ProbeWindow();
    HWND gone = ProbeWindow();
    DestroyWindow(gone);
    g_alive = true;
    SetWindowAliveQuery(Alive);
    AddIdleCallback(gone, IdleGone, 0);
    AddIdleCallback(g_window, IdleOne, 1);
    AddIdleCallback(g_window, IdleOne, 2);
    AddIdleCallback(g_window, IdleOne, 3);
    RemoveIdleCallback(g_window, IdleOne, 3);
    SetIdleStep(IdleStep);
    g_trace.clear();
    RunMessageLoop();
    Say("%s", g_trace.c_str());
    Say("returned, running %d, quit left %d", MessageLoopRunning(), Leftovers() == "quit ");
}

// Without a query the loop counts the windows it is told about.
CHILD_CASE(loop_counts_windows) {
    StartWatchdog();
    g_window = ProbeWindow();
    WindowCreated();
    WindowCreated();
    WindowDestroyed();
    Say("loaded %d", AnyWindowLoaded());
    PostMessageW(g_window, WM_CLOSE, 0, 0);
    RunMessageLoop();
    Say("%s", g_trace.c_str());
    Say("returned, loaded %d", AnyWindowLoaded());
    // Not running: a destroyed window posts no quit.
    WindowCreated();
    WindowDestroyed();
    Say("left %s", Leftovers().c_str());
}

TEST_CASE("the message loop runs idle work and ends with the last window") {
    struct Case {
        const char* child;
        const char* output;
    } cases[] = {
        {"loop_no_window", "returned, running 0\nreturned with the query\n"},
        {"loop_until_last_window",
         "idle2 idle1 s0 s1 s2 m7 idle2 idle1 s0 s1 s2 destroy \nreturned, running 0, quit left 0\n"},
        {"loop_counts_windows", "loaded 1\ndestroy \nreturned, loaded 0\nleft \n"},
    };
    for (const Case& c : cases) {
        CAPTURE(c.child);
        ChildRun run = RunChildCase(c.child);
        CHECK(run.exitCode == 0);
        CHECK(run.output == c.output);
    }
}
