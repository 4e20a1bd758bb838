// The number-base calculator: a non-negative whole number in base 2, 8, 10 or 16, written
// out in all four bases.
#pragma once
#include <cstdint>

#include "runtime/variables.h"

// base: the checked base radio box, 2, 8, 10 or 16, or 0 when none is checked.
// Returns false when the output box keeps its content (an empty input); otherwise output
// holds the text for the output box, a result or a failure message.
bool RunBaseCalculator(const char* input, int32_t base, TextVar& output);

// The four-line result for the box text, or the one message that explains the failure.
TextVar FormatAllBases(const char* text, int32_t base);

// The digits of value (base from) in base to, or the empty text after setting error.
// An error text already set is never cleared, so one can be shared by several calls.
TextVar ConvertBase(const char* value, int32_t from, int32_t to, TextVar& error);
