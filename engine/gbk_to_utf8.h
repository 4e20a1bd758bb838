// GBK bytes straight to UTF-8 bytes in one pass, for files of any size: what
// MultiByteToWideChar (936) and then WideCharToMultiByte (UTF-8) give for the same bytes,
// looked up a character at a time in a table asked of those two functions once.
#pragma once
#include <cstddef>
#include <cstdint>

// Room the result may need at out: three bytes for each byte, and four to spare for the
// last store.
inline size_t GbkToUtf8Room(size_t n) { return 3 * n + 4; }
// The table is asked of the system once, which costs more than converting a shorter text in
// two steps.
const size_t kGbkTableWorthIt = 4 << 10;
// The UTF-8 of n GBK bytes (zero bytes are characters) written at out; how many bytes that
// is. -1 when the system's code page 936 is not one such a table can hold (a byte that
// reads as more than one character, a surrogate): then convert the two-step way.
int64_t GbkBytesToUtf8(const uint8_t* bytes, size_t n, uint8_t* out);
