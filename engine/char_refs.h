// Decimal numeric character references of UTF-16 units: 我爱 <-> &#25105&#29233.
#pragma once
#include "runtime/variables.h"

// "&#" and the decimal value of each UTF-16 unit of the GBK text, without ";"; empty when
// the text is nothing but spaces.
TextVar TextToCharRefs(const char* text);

// Reads every "&#" followed by a number (";" after it allowed) back into GBK text; what
// precedes the first "&#" is dropped, and a zero unit ends the text.
TextVar CharRefsToText(const char* text);
