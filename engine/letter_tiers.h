// How usual each letter and sign of the alphabets, kana and Hangul is in the languages
// written with them: generated at build time by tools/make_letter_tiers.py.
#pragma once
#include <cstdint>

struct LetterTierRange {
    uint16_t first, last;  // code points, both included
    int32_t offset;        // of the first one's digit in kLetterTiers
};
extern const LetterTierRange kLetterTierRanges[];
extern const int kLetterTierRangeCount;
// One digit per code point of the ranges, '0' (not seen) to '9' (most usual).
extern const char kLetterTiers[];

// Neighbouring kana (a kana beside anything else: 0 in its place), first << 16 | second,
// sorted, with their tier; pairs not listed are of tier 0.
struct KanaPair {
    uint32_t pair;
    int32_t tier;
};
extern const KanaPair kKanaPairs[];
extern const int kKanaPairCount;

// The tier of a unit, from 0 to 9; -1 outside the ranges.
inline int LetterTier(char16_t c) {
    for (int i = 0; i < kLetterTierRangeCount; ++i)
        if (c >= kLetterTierRanges[i].first && c <= kLetterTierRanges[i].last)
            return kLetterTiers[kLetterTierRanges[i].offset + (c - kLetterTierRanges[i].first)] - '0';
    return -1;
}
