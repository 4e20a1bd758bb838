// Event dispatch: bindings, EventSourceId links, arguments, results, suspension, nesting,
// and the fatal errors for events nobody can have raised.
#include <windows.h>

#include <cstring>

#include "frame_test_support.h"
#include "runtime/message_loop.h"
#include "runtime/notify.h"
#include "test_support.h"
#include "ui/event_dispatch.h"
#include "ui/unit_properties.h"
#include "ui/window_loader.h"
#include "ui/window_registry.h"

using namespace frame;

TEST_CASE("an event reaches the handler bound to it, with its arguments and its result") {
    UseFrameForm();
    REQUIRE(LoadFormWindow(kMain, nullptr, false));
    FormWindow* w = FindWindowById(kMain);
    const uint32_t byObject = reinterpret_cast<uintptr_t>(WindowObject(*w));
    const uint32_t byHandle = reinterpret_cast<uintptr_t>(WindowHandle(*w));
    struct {
        uint32_t window, unit;
        int32_t event, count, args[3];
        int32_t ran, hasResult, result;
        const char* log;
    } const cases[] = {
        {kMain, kUnitA, -1, 3, {10, 20, 4}, 1, 0, 0, "mouse:10:20:4:0012"},
        {kMain, kUnitA, 2, 0, {}, 1, 1, 7, "result"},
        {kMain, kUnitA, 1, 0, {}, 0, 0, 0, ""},     // bound to no handler
        {kMain, kUnitA, 9, 0, {}, 0, 0, 0, ""},     // not bound at all
        {kMain, kBorrower, -1, 3, {1, 2, 3}, 1, 0, 0, "mouse:1:2:3:0013"},  // kUnitA's bindings
        {kMain, kBorrower, 2, 0, {}, 1, 1, 7, "result"},
        {kMain, kInside, -1, 3, {1, 2, 3}, 0, 0, 0, ""},  // its own bindings: only event 0
        {kMain, 0, 3, 0, {}, 1, 0, 0, "e3"},                // the window itself
        {kMain, kMainRecord, 4, 0, {}, 1, 0, 0, "e4"},
        {byObject, 0, 3, 0, {}, 1, 0, 0, "e3"},             // the window by its object
        {byHandle, 0, 4, 0, {}, 1, 0, 0, "e4"},             // ... and by its handle
        {kMain, kMenuA, 0, 0, {}, 1, 0, 0, "menu:a:26100006"},
        {kMain, kMenuPopup, 0, 0, {}, 0, 0, 0, ""},         // a menu item without a handler
    };
    for (const auto& c : cases) {
        CAPTURE(c.unit);
        CAPTURE(c.event);
        log.clear();
        EventNotification n = {};
        n.window = c.window;
        n.unit = c.unit;
        n.eventNumber = c.event;
        n.argumentCount = c.count;
        for (int i = 0; i < c.count; ++i) n.arguments[i] = c.args[i];
        n.hasResult = 5;  // the dispatcher sets it either way
        CHECK(RuntimeNotify(kNotifyRaiseEvent, reinterpret_cast<uintptr_t>(&n), 0) == c.ran);
        CHECK(n.hasResult == c.hasResult);
        if (c.hasResult) CHECK(n.result == c.result);
        CHECK(log == c.log);
    }
    CHECK(CurrentEventWindow() == 0);
    CHECK(CurrentEventUnit() == 0);
    DestroyAllWindows();
}

TEST_CASE("events are dropped while dispatch is suspended") {
    UseFrameForm();
    REQUIRE(LoadFormWindow(kMain, nullptr, false));
    log.clear();
    int32_t result = 0;
    RuntimeNotify(kNotifySuspendEvents, 0, 0);
    RuntimeNotify(kNotifySuspendEvents, 0, 0);
    CHECK_FALSE(RaiseFrameworkEvent(kMain, kUnitA, 2, &result));
    RuntimeNotify(kNotifyResumeEvents, 0, 0);
    CHECK_FALSE(RaiseFrameworkEvent(kMain, kUnitA, 2, &result));
    CHECK(log.empty());
    RuntimeNotify(kNotifyResumeEvents, 0, 0);
    CHECK(RaiseFrameworkEvent(kMain, kUnitA, 2, &result));
    CHECK(result == 7);
    RuntimeNotify(kNotifyResumeEvents, 0, 0);  // never below 0
    CHECK(EventDispatchSuspension() == 0);
    DestroyAllWindows();
}

TEST_CASE("the extended form passes each argument as its kind and returns 64 bits") {
    UseFrameForm();
    REQUIRE(LoadFormWindow(kMain, nullptr, false));
    log.clear();
    ExtendedEventNotification n = {};
    n.window = kMain;
    n.unit = kUnitA;
    n.eventNumber = 5;
    n.argumentCount = 2;
    double real = 2.5;
    uint64_t bits;
    memcpy(&bits, &real, 8);
    n.arguments[0] = {static_cast<uint32_t>(bits), static_cast<uint32_t>(bits >> 32), kDouble, 0};
    n.arguments[1] = {9, 0, kInt, 0};
    CHECK(RuntimeNotify(kNotifyRaiseEventExtended, reinterpret_cast<uintptr_t>(&n), 0) == 1);
    CHECK(log == "ext:2.5:9");
    CHECK(n.hasResult == 1);
    CHECK(n.resultLow == 0x23456789u);
    CHECK(n.resultHigh == 0x1u);
    DestroyAllWindows();
}

TEST_CASE("a handler that writes its unit's content raises the content event again, nested") {
    UseFrameForm();
    REQUIRE(LoadFormWindow(kMain, nullptr, false));
    log.clear();
    nestedWrites = 2;
    WriteUnitText(kMain, kUnitA, kFirstOwnProperty, "a");
    CHECK(log == "changed:0012:1 changed:0012:2 changed:0012:3");
    CHECK(std::string(ReadUnitText(kMain, kUnitA, kFirstOwnProperty)) == "x");
    CHECK(CurrentEventUnit() == 0);
    DestroyAllWindows();
}

CHILD_CASE(frame_event_no_window) {
    UseFrameForm();
    RaiseFrameworkEvent(0x52999999, 0, 0);
}

CHILD_CASE(frame_event_no_unit) {
    UseFrameForm();
    LoadFormWindow(kMain, nullptr, false);
    RaiseFrameworkEvent(kMain, 0x16999999, 0);
}

CHILD_CASE(frame_event_not_a_unit) {
    UseFrameForm();
    RaiseFrameworkEvent(kUnknownType, kNotAUnit, 0);
}

TEST_CASE("an event of a window or unit that is not there is a fatal error") {
    struct {
        const char* child;
        const char* text;
    } const cases[] = {
        {"frame_event_no_window", "错误信息：未找到引发事件的窗口\r\n\r\n1385798041, 0\r\n未找到所指定的窗口\r\n"},
        {"frame_event_no_unit",
         "错误信息：未找到引发事件的窗口组件\r\n\r\n1376780289, 379165081\r\n\"主窗口\"\r\n未找到所指定的窗口组件\r\n"},
        {"frame_event_not_a_unit", "错误信息：引发事件的窗口组件无效\r\n\r\n1376780292, 373293058\r\n未找到所指定的窗口\r\n"},
    };
    for (const auto& c : cases) {
        CAPTURE(c.child);
        ChildRun run = RunChildCase(c.child);
        CHECK(run.exitCode == -1);
        CAPTURE(GbkToUtf8(run.output));
        CHECK(run.output.find(c.text) != std::string::npos);
    }
}

TEST_CASE("the program's unit types raise their events through the window procedure") {
    UseFrameForm(kFrameUnitsForm);
    REQUIRE(LoadFormWindow(kUnits, nullptr, false));
    struct {
        uint32_t unit;
        const char* log;
    } const clicks[] = {
        {kButton, "button"},     // reflected by the window
        {kRadioB, "radio:0004"},  // reflected by its group box
    };
    for (const auto& c : clicks) {
        CAPTURE(c.unit);
        log.clear();
        SendMessageW(UnitWindow(kUnits, c.unit), BM_CLICK, 0, 0);
        CHECK(log == c.log);
    }

    log.clear();
    nestedWrites = 2;
    WriteUnitText(kUnits, kEdit, kFirstOwnProperty, "甲");
    CHECK(log == "edit:1 edit:2 edit:3");
    CHECK(std::string(ReadUnitText(kUnits, kEdit, kFirstOwnProperty)) == "再");

    // Enter is the multi-line box's own key: the keyboard navigation leaves it to the box.
    log.clear();
    SetForegroundWindow(WindowOf(kUnits));
    SetFocus(UnitWindow(kUnits, kEdit));
    PostMessageW(UnitWindow(kUnits, kEdit), WM_KEYDOWN, VK_RETURN, 0);
    Pump();
    CHECK(log.find("key:13") == 0);
    DestroyAllWindows();
}
