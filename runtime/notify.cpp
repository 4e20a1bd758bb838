#include "notify.h"

#include <windows.h>

#include "error_report.h"
#include "exit_path.h"
#include "memory.h"
#include "message_loop.h"

namespace {
const int kFirstCode = 2000, kLastCode = 2040;
NotifyHandler g_handlers[kLastCode - kFirstCode + 1];
}  // namespace

void RegisterNotifyHandler(int32_t code, NotifyHandler handler) {
    if (code >= kFirstCode && code <= kLastCode) g_handlers[code - kFirstCode] = handler;
}

intptr_t RuntimeNotify(int32_t code, uintptr_t first, uintptr_t second) {
    switch (code) {
    case kNotifySuspendEvents:
        ProcessEvents();
        SuspendEventDispatch();
        return 0;
    case kNotifyResumeEvents:
        ProcessEvents();
        ResumeEventDispatch();
        return 0;
    case kNotifyProcessEvents:
        ProcessEvents();
        return 0;
    case kNotifyFreeArray:
        FreeArray(static_cast<TypeCode>(first), reinterpret_cast<void*>(second));
        return 0;
    case kNotifyAlloc:
        // With the no-report flag the caller copes with a failure itself.
        return reinterpret_cast<intptr_t>(second ? TryAllocMemory(static_cast<int32_t>(first))
                                                : AllocMemory(static_cast<int32_t>(first)));
    case kNotifyFree:
        FreeMemory(reinterpret_cast<void*>(first));
        return 0;
    case kNotifyRealloc:
        return reinterpret_cast<intptr_t>(ReallocMemory(reinterpret_cast<void*>(first), static_cast<int32_t>(second)));
    case kNotifyFatalError:
        RaiseFatalMessage(reinterpret_cast<const char*>(first));
    case kNotifyEndProcess:
        ExitRuntime(static_cast<int>(first));
    default:
        if (code >= kFirstCode && code <= kLastCode && g_handlers[code - kFirstCode])
            return g_handlers[code - kFirstCode](code, first, second);
        return 0;
    }
}
