#include "memory.h"

#include <windows.h>
#include <cstring>
#include <new>

#include "constant_area.h"
#include "error_report.h"

namespace {
HANDLE heap() {
    static HANDLE h = GetProcessHeap();
    return h;
}
const uint8_t* g_constBegin = ConstantArea;
const uint8_t* g_constEnd = ConstantArea + kConstantAreaSize;
volatile long g_live = 0;
// Bytes in live blocks, and the most there were since the last reset: what a conversion
// really holds at once, for the benchmark. Counted only when asked for, so that ordinary
// allocations pay no size query.
bool g_countBytes = false;
volatile LONG64 g_liveBytes = 0;
LONG64 g_peakBytes = 0;

void Count(LONG64 delta) {
    LONG64 now = InterlockedExchangeAdd64(&g_liveBytes, delta) + delta;
    if (now > g_peakBytes) g_peakBytes = now;
}
LONG64 BlockBytes(void* p) { return g_countBytes ? static_cast<LONG64>(HeapSize(heap(), 0, p)) : 0; }

AllocationFailureHandler g_failureHandler = nullptr;
int g_failureThrows = 0;
int64_t g_limit = 0;

bool OverLimit(int32_t size) { return g_limit > 0 && g_liveBytes + size > g_limit; }

[[noreturn]] void AllocationFailed(int64_t size) {
    if (g_failureThrows > 0) throw std::bad_alloc();
    if (g_failureHandler) g_failureHandler(size);
    char message[64];
    wsprintfA(message, "\xB7\xD6\xC5\xE4 %I64d \xD7\xD6\xBD\xDA\xC4\xDA\xB4\xE6\xCA\xA7\xB0\xDC!", size);  // 分配 %I64d 字节内存失败!
    RaiseFatalMessage(message);
}
}  // namespace

void SetConstantAreaBounds(const uint8_t* begin, const uint8_t* end) {
    g_constBegin = begin;
    g_constEnd = end;
}

bool InConstantArea(const void* p) {
    const uint8_t* b = static_cast<const uint8_t*>(p);
    return b >= g_constBegin && b < g_constEnd;
}

void SetAllocationFailureHandler(AllocationFailureHandler handler) { g_failureHandler = handler; }
void RaiseAllocationFailure(int64_t size) { AllocationFailed(size); }
AllocationFailureThrows::AllocationFailureThrows() { ++g_failureThrows; }
AllocationFailureThrows::~AllocationFailureThrows() { --g_failureThrows; }
void SetBlockBytesLimit(int64_t limit) { g_limit = limit; }

long LiveBlockCount() { return g_live; }
void CountBlockBytes() { g_countBytes = true; }
int64_t LiveBlockBytes() { return g_liveBytes; }
int64_t PeakBlockBytes() { return g_peakBytes; }
void ResetPeakBlockBytes() { g_peakBytes = g_liveBytes; }

void* TryAllocMemory(int32_t size) {
    // A negative size can only come from a broken length computation: refuse it like an
    // allocation the heap cannot satisfy, rather than asking for 4 GB.
    void* p = size >= 0 && !OverLimit(size) ? HeapAlloc(heap(), 0, size > 0 ? size : 1) : nullptr;
    if (p) {
        InterlockedIncrement(&g_live);
        Count(BlockBytes(p));
    }
    return p;
}

void* AllocMemory(int32_t size) {
    void* p = TryAllocMemory(size);
    if (!p) AllocationFailed(size);
    return p;
}

void* ReallocMemory(void* block, int32_t size) {
    if (!block) return AllocMemory(size);
    if (InConstantArea(block)) {
        // Constants are never resized in place: copy out what lies before the area's end.
        void* fresh = AllocMemory(size);
        int32_t available = static_cast<int32_t>(g_constEnd - static_cast<uint8_t*>(block));
        memcpy(fresh, block, size < available ? size : available);
        return fresh;
    }
    LONG64 before = BlockBytes(block);
    void* p = size >= 0 && !OverLimit(size - static_cast<int32_t>(before))
                  ? HeapReAlloc(heap(), 0, block, size > 0 ? size : 1)
                  : nullptr;
    if (p) Count(BlockBytes(p) - before);
    if (!p) AllocationFailed(size);
    return p;
}

void FreeMemory(void* block) {
    if (!block || InConstantArea(block)) return;
    Count(-BlockBytes(block));
    HeapFree(heap(), 0, block);
    InterlockedDecrement(&g_live);
}

void FreeArray(TypeCode elementKind, void* block) {
    if (!block || InConstantArea(block)) return;
    TypeCode kind = KindOf(elementKind);
    if (kind == kText || kind == kByteSet) {
        int32_t n = ArrayElementCount(block);
        void** elements = reinterpret_cast<void**>(ArrayElements(block));
        for (int32_t i = 0; i < n; ++i) FreeMemory(elements[i]);
    }
    FreeMemory(block);
}
