// The program's own simplified/traditional character table, generated at build time by
// tools/make_script_table.py. Codes are GBK double-byte characters, lead byte high, and
// each list is sorted by its from code.
#pragma once
#include <cstdint>

struct ScriptPair {
    uint16_t from;
    uint16_t to;
};

extern const ScriptPair kSimplifiedToTraditionalPairs[];
extern const int32_t kSimplifiedToTraditionalCount;
extern const ScriptPair kTraditionalToSimplifiedPairs[];
extern const int32_t kTraditionalToSimplifiedCount;
