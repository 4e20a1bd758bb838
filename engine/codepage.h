// Conversions between GBK text, UTF-8 bytes and UTF-16 little-endian code units, done by
// the system's MultiByteToWideChar / WideCharToMultiByte through the late-bound table.
// Results in another encoding are stored byte for byte, never re-interpreted.
#pragma once
#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "runtime/variables.h"

// Code pages the conversions name.
const uint32_t kCodePageGbk = 936;
const uint32_t kCodePageBig5 = 950;
const uint32_t kCodePageUtf8 = 65001;
const uint32_t kCodePageShiftJis = 932;
const uint32_t kCodePageEucKr = 949;  // Unified Hangul Code, a superset of EUC-KR

// Where a slice of the bytes from start should end so that converting the slices one by
// one gives what one call on all n bytes gives (in GBK, BIG5 and UTF-8): after a byte
// below 0x40, some hundreds of kilobytes on; n when the rest is short.
int32_t CodePageSliceEnd(const uint8_t* bytes, int32_t start, int32_t n);
// The same for n UTF-16 units: never between the two halves of a surrogate pair.
int32_t CodePageUnitSliceEnd(const uint8_t* units, int32_t start, int32_t n);
// How many units come before the first zero unit: all of them when there is none.
int32_t UnitsBeforeZero(const ByteSetVar& units);
// The count units in code page cp, written at the start of bytes (made longer when it is
// short, so one scratch set serves a run of slices); how many bytes that is.
int32_t UnitsToCodePageInto(const uint8_t* units, int32_t count, uint32_t codePage, ByteSetVar* bytes);

// The text's UTF-16 units in code page cp, terminating zero unit included. The buffer is
// measured as GBK text, whatever the system's code page.
ByteSetVar CodePageToUtf16(const char* text, uint32_t codePage);

// UTF-16 units (read up to their first zero unit) in code page cp, up to the first zero byte.
TextVar Utf16ToCodePage(const ByteSetVar& units, uint32_t codePage);

// GBK text to a Text holding UTF-8 bytes, and back.
TextVar GbkToUtf8(const char* text);
TextVar Utf8ToGbk(const char* text);

// GBK text to UTF-16 units with the terminating zero unit, or without it when drop is set;
// empty for an empty text.
ByteSetVar AnsiToUtf16Bytes(const char* text, bool dropTerminator);

// Bytes read as UTF-16 units (an odd last byte is ignored) to GBK, up to the first zero byte.
TextVar Utf16BytesToAnsi(const ByteSetVar& bytes);

// Bytes read as UTF-16 units, up to the first zero unit, to UTF-8 bytes.
ByteSetVar Utf16BytesToUtf8(const ByteSetVar& bytes);

// Bytes read as UTF-8, up to and including the first zero byte, to UTF-16 units.
ByteSetVar Utf8BytesToUtf16(const ByteSetVar& bytes);

// ---- UTF-16 entries and exits. "Units" is a byte set of UTF-16 code units, low byte first,
// without a terminating zero unit: the form in which the edit boxes hand over what they
// show. The GBK routines above are the units routines wrapped in a GBK entry and exit.

// The units of a GBK text, and the GBK text of units (default character where GBK has none).
ByteSetVar GbkToUnits(const char* text);
TextVar UnitsToGbk(const ByteSetVar& units);

// Whether the box would hold these GBK bytes unchanged: every character read from them
// and written back gives the same bytes, none is a zero or a default. Then the units'
// GBK text is the bytes themselves, and *characters says how many characters they are.
bool GbkKeepsBytes(const uint8_t* bytes, size_t n, int64_t* characters);

// The first character that code page 936 cannot hold: its place counted in characters from
// 1 (a surrogate pair is one character) and its code point. False when there is none.
bool FindNonGbkChar(const ByteSetVar& units, int32_t* place, uint32_t* codePoint);
// The one-line prompt that names that character, as units; empty when every character is GBK.
ByteSetVar NonGbkPrompt(const ByteSetVar& units);
// The same for units that come after placesBefore characters of a longer text.
ByteSetVar NonGbkPrompt(const ByteSetVar& units, int64_t placesBefore);

// "GB2312一UTF8" on units: the UTF-8 bytes in a Text. A lone surrogate becomes U+FFFD.
TextVar UnitsToUtf8(const ByteSetVar& units);
// "UTF8一GB2312" with a units exit: the Text's bytes read as UTF-8, up to the first zero unit.
ByteSetVar Utf8ToUnits(const char* text);
// "Ansi一Unicode" on units: the units, with a zero unit after them unless drop is set.
ByteSetVar UnitsToUtf16Bytes(const ByteSetVar& units, bool dropTerminator);
// "Unicode一Ansi" with a units exit: the whole units of the bytes, up to the first zero unit.
ByteSetVar Utf16BytesToUnits(const ByteSetVar& bytes);

// Byte sets one after another (units joined to units).
ByteSetVar JoinByteSets(std::initializer_list<const ByteSetVar*> parts);
ByteSetVar JoinByteSets(const ByteSetVar* const* parts, int32_t count);
