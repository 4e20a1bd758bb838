// Byte percent-encoding of GBK or UTF-8 text.
#pragma once
#include "runtime/variables.h"

// Every byte but letters, digits, "-" and "." becomes "%" and two upper-case hex digits.
TextVar UrlEncodeBytes(const char* text, bool utf8);
// "%" and two hex digits (either case) become the byte; never fails. No "+" handling.
TextVar UrlDecodeBytes(const char* text, bool utf8);

// The UTF-8 forms on UTF-16 units: the encoder writes the units' UTF-8 bytes, and the
// decoder reads characters outside escapes as their UTF-8 bytes and the decoded bytes as
// UTF-8 (U+FFFD where they are not). UrlEncodeBytes / UrlDecodeBytes with utf8 set wrap these.
TextVar UrlEncodeUtf8Units(const ByteSetVar& units);
ByteSetVar UrlDecodeUtf8Units(const ByteSetVar& units);
