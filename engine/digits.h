// A text's bytes as binary and hexadecimal digits, and such digits back into text.
#pragma once

#include "runtime/variables.h"

// Both return false when the output box keeps its content (an empty input); otherwise
// output holds the two results for the output box.
bool TextToDigitsReport(const char* input, TextVar& output);
bool DigitsToTextReport(const char* input, TextVar& output);

// Eight digits "0"/"1" per byte, most significant bit first; spaces are bytes like any other.
TextVar TextToBinaryDigits(const char* text);
// Two upper-case digits per byte, pairs separated by one space; spaces are dropped first.
// A text of nothing but spaces gives the empty text.
TextVar TextToHexDigits(const char* text);
// Groups of eight, padded in front with "0"; only "0" is a zero bit. Ends at the first zero byte.
TextVar BinaryDigitsToText(const char* text);
// Pairs of upper-case digits after the spaces are dropped; an odd last digit is ignored.
// Ends at the first zero byte.
TextVar HexDigitsToText(const char* text);
