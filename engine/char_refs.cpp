#include "engine/char_refs.h"

#include "engine/codepage.h"
#include "engine/gbk_runs.h"
#include "runtime/library.h"

namespace {
const int32_t kIntKind = 3;
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
}  // namespace

TextVar TextToCharRefs(const char* text) {
    // The GBK trim decides emptiness here, as it always has (it also drops a lone lead byte).
    if (TrimSpaces(text).empty()) return TextVar();
    return UnitsToCharRefs(GbkToUnits(text));
}

TextVar UnitsToCharRefs(const ByteSetVar& units) {
    if (OnlySpaces(units)) return TextVar();
    TextBuilder result;
    int32_t length = ByteSetLength(units);
    for (int32_t i = 1; i <= length; i += 2) {
        ArgRecord unit = ByteSetData(ByteSetMiddle(units, i, 2), kIntKind);
        result.Append(JoinTexts({"&#", ToText(static_cast<int32_t>(unit.value))}));
    }
    return result.Finish();
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
    for (int32_t k = 0; k <= n; ++k) {
        bool marker = k + 1 < n && UnitAt(units, k) == '&' && UnitAt(units, k + 1) == '#';
        if (!marker && k < n) continue;
        if (partStart >= 0) {
            ByteSetVar part = ByteSetMiddle(units, 2 * partStart + 1, 2 * (k - partStart));
            TextVar gbk = UnitsToGbk(part);
            PutReference(gbk, out.data(), &used);
        }
        partStart = k + 2;
        ++k;
    }
    // A zero unit ends the text, as its GBK form ends at the zero byte.
    ByteSetVar result = ByteSetLeft(out, used);
    return Utf16BytesToUnits(result);
}
