// The library commands, each of the one form (result record, argument count, arguments).
// Program code never calls these directly: it goes through CallCommand (see library.h).
#pragma once
#include "values.h"

#define LIBRARY_COMMAND(name) void name(ArgRecord* result, int count, ArgRecord* args)
