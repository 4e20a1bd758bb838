#include "error_report.h"

#include <windows.h>
#include <cstring>

#include "exit_path.h"
#include "memory.h"
#include "message_loop.h"
#include "startup.h"

namespace {
ErrorReportHook g_hook = nullptr;
volatile LONG g_reporting = 0;
UnitNameResolver g_names = {nullptr, nullptr};
void (*g_prelude)() = nullptr;

const char* const kMessages[] = {
    "数组成员引用下标超出定义范围",
    "未得到所需要的数值型数据",
    "引用数组成员时维数不为1且不等于该数组目前所具有的维数",
    "数组成员引用下标必须大于等于1",
    "数据或数组类型不匹配",
    "调用DLL命令后发现堆栈错误",
    "子语句参数未返回数据或者返回了非系统基本类型或数组型数据",
    "被比较数据只能使用等于或不等于命令比较",
    "“多项选择”命令的索引值参数小于零或超出了所提供参数表范围",
    "“重定义数组”命令的数组维定义参数值必须大于零或单维时大于等于零",
    "所提供参数的数据类型不符合要求",
};

// A growing text built without the command protocol: the report must work even when
// the failure came from inside a command.
struct Builder {
    char* data = nullptr;
    int len = 0, cap = 0;
    void add(const char* s) {
        int n = lstrlenA(s);
        if (len + n + 1 > cap) {
            cap = (len + n + 1) * 2;
            data = static_cast<char*>(ReallocMemory(data, cap));
        }
        memcpy(data + len, s, n + 1);
        len += n;
    }
    void quoted(const char* s) { add("\""); add(s); add("\""); }
};
}  // namespace

const char* RuntimeErrorMessage(int number) {
    return number >= 1 && number <= 11 ? kMessages[number - 1] : "";
}

void SetErrorReportHook(ErrorReportHook hook) { g_hook = hook; }
void SetUnitNameResolver(const UnitNameResolver& resolver) { g_names = resolver; }
void SetErrorReportPrelude(void (*prelude)()) { g_prelude = prelude; }

char* BuildErrorBoxText(int number, const char* message, int32_t place1, int32_t place2) {
    Builder b;
    char line[64];
    b.add("运行时出错!\r\n");
    if (number != 0) {
        wsprintfA(line, "\r\n错误代码：%d\r\n", number);
        b.add(line);
    }
    if (message && *message) {
        b.add("\r\n错误信息：");
        b.add(message);
        b.add("\r\n");
    }
    wsprintfA(line, "\r\n%d, %d", place1, place2);
    b.add(line);
    if (((static_cast<uint32_t>(place1) >> 24) & 0x0F) == 2) {
        char name[256] = "";
        if (g_names.windowName && g_names.windowName(place1, name)) {
            name[255] = 0;
            b.add("\r\n");
            b.quoted(name);
            name[0] = 0;
            if (g_names.unitName && g_names.unitName(place1, place2, name)) {
                name[255] = 0;
                b.add("\r\n");
                b.quoted(name);
            } else {
                b.add("\r\n未找到所指定的窗口组件");
            }
        } else {
            b.add("\r\n未找到所指定的窗口");
        }
    }
    b.add("\r\n");
    return b.data;
}

void ReportRuntimeError(int number, const char* message, int32_t place1, int32_t place2) {
    // A failure while a report is being built or shown (running out of memory for the text)
    // must not report itself again without end.
    if (InterlockedExchange(&g_reporting, 1) != 0) {
        DropExitRoutines();
        ExitRuntime(-1);
    }
    SuspendEventDispatch();
    if (g_prelude) g_prelude();
    char* text = BuildErrorBoxText(number, message, place1, place2);
    if (!g_hook || !g_hook(text)) {
        // The box is shown in wide characters after an explicit conversion from code
        // page 936, so the report reads the same on any system locale.
        int wn = MultiByteToWideChar(936, 0, text, -1, nullptr, 0);
        wchar_t* wide = static_cast<wchar_t*>(AllocMemory(wn * 2));
        MultiByteToWideChar(936, 0, text, -1, wide, wn);
        MessageBoxW(nullptr, wide, L"错误", MB_ICONERROR);
        FreeMemory(wide);
    }
    FreeMemory(text);
    if (ProgramBuildKind() == 2 && IsDebuggerPresent()) DebugBreak();
    DropExitRoutines();
    ExitRuntime(-1);
}

void RaiseRuntimeError(int number, int32_t routineId, int32_t place) {
    ReportRuntimeError(number, RuntimeErrorMessage(number), routineId, place);
}

void RaiseFatalMessage(const char* message) { ReportRuntimeError(0, message, 0, 0); }
