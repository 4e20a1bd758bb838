// What the fuzz targets share: a check that stops with its message (libFuzzer keeps the
// input that failed), a fatal runtime report counted as a finding, the runtime blocks a
// conversion leaves behind, and the input as a text, a byte set or UTF-16 units.
#pragma once
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/gbk_runs.h"
#include "runtime/error_report.h"
#include "runtime/memory.h"
#include "runtime/variables.h"

#define FUZZ_CHECK(condition)                                                              \
    do {                                                                                   \
        if (!(condition)) {                                                                \
            fprintf(stderr, "check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            abort();                                                                       \
        }                                                                                  \
    } while (0)

inline int FuzzFatalReport(const char* text) {
    fprintf(stderr, "fatal runtime report: %s\n", text);
    abort();
}

// One input's conversions, which must give back every runtime block they took.
struct FuzzRun {
    long before;
    FuzzRun() : before(LiveBlockCount()) { SetErrorReportHook(FuzzFatalReport); }
    ~FuzzRun() { FUZZ_CHECK(LiveBlockCount() == before); }
};

inline std::string S(const char* t) { return t ? t : ""; }
inline std::string S(const ByteSetVar& b) { return b.empty() ? "" : std::string(reinterpret_cast<char*>(b.data()), b.size()); }

// The bytes up to the first zero, as a text.
inline TextVar TextOf(const uint8_t* data, size_t n) {
    size_t length = strnlen(reinterpret_cast<const char*>(data), n);
    TextVar t = TextToFill(static_cast<int64_t>(length));
    memcpy(t.get(), data, length);
    return t;
}

// Text that the character-wise routines read as it is: only whole GBK characters (0x80 and
// 0xFF, single bytes in code page 936, count as the start of a character there).
inline bool PlainGbk(const char* t, const std::string& throughUnits) {
    return throughUnits == t && !strchr(t, '\x80') && !strchr(t, '\xFF');
}

inline ByteSetVar BytesOf(const uint8_t* data, size_t n) {
    ByteSetVar b = ByteSetToFill(static_cast<int32_t>(n));
    if (n) memcpy(b.data(), data, n);
    return b;
}
