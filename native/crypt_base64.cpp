// The system BASE64 coder (CryptBinaryToStringA, CryptStringToBinaryA with
// CRYPT_STRING_BASE64) in its exact forms: 64 characters a line, each line ended by CR LF
// (LF alone with CRYPT_STRING_NOCR, nothing with CRYPT_STRING_NOCRLF); decoding skips
// white space, stops at padding that ends a group and refuses anything else. The Wine suite
// compares both with the Windows functions (native.base64).
#include <cstring>

#include "native/system_calls.h"

namespace {
const uint32_t kBase64 = 1, kNoCrlf = 0x40000000, kNoCr = 0x80000000;
const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
const int kLine = 64;

int32_t Fail(uint32_t code) {
    NativeSetLastError(code);
    return 0;
}

// -1 white space, -2 padding, -3 anything else.
int DigitValue(uint8_t c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') return -1;
    if (c == '=') return -2;
    return -3;
}
}  // namespace

int32_t NativeCryptBinaryToStringA(const uint8_t* data, uint32_t count, uint32_t flags, char* out,
                                   uint32_t* size) {
    if (!size || (!data && count)) return Fail(kErrorInvalidParameter);
    if ((flags & 0xFFFF) != kBase64) return Fail(kErrorInvalidParameter);
    const char* separator = flags & kNoCrlf ? "" : flags & kNoCr ? "\n" : "\r\n";
    uint64_t chars = (static_cast<uint64_t>(count) + 2) / 3 * 4;
    uint64_t lines = (chars + kLine - 1) / kLine;  // none for no bytes
    uint64_t needed = chars + lines * strlen(separator);
    if (needed + 1 > UINT32_MAX) return Fail(kErrorInvalidParameter);
    if (!out) {
        *size = static_cast<uint32_t>(needed + 1);
        return 1;
    }
    if (*size < needed + 1) {
        *size = static_cast<uint32_t>(needed + 1);
        return Fail(kErrorMoreData);
    }
    // A line is broken only before a further whole group; the padded last group always
    // joins the line before it, which may then run past 64 characters. The size given back
    // is the one measured, as the system gives it, even where a line was not broken.
    char* p = out;
    int inLine = 0;
    auto group = [&](uint32_t v, int digits) {
        for (int k = 0; k < 4; ++k) *p++ = k < digits ? kDigits[v >> (18 - 6 * k) & 63] : '=';
        inLine += 4;
    };
    uint32_t i = 0;
    for (; i + 3 <= count; i += 3) {
        if (inLine == kLine) {
            for (const char* s = separator; *s; ++s) *p++ = *s;
            inLine = 0;
        }
        group(data[i] << 16 | data[i + 1] << 8 | data[i + 2], 4);
    }
    if (i < count) group(data[i] << 16 | (i + 1 < count ? data[i + 1] << 8 : 0), i + 1 < count ? 3 : 2);
    if (count) for (const char* s = separator; *s; ++s) *p++ = *s;
    *p = '\0';
    *size = static_cast<uint32_t>(needed);
    return 1;
}

int32_t NativeCryptStringToBinaryA(const char* text, uint32_t count, uint32_t flags, uint8_t* out,
                                   uint32_t* size, uint32_t* skipped, uint32_t* usedFlags) {
    if (!text || !size) return Fail(kErrorInvalidParameter);
    if (flags != kBase64) return Fail(kErrorInvalidParameter);
    if (count == 0) count = static_cast<uint32_t>(strlen(text));
    const uint8_t* s = reinterpret_cast<const uint8_t*>(text);
    // First the checks and the length, then the bytes: nothing is written for a text
    // that does not decode.
    uint32_t digits = 0, bytes = 0, end = count;
    bool padding = false;
    for (uint32_t i = 0; i < count; ++i) {
        int d = DigitValue(s[i]);
        if (d == -1) continue;
        // A text that does not decode still tells how many bytes came before the fault.
        if (d == -3 || (padding && d != -2)) {
            *size = bytes;
            return Fail(kErrorInvalidData);
        }
        if (d == -2 && digits % 4 == 0) {
            end = i;
            break;
        }
        ++digits;
        if (d == -2) {
            padding = true;
            if (digits % 4 == 0) {
                end = i;
                break;
            }
            continue;
        }
        if (digits % 4 != 2) ++bytes;
    }
    if (digits % 4 != 0 && padding) {
        *size = bytes;
        return Fail(kErrorInvalidData);
    }
    if (out && *size < bytes) {
        *size = bytes;
        return Fail(kErrorMoreData);
    }
    if (out) {
        uint32_t value = 0, inGroup = 0, at = 0;
        for (uint32_t i = 0; i < end && at < bytes; ++i) {
            int d = DigitValue(s[i]);
            if (d < 0) continue;
            value = value << 6 | d;
            ++inGroup;
            if (inGroup == 2) out[at++] = static_cast<uint8_t>(value >> 4);
            else if (inGroup == 3) out[at++] = static_cast<uint8_t>(value >> 2);
            else if (inGroup == 4) out[at++] = static_cast<uint8_t>(value), value = 0, inGroup = 0;
        }
        // "1-23": a group's first character already counts for a byte of its own.
        if (inGroup == 1 && at < bytes) out[at++] = static_cast<uint8_t>(value << 2);
    }
    *size = bytes;
    if (skipped) *skipped = 0;
    if (usedFlags) *usedFlags = kBase64;
    return 1;
}
