#include "runtime_services.h"

#include "call_command.h"
#include "dll_commands.h"
#include "error_report.h"
#include "exit_path.h"
#include "memory.h"
#include "message_loop.h"
#include "startup.h"

namespace {
StartWindowLoader g_startLoader = nullptr;
UnitPropertyReader g_reader = nullptr;
UnitPropertyWriter g_writer = nullptr;

const char kNoSuchUnit[] = "指定窗口或窗口组件不存在或尚未载入";

uint64_t ReadProperty(uint32_t windowId, uint32_t unitId, int32_t property, uint32_t extra) {
    if (!g_reader) RaiseFatalMessage(kNoSuchUnit);
    return g_reader(windowId, unitId, property, extra);
}

void WriteProperty(uint32_t windowId, uint32_t unitId, int32_t property, uint32_t extra, uintptr_t low,
                   uint32_t high) {
    if (!g_writer) RaiseFatalMessage(kNoSuchUnit);
    g_writer(windowId, unitId, property, extra, low, high);
}

int32_t Service(int32_t number, uintptr_t first, uintptr_t second) { return RuntimeService(number, first, second); }

const RuntimeServiceTable g_table = {
    RunMessageLoop, LoadStartWindow, Service,       FreeMemory,         WriteProperty,    ReadProperty,
    CallCommand,    AllocMemory,     CallDllCommandThunk, RaiseRuntimeError, ReallocMemory,
};
}  // namespace

void CopyConstantArray(void** variable, int32_t elementSize) {
    if (!variable || !*variable || !InConstantArea(*variable)) return;
    const int32_t* header = static_cast<const int32_t*>(*variable);
    int32_t d = header[0];
    int64_t count = 1;
    bool sound = d >= 0 && d < 0x10000 && elementSize >= 0;
    for (int32_t i = 0; sound && i < d; ++i) {
        if (header[1 + i] < 0) sound = false;
        else count *= header[1 + i];
        if (count > 0x7FFFFFFF) sound = false;
    }
    int64_t size = sound ? 4 + 4 * static_cast<int64_t>(d) + elementSize * count : -1;
    // Only a damaged constant block has a shape no array can have.
    if (size < 0 || size > 0x7FFFFFFF) RaiseRuntimeError(5, 0, 0);
    *variable = ReallocMemory(*variable, static_cast<int32_t>(size));
}

int32_t RuntimeService(int32_t number, uintptr_t first, uintptr_t second) {
    switch (number) {
    case kServiceCopyConstantArray:
        CopyConstantArray(reinterpret_cast<void**>(first), static_cast<int32_t>(second));
        return 0;
    case kServiceAddExitRoutine:
        AddExitRoutine(reinterpret_cast<ExitRoutine>(first));
        return 0;
    case kServiceInitialise:
        InitialiseRuntime(reinterpret_cast<const ProgramHeader*>(first));
        return 0;
    default:
        return 0;
    }
}

void LoadStartWindow(uint32_t windowId) {
    if (!g_startLoader || !g_startLoader(windowId)) RaiseFatalMessage("载入启动窗口失败");
}

void SetStartWindowLoader(StartWindowLoader loader) { g_startLoader = loader; }

void SetUnitPropertyAccess(UnitPropertyReader reader, UnitPropertyWriter writer) {
    g_reader = reader;
    g_writer = writer;
}

const RuntimeServiceTable& RuntimeServices() { return g_table; }
