// GBK and BIG5 (code page 950). A BIG5 result is a Text holding BIG5 bytes, shown as they are.
#pragma once
#include "runtime/variables.h"

// BIG5 bytes read as code page 950, written as GBK.
TextVar Big5ToGbk(const char* text);
// GBK text written as BIG5 bytes.
TextVar GbkToBig5(const char* text);
// Simplified GBK text made traditional, then written as BIG5.
TextVar SimplifiedToBig5(const char* text);
// BIG5 bytes read as GBK, then made simplified.
TextVar Big5ToSimplified(const char* text);
