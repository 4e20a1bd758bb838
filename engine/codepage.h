// Conversions between GBK text, UTF-8 bytes and UTF-16 little-endian code units, done by
// the system's MultiByteToWideChar / WideCharToMultiByte through the late-bound table.
// Results in another encoding are stored byte for byte, never re-interpreted.
#pragma once
#include <cstdint>

#include "runtime/variables.h"

// Code pages the conversions name.
const uint32_t kCodePageGbk = 936;
const uint32_t kCodePageBig5 = 950;
const uint32_t kCodePageUtf8 = 65001;

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
