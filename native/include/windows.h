// The few Windows types and functions that the portable runtime sources name, for a build
// on a POSIX host. Each function here is the program's own implementation (native/*.cpp);
// nothing of Windows itself is involved. Only what those sources use is declared.
#pragma once
#include <cstddef>
#include <cstdint>

#define WINAPI
#define CALLBACK
#define CP_ACP 0
#define CP_UTF8 65001
#define TRUE 1
#define FALSE 0
#define MB_ICONERROR 0x10

typedef int BOOL;
typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef unsigned int UINT;
typedef int32_t LONG;
typedef int64_t LONG64;
typedef uint32_t ULONG;
typedef char CHAR;
typedef char16_t WCHAR;
typedef void* HANDLE;
typedef void* HMODULE;
typedef void* HWND;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef uintptr_t DWORD_PTR;
typedef const char* LPCSTR;
typedef char* LPSTR;
typedef long HRESULT;

typedef struct _SYSTEMTIME {
    WORD wYear, wMonth, wDayOfWeek, wDay, wHour, wMinute, wSecond, wMilliseconds;
} SYSTEMTIME;

// The process heap (native/heap.cpp): the C library's allocator.
HANDLE GetProcessHeap();
void* HeapAlloc(HANDLE heap, DWORD flags, size_t size);
void* HeapReAlloc(HANDLE heap, DWORD flags, void* block, size_t size);
BOOL HeapFree(HANDLE heap, DWORD flags, void* block);
size_t HeapSize(HANDLE heap, DWORD flags, const void* block);

// Interlocked arithmetic on the compiler's atomic built-ins.
inline LONG InterlockedIncrement(volatile LONG* p) { return __atomic_add_fetch(p, 1, __ATOMIC_SEQ_CST); }
inline LONG InterlockedDecrement(volatile LONG* p) { return __atomic_sub_fetch(p, 1, __ATOMIC_SEQ_CST); }
inline long InterlockedIncrement(volatile long* p) { return __atomic_add_fetch(p, 1, __ATOMIC_SEQ_CST); }
inline long InterlockedDecrement(volatile long* p) { return __atomic_sub_fetch(p, 1, __ATOMIC_SEQ_CST); }
inline LONG InterlockedExchange(volatile LONG* p, LONG v) { return __atomic_exchange_n(p, v, __ATOMIC_SEQ_CST); }
inline LONG64 InterlockedExchangeAdd64(volatile LONG64* p, LONG64 v) { return __atomic_fetch_add(p, v, __ATOMIC_SEQ_CST); }

// Text (native/system_text.cpp). wsprintfA knows %d, %u, %x, %s, %c and %I64d, as the
// runtime's messages use them.
int wsprintfA(char* out, const char* format, ...);
int lstrlenA(const char* s);
int MultiByteToWideChar(UINT codePage, DWORD flags, const char* s, int n, WCHAR* w, int wn);
int WideCharToMultiByte(UINT codePage, DWORD flags, const WCHAR* w, int wn, char* s, int n,
                        const char* defaultChar, BOOL* usedDefault);
// The same with UTF-16 units kept in the host's 32-bit wchar_t, one unit in each, as the
// runtime and the tests hold wide texts.
int MultiByteToWideChar(UINT codePage, DWORD flags, const char* s, int n, wchar_t* w, int wn);
int WideCharToMultiByte(UINT codePage, DWORD flags, const wchar_t* w, int wn, char* s, int n,
                        const char* defaultChar, BOOL* usedDefault);
// Letter case of UTF-16 units, as LCMapStringA maps the characters of code page 936.
DWORD CharUpperBuffW(WCHAR* w, DWORD n);
DWORD CharLowerBuffW(WCHAR* w, DWORD n);
inline int MultiByteToWideChar(UINT codePage, DWORD flags, const char* s, int n, std::nullptr_t, int wn) {
    return MultiByteToWideChar(codePage, flags, s, n, static_cast<WCHAR*>(nullptr), wn);
}

// The local time of day, from the C library's clock and time zone.
void GetLocalTime(SYSTEMTIME* st);

// A console program has no boxes: the text goes to standard error (native/system_text.cpp).
int MessageBoxW(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);
inline BOOL IsDebuggerPresent() { return FALSE; }
inline void DebugBreak() {}

// Automation values as the runtime's typed wrappers size them (native/automation.cpp keeps
// its own content in them; there are no automation objects on this host).
struct IUnknown;
typedef uint16_t VARTYPE;
struct VARIANT {
    VARTYPE vt;
    uint16_t reserved[3];
    void* value[2];
};

// Clocks, for the tests' timings.
typedef union _LARGE_INTEGER {
    struct {
        DWORD LowPart;
        LONG HighPart;
    } u;
    int64_t QuadPart;
} LARGE_INTEGER;
DWORD GetTickCount();
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);

// The program itself: its ANSI code page (the program's own, GBK) and its file.
#define MAX_PATH 260
UINT GetACP();
DWORD GetModuleFileNameA(HMODULE module, char* path, DWORD size);
#define MB_ERR_INVALID_CHARS 0x08
#define WC_COMPOSITECHECK 0x200
#define WC_NO_BEST_FIT_CHARS 0x400
