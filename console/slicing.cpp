#include "console/slicing.h"

namespace wht_console {
namespace {
uint32_t UnitAt(const uint8_t* p, size_t k, int unitSize) {
    return unitSize == 1 ? p[k] : (p[2 * k] | p[2 * k + 1] << 8);
}

// A character below 0x40 is one byte in GBK, BIG5 and UTF-8 and never the second byte of a
// pair, so a cut after it never splits a character, whatever came before.
size_t AfterLowChar(const uint8_t* p, size_t units, int unitSize) {
    for (size_t k = units; k > 0; --k)
        if (UnitAt(p, k - 1, unitSize) < 0x40) return k;
    return 0;
}

// The same, and not inside a "%XX" escape: the decoded byte before the cut is then a
// character of its own too.
size_t AfterUrlLiteral(const uint8_t* p, size_t units, int unitSize) {
    for (size_t k = units; k > 0; --k) {
        uint32_t c = UnitAt(p, k - 1, unitSize);
        if (c >= 0x40 || c == '%') continue;
        if (k >= 2 && UnitAt(p, k - 2, unitSize) == '%') continue;
        if (k >= 3 && UnitAt(p, k - 3, unitSize) == '%') continue;
        return k;
    }
    return 0;
}

bool IsBase64Char(uint32_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/';
}

// The decoder reads groups of four characters once every white space is dropped (the
// console drops all of it before the decoder sees the text). A group that meets a character
// outside the alphabet stops there, keeps the previous group's values in its other places,
// and, as the last group, drops bytes: so cut only between two whole groups of alphabet
// characters, where neither the end of a piece nor the start of the next changes a byte.
// Text that is not ASCII has no such place here (the decoder counts its GBK bytes).
size_t AfterBase64Groups(const uint8_t* p, size_t units, int unitSize) {
    size_t best = 0, counted = 0, groupEnd = 0;
    bool whole = true, previousWhole = false;
    for (size_t k = 0; k < units; ++k) {
        uint32_t c = UnitAt(p, k, unitSize);
        if (c >= 0x80) return best;
        if (c == ' ' || (c >= '\t' && c <= '\r')) continue;
        whole = whole && IsBase64Char(c);
        if (++counted % 4) continue;
        if (whole && previousWhole) best = groupEnd;
        previousWhole = whole;
        whole = true;
        groupEnd = k + 1;
    }
    return best;
}

// UTF-16 units, never between the two halves of a surrogate pair.
size_t WholeUnits(const uint8_t* p, size_t units) {
    if (units == 0) return 0;
    uint32_t last = UnitAt(p, units - 1, 2);
    return last >= 0xD800 && last <= 0xDBFF ? units - 1 : units;
}
}  // namespace

size_t SafeCut(Slicing slicing, const uint8_t* p, size_t n, int unitSize) {
    size_t units = n / unitSize;
    switch (slicing) {
    case Slicing::kDigest: return n;
    case Slicing::kTriples: return n - n % 3;
    case Slicing::kAfterLowChar: return AfterLowChar(p, units, unitSize) * unitSize;
    case Slicing::kUrlEscapes: return AfterUrlLiteral(p, units, unitSize) * unitSize;
    case Slicing::kBase64Groups: return AfterBase64Groups(p, units, unitSize) * unitSize;
    case Slicing::kUtf16Units: return WholeUnits(p, n / 2) * 2;
    case Slicing::kWhole: return 0;
    }
    return 0;
}

}  // namespace wht_console
