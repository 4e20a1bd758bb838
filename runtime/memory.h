// The runtime's memory services, all on the process heap.
#pragma once
#include <cstddef>
#include <cstdint>
#include "values.h"

void* AllocMemory(int32_t size);
// What AllocMemory does when the heap cannot give a block: the handler runs first and may
// take the failure over by throwing (a running command ends with a message instead of the
// program); when it returns, or there is none, the fatal report ends the process.
typedef void (*AllocationFailureHandler)(int64_t size);
void SetAllocationFailureHandler(AllocationFailureHandler handler);
// For memory taken from the system directly, and for sizes beyond what a block can hold:
// the same path as a failed AllocMemory.
[[noreturn]] void RaiseAllocationFailure(int64_t size);
// Window work that can simply be given up when memory runs out (a copy to the clipboard,
// joining a pasted text's lines): while one lives, a failed allocation throws
// std::bad_alloc for the work's own catch, before any handler and instead of the fatal report.
class AllocationFailureThrows {
public:
    AllocationFailureThrows();
    ~AllocationFailureThrows();
    AllocationFailureThrows(const AllocationFailureThrows&) = delete;
    AllocationFailureThrows& operator=(const AllocationFailureThrows&) = delete;
};
// As AllocMemory, but a failure returns null instead of ending the process.
void* TryAllocMemory(int32_t size);
void* ReallocMemory(void* block, int32_t size);
void FreeMemory(void* block);

// Frees an array block; Text and ByteSet elements are freed first.
void FreeArray(TypeCode elementKind, void* block);

// Set once at start-up, before any program code runs.
void SetConstantAreaBounds(const uint8_t* begin, const uint8_t* end);
bool InConstantArea(const void* p);

// Heap blocks handed out and not yet freed: lets tests see that a conversion leaks nothing.
long LiveBlockCount();
// The bytes those blocks hold, and the most they held since the last reset: counted from
// the call of CountBlockBytes on (which should come before any allocation).
void CountBlockBytes();
int64_t LiveBlockBytes();
int64_t PeakBlockBytes();
void ResetPeakBlockBytes();
// A ceiling on those bytes (0: none) beyond which allocations fail, so that a test can run
// a conversion out of memory in seconds. Needs CountBlockBytes.
void SetBlockBytesLimit(int64_t limit);
