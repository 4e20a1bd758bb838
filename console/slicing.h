// Where a long input may be cut so that converting the pieces one by one gives what one
// conversion of the whole gives.
#pragma once
#include <cstddef>
#include <cstdint>

#include "console/conversions.h"

namespace wht_console {

// How many of the n bytes at p may be converted now: the end of the last safe cut, 0 when
// there is none yet. unitSize is 2 for UTF-16 input (cuts fall between whole units), else 1.
size_t SafeCut(Slicing slicing, const uint8_t* p, size_t n, int unitSize);

}  // namespace wht_console
