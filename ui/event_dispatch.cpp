#include "ui/event_dispatch.h"

#include <cstring>
#include <vector>

#include "runtime/error_report.h"
#include "runtime/message_loop.h"
#include "runtime/notify.h"
#include "ui/window_registry.h"

namespace {
// Handlers are ordinary C routines reached through the form's jump stubs. They are called
// with every argument word the event carries; the caller cleans the stack, so a handler
// that declares fewer parameters simply does not read the rest.
#if defined(__i386__)
// A word is 32 bits: an 8-byte argument takes two, as a cdecl caller would push it.
typedef uint32_t ArgumentWord;
const int kMaxArgumentWords = 2 * kMaxExtendedEventArguments;
typedef int64_t (*HandlerRoutine)(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t,
                                  uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t,
                                  uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t);
int64_t CallHandler(uintptr_t handler, const ArgumentWord* a) {
    return reinterpret_cast<HandlerRoutine>(handler)(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9], a[10],
                                                     a[11], a[12], a[13], a[14], a[15], a[16], a[17], a[18], a[19],
                                                     a[20], a[21], a[22], a[23]);
}
#else
// A word is 64 bits: every argument takes one. The x64 convention passes the first four in
// integer or XMM registers by the callee's declared types, which the dispatcher does not
// know, so it loads each of them into both (as a variadic call does); the rest go on the
// stack behind the shadow space.
typedef uint64_t ArgumentWord;
const int kMaxArgumentWords = kMaxExtendedEventArguments;
static_assert(kMaxArgumentWords == 12, "CallHandlerWords passes twelve words");
extern "C" int64_t CallHandlerWords(uintptr_t handler, const ArgumentWord* words);
asm(".text\n"
    ".globl CallHandlerWords\n"
    "CallHandlerWords:\n\t"
    "pushq %rbp\n\t"
    "movq %rsp, %rbp\n\t"
    "subq $96, %rsp\n\t"  // 32 shadow bytes and words 4 to 11; keeps 16-byte alignment
    "movq %rcx, %r10\n\t"
    "movq %rdx, %r11\n\t"
    "movq 32(%r11), %rax\n\tmovq %rax, 32(%rsp)\n\t"
    "movq 40(%r11), %rax\n\tmovq %rax, 40(%rsp)\n\t"
    "movq 48(%r11), %rax\n\tmovq %rax, 48(%rsp)\n\t"
    "movq 56(%r11), %rax\n\tmovq %rax, 56(%rsp)\n\t"
    "movq 64(%r11), %rax\n\tmovq %rax, 64(%rsp)\n\t"
    "movq 72(%r11), %rax\n\tmovq %rax, 72(%rsp)\n\t"
    "movq 80(%r11), %rax\n\tmovq %rax, 80(%rsp)\n\t"
    "movq 88(%r11), %rax\n\tmovq %rax, 88(%rsp)\n\t"
    "movq 0(%r11), %rcx\n\t"
    "movq 8(%r11), %rdx\n\t"
    "movq 16(%r11), %r8\n\t"
    "movq 24(%r11), %r9\n\t"
    "movq %rcx, %xmm0\n\t"
    "movq %rdx, %xmm1\n\t"
    "movq %r8, %xmm2\n\t"
    "movq %r9, %xmm3\n\t"
    "callq *%r10\n\t"
    "movq %rbp, %rsp\n\t"
    "popq %rbp\n\t"
    "ret\n");
int64_t CallHandler(uintptr_t handler, const ArgumentWord* words) { return CallHandlerWords(handler, words); }
#endif

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

bool Dispatch(uint32_t windowRef, uint32_t unitId, int32_t eventNumber, const ArgumentWord* words, int wordCount,
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

    ArgumentWord a[kMaxArgumentWords] = {};
    if (wordCount > kMaxArgumentWords) wordCount = kMaxArgumentWords;
    if (wordCount > 0) memcpy(a, words, wordCount * sizeof(ArgumentWord));
    g_frames.push_back({w->id, unitId, false, 0});
    CallHandler(handler, a);
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

intptr_t NotifyRaiseEvent(int32_t code, uintptr_t first, uintptr_t second) {
    if (!first) return 0;
    if (code == kNotifyRaiseEventExtended) return DispatchExtendedEvent(reinterpret_cast<ExtendedEventNotification*>(first));
    return DispatchEvent(reinterpret_cast<EventNotification*>(first));
}
}  // namespace

int32_t DispatchEvent(EventNotification* n) {
    n->hasResult = 0;
    int count = n->argumentCount < 0 ? 0 : (n->argumentCount > 5 ? 5 : n->argumentCount);
    ArgumentWord words[5];
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
    ArgumentWord words[kMaxArgumentWords];
    int k = 0;
    for (int i = 0; i < count; ++i) {
        const ExtendedEventArgument& a = n->arguments[i];
        bool eight = IsEightByteKind(a.kind);
        if (sizeof(ArgumentWord) == 8) {
            words[k++] = static_cast<ArgumentWord>((eight ? static_cast<uint64_t>(a.high) << 32 : 0) | a.value);
        } else {
            words[k++] = static_cast<ArgumentWord>(a.value);
            if (eight) words[k++] = static_cast<ArgumentWord>(a.high);
        }
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
    RuntimeNotify(kNotifyRaiseEvent, reinterpret_cast<uintptr_t>(&n), 0);
    if (n.hasResult && result) *result = n.result;
    return n.hasResult != 0;
}

void InstallEventDispatch() {
    RegisterNotifyHandler(kNotifyRaiseEvent, NotifyRaiseEvent);
    RegisterNotifyHandler(kNotifyRaiseEventExtended, NotifyRaiseEvent);
}
