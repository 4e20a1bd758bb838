// The bytes of a file or a pipe read as text, and text written back as bytes: the one
// place where the console program and the window's 文件 menu decide what a file holds.
#pragma once
#include <cstddef>
#include <cstdint>

#include "runtime/variables.h"

enum class TextEncoding { kAuto, kGbk, kUtf8, kUtf8Bom, kUtf16Le };

// "GBK", "UTF-8", "UTF-8 BOM" or "UTF-16": how the status bar and messages name it.
const char* EncodingName(TextEncoding encoding);

// Every sequence well formed: no overlong form, no surrogate, nothing past U+10FFFF.
bool IsValidUtf8(const uint8_t* bytes, size_t n);

// The bytes as UTF-16 units (without a BOM). kAuto reads a UTF-8 or UTF-16 LE BOM, else
// UTF-8 when the bytes are valid UTF-8, else GBK; *found says which (kUtf8Bom for a UTF-8
// BOM). False when the bytes are not valid UTF-8 and UTF-8 was asked for, or when they are
// too many for one text.
bool DecodeText(const uint8_t* bytes, size_t n, TextEncoding asked, ByteSetVar* units, TextEncoding* found);
// The same for bytes that hold no BOM, in a known encoding (kGbk, kUtf8 or kUtf16Le): a
// U+FEFF at their start is a character. For UTF-8, false when the bytes are not valid.
bool DecodeTextBody(const uint8_t* bytes, size_t n, TextEncoding encoding, ByteSetVar* units);
// How many bytes from the start are well-formed UTF-8: n when all are. A sequence cut off
// by the end counts as ill-formed.
size_t Utf8ValidPrefix(const uint8_t* bytes, size_t n);

// The units as bytes of the encoding (a UTF-8 BOM first for kUtf8Bom). For GBK the units
// must all be GBK characters: NonGbkPrompt says which is not.
ByteSetVar EncodeText(const ByteSetVar& units, TextEncoding encoding);
