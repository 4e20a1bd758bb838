// The process heap on a native host is the C library's allocator, so that the address
// sanitizer sees every block. Heap handles are a token: there is one heap.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <malloc.h>

namespace {
const DWORD kHeapZeroMemory = 8;
char g_processHeap;
}  // namespace

HANDLE GetProcessHeap() { return &g_processHeap; }

void* HeapAlloc(HANDLE, DWORD flags, size_t size) {
    return flags & kHeapZeroMemory ? calloc(1, size ? size : 1) : malloc(size ? size : 1);
}

void* HeapReAlloc(HANDLE, DWORD, void* block, size_t size) { return realloc(block, size ? size : 1); }

BOOL HeapFree(HANDLE, DWORD, void* block) {
    free(block);
    return TRUE;
}

size_t HeapSize(HANDLE, DWORD, const void* block) { return malloc_usable_size(const_cast<void*>(block)); }
