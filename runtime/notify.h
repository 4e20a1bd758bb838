// RuntimeNotify: the one entry through which library code reaches the runtime core.
#pragma once
#include <cstdint>

enum NotifyCode : int32_t {
    kNotifyLoadWindow = 2005,
    kNotifyFindUnit = 2006,
    kNotifyFindUnitStrict = 2007,
    kNotifyRaiseEvent = 2008,
    kNotifySuspendEvents = 2009,
    kNotifyResumeEvents = 2010,
    kNotifyFindFile = 2011,
    kNotifyAddFile = 2012,
    kNotifyRemoveFile = 2013,
    kNotifyCloseAllFiles = 2014,
    kNotifyProcessEvents = 2018,
    kNotifyFreeArray = 2023,
    kNotifyAlloc = 2024,
    kNotifyFree = 2025,
    kNotifyRealloc = 2026,
    kNotifyFatalError = 2027,
    kNotifyEndProcess = 2028,
    kNotifyRaiseEventExtended = 2031,
};

// Arguments and the answer are pointer-sized: many codes pass or return addresses.
intptr_t RuntimeNotify(int32_t code, uintptr_t first, uintptr_t second);

// Codes served outside the core (windows, files, the message pump) are handed to the
// subsystem that registered for them. An unregistered code answers 0.
typedef intptr_t (*NotifyHandler)(int32_t code, uintptr_t first, uintptr_t second);
void RegisterNotifyHandler(int32_t code, NotifyHandler handler);
