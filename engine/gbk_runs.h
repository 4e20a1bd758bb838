// Walking GBK text by characters.
#pragma once
#include <cstdint>

#include "runtime/variables.h"

// A GBK double-byte character: lead 81..FE, trail 40..7E or 80..FE.
inline bool IsGbkLeadByte(uint8_t b) { return b >= 0x81 && b <= 0xFE; }
inline bool IsGbkTrailByte(uint8_t b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }
inline bool IsGbkPairAt(const uint8_t* bytes, int32_t length, int32_t i) {
    return i + 1 < length && IsGbkLeadByte(bytes[i]) && IsGbkTrailByte(bytes[i + 1]);
}

// TextLength of the text (0 for none), eight bytes at a time.
int32_t MeasureText(const char* text);

// A text of length bytes for the caller to write, its terminator already in place. A
// length past what a 32-bit size holds cannot be allocated anyway: the runtime reports
// the failed allocation instead of the size wrapping.
TextVar TextToFill(int64_t length);
// A byte set of length bytes for the caller to write; empty for a length of 0.
ByteSetVar ByteSetToFill(int32_t length);

// The text with LCMapStringA(locale 2052, flags) applied to each run of double-byte
// characters, converted as GBK whatever the system's code page. A character whose mapped
// form would not be one double-byte character keeps its own bytes, so the byte length
// never changes. Runs of ASCII bytes go in place through the late-bound function
// asciiEntry (CharUpperA or CharLowerA), or stay as they are when it is -1; any other
// byte stays as it is.
TextVar MapGbkRuns(const char* text, uint32_t lcmapFlags, int asciiEntry);

const uint32_t kLocaleChinesePrc = 0x0804;
