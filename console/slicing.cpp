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

// The decoder reads groups of four characters once spaces and CR LF pairs are dropped:
// cut where a whole number of groups has been seen, never between CR and LF. Text that is
// not ASCII has no such place here (its spaces may be wide ones).
size_t AfterBase64Groups(const uint8_t* p, size_t units, int unitSize) {
    size_t best = 0, counted = 0;
    uint32_t lastCounted = 0;
    for (size_t k = 0; k < units; ++k) {
        uint32_t c = UnitAt(p, k, unitSize);
        if (c >= 0x80) return best;
        bool pairedBreak = (c == '\r' && k + 1 < units && UnitAt(p, k + 1, unitSize) == '\n') ||
                           (c == '\n' && k > 0 && UnitAt(p, k - 1, unitSize) == '\r');
        if (c == '\r' && k + 1 == units) return best;  // its LF may be in the next read
        if (c != ' ' && !pairedBreak) ++counted, lastCounted = c;
        // After a group that ends in "=" the decoder would stop early only at the very end.
        if (counted > 0 && counted % 4 == 0 && lastCounted != '=' && !(c == '\r' && pairedBreak)) best = k + 1;
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
