#include <windows.h>

#include <climits>
#include <cstring>
#include <string>

#include "runtime/call_command.h"
#include "runtime/constant_area.h"
#include "runtime/error_report.h"
#include "runtime/library.h"
#include "runtime/memory.h"
#include "runtime/notify.h"
#include "runtime/variables.h"
#include "test_support.h"

TEST_CASE("the constant area begins with the shared empty text and empty byte set") {
    const uint8_t expected[9] = {0, 1, 0, 0, 0, 0, 0, 0, 0};
    CHECK(memcmp(ConstantArea, expected, 9) == 0);
    CHECK(ByteSetBlockLength(EmptyByteSetConstant()) == 0);
    CHECK(InConstantArea(EmptyTextConstant()));
}

TEST_CASE("freeing null or a constant does nothing") {
    LeakCheck leaks;
    FreeMemory(nullptr);
    FreeMemory(EmptyTextConstant());
    FreeMemory(EmptyByteSetConstant());
    CHECK(leaks.leaked() == 0);
}

TEST_CASE("reallocating a constant copies it out to the heap") {
    LeakCheck leaks;
    void* p = ReallocMemory(EmptyByteSetConstant(), 16);
    CHECK_FALSE(InConstantArea(p));
    int32_t header[2];
    memcpy(header, p, 8);
    CHECK(header[0] == 1);
    CHECK(header[1] == 0);
    CHECK(leaks.leaked() == 1);
    FreeMemory(p);
    CHECK(leaks.leaked() == 0);
}

TEST_CASE("realloc of null allocates and realloc keeps the bytes") {
    LeakCheck leaks;
    char* p = static_cast<char*>(ReallocMemory(nullptr, 4));
    memcpy(p, "abc", 4);
    p = static_cast<char*>(ReallocMemory(p, 4000));
    CHECK(std::string(p) == "abc");
    FreeMemory(p);
    CHECK(leaks.leaked() == 0);
}

namespace {
struct Refused {
    int64_t size;
};
void ThrowRefused(int64_t size) { throw Refused{size}; }
}  // namespace

TEST_CASE("a failed allocation, or a size no block can hold, goes to the failure handler first") {
    SetAllocationFailureHandler(ThrowRefused);
    CountBlockBytes();
    SetBlockBytesLimit(LiveBlockBytes() + 1000);
    struct {
        const char* what;
        void (*ask)();
        int64_t size;
    } cases[] = {
        {"over the heap limit", [] { AllocMemory(5000); }, 5000},
        {"a block beyond 2 GB", [] { ZeroByteSet(INT32_MAX); }, int64_t(INT32_MAX) + 8},
        {"a text beyond 2 GB", [] { RepeatText(0x40000001, "ab"); }, 0x80000003},
    };
    for (const auto& c : cases) {
        CAPTURE(c.what);
        int64_t refused = -1;
        try {
            c.ask();
        } catch (const Refused& r) {
            refused = r.size;
        }
        CHECK(refused == c.size);
    }
    SetBlockBytesLimit(0);
    SetAllocationFailureHandler(nullptr);
}

TEST_CASE("argument records carry eight-byte kinds in value and extra") {
    ArgRecord r = LongArg(-1);
    CHECK(r.value == 0xFFFFFFFFu);
    CHECK(r.extra == 0xFFFFFFFFu);
    CHECK(r.type == kLong);
    ArgRecord d = DoubleArg(1.0);  // 0x3FF0000000000000
    CHECK(d.value == 0);
    CHECK(d.extra == 0x3FF00000u);
    CHECK(TextArg(nullptr).value == reinterpret_cast<uintptr_t>(EmptyTextConstant()));
    CHECK(ByteSetArg(nullptr).value == reinterpret_cast<uintptr_t>(EmptyByteSetConstant()));
    CHECK(OmittedArg().type == kNoValue);
}

TEST_CASE("the notify entry allocates, reallocates and frees arrays with their elements") {
    LeakCheck leaks;
    int32_t* block = reinterpret_cast<int32_t*>(RuntimeNotify(kNotifyAlloc, 8 + 2 * sizeof(char*), 0));
    block[0] = 1;
    block[1] = 2;
    char* texts[2] = {static_cast<char*>(AllocMemory(2)), static_cast<char*>(AllocMemory(2))};
    memcpy(ArrayElements(block), texts, sizeof texts);
    CHECK(leaks.leaked() == 3);
    RuntimeNotify(kNotifyFreeArray, kText, reinterpret_cast<uintptr_t>(block));
    CHECK(leaks.leaked() == 0);
#if defined(__i386__)  // only a 32-bit process cannot have 2 GB
    CHECK(RuntimeNotify(kNotifyAlloc, 0x7FFFFFF0, 1) == 0);  // no-report flag: null, no exit
#endif
}

TEST_CASE("join texts builds exactly sized texts; empty joins are null") {
    LeakCheck leaks;
    {
        TextVar t = JoinTexts({"ab", "", nullptr, "c"});
        CHECK(std::string(t) == "abc");
        TextVar e = JoinTexts({"", nullptr});
        CHECK(e.get() == nullptr);
    }
    CHECK(leaks.leaked() == 0);
}

// Fatal paths: each runs in a child process whose exit code and report text are checked.
CHILD_CASE(numbered_error) { RaiseRuntimeError(4, 67199139, 225); }
CHILD_CASE(message_error) { RuntimeNotify(kNotifyFatalError, reinterpret_cast<uintptr_t>("不能整除于零"), 0); }
CHILD_CASE(allocation_failure) { AllocMemory(0x7FFFFFF0); }
CHILD_CASE(index_below_one) {
    ByteSetVar empty;
    empty.at(0);
}
CHILD_CASE(end_process) { RuntimeNotify(kNotifyEndProcess, 7, 0); }

TEST_CASE("fatal runtime errors show the report text and end with exit code -1") {
    struct Case {
        const char* name;
        const char* report;
    } cases[] = {
        {"numbered_error",
         "运行时出错!\r\n\r\n错误代码：4\r\n\r\n错误信息：数组成员引用下标必须大于等于1\r\n\r\n67199139, 225\r\n"},
        {"message_error", "运行时出错!\r\n\r\n错误信息：不能整除于零\r\n\r\n0, 0\r\n"},
#if defined(__i386__)  // a 2 GB block cannot be had in a 32-bit process; in a 64-bit one it can
        {"allocation_failure", "运行时出错!\r\n\r\n错误信息：分配 2147483632 字节内存失败!\r\n\r\n0, 0\r\n"},
#endif
        {"index_below_one", "运行时出错!\r\n\r\n错误代码：4\r\n\r\n错误信息：数组成员引用下标必须大于等于1\r\n\r\n0, 1\r\n"},
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        ChildRun run = RunChildCase(c.name);
        CHECK(run.exitCode == -1);
        CHECK(Hex(run.output) == Hex(c.report));
    }
}

TEST_CASE("ending the process through the notify entry uses the given exit code") {
    ChildRun run = RunChildCase("end_process");
    CHECK(run.exitCode == 7);
    CHECK(run.output.empty());
}

TEST_CASE("a window id in the place line names the window, or says it is not found") {
    char* text = BuildErrorBoxText(0, "", 0x52000001, 0x16000002);
    CHECK(std::string(text) == "运行时出错!\r\n\r\n1375731713, 369098754\r\n未找到所指定的窗口\r\n");
    FreeMemory(text);
}

TEST_CASE("each test locale really has its own ANSI code page") {
    char locale[8] = "";
    GetEnvironmentVariableA("WHT_LOCALE", locale, sizeof(locale));
    if (std::string(locale) == "zh") CHECK(GetACP() == 936);
    if (std::string(locale) == "en") CHECK(GetACP() == 1252);
}
