#include "engine/digits.h"

#include <climits>

#include "runtime/library.h"

namespace {
const char kHexAlphabet[] = "0123456789ABCDEF";

// Sizes past what a 32-bit length holds cannot be allocated anyway; asking for the largest
// block lets the runtime report the failed allocation instead of letting the size wrap.
int32_t CheckedSize(int64_t n) {
    if (n > INT32_MAX - 8) AllocMemory(INT32_MAX);
    return static_cast<int32_t>(n);
}
}  // namespace

bool TextToDigitsReport(const char* input, TextVar& output) {
    if (TextLength(input) == 0) return false;
    TextVar binary = TextToBinaryDigits(input);
    TextVar hex = TextToHexDigits(input);
    output = JoinTexts({"文本转二进制结果为：", binary, "\r\n\r\n", "文本转十六进制结果：", hex, "\r\n\r\n"});
    return true;
}

bool DigitsToTextReport(const char* input, TextVar& output) {
    if (TextLength(input) == 0) return false;
    TextVar binary = BinaryDigitsToText(input);
    TextVar hex = HexDigitsToText(input);
    output = JoinTexts({"二进制转文本结果为：", binary, "\r\n\r\n", "十六进制转文本结果：", hex});
    return true;
}

TextVar TextToBinaryDigits(const char* text) {
    ByteSetVar bytes = ToByteSet(text);
    int32_t n = ByteSetLength(bytes);
    if (n == 0) return TextVar();
    ByteSetVar out = ZeroByteSet(CheckedSize(int64_t(n) * 8));
    const uint8_t* r = bytes.data();
    uint8_t* w = out.data();
    for (int32_t i = 0; i < n; ++i) {
        int32_t b = r[i];
        for (int32_t k = 7; k >= 0; --k) *w++ = static_cast<uint8_t>('0' + ((b >> k) & 1));
    }
    return ToText(out);
}

TextVar TextToHexDigits(const char* text) {
    TextVar compact = RemoveSpaces(text);
    ByteSetVar bytes = ToByteSet(compact);
    int32_t n = ByteSetLength(bytes);
    if (n == 0) return TextVar();
    ByteSetVar alphabetBytes = ToByteSet(kHexAlphabet);
    const uint8_t* hex = alphabetBytes.data();
    ByteSetVar out = ZeroByteSet(CheckedSize(int64_t(n) * 3 - 1));
    const uint8_t* r = bytes.data();
    uint8_t* w = out.data();
    for (int32_t i = 0; i < n; ++i) {
        int32_t b = r[i];
        if (i > 0) *w++ = ' ';
        *w++ = hex[(b >> 4) & 15];
        *w++ = hex[b & 15];
    }
    return ToText(out);
}

TextVar BinaryDigitsToText(const char* text) {
    ByteSetVar bytes = ToByteSet(text);
    int32_t n = ByteSetLength(bytes);
    if (n == 0) return TextVar();
    // The padding "0"s are implied rather than copied: position p of the padded digits is
    // byte p - pad of the text.
    int32_t pad = (8 - n % 8) % 8;
    int32_t groups = static_cast<int32_t>((int64_t(n) + pad) / 8);
    ByteSetVar out = ZeroByteSet(groups);
    const uint8_t* r = bytes.data();
    uint8_t* w = out.data();
    int64_t p = -pad;
    for (int32_t g = 0; g < groups; ++g) {
        int32_t value = 0;
        for (int32_t k = 0; k < 8; ++k, ++p) {
            if (p >= 0 && r[p] != '0') value |= 1 << (7 - k);
        }
        w[g] = static_cast<uint8_t>(value);
    }
    return ToText(out);
}

TextVar HexDigitsToText(const char* text) {
    TextVar compact = RemoveSpaces(text);
    ByteSetVar bytes = ToByteSet(compact);
    int32_t m = ByteSetLength(bytes) / 2;
    if (m == 0) return TextVar();
    // 1-based place of every byte in the alphabet, -1 for the bytes that are not digits.
    ByteSetVar alphabetBytes = ToByteSet(kHexAlphabet);
    const uint8_t* hex = alphabetBytes.data();
    int32_t place[256];
    for (int32_t c = 0; c < 256; ++c) place[c] = -1;
    for (int32_t i = 0; i < 16; ++i) place[hex[i]] = i + 1;

    ByteSetVar out = ZeroByteSet(m);
    const uint8_t* r = bytes.data();
    uint8_t* w = out.data();
    for (int32_t i = 0; i < m; ++i) {
        int32_t p1 = place[r[2 * i]];
        int32_t p2 = place[r[2 * i + 1]];
        w[i] = static_cast<uint8_t>(((p1 - 1) * 16 + (p2 - 1)) & 255);
    }
    return ToText(out);
}
