#include "engine/char_refs.h"

#include "engine/codepage.h"
#include "engine/gbk_runs.h"
#include "engine/progress.h"
#include "runtime/library.h"

namespace {
const uint32_t kIdeographicSpace = 0x3000;
const int64_t kLastCodePoint = 0x10FFFF;

uint32_t UnitAt(const ByteSetVar& units, int32_t k) { return units.data()[2 * k] | (units.data()[2 * k + 1] << 8); }

bool OnlySpaces(const ByteSetVar& units) {
    int32_t n = ByteSetLength(units) / 2;
    for (int32_t k = 0; k < n; ++k) {
        uint32_t u = UnitAt(units, k);
        if (u != ' ' && u != kIdeographicSpace) return false;
    }
    return true;
}

int32_t DecimalLength(uint32_t u) { return u < 10 ? 1 : u < 100 ? 2 : u < 1000 ? 3 : u < 10000 ? 4 : 5; }

void PutUnit(uint8_t* d, int32_t* used, uint32_t u) {
    d[(*used)++] = static_cast<uint8_t>(u & 0xFF);
    d[(*used)++] = static_cast<uint8_t>(u >> 8);
}

// One reference's value as units: a code point beyond U+FFFF (and not beyond U+10FFFF)
// as its surrogate pair; any other number keeps its low 16 bits, as the text-to-short
// conversion reads it.
void PutReference(const char* part, uint8_t* d, int32_t* used) {
    int64_t full = ToLong(ToHalfWidth(part));
    if (full > 0xFFFF && full <= kLastCodePoint) {
        uint32_t c = static_cast<uint32_t>(full - 0x10000);
        PutUnit(d, used, 0xD800 + (c >> 10));
        PutUnit(d, used, 0xDC00 + (c & 0x3FF));
        return;
    }
    PutUnit(d, used, static_cast<uint16_t>(ToShort(part)));
}

// The usual part, a few ASCII digits and then the part's end or an ASCII character that
// is no digit, read as the conversions would read it (no sign, no space, no full-width
// digit, no overflow). False for any other part, which then goes through them.
bool PutPlainReference(const ByteSetVar& units, int32_t start, int32_t end, uint8_t* d, int32_t* used) {
    const int32_t kMostDigits = 9;
    int64_t value = 0;
    int32_t k = start;
    for (; k < end && k - start <= kMostDigits; ++k) {
        uint32_t u = UnitAt(units, k);
        if (u < '0' || u > '9') break;
        value = value * 10 + (u - '0');
    }
    int32_t digits = k - start;
    if (digits == 0 || digits > kMostDigits || (k < end && UnitAt(units, k) >= 0x80)) return false;
    if (value > 0xFFFF && value <= kLastCodePoint) {
        uint32_t c = static_cast<uint32_t>(value - 0x10000);
        PutUnit(d, used, 0xD800 + (c >> 10));
        PutUnit(d, used, 0xDC00 + (c & 0x3FF));
    } else {
        PutUnit(d, used, static_cast<uint32_t>(value) & 0xFFFF);
    }
    return true;
}
}  // namespace

TextVar TextToCharRefs(const char* text) {
    // The GBK trim decides emptiness here, as it always has (it also drops a lone lead byte).
    if (TrimSpaces(text).empty()) return TextVar();
    return UnitsToCharRefs(GbkToUnits(text));
}

TextVar UnitsToCharRefs(const ByteSetVar& units) {
    if (OnlySpaces(units)) return TextVar();
    // An odd last byte is a unit of its own, read as its low byte alone.
    int32_t bytes = ByteSetLength(units);
    int32_t n = (bytes + 1) / 2;
    const uint8_t* b = units.data();
    auto unitAt = [&](int32_t k) { return b[2 * k] | (2 * k + 1 < bytes ? b[2 * k + 1] << 8 : 0); };
    // Measured first, so that the references are written straight into their place.
    int64_t size = 0;
    for (int32_t k = 0; k < n; ++k) size += 2 + DecimalLength(unitAt(k));
    TextVar result = TextToFill(size);
    char* w = result.get();
    for (int32_t k = 0; k < n;) {
        int32_t blockEnd = n - k > kProgressBlock / 2 ? k + kProgressBlock / 2 : n;
        for (; k < blockEnd; ++k) {
            uint32_t u = unitAt(k);
            *w++ = '&';
            *w++ = '#';
            w += DecimalLength(u);
            char* digit = w;
            do {
                *--digit = static_cast<char>('0' + u % 10);
                u /= 10;
            } while (u);
        }
        ReportProgress(k, n);
    }
    return result;
}

TextVar CharRefsToText(const char* text) {
    ByteSetVar units = CharRefsToUnits(GbkToUnits(text));
    return Utf16BytesToAnsi(units);
}

ByteSetVar CharRefsToUnits(const ByteSetVar& units) {
    int32_t n = ByteSetLength(units) / 2;
    // The first part is whatever comes before the first "&#" (or the whole text): dropped.
    // Each later part runs to the next "&#" and is read as a number, in its GBK form.
    ByteSetVar out = ZeroByteSet(2 * n);
    int32_t used = 0;
    int32_t partStart = -1;
    for (int32_t k = 0; k <= n;) {
        int32_t blockEnd = n - k > kProgressBlock / 2 ? k + kProgressBlock / 2 : n;
        for (; k <= blockEnd; ++k) {
            bool marker = k + 1 < n && UnitAt(units, k) == '&' && UnitAt(units, k + 1) == '#';
            if (!marker && k < n) continue;
            if (partStart >= 0 && !PutPlainReference(units, partStart, k, out.data(), &used)) {
                ByteSetVar part = ByteSetMiddle(units, 2 * partStart + 1, 2 * (k - partStart));
                TextVar gbk = UnitsToGbk(part);
                PutReference(gbk, out.data(), &used);
            }
            partStart = k + 2;
            ++k;
        }
        ReportProgress(k < n ? k : n, n);
    }
    // A zero unit ends the text, as its GBK form ends at the zero byte.
    ByteSetVar result = ByteSetLeft(out, used);
    return Utf16BytesToUnits(result);
}
