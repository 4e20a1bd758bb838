// Code page 936 text walking shared by the library commands (not program-facing).
#pragma once
#include <cstdint>

inline bool IsLeadByte(uint8_t b) { return b >= 0x80; }

// The full-width to half-width table: A1 A1 -> space, A1 AB -> '~', A1 EE / A1 EF -> '*',
// A3 A1..A3 FE -> 0x21..0x7E. Returns the single byte, or 0 when the pair is not in the table.
uint8_t HalfWidthOf(uint8_t lead, uint8_t trail);

// Writes the half-width form of len bytes of text into out (room for len bytes) and returns
// the bytes written. A lone lead byte at the very end is dropped.
int32_t ToHalfWidthBytes(const char* text, int32_t len, char* out);
