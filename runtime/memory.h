// The runtime's memory services, all on the process heap.
#pragma once
#include <cstddef>
#include <cstdint>
#include "values.h"

void* AllocMemory(int32_t size);
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
