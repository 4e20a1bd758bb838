#include "engine/url_codec.h"

#include "engine/codepage.h"
#include "runtime/library.h"

namespace {
const char kHexAlphabet[] = "0123456789ABCDEF";

bool KeptByte(int32_t b) {
    return b == 0x2D || b == 0x2E || (b >= 0x30 && b <= 0x39) || (b >= 0x41 && b <= 0x5A) || (b >= 0x61 && b <= 0x7A);
}

// The decoder's digit value of each byte: the upper-cased byte's 0-based place in the
// alphabet, -2 when it is not there. Looked up once per call, not once per byte.
void DigitValues(int32_t values[256]) {
    for (int32_t b = 1; b < 256; ++b) {
        TextVar one = CharFromCode(b);
        TextVar upper = ToUpper(one);
        values[b] = FindText(kHexAlphabet, upper, kOmit, false) - 1;
        if (values[b] < 0) values[b] = -2;
    }
    values[0] = 0;  // a place past the end: the empty text is found at the first position
}

TextVar PercentEncode(const ByteSetVar& bytes) {
    int32_t n = ByteSetLength(bytes);
    if (n == 0) return TextVar();
    ByteSetVar alphabet = ToByteSet(kHexAlphabet);
    const uint8_t* hex = alphabet.data();
    ByteSetVar out = ZeroByteSet(n > INT32_MAX / 3 - 8 ? INT32_MAX : n * 3);
    const uint8_t* r = bytes.data();
    uint8_t* w = out.data();
    int32_t used = 0;
    for (int32_t i = 0; i < n; ++i) {
        int32_t b = r[i];
        if (KeptByte(b)) {
            w[used++] = static_cast<uint8_t>(b);
        } else {
            w[used++] = '%';
            w[used++] = hex[(b >> 4) & 15];
            w[used++] = hex[b & 15];
        }
    }
    out = ByteSetLeft(out, used);
    return ToText(out);
}

// The bytes with every "%" and two digits replaced by the byte they stand for.
ByteSetVar PercentDecode(const ByteSetVar& bytes) {
    int32_t n = ByteSetLength(bytes);
    if (n == 0) return ByteSetVar();
    int32_t digit[256];
    DigitValues(digit);
    ByteSetVar out = ZeroByteSet(n);
    const uint8_t* r = bytes.data();
    uint8_t* w = out.data();
    int32_t used = 0;
    for (int32_t i = 0; i < n; ++i) {
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
    return ByteSetLeft(out, used);
}
}  // namespace

TextVar UrlEncodeBytes(const char* text, bool utf8) {
    if (TextLength(text) == 0) return TextVar();
    if (utf8) return UrlEncodeUtf8Units(GbkToUnits(text));
    ByteSetVar bytes = ToByteSet(text);
    return PercentEncode(bytes);
}

TextVar UrlEncodeUtf8Units(const ByteSetVar& units) {
    TextVar utf8 = UnitsToUtf8(units);
    ByteSetVar bytes = ToByteSet(utf8);
    return PercentEncode(bytes);
}

TextVar UrlDecodeBytes(const char* text, bool utf8) {
    if (utf8) return UnitsToGbk(UrlDecodeUtf8Units(GbkToUnits(text)));
    ByteSetVar bytes = ToByteSet(text);
    ByteSetVar decoded = PercentDecode(bytes);
    return ToText(decoded);
}

ByteSetVar UrlDecodeUtf8Units(const ByteSetVar& units) {
    TextVar utf8 = UnitsToUtf8(units);
    ByteSetVar bytes = ToByteSet(utf8);
    ByteSetVar decoded = PercentDecode(bytes);
    // No zero byte is ever decoded, so the conversion takes every byte and adds no zero unit.
    return Utf8BytesToUtf16(decoded);
}
