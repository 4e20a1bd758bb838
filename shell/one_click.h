// The one-click reports: many conversions of one input at once, one labelled line each.
#pragma once
#include "runtime/variables.h"

TextVar OneClickEncode(const char* text);
TextVar OneClickDecode(const char* text);
