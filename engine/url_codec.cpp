#include "engine/url_codec.h"

#include <cstring>

#include "engine/codepage.h"
#include "engine/gbk_runs.h"
#include "engine/progress.h"
#include "runtime/library.h"

namespace {
const char kHexAlphabet[] = "0123456789ABCDEF";

bool KeptByte(int32_t b) {
    return b == 0x2D || b == 0x2E || (b >= 0x30 && b <= 0x39) || (b >= 0x41 && b <= 0x5A) || (b >= 0x61 && b <= 0x7A);
}

// The decoder's digit value of each byte: the upper-cased byte's 0-based place in the
// alphabet, -2 when it is not there. Looked up once per process, not once per byte.
struct DigitValues {
    int32_t of[256];
    DigitValues() {
        for (int32_t b = 1; b < 256; ++b) {
            TextVar one = CharFromCode(b);
            TextVar upper = ToUpper(one);
            of[b] = FindText(kHexAlphabet, upper, kOmit, false) - 1;
            if (of[b] < 0) of[b] = -2;
        }
        of[0] = 0;  // a place past the end: the empty text is found at the first position
    }
};

// Each byte's form: itself, or "%" and two digits; with its length in the top byte, so that
// one look-up and one four-byte store write any byte without a branch to mispredict.
struct PercentForms {
    uint32_t of[256];
    PercentForms() {
        ByteSetVar alphabet = ToByteSet(kHexAlphabet);
        const uint8_t* hex = alphabet.data();
        for (uint32_t b = 0; b < 256; ++b)
            of[b] = KeptByte(b) ? (1u << 24 | b) : (3u << 24 | uint32_t(hex[b & 15]) << 16 | uint32_t(hex[b >> 4 & 15]) << 8 | '%');
    }
};

// The bytes percent-encoded, measured first so that they are written straight into the text.
TextVar PercentEncode(const uint8_t* r, int32_t n) {
    if (n == 0) return TextVar();
    static const PercentForms forms;
    const uint32_t* of = forms.of;
    int64_t size = 0;
    for (int32_t i = 0; i < n; ++i) size += of[r[i]] >> 24;
    // Three bytes beyond the text take the last store's spare bytes.
    TextVar out = TextToFill(size + 3);
    uint8_t* w = reinterpret_cast<uint8_t*>(out.get());
    for (int32_t i = 0; i < n;) {
        int32_t blockEnd = n - i > kProgressBlock ? i + kProgressBlock : n;
        for (; i < blockEnd; ++i) {
            uint32_t form = of[r[i]];
            memcpy(w, &form, 4);  // little-endian: the form's first byte first
            w += form >> 24;
        }
        ReportProgress(i, n);
    }
    *w = '\0';
    return out;
}

// The bytes with every "%" and two digits replaced by the byte they stand for, written to
// w (room for n bytes); returns how many were written.
int32_t PercentDecode(const uint8_t* r, int32_t n, uint8_t* w) {
    static const DigitValues digits;
    const int32_t* digit = digits.of;
    int32_t used = 0;
    for (int32_t i = 0; i < n;) {
        int32_t blockEnd = n - i > kProgressBlock ? i + kProgressBlock : n;
        for (; i < blockEnd; ++i) {
            int32_t c = r[i];
            if (c != '%') {
                w[used++] = static_cast<uint8_t>(c);
                continue;
            }
            int32_t hi = i + 1 < n ? digit[r[i + 1]] : 0;
            int32_t lo = i + 2 < n ? digit[r[i + 2]] : 0;
            int32_t code = (hi * 16 + lo) & 255;
            if (code != 0) w[used++] = static_cast<uint8_t>(code);
            i += 2;
        }
        ReportProgress(i < n ? i : n, n);
    }
    return used;
}

const uint8_t* BytesOf(const char* text) { return reinterpret_cast<const uint8_t*>(text); }
}  // namespace

TextVar UrlEncodeBytes(const char* text, bool utf8) {
    if (!text || !*text) return TextVar();
    if (utf8) return UrlEncodeUtf8Units(GbkToUnits(text));
    return PercentEncode(BytesOf(text), MeasureText(text));
}

TextVar UrlEncodeUtf8Units(const ByteSetVar& units) {
    TextVar utf8 = UnitsToUtf8(units);
    return PercentEncode(BytesOf(utf8), MeasureText(utf8));
}

TextVar UrlDecodeBytes(const char* text, bool utf8) {
    if (utf8) return UnitsToGbk(UrlDecodeUtf8Units(GbkToUnits(text)));
    // Decoding only shortens: the text is written in place of a copy of its own length.
    int32_t n = MeasureText(text);
    if (n == 0) return TextVar();
    TextVar out = TextToFill(n);
    uint8_t* w = reinterpret_cast<uint8_t*>(out.get());
    w[PercentDecode(BytesOf(text), n, w)] = 0;
    return out;
}

ByteSetVar UrlDecodeUtf8Units(const ByteSetVar& units) {
    TextVar utf8 = UnitsToUtf8(units);
    int32_t n = MeasureText(utf8);
    if (n == 0) return Utf8BytesToUtf16(ByteSetVar());
    ByteSetVar decoded = ByteSetToFill(n);
    int32_t used = PercentDecode(BytesOf(utf8), n, decoded.data());
    if (used < n) decoded = ByteSetLeft(decoded, used);
    // No zero byte is ever decoded, so the conversion takes every byte and adds no zero unit.
    return Utf8BytesToUtf16(decoded);
}
