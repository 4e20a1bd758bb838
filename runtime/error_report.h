// Fatal runtime errors: one report box, then the end of the process with exit code -1.
#pragma once
#include <cstdint>

// Fatal error with one of the numbered messages (1 to 11), from program code.
[[noreturn]] void RaiseRuntimeError(int number, int32_t routineId, int32_t place);
// Fatal error with a message text and no number, from a library command (notify code 2027).
[[noreturn]] void RaiseFatalMessage(const char* message);
// The general form: number 0 means none; an empty message is left out.
[[noreturn]] void ReportRuntimeError(int number, const char* message, int32_t place1, int32_t place2);

// Builds the box text exactly as shown (code page 936).
// The result is a heap block from AllocMemory, owned by the caller.
char* BuildErrorBoxText(int number, const char* message, int32_t place1, int32_t place2);

const char* RuntimeErrorMessage(int number);  // "" outside 1..11

// Takes over the report: when it returns nonzero the box is not shown. The exit still happens.
typedef int (*ErrorReportHook)(const char* boxText);
void SetErrorReportHook(ErrorReportHook hook);

// Names for the place lines of a report; the window framework installs it. Each returns
// false when the window (or the unit) is not loaded. Names are copied into buffers of 256.
struct UnitNameResolver {
    bool (*windowName)(uint32_t windowId, char* name);
    bool (*unitName)(uint32_t windowId, uint32_t unitId, char* name);
};
void SetUnitNameResolver(const UnitNameResolver& resolver);

// Raised before the report is shown so that no event handler runs under it.
void SetErrorReportPrelude(void (*prelude)());
