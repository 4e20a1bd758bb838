// Typed calls of the library commands. Each builds the argument records, goes through
// CallCommand and takes ownership of the result, so engine code reads like its algorithm.
#pragma once
#include "library_convert.h"
#include "library_text.h"
