#include "engine/digits.h"

#include <cstring>

#include "engine/gbk_runs.h"
#include "engine/progress.h"
#include "runtime/library.h"

namespace {
const char kHexAlphabet[] = "0123456789ABCDEF";
}  // namespace

bool TextToDigitsReport(const char* input, TextVar& output) {
    if (!input || !*input) return false;
    TextVar binary = TextToBinaryDigits(input);
    TextVar hex = TextToHexDigits(input);
    output = JoinTexts({"文本转二进制结果为：", binary, "\r\n\r\n", "文本转十六进制结果：", hex, "\r\n\r\n"});
    return true;
}

bool DigitsToTextReport(const char* input, TextVar& output) {
    if (!input || !*input) return false;
    TextVar binary = BinaryDigitsToText(input);
    TextVar hex = HexDigitsToText(input);
    output = JoinTexts({"二进制转文本结果为：", binary, "\r\n\r\n", "十六进制转文本结果：", hex});
    return true;
}

TextVar TextToBinaryDigits(const char* text) {
    int32_t n = MeasureText(text);
    if (n == 0) return TextVar();
    TextVar out = TextToFill(int64_t(n) * 8);
    const uint8_t* r = reinterpret_cast<const uint8_t*>(text);
    char* w = out.get();
    for (int32_t i = 0; i < n;) {
        int32_t blockEnd = n - i > kProgressBlock ? i + kProgressBlock : n;
        for (; i < blockEnd; ++i, w += 8) {
            // Each bit to the low bit of its own byte, the most significant in the lowest
            // byte, which comes first in memory; then each to its digit.
            uint64_t spread = ((r[i] * 0x8040201008040201ull >> 7) & 0x0101010101010101ull) + 0x3030303030303030ull;
            memcpy(w, &spread, 8);
        }
        ReportProgress(i, n);
    }
    return out;
}

TextVar TextToHexDigits(const char* text) {
    TextVar compact = RemoveSpaces(text);
    int32_t n = MeasureText(compact);
    if (n == 0) return TextVar();
    ByteSetVar alphabetBytes = ToByteSet(kHexAlphabet);
    const uint8_t* hex = alphabetBytes.data();
    TextVar out = TextToFill(int64_t(n) * 3 - 1);
    const uint8_t* r = reinterpret_cast<const uint8_t*>(compact.c_str());
    char* w = out.get();
    for (int32_t i = 0; i < n;) {
        int32_t blockEnd = n - i > kProgressBlock ? i + kProgressBlock : n;
        for (; i < blockEnd; ++i) {
            int32_t b = r[i];
            if (i > 0) *w++ = ' ';
            *w++ = static_cast<char>(hex[(b >> 4) & 15]);
            *w++ = static_cast<char>(hex[b & 15]);
        }
        ReportProgress(i, n);
    }
    return out;
}

TextVar BinaryDigitsToText(const char* text) {
    int32_t n = MeasureText(text);
    if (n == 0) return TextVar();
    // The padding "0"s are implied rather than copied: position p of the padded digits is
    // byte p - pad of the text.
    int32_t pad = (8 - n % 8) % 8;
    int32_t groups = static_cast<int32_t>((int64_t(n) + pad) / 8);
    TextVar out = TextToFill(groups);
    const uint8_t* r = reinterpret_cast<const uint8_t*>(text);
    uint8_t* w = reinterpret_cast<uint8_t*>(out.get());
    int64_t p = -pad;
    for (int32_t g = 0; g < groups;) {
        int32_t blockEnd = groups - g > kProgressBlock / 8 ? g + kProgressBlock / 8 : groups;
        for (; g < blockEnd; ++g) {
            int32_t value = 0;
            for (int32_t k = 0; k < 8; ++k, ++p) {
                if (p >= 0 && r[p] != '0') value |= 1 << (7 - k);
            }
            w[g] = static_cast<uint8_t>(value);
            // The text ends at its first zero byte.
            if (value == 0) return out;
        }
        ReportProgress(g, groups);
    }
    return out;
}

TextVar HexDigitsToText(const char* text) {
    // 1-based place of every byte in the alphabet, -1 for the bytes that are not digits;
    // a pair's byte is (first - 1) * 16 + (second - 1), modulo 256.
    ByteSetVar alphabetBytes = ToByteSet(kHexAlphabet);
    const uint8_t* hex = alphabetBytes.data();
    int32_t place[256];
    for (int32_t c = 0; c < 256; ++c) place[c] = -1;
    for (int32_t i = 0; i < 16; ++i) place[hex[i]] = i + 1;
    // Each digit's share of a pair's byte, in either place.
    uint8_t high[256], low[256];
    for (int32_t c = 0; c < 256; ++c) {
        high[c] = static_cast<uint8_t>((place[c] - 1) * 16);
        low[c] = static_cast<uint8_t>(place[c] - 1);
    }

    // The digits are read as RemoveSpaces leaves them (spaces and full-width spaces gone,
    // a lone lead byte at the end dropped) without making that copy: each kept byte is
    // paired with the next.
    int32_t n = MeasureText(text);
    const uint8_t* s = reinterpret_cast<const uint8_t*>(text);
    TextVar out = TextToFill(n / 2);
    uint8_t* w = reinterpret_cast<uint8_t*>(out.get());
    uint8_t* first = w;
    int32_t firstShare = -1;  // a pair's first digit read, while its second is awaited
    for (int32_t i = 0; i < n;) {
        int32_t blockEnd = n - i > kProgressBlock ? i + kProgressBlock : n;
        while (i < blockEnd) {
            // The usual layout first: pairs of ASCII digits, each followed by at most one space.
            // Each layout has a loop of its own, whose steps do not wait for the bytes read.
            auto plainPair = [&](int32_t at) {
                return at + 2 < n && s[at] != ' ' && s[at + 1] != ' ' && (s[at] | s[at + 1]) < 0x80;
            };
            for (int32_t before = -1; firstShare < 0 && i != before;) {
                before = i;
                for (; i < blockEnd && plainPair(i) && s[i + 2] == ' '; i += 3) *w++ = static_cast<uint8_t>(high[s[i]] + low[s[i + 1]]);
                for (; i < blockEnd && plainPair(i) && s[i + 2] != ' '; i += 2) *w++ = static_cast<uint8_t>(high[s[i]] + low[s[i + 1]]);
            }
            if (i >= blockEnd) break;
            uint8_t c = s[i];
            int32_t kept = 1;  // bytes of the character at i that count as digits
            if (c == ' ') {
                kept = 0;
            } else if (c >= 0x80) {
                if (i + 1 >= n) {
                    i = n;  // a lone lead byte at the end is dropped
                    break;
                }
                kept = c == 0xA1 && s[i + 1] == 0xA1 ? 0 : 2;
            }
            for (int32_t k = 0; k < kept; ++k) {
                uint8_t digit = s[i + k];
                if (firstShare < 0) {
                    firstShare = high[digit];
                } else {
                    *w++ = static_cast<uint8_t>(firstShare + low[digit]);
                    firstShare = -1;
                }
            }
            i += c >= 0x80 ? 2 : 1;
        }
        // The text ends at its first zero byte.
        if (memchr(first, 0, w - first)) break;
        first = w;
        ReportProgress(i, n);
    }
    *w = 0;
    if (out.empty()) return TextVar();
    return out;
}
