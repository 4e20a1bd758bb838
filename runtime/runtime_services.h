// The service table: the eleven fixed entries through which program code reaches the runtime.
#pragma once
#include <cstdint>

#include "values.h"

// Numbered services of RuntimeService.
enum RuntimeServiceNumber : int32_t {
    kServiceCopyConstantArray = 2,  // first: address of the array variable, second: element size
    kServiceAddExitRoutine = 3,     // first: the ExitRoutine
    kServiceInitialise = 6,         // first: the ProgramHeader, or 0 for the program's own
};
// Services 0, 1, 4 and 5 serve features this program does not have; they answer 0.
int32_t RuntimeService(int32_t number, uintptr_t first, uintptr_t second = 0);

// Copies an array block held in the constant area to the heap (header 4 + 4*d bytes, then
// elementSize bytes per element) and repoints the variable. A block that is already on the
// heap, or null, is left as it is.
void CopyConstantArray(void** variable, int32_t elementSize);

// Loads and shows the start window through the window framework; a failure, or no framework,
// is the fatal error "载入启动窗口失败".
void LoadStartWindow(uint32_t windowId);
typedef bool (*StartWindowLoader)(uint32_t windowId);
void SetStartWindowLoader(StartWindowLoader loader);

// Unit property access belongs to the window framework, which installs it here.
typedef uint64_t (*UnitPropertyReader)(uint32_t windowId, uint32_t unitId, int32_t property, uint32_t extra);
typedef void (*UnitPropertyWriter)(uint32_t windowId, uint32_t unitId, int32_t property, uint32_t extra,
                                   uintptr_t low, uint32_t high);
void SetUnitPropertyAccess(UnitPropertyReader reader, UnitPropertyWriter writer);

struct RuntimeServiceTable {
    void (*RunMessageLoop)();
    void (*LoadStartWindow)(uint32_t windowId);
    int32_t (*RuntimeService)(int32_t number, uintptr_t first, uintptr_t second);
    void (*FreeMemory)(void* block);
    void (*WriteUnitProperty)(uint32_t windowId, uint32_t unitId, int32_t property, uint32_t extra,
                              uintptr_t low, uint32_t high);
    uint64_t (*ReadUnitProperty)(uint32_t windowId, uint32_t unitId, int32_t property, uint32_t extra);
    ArgRecord (*CallCommand)(LibraryCommand command, int count, ArgRecord* args);
    void* (*AllocMemory)(int32_t size);
    void (*CallDllCommand)();  // CallDllCommandThunk: entry number in EAX (RAX)
    void (*RaiseRuntimeError)(int number, int32_t routineId, int32_t place);
    void* (*ReallocMemory)(void* block, int32_t size);
};
static_assert(sizeof(RuntimeServiceTable) == 11 * sizeof(void*), "eleven entries");

const RuntimeServiceTable& RuntimeServices();
