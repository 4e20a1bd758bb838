#include "engine/crc32_rc4.h"

#include <cpuid.h>
#include <immintrin.h>

#include "engine/progress.h"
#include "runtime/library.h"

namespace {
const uint32_t kPolynomial = 0xEDB88320u;  // reflected

// Slicing by eight: table k holds the register's change from a byte k places further back,
// so eight bytes take eight look-ups and no carried dependence between them.
struct Crc32Tables {
    uint32_t t[8][256];
    Crc32Tables() {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t v = i;
            for (int round = 0; round < 8; ++round) v = (v >> 1) ^ (v & 1 ? kPolynomial : 0);
            t[0][i] = v;
        }
        for (int k = 1; k < 8; ++k)
            for (uint32_t i = 0; i < 256; ++i) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 255];
    }
};

const Crc32Tables& Tables() {
    static const Crc32Tables tables;
    return tables;
}

uint32_t Crc32Slices(uint32_t crc, const uint8_t* p, size_t n) {
    const auto& t = Tables().t;
    for (; n >= 8; n -= 8, p += 8) {
        uint32_t lo = crc ^ (p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24);
        uint32_t hi = p[4] | p[5] << 8 | p[6] << 16 | static_cast<uint32_t>(p[7]) << 24;
        crc = t[7][lo & 255] ^ t[6][(lo >> 8) & 255] ^ t[5][(lo >> 16) & 255] ^ t[4][lo >> 24] ^
              t[3][hi & 255] ^ t[2][(hi >> 8) & 255] ^ t[1][(hi >> 16) & 255] ^ t[0][hi >> 24];
    }
    for (; n > 0; --n) crc = t[0][(crc ^ *p++) & 255] ^ (crc >> 8);
    return crc;
}

bool HasCarrylessMultiply() {
    unsigned a, b, c, d;
    return __get_cpuid(1, &a, &b, &c, &d) && (c & bit_PCLMUL) && (c & bit_SSE4_1);
}

#define CRC_FOLDING __attribute__((target("pclmul,sse4.1")))

CRC_FOLDING inline __m128i Load(const uint8_t* q) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(q)); }

// The lane x carried forward by the distance k stands for, added to the lane next.
CRC_FOLDING inline __m128i Fold(__m128i x, __m128i k, __m128i next) {
    return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), _mm_clmulepi64_si128(x, k, 0x11)), next);
}

// Folding with carry-less multiplication (Gopal et al., "Fast CRC Computation for Generic
// Polynomials Using PCLMULQDQ"): four 128-bit lanes are multiplied forward by x^512 mod P
// and added to the next 64 bytes, then folded into one lane, to 64 bits, and reduced to the
// 32-bit register by Barrett's method. The constants are those powers of x for the
// reflected polynomial. n is a multiple of 16, at least 64.
CRC_FOLDING __attribute__((force_align_arg_pointer))
uint32_t Crc32Folded(uint32_t crc, const uint8_t* p, size_t n) {
    const __m128i k1k2 = _mm_set_epi64x(0x01c6e41596, 0x0154442bd4);
    const __m128i k3k4 = _mm_set_epi64x(0x00ccaa009e, 0x01751997d0);
    const __m128i k5 = _mm_set_epi64x(0, 0x0163cd6124);
    const __m128i poly = _mm_set_epi64x(0x01f7011641, 0x01db710641);
    const __m128i low32 = _mm_setr_epi32(~0, 0, ~0, 0);
    __m128i x1 = _mm_xor_si128(Load(p), _mm_cvtsi32_si128(static_cast<int>(crc)));
    __m128i x2 = Load(p + 16), x3 = Load(p + 32), x4 = Load(p + 48);
    p += 64;
    n -= 64;
    for (; n >= 64; n -= 64, p += 64) {
        x1 = Fold(x1, k1k2, Load(p));
        x2 = Fold(x2, k1k2, Load(p + 16));
        x3 = Fold(x3, k1k2, Load(p + 32));
        x4 = Fold(x4, k1k2, Load(p + 48));
    }
    x1 = Fold(x1, k3k4, x2);
    x1 = Fold(x1, k3k4, x3);
    x1 = Fold(x1, k3k4, x4);
    for (; n >= 16; n -= 16, p += 16) x1 = Fold(x1, k3k4, Load(p));
    // 128 bits to 64.
    __m128i x = _mm_xor_si128(_mm_srli_si128(x1, 8), _mm_clmulepi64_si128(x1, k3k4, 0x10));
    x = _mm_xor_si128(_mm_srli_si128(x, 4), _mm_clmulepi64_si128(_mm_and_si128(x, low32), k5, 0x00));
    // Barrett reduction to 32 bits.
    __m128i t = _mm_clmulepi64_si128(_mm_and_si128(x, low32), poly, 0x10);
    t = _mm_clmulepi64_si128(_mm_and_si128(t, low32), poly, 0x00);
    return static_cast<uint32_t>(_mm_extract_epi32(_mm_xor_si128(x, t), 1));
}

}  // namespace

uint32_t Crc32Update(uint32_t crc, const uint8_t* p, size_t n) {
    static const bool folding = HasCarrylessMultiply();
    if (folding && n >= 64) {
        size_t whole = n & ~static_cast<size_t>(15);
        crc = Crc32Folded(crc, p, whole);
        p += whole;
        n -= whole;
    }
    return Crc32Slices(crc, p, n);
}

TextVar Crc32Text(uint32_t crc) { return ToHexText(static_cast<int32_t>(~crc)); }

TextVar Crc32Hex(const ByteSetVar& data) {
    int32_t n = ByteSetLength(data);
    if (n == 0) return TextVar();
    uint32_t crc = 0xFFFFFFFFu;
    const uint8_t* r = data.data();
    for (int32_t done = 0; done < n;) {
        int32_t block = n - done > kProgressBlock ? kProgressBlock : n - done;
        crc = Crc32Update(crc, r + done, block);
        done += block;
        ReportProgress(done, n);
    }
    return Crc32Text(crc);
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
    for (int32_t x = 0; x < n;) {
        int32_t blockEnd = n - x > kProgressBlock ? x + kProgressBlock : n;
        for (; x < blockEnd; ++x) {
            i = (i + 1) & 255;
            j = (j + s[i]) & 255;
            uint8_t t = s[i];
            s[i] = s[j];
            s[j] = t;
            w[x] = static_cast<uint8_t>(r[x] ^ s[(s[i] + s[j]) & 255]);
        }
        ReportProgress(x, n);
    }
    return out;
}
