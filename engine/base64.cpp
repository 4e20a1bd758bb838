#include "engine/base64.h"

#include <cpuid.h>
#include <immintrin.h>

#include <cstring>

#include "engine/gbk_runs.h"
#include "engine/progress.h"
#include "engine/service_failure.h"
#include "runtime/dll_commands.h"
#include "runtime/library.h"

namespace {
const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
const char kPadding[] = "=";
const uint32_t kCryptStringBase64 = 1;
const uint32_t kCryptStringNoCrlf = 0x40000000;
const uint32_t kNotInAlphabet = 0xFF000000u;

// Where each byte code stands in the alphabet, looked up once per code and process. The code
// 0, which the decoder reads past the end, counts as found at the first place: the empty
// text is found there.
class AlphabetLookup {
public:
    AlphabetLookup() {
        for (int32_t code = 0; code < 256; ++code) {
            TextVar character = CharFromCode(code);
            int32_t position = FindText(kAlphabet, character, kOmit, false);
            found_[code] = position > 0;
            place_[code] = static_cast<uint8_t>(position > 0 ? position - 1 : 0);
            // Each character's bits in their place of a group's 24; a missing one sets
            // bits above them, which no combination of found ones does.
            for (int32_t k = 0; k < 4; ++k) shifted_[k][code] = found_[code] ? uint32_t(place_[code]) << (18 - 6 * k) : kNotInAlphabet;
        }
    }
    // True with the 0-based place when the one-byte text of code is in the alphabet.
    bool Find(uint8_t code, uint8_t* place) const {
        *place = place_[code];
        return found_[code];
    }
    // The 24 bits of four characters, or a value with kNotInAlphabet bits when one is missing.
    uint32_t Group(const uint8_t* c) const {
        return shifted_[0][c[0]] | shifted_[1][c[1]] | shifted_[2][c[2]] | shifted_[3][c[3]];
    }

private:
    bool found_[256];
    uint8_t place_[256];
    uint32_t shifted_[4][256];
};

// Whether any of the eight bytes is below 0x21 or above 0x7F.
inline bool HasByteBelow33OrHigh(uint64_t v) {
    const uint64_t ones = 0x0101010101010101ull, highs = 0x8080808080808080ull;
    return (((v - ones * 33) & ~v) | v) & highs;
}

const uint8_t kNoByte = 0;
const uint8_t* const kNoBytes = &kNoByte;

// The text without spaces and then without CR LF pairs, as RemoveSpaces and the replacement
// of "\r\n" leave it, in one pass; false (and nothing written) for a text with a byte
// above ASCII, whose double-byte characters those commands read as characters.
bool CleanAscii(const char* text, int32_t length, uint8_t* out, int32_t* written) {
    const uint8_t* s = reinterpret_cast<const uint8_t*>(text);
    int32_t w = 0;
    bool crJustWritten = false;  // a removed CR LF joins what stood around it, not a new pair
    int32_t i = 0;
    while (i < length) {
        // Eight bytes without a control character, space or high byte are copied as they are.
        uint64_t v;
        if (length - i >= 8 && (memcpy(&v, s + i, 8), !HasByteBelow33OrHigh(v))) {
            memcpy(out + w, &v, 8);
            w += 8;
            i += 8;
            crJustWritten = false;
            continue;
        }
        for (int32_t stop = length - i < 8 ? length : i + 8; i < stop; ++i) {
            uint8_t c = s[i];
            if (c >= 0x80) return false;
            if (c == ' ') continue;
            if (c == '\n' && crJustWritten) {
                --w;
                crJustWritten = false;
                continue;
            }
            out[w++] = c;
            crJustWritten = c == '\r';
        }
    }
    *written = w;
    return true;
}

bool HasSsse3() {
    unsigned a, b, c, d;
    return __get_cpuid(1, &a, &b, &c, &d) && (c & bit_SSSE3);
}

// Sixteen characters at a time by byte shuffles (after W. Mula's method): each character's
// high and low nibble look up bit sets that share a bit exactly when it is outside the
// alphabet; its high nibble (one less for "/") looks up what to add to make it its place;
// two multiply-adds pack the places into 24-bit groups. Decodes from group g while all
// four groups of a step are in the alphabet and below end, and the step's 16-byte write
// (12 bytes its own) stays within keep. Returns the group it stopped at.
__attribute__((target("ssse3"), force_align_arg_pointer))
int32_t DecodeGroupsBy16(const uint8_t* in, uint8_t* out, int32_t g, int32_t end, int32_t keep) {
    const __m128i lowSets = _mm_setr_epi8(0x15, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x13, 0x1A,
                                          0x1B, 0x1B, 0x1B, 0x1A);
    const __m128i highSets = _mm_setr_epi8(0x10, 0x10, 0x01, 0x02, 0x04, 0x08, 0x04, 0x08, 0x10, 0x10, 0x10, 0x10,
                                           0x10, 0x10, 0x10, 0x10);
    const __m128i shifts = _mm_setr_epi8(0, 16, 19, 4, -65, -65, -71, -71, 0, 0, 0, 0, 0, 0, 0, 0);
    const __m128i slash = _mm_set1_epi8(0x2F), nibble = _mm_set1_epi8(0x0F), zero = _mm_setzero_si128();
    const __m128i order = _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
    for (; g + 4 <= end && 3 * g + 16 <= keep; g += 4) {
        __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 4 * g));
        __m128i high = _mm_and_si128(_mm_srli_epi32(c, 4), nibble);
        __m128i low = _mm_and_si128(c, nibble);
        __m128i shared = _mm_and_si128(_mm_shuffle_epi8(lowSets, low), _mm_shuffle_epi8(highSets, high));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(shared, zero)) != 0xFFFF) break;
        __m128i places = _mm_add_epi8(c, _mm_shuffle_epi8(shifts, _mm_add_epi8(high, _mm_cmpeq_epi8(c, slash))));
        __m128i pairs = _mm_maddubs_epi16(places, _mm_set1_epi32(0x01400140));
        __m128i groups = _mm_madd_epi16(pairs, _mm_set1_epi32(0x00011000));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 3 * g), _mm_shuffle_epi8(groups, order));
    }
    return g;
}

// One group of four characters read as the decoder always has: a character outside the
// alphabet ends the group, keeping its own code in its place, and the places after it keep
// the previous group's values. Returns the place (1..4) of that character, 5 when none.
int32_t DecodeGroupSlowly(const AlphabetLookup& lookup, const uint8_t* in, int32_t length, int32_t g,
                          uint8_t q[4], uint8_t* out, int32_t keep) {
    int32_t j = 1;
    for (; j <= 4; ++j) {
        int32_t position = 4 * g + j;
        uint8_t code = position <= length ? in[position - 1] : 0;
        q[j - 1] = code;
        uint8_t place;
        if (!lookup.Find(code, &place)) break;
        q[j - 1] = place;
    }
    const uint8_t bytes[3] = {static_cast<uint8_t>((q[0] * 4) | (q[1] / 16)), static_cast<uint8_t>((q[1] * 16) | (q[2] / 4)),
                              static_cast<uint8_t>((q[2] * 64) | q[3])};
    for (int32_t k = 0; k < 3; ++k)
        if (3 * g + k < keep) out[3 * g + k] = bytes[k];
    return j;
}
}  // namespace

namespace {
// Two characters for each 12 bits: one look-up per half of a group. Each entry is the two
// characters in the order they are written (x86 is little-endian).
struct CharacterPairs {
    uint16_t of[4096];
    uint8_t pad;
    CharacterPairs() : pad(static_cast<uint8_t>(CharCode(kPadding))) {
        for (int32_t v = 0; v < 4096; ++v)
            of[v] = static_cast<uint16_t>(static_cast<uint8_t>(kAlphabet[v >> 6]) | static_cast<uint8_t>(kAlphabet[v & 63]) << 8);
    }
};

// Sixteen characters from twelve bytes at a time by byte shuffles (after W. Mula's method):
// each 24-bit group is spread over four bytes, two multiplies put each 6-bit place in a byte
// of its own, and the place's range (A-Z, a-z, 0-9, + or /) looks up what to add to it.
// Encodes from byte `at` while a 16-byte read stays within n. Returns where it stopped.
__attribute__((target("ssse3"), force_align_arg_pointer))
size_t EncodeBy12(const uint8_t* in, size_t n, uint8_t* out, size_t at) {
    const __m128i spread = _mm_setr_epi8(1, 0, 2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10);
    const __m128i shifts = _mm_setr_epi8(71, -4, -4, -4, -4, -4, -4, -4, -4, -4, -4, -19, -16, 65, 0, 0);
    for (; at + 16 <= n; at += 12, out += 16) {
        __m128i v = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + at)), spread);
        __m128i first = _mm_mulhi_epu16(_mm_and_si128(v, _mm_set1_epi32(0x0FC0FC00)), _mm_set1_epi32(0x04000040));
        __m128i second = _mm_mullo_epi16(_mm_and_si128(v, _mm_set1_epi32(0x003F03F0)), _mm_set1_epi32(0x01000010));
        __m128i places = _mm_or_si128(first, second);
        // 13 for A-Z, 0 for a-z, 1..10 for 0-9 (all read the same entry), 11 for +, 12 for /.
        __m128i range = _mm_subs_epu8(places, _mm_set1_epi8(51));
        range = _mm_or_si128(range, _mm_and_si128(_mm_cmpgt_epi8(_mm_set1_epi8(26), places), _mm_set1_epi8(13)));
        __m128i chars = _mm_add_epi8(places, _mm_shuffle_epi8(shifts, range));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), chars);
    }
    return at;
}
}  // namespace

size_t Base64EncodeTo(const uint8_t* in, size_t length, uint8_t* w) {
    static const CharacterPairs table;
    static const bool bySixteen = HasSsse3();
    const uint16_t* pairs = table.of;
    size_t whole = length / 3, groups = (length + 2) / 3;
    size_t g = bySixteen ? EncodeBy12(in, length, w, 0) / 3 : 0;
    // Two groups at a time from one eight-byte read, while eight bytes remain to read.
    for (; g + 1 < whole && 3 * g + 8 <= length; g += 2) {
        uint64_t v;
        memcpy(&v, in + 3 * g, 8);
        v = __builtin_bswap64(v);
        uint64_t chars = uint64_t(pairs[(v >> 52) & 4095]) | uint64_t(pairs[(v >> 40) & 4095]) << 16 |
                         uint64_t(pairs[(v >> 28) & 4095]) << 32 | uint64_t(pairs[(v >> 16) & 4095]) << 48;
        memcpy(w + 4 * g, &chars, 8);
    }
    for (; g < whole; ++g) {
        const uint8_t* b = in + 3 * g;
        uint32_t v = static_cast<uint32_t>(b[0]) << 16 | b[1] << 8 | b[2];
        memcpy(w + 4 * g, &pairs[v >> 12], 2);
        memcpy(w + 4 * g + 2, &pairs[v & 4095], 2);
    }
    size_t rest = length % 3;
    if (rest > 0) {
        // Past the end the input reads as the zero bytes it is padded with.
        uint32_t v = static_cast<uint32_t>(in[3 * whole]) << 16 | (rest == 2 ? in[3 * whole + 1] << 8 : 0);
        memcpy(w + 4 * whole, &pairs[v >> 12], 2);
        memcpy(w + 4 * whole + 2, &pairs[v & 4095], 2);
        if (rest == 1) w[4 * groups - 2] = table.pad;
        w[4 * groups - 1] = table.pad;
    }
    return Base64Length(length);
}

TextVar Base64Encode(const ByteSetVar& bytes) {
    int32_t length = ByteSetLength(bytes);
    if (length == 0) return TextVar();
    const uint8_t* in = bytes.data();
    TextVar out = TextToFill(static_cast<int64_t>(Base64Length(static_cast<size_t>(length))));
    uint8_t* w = reinterpret_cast<uint8_t*>(out.get());
    // Blocks of whole groups, each followed by a progress report.
    const int32_t block = kProgressBlock / 3 * 3;
    for (int32_t at = 0; at < length; at += block) {
        int32_t n = length - at > block ? block : length - at;
        Base64EncodeTo(in + at, static_cast<size_t>(n), w + at / 3 * 4);
        ReportProgress(at + n, length);
    }
    return out;
}

ByteSetVar Base64Decode(const char* text) {
    // The decode reads its own copy, so handlers run during a progress report cannot disturb it.
    int32_t textLength = MeasureText(text);
    TextVar source = TextToFill(textLength);
    int32_t length = 0;
    if (!CleanAscii(text, textLength, reinterpret_cast<uint8_t*>(source.get()), &length)) {
        source = RemoveSpaces(text);
        source = ReplaceSubText(source, "\r\n", nullptr, kOmit, kOmit, true);
        length = TextLength(source);
    }
    int32_t groups = (length + 3) / 4;
    if (groups == 0) return ByteSetVar();
    const uint8_t* in = reinterpret_cast<const uint8_t*>(source.c_str());
    static const AlphabetLookup lookup;
    static const bool bySixteen = HasSsse3();
    // Only the last group's stop shortens the result: by the bytes from its stop on, and one
    // more. It is known before any group is decoded, so the result is made to its size.
    int32_t stop = 1;
    for (uint8_t place; stop <= 4; ++stop) {
        int32_t position = 4 * (groups - 1) + stop;
        if (!lookup.Find(position <= length ? in[position - 1] : 0, &place)) break;
    }
    int32_t keep = stop < 5 ? 3 * groups - (5 - stop) : 3 * groups;
    if (keep <= 0) return ByteSetVar();
    ByteSetVar result = ByteSetToFill(keep);
    uint8_t* w = result.data();
    // Groups wholly in the text, and whose four-byte write stays in the result, go four
    // characters at a time; any other group, and one with a character outside the
    // alphabet, the slow way.
    int32_t fastGroups = length / 4 < (keep - 1) / 3 ? length / 4 : (keep - 1) / 3;
    uint8_t q[4] = {0, 0, 0, 0};
    bool qStale = false;  // q not yet set to the places of the fast groups before
    for (int32_t g = 0; g < groups;) {
        int32_t blockEnd = groups - g > kProgressBlock / 4 ? g + kProgressBlock / 4 : groups;
        while (g < blockEnd) {
            int32_t fastEnd = blockEnd < fastGroups ? blockEnd : fastGroups;
            int32_t first = g;
            if (bySixteen) g = DecodeGroupsBy16(in, w, g, fastEnd, keep);
            // Two groups to one eight-byte write while it stays in the result.
            for (; g + 1 < fastEnd && 3 * g + 8 <= keep; g += 2) {
                uint32_t v1 = lookup.Group(in + 4 * g), v2 = lookup.Group(in + 4 * g + 4);
                if ((v1 | v2) & kNotInAlphabet) break;
                uint64_t bytes = __builtin_bswap64(uint64_t(v1) << 40 | uint64_t(v2) << 16);
                memcpy(w + 3 * g, &bytes, 8);
            }
            for (uint32_t v; g < fastEnd && !((v = lookup.Group(in + 4 * g)) & kNotInAlphabet); ++g) {
                // The three bytes and one that the next group overwrites.
                uint32_t bytes = __builtin_bswap32(v << 8);
                memcpy(w + 3 * g, &bytes, 4);
            }
            if (g > first) qStale = true;
            if (g == blockEnd) break;
            // The slow group reads on from the places of the group before when that went fast.
            if (qStale)
                for (int32_t k = 0; k < 4; ++k) lookup.Find(in[4 * (g - 1) + k], &q[k]);
            qStale = false;
            DecodeGroupSlowly(lookup, in, length, g, q, w, keep);
            ++g;
        }
        ReportProgress(g, groups);
    }
    return result;
}

ByteSetVar StripTrailingZeros(const ByteSetVar& bytes) {
    int32_t length = ByteSetLength(bytes);
    const uint8_t* p = bytes.data();
    while (length > 0 && p[length - 1] == 0) --length;
    return ByteSetLeft(bytes, length);
}

ByteSetVar Base64EncodeSystem(const ByteSetVar& bytes) {
    const uint8_t* data = bytes.data() ? bytes.data() : kNoBytes;
    uint32_t count = static_cast<uint32_t>(ByteSetLength(bytes));
    uint32_t flags = kCryptStringBase64 | kCryptStringNoCrlf;
    uint32_t size = 0;
    if (!CallDllCommand<int32_t>(kDllCryptBinaryToStringA, data, count, flags,
                                 static_cast<char*>(nullptr), &size) ||
        size == 0) {
        if (count > 0) NoteServiceFailure("系统的 BASE64 编码服务（CryptoAPI）");
        return ByteSetVar();
    }
    ByteSetVar buffer = ZeroByteSet(static_cast<int32_t>(size));
    // Without line breaks, pieces of whole groups of three bytes encode to pieces that join
    // into the whole encoding; each piece's terminator is overwritten by the next piece.
    const uint32_t piece = kProgressBlock / 3 * 3;
    uint32_t done = 0;
    do {
        uint32_t n = count - done < piece ? count - done : piece;
        uint32_t at = done / 3 * 4;
        uint32_t room = size - at;
        CallDllCommand<int32_t>(kDllCryptBinaryToStringA, data + done, n, flags,
                                reinterpret_cast<char*>(buffer.data() + at), &room);
        done += n;
        ReportProgress(done, count);
    } while (done < count);
    return StripTrailingZeros(buffer);
}

ByteSetVar Base64DecodeSystemBytes(const ByteSetVar& characters) {
    // A count of 0 would make the system read up to a terminator: give it an empty string.
    const char* data = characters.data() ? reinterpret_cast<const char*>(characters.data()) : "";
    uint32_t count = static_cast<uint32_t>(ByteSetLength(characters));
    uint32_t size = 0;
    if (!CallDllCommand<int32_t>(kDllCryptStringToBinaryA, data, count, kCryptStringBase64,
                                 static_cast<uint8_t*>(nullptr), &size,
                                 static_cast<uint32_t*>(nullptr), static_cast<uint32_t*>(nullptr)) ||
        size == 0)
        return ByteSetVar();
    ByteSetVar buffer = ZeroByteSet(static_cast<int32_t>(size));
    CallDllCommand<int32_t>(kDllCryptStringToBinaryA, data, count, kCryptStringBase64, buffer.data(),
                            &size, static_cast<uint32_t*>(nullptr), static_cast<uint32_t*>(nullptr));
    return ByteSetLeft(buffer, static_cast<int32_t>(size));
}

ByteSetVar Base64DecodeSystem(const ByteSetVar& characters) { return StripTrailingZeros(Base64DecodeSystemBytes(characters)); }
