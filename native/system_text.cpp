// Text services of the system for a native host: string lengths, ASCII letter case,
// LCMapStringA, the runtime's formatted messages, the local time, and the error box,
// which on a console is a message on standard error.
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <sys/time.h>
#include <unistd.h>
#include <vector>

#include "native/codepage_tables.h"
#include "native/system_calls.h"

namespace {
thread_local uint32_t g_lastError = 0;

const uint32_t kLcMapLowerCase = 0x100, kLcMapUpperCase = 0x200;
const uint32_t kLcMapScripts = 0x02000000 | 0x04000000;

uint16_t MapCase(const CaseTable& t, uint16_t u) {
    int low = 0, high = t.count - 1;
    while (low <= high) {
        int mid = (low + high) / 2;
        uint16_t from = t.pairs[2 * mid];
        if (from == u) return t.pairs[2 * mid + 1];
        if (from < u) low = mid + 1;
        else high = mid - 1;
    }
    return u;
}
}  // namespace

void NativeSetLastError(uint32_t code) { g_lastError = code; }
uint32_t NativeLastError() { return g_lastError; }

int32_t NativeLstrlenA(const char* s) { return s ? static_cast<int32_t>(strlen(s)) : 0; }
int32_t NativeLstrlenW(const char16_t* s) {
    int32_t n = 0;
    if (s) while (s[n]) ++n;
    return n;
}

// Only ASCII is ever handed to these (the engine asks how the system cases ASCII); bytes
// beyond it are left as they are.
char* NativeCharUpperA(char* s) {
    for (char* p = s; p && *p; ++p)
        if (*p >= 'a' && *p <= 'z') *p = static_cast<char>(*p - 32);
    return s;
}
char* NativeCharLowerA(char* s) {
    for (char* p = s; p && *p; ++p)
        if (*p >= 'A' && *p <= 'Z') *p = static_cast<char>(*p + 32);
    return s;
}

// As the system does it: through UTF-16 in the locale's code page (936 for every locale the
// engine names), each unit mapped on its own. This host has no simplified/traditional
// mapping of its own: those flags give the text unchanged, and the engine then uses its
// table, as on systems without one.
int32_t NativeLCMapStringA(uint32_t locale, uint32_t flags, const char* source, int32_t length, char* target,
                           int32_t targetLength) {
    if (!source || length == 0 || length < -1 || targetLength < 0 || (targetLength && !target)) {
        NativeSetLastError(kErrorInvalidParameter);
        return 0;
    }
    if (length == -1) length = static_cast<int32_t>(strlen(source)) + 1;
    uint32_t caseFlag = flags & (kLcMapLowerCase | kLcMapUpperCase);
    if (caseFlag == (kLcMapLowerCase | kLcMapUpperCase) || (flags & ~(kLcMapLowerCase | kLcMapUpperCase | kLcMapScripts))) {
        NativeSetLastError(1004);  // ERROR_INVALID_FLAGS
        return 0;
    }
    std::vector<char16_t> units(length);
    int32_t n = NativeMultiByteToWideChar(936, 0, source, length, units.data(), length);
    if (caseFlag) {
        const CaseTable& t = caseFlag == kLcMapUpperCase ? kUpperCase : kLowerCase;
        for (int32_t i = 0; i < n; ++i) units[i] = MapCase(t, units[i]);
    }
    int32_t m = NativeWideCharToMultiByte(936, 0, units.data(), n, nullptr, 0, nullptr, nullptr);
    if (targetLength == 0) return m;
    if (m > targetLength) {
        NativeSetLastError(kErrorInsufficientBuffer);
        return 0;
    }
    return NativeWideCharToMultiByte(936, 0, units.data(), n, target, targetLength, nullptr, nullptr);
}

int lstrlenA(const char* s) { return NativeLstrlenA(s); }

int MultiByteToWideChar(UINT codePage, DWORD flags, const char* s, int n, WCHAR* w, int wn) {
    return NativeMultiByteToWideChar(codePage, flags, s, n, w, wn);
}

int WideCharToMultiByte(UINT codePage, DWORD flags, const WCHAR* w, int wn, char* s, int n, const char* defaultChar,
                        BOOL* usedDefault) {
    int32_t used = 0;
    int r = NativeWideCharToMultiByte(codePage, flags, w, wn, s, n, defaultChar, usedDefault ? &used : nullptr);
    if (usedDefault) *usedDefault = used;
    return r;
}

int MultiByteToWideChar(UINT codePage, DWORD flags, const char* s, int n, wchar_t* w, int wn) {
    std::vector<char16_t> units(wn > 0 ? wn : 0);
    int m = NativeMultiByteToWideChar(codePage, flags, s, n, wn > 0 ? units.data() : nullptr, wn);
    for (int i = 0; i < m && wn > 0; ++i) w[i] = units[i];
    return m;
}

int WideCharToMultiByte(UINT codePage, DWORD flags, const wchar_t* w, int wn, char* s, int n, const char* defaultChar,
                        BOOL* usedDefault) {
    if (wn == -1) {
        wn = 0;
        while (w && w[wn]) ++wn;
        ++wn;
    }
    std::vector<char16_t> units(w && wn > 0 ? wn : 0);
    for (size_t i = 0; i < units.size(); ++i) units[i] = static_cast<char16_t>(w[i]);
    return WideCharToMultiByte(codePage, flags, w ? units.data() : nullptr, wn, s, n, defaultChar, usedDefault);
}

DWORD CharUpperBuffW(WCHAR* w, DWORD n) {
    for (DWORD i = 0; i < n; ++i) w[i] = MapCase(kUpperCase, w[i]);
    return n;
}
DWORD CharLowerBuffW(WCHAR* w, DWORD n) {
    for (DWORD i = 0; i < n; ++i) w[i] = MapCase(kLowerCase, w[i]);
    return n;
}

// The runtime's messages use %d, %u, %x, %s, %c and %I64d; the C library knows all but the
// last by these names.
int wsprintfA(char* out, const char* format, ...) {
    std::string f;
    for (const char* p = format; *p; ++p) {
        if (p[0] == '%' && strncmp(p + 1, "I64", 3) == 0) {
            f += "%ll";
            p += 3;
        } else {
            f += *p;
        }
    }
    va_list args;
    va_start(args, format);
    int n = vsnprintf(out, 1024, f.c_str(), args);  // wsprintfA's own limit
    va_end(args);
    return n;
}

void GetLocalTime(SYSTEMTIME* st) {
    timeval now;
    gettimeofday(&now, nullptr);
    tm local;
    time_t seconds = now.tv_sec;
    localtime_r(&seconds, &local);
    st->wYear = static_cast<WORD>(local.tm_year + 1900);
    st->wMonth = static_cast<WORD>(local.tm_mon + 1);
    st->wDayOfWeek = static_cast<WORD>(local.tm_wday);
    st->wDay = static_cast<WORD>(local.tm_mday);
    st->wHour = static_cast<WORD>(local.tm_hour);
    st->wMinute = static_cast<WORD>(local.tm_min);
    st->wSecond = static_cast<WORD>(local.tm_sec);
    st->wMilliseconds = static_cast<WORD>(now.tv_usec / 1000);
}

int MessageBoxW(HWND, const wchar_t* text, const wchar_t* caption, UINT) {
    std::string line;
    for (const wchar_t* p = text; p && *p; ++p) {
        uint32_t c = static_cast<uint32_t>(*p);
        if (c == '\r') continue;
        if (c < 0x80) line += static_cast<char>(c);
        else if (c < 0x800) line += {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
        else if (c < 0x10000)
            line += {static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | (c >> 6 & 0x3F)),
                     static_cast<char>(0x80 | (c & 0x3F))};
        else
            line += {static_cast<char>(0xF0 | c >> 18), static_cast<char>(0x80 | (c >> 12 & 0x3F)),
                     static_cast<char>(0x80 | (c >> 6 & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
    }
    fprintf(stderr, "%s\n", line.c_str());
    return 1;
}

namespace {
int64_t MonotonicNanoseconds() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}
}  // namespace

DWORD GetTickCount() { return static_cast<DWORD>(MonotonicNanoseconds() / 1000000); }
BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
    count->QuadPart = MonotonicNanoseconds();
    return TRUE;
}
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
    frequency->QuadPart = 1000000000;
    return TRUE;
}

UINT GetACP() { return NativeAnsiCodePage(); }

DWORD GetModuleFileNameA(HMODULE, char* path, DWORD size) {
    if (size == 0) return 0;
    ssize_t n = readlink("/proc/self/exe", path, size - 1);
    if (n < 0) n = 0;
    path[n] = '\0';
    return static_cast<DWORD>(n);
}
