// Event dispatch: from a unit's event notification to the program's handler bound to it in
// the form data, and the handler's result back to the unit.
#pragma once
#include <cstdint>

#include "runtime/values.h"
#include "ui/unit_type.h"

// The extended notification (RuntimeNotify 2031): up to 12 arguments of any kind and a
// 64-bit result. Every field is 32 bits wide, so the layout has no padding.
struct ExtendedEventArgument {
    uint32_t value;
    uint32_t high;  // second half of 8-byte kinds
    TypeCode kind;
    uint32_t flags;
};
static_assert(sizeof(ExtendedEventArgument) == 16, "16-byte arguments");
const int kMaxExtendedEventArguments = 12;
struct ExtendedEventNotification {
    uint32_t window;
    uint32_t unit;  // 0: the window itself
    int32_t eventNumber;
    int32_t argumentCount;
    ExtendedEventArgument arguments[kMaxExtendedEventArguments];
    int32_t hasResult;
    uint32_t resultLow;
    uint32_t resultHigh;
};

// Finds and calls the handler. 1 when a handler ran, 0 when the event was dropped
// (dispatch suspended, no binding, no handler). A window or unit that cannot be found, or
// a record that can raise no event, is a fatal runtime error.
int32_t DispatchEvent(EventNotification* notification);
int32_t DispatchExtendedEvent(ExtendedEventNotification* notification);

// How a handler returns a result to the unit that raised its event (a veto, a replacement
// character): it calls this before it returns. Without the call the event has no result.
void SetEventResult(int32_t value);
void SetEventResult64(int64_t value);

// The window and unit that raised the event whose handler is running; 0 outside handlers.
uint32_t CurrentEventWindow();
uint32_t CurrentEventUnit();

// Raises an event of a window (unit 0) or unit through RuntimeNotify 2008, as units do.
// True when the handler returned a result, stored in *result.
bool RaiseFrameworkEvent(uint32_t windowId, uint32_t unitId, int32_t eventNumber, int32_t* result = nullptr);

// Registers the dispatcher for RuntimeNotify 2008 and 2031.
void InstallEventDispatch();
