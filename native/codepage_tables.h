// One code page's tables, generated from the Windows functions (tools/make_codepage_tables.py).
#pragma once
#include <cstdint>

struct CodePageTable {
    uint32_t codePage;
    const uint16_t* toUnit;      // each byte alone
    const uint16_t* pairUnit;    // (lead - 0x81) * 256 + trail; null for a one-byte code page
    const uint8_t* lead;         // 1 for a byte that starts a pair
    const uint16_t* fromUnit;    // a byte, or lead << 8 | trail
    const uint8_t* noBestFit;    // a bit per unit: without best fit it becomes the default
    // With WC_COMPOSITECHECK, a letter and a combining mark that become one character:
    // base << 16 | mark, sorted, and the bytes as in fromUnit.
    const uint32_t* composedPairs;
    const uint16_t* composedBytes;
    int composedCount;
    // MB_ERR_INVALID_CHARS refuses these: a bit for each byte alone (0..255), then for each
    // pair at 256 + (lead - 0x81) * 256 + trail.
    const uint8_t* invalid;
};
// In the pair table: the two bytes are no pair (the lead is read alone, then the trail).
const uint16_t kNotAPair = 0xFFFF;

extern const CodePageTable kCodePageTables[];
extern const int kCodePageTableCount;

// Letter case of the units code page 936 holds, as LCMapStringA maps them: sorted
// (unit, mapped unit) pairs, only those that change.
struct CaseTable {
    const uint16_t* pairs;
    int count;
};
extern const CaseTable kUpperCase, kLowerCase;
