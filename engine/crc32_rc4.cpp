#include "engine/crc32_rc4.h"

#include "runtime/library.h"

namespace {
// The runtime's shift right copies the sign bit in; the masks below clear it where a
// logical shift is meant.
inline int32_t ShiftRightArith(int32_t v, int32_t n) { return v >> (n & 31); }

const int32_t kPolynomial = static_cast<int32_t>(0xEDB88320u);
}  // namespace

TextVar Crc32Hex(const ByteSetVar& data) {
    int32_t n = ByteSetLength(data);
    if (n == 0) return TextVar();
    int32_t table[256];
    for (int32_t i = 0; i < 256; ++i) {
        int32_t v = i;
        for (int32_t round = 0; round < 8; ++round) {
            if (v & 1)
                v = (ShiftRightArith(v, 1) & 0x7FFFFFFF) ^ kPolynomial;
            else
                v = ShiftRightArith(v, 1) & 0x7FFFFFFF;
        }
        table[i] = v;
    }
    int32_t crc = -1;
    const uint8_t* r = data.data();
    for (int32_t i = 0; i < n; ++i) {
        crc = table[(crc & 255) ^ r[i]] ^ (ShiftRightArith(crc, 8) & 0x00FFFFFF);
    }
    return ToHexText(BitNot(crc));
}

ByteSetVar Rc4Crypt(const ByteSetVar& data, const char* key) {
    int32_t n = ByteSetLength(data);
    if (n == 0) return ByteSetVar();
    ByteSetVar permutation = ZeroByteSet(256);
    uint8_t* s = permutation.data();
    for (int32_t k = 0; k < 256; ++k) s[k] = static_cast<uint8_t>(k);

    int32_t kl = TextLength(key);
    if (kl > 0) {
        ByteSetVar keyBytes = ToByteSet(key);
        const uint8_t* kb = keyBytes.data();
        ByteSetVar repeated = ZeroByteSet(256);
        uint8_t* kr = repeated.data();
        for (int32_t k = 0; k < 256; ++k) kr[k] = kb[k % kl];
        int32_t j = 0;
        for (int32_t k = 0; k < 256; ++k) {
            j = (j + s[k] + kr[k]) & 255;
            uint8_t t = s[k];
            s[k] = s[j];
            s[j] = t;
        }
    }

    ByteSetVar out = ZeroByteSet(n);
    const uint8_t* r = data.data();
    uint8_t* w = out.data();
    int32_t i = 0, j = 0;
    for (int32_t x = 0; x < n; ++x) {
        i = (i + 1) & 255;
        j = (j + s[i]) & 255;
        uint8_t t = s[i];
        s[i] = s[j];
        s[j] = t;
        w[x] = static_cast<uint8_t>(r[x] ^ s[(s[i] + s[j]) & 255]);
    }
    return out;
}
