#include "ui/event_dispatch.h"

#include <cstring>
#include <vector>

#include "runtime/error_report.h"
#include "runtime/message_loop.h"
#include "runtime/notify.h"
#include "ui/window_registry.h"

namespace {
// Handlers are ordinary cdecl routines reached through the form's jump stubs. They are
// called with every argument word the event carries; the caller cleans the stack, so a
// handler that declares fewer parameters simply does not read the rest.
const int kMaxArgumentWords = 2 * kMaxExtendedEventArguments;
typedef int64_t (*HandlerRoutine)(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t,
                                  uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t,
                                  uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t);

struct EventFrame {
    uint32_t window;
    uint32_t unit;
    bool hasResult;
    int64_t result;
};
// Nested events (a handler writes a property that raises another event) stack up here.
std::vector<EventFrame> g_frames;

bool IsUnitTypeCode(uint32_t typeId) {
    // Library-defined kinds: library number in the high half, a type number in the low one.
    return typeId >= 0x00010000 && typeId <= 0x3FFFFFFF && (typeId & 0xFFFF) != 0;
}

bool Dispatch(uint32_t windowRef, uint32_t unitId, int32_t eventNumber, const uint32_t* words, int wordCount,
              bool* hasResult, int64_t* result) {
    *hasResult = false;
    if (EventDispatchSuspension() >= 1) return false;
    FormWindow* w = FindWindowByReference(windowRef);
    if (!w) ReportRuntimeError(0, "未找到引发事件的窗口", static_cast<int32_t>(windowRef), static_cast<int32_t>(unitId));
    const FormRecord* rec = FindUnitRecord(*w, unitId);
    if (!rec) ReportRuntimeError(0, "未找到引发事件的窗口组件", static_cast<int32_t>(w->id), static_cast<int32_t>(unitId));
    rec = FollowEventSource(w->records, rec);
    if (!rec->isMenu && !IsUnitTypeCode(rec->UnitTypeId))
        ReportRuntimeError(0, "引发事件的窗口组件无效", static_cast<int32_t>(w->id), static_cast<int32_t>(unitId));
    // Copied out: the handler may close the window and load it again, which replaces the
    // window's working table.
    uintptr_t handler = rec->isMenu ? rec->Handler : FindEventHandler(*rec, eventNumber);
    if (!handler) return false;

    uint32_t a[kMaxArgumentWords] = {};
    if (wordCount > kMaxArgumentWords) wordCount = kMaxArgumentWords;
    if (wordCount > 0) memcpy(a, words, wordCount * sizeof(uint32_t));
    g_frames.push_back({w->id, unitId, false, 0});
    reinterpret_cast<HandlerRoutine>(handler)(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9], a[10],
                                              a[11], a[12], a[13], a[14], a[15], a[16], a[17], a[18], a[19], a[20],
                                              a[21], a[22], a[23]);
    EventFrame frame = g_frames.back();
    g_frames.pop_back();
    *hasResult = frame.hasResult;
    *result = frame.result;
    return true;
}

bool IsEightByteKind(TypeCode kind) {
    TypeCode k = KindOf(kind);
    return k == kDouble || k == kLong || k == kDateTime;
}

int32_t NotifyRaiseEvent(int32_t code, uint32_t first, uint32_t second) {
    if (!first) return 0;
    if (code == kNotifyRaiseEventExtended) return DispatchExtendedEvent(reinterpret_cast<ExtendedEventNotification*>(first));
    return DispatchEvent(reinterpret_cast<EventNotification*>(first));
}
}  // namespace

int32_t DispatchEvent(EventNotification* n) {
    n->hasResult = 0;
    int count = n->argumentCount < 0 ? 0 : (n->argumentCount > 5 ? 5 : n->argumentCount);
    uint32_t words[5];
    for (int i = 0; i < count; ++i) words[i] = static_cast<uint32_t>(n->arguments[i]);
    bool hasResult;
    int64_t result = 0;
    if (!Dispatch(n->window, n->unit, n->eventNumber, words, count, &hasResult, &result)) return 0;
    if (hasResult) {
        n->hasResult = 1;
        n->result = static_cast<int32_t>(result);
    }
    return 1;
}

int32_t DispatchExtendedEvent(ExtendedEventNotification* n) {
    n->hasResult = 0;
    int count = n->argumentCount < 0 ? 0
                                     : (n->argumentCount > kMaxExtendedEventArguments ? kMaxExtendedEventArguments
                                                                                       : n->argumentCount);
    // Each argument as its kind is passed: 8-byte kinds take two words, the rest one.
    uint32_t words[kMaxArgumentWords];
    int k = 0;
    for (int i = 0; i < count; ++i) {
        words[k++] = n->arguments[i].value;
        if (IsEightByteKind(n->arguments[i].kind)) words[k++] = n->arguments[i].high;
    }
    bool hasResult;
    int64_t result = 0;
    if (!Dispatch(n->window, n->unit, n->eventNumber, words, k, &hasResult, &result)) return 0;
    if (hasResult) {
        n->hasResult = 1;
        n->resultLow = static_cast<uint32_t>(result);
        n->resultHigh = static_cast<uint32_t>(static_cast<uint64_t>(result) >> 32);
    }
    return 1;
}

void SetEventResult(int32_t value) { SetEventResult64(value); }

void SetEventResult64(int64_t value) {
    if (g_frames.empty()) return;
    g_frames.back().hasResult = true;
    g_frames.back().result = value;
}

uint32_t CurrentEventWindow() { return g_frames.empty() ? 0 : g_frames.back().window; }
uint32_t CurrentEventUnit() { return g_frames.empty() ? 0 : g_frames.back().unit; }

bool RaiseFrameworkEvent(uint32_t windowId, uint32_t unitId, int32_t eventNumber, int32_t* result) {
    EventNotification n = {};
    n.window = windowId;
    n.unit = unitId;
    n.eventNumber = eventNumber;
    RuntimeNotify(kNotifyRaiseEvent, reinterpret_cast<uint32_t>(&n), 0);
    if (n.hasResult && result) *result = n.result;
    return n.hasResult != 0;
}

void InstallEventDispatch() {
    RegisterNotifyHandler(kNotifyRaiseEvent, NotifyRaiseEvent);
    RegisterNotifyHandler(kNotifyRaiseEventExtended, NotifyRaiseEvent);
}
