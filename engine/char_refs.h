// Decimal numeric character references of UTF-16 units: 我爱 <-> &#25105&#29233.
#pragma once
#include "runtime/variables.h"

// "&#" and the decimal value of each UTF-16 unit of the GBK text, without ";"; empty when
// the text is nothing but spaces.
TextVar TextToCharRefs(const char* text);

// Reads every "&#" followed by a number (";" after it allowed) back into GBK text; what
// precedes the first "&#" is dropped, and a zero unit ends the text.
TextVar CharRefsToText(const char* text);

// The same on UTF-16 units, which the two above wrap: a character beyond U+FFFF is written
// as its two surrogates, and a reference to it (up to U+10FFFF) reads back as both.
TextVar UnitsToCharRefs(const ByteSetVar& units);
ByteSetVar CharRefsToUnits(const ByteSetVar& units);
