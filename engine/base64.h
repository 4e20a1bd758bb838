// BASE64: the program's own coder and the system's CryptoAPI string conversions.
#pragma once
#include "runtime/variables.h"

// Standard padded BASE64 of the bytes, without line breaks; empty for no bytes.
TextVar Base64Encode(const ByteSetVar& bytes);
// How many characters the BASE64 of n bytes has.
inline size_t Base64Length(size_t n) { return (n + 2) / 3 * 4; }
// The same characters for n bytes written at out: Base64Length(n) of them, their count.
size_t Base64EncodeTo(const uint8_t* in, size_t n, uint8_t* out);

// Decodes BASE64 text. Spaces (ASCII and full-width) and CR LF pairs are ignored; it never
// fails, and reports its progress while a long text is decoded.
ByteSetVar Base64Decode(const char* text);

// The system's coder: BASE64 characters without line breaks, and their bytes back; empty
// when the system rejects the input.
ByteSetVar Base64EncodeSystem(const ByteSetVar& bytes);
ByteSetVar Base64DecodeSystem(const ByteSetVar& characters);
// The system's decoding with every byte it gives, trailing zero bytes too (the form above
// drops them, as the window shows a result only up to its first zero anyway).
ByteSetVar Base64DecodeSystemBytes(const ByteSetVar& characters);

// The bytes without their trailing run of zero bytes.
ByteSetVar StripTrailingZeros(const ByteSetVar& bytes);
