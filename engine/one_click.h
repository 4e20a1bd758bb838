// The one-click reports: many conversions of one input at once, one labelled line each.
#pragma once
#include "runtime/variables.h"

// The reports of a GBK text.
TextVar OneClickEncode(const char* text);
TextVar OneClickDecode(const char* text);

// The reports of the input box's UTF-16 units, as units: the Unicode lines are computed from
// the units; when the input holds a character GBK cannot hold, every line computed from the
// GBK form carries the prompt that names it instead of a value.
ByteSetVar OneClickEncodeUnits(const ByteSetVar& units);
ByteSetVar OneClickDecodeUnits(const ByteSetVar& units);
