// Byte percent-encoding of GBK or UTF-8 text.
#pragma once
#include "runtime/variables.h"

// Every byte but letters, digits, "-" and "." becomes "%" and two upper-case hex digits.
TextVar UrlEncodeBytes(const char* text, bool utf8);
// "%" and two hex digits (either case) become the byte; never fails. No "+" handling.
TextVar UrlDecodeBytes(const char* text, bool utf8);
