#include "engine/gbk_to_utf8.h"

#include <cstring>
#include <vector>

#include "engine/codepage.h"
#include "runtime/dll_commands.h"

namespace {
// An entry: the character's UTF-8 bytes from the low byte up, their count in bits 24-25,
// bit 28 set when the two bytes are one character.
const uint32_t kPair = 1u << 28;

int32_t Decode(const uint8_t* bytes, int32_t n, uint16_t* units, int32_t room) {
    return CallDllCommand<int32_t>(kDllMultiByteToWideChar, kCodePageGbk, uint32_t(0), static_cast<const void*>(bytes), n,
                                   static_cast<void*>(units), room);
}

struct GbkUtf8Table {
    bool usable = false;
    uint32_t single[256];
    // Rows for a first byte from 80 up: a byte below is ASCII, itself in UTF-8 too.
    std::vector<uint32_t> pairs = std::vector<uint32_t>(128 * 256);

    GbkUtf8Table() {
        // Every byte alone, then every two-byte sequence that starts high: one unit (a pair)
        // or two (the first byte read alone in front of the second).
        std::vector<uint16_t> units;
        std::vector<uint8_t> isPair(128 * 256);
        uint16_t got[4];
        for (int b = 0; b < 256; ++b) {
            uint8_t one = static_cast<uint8_t>(b);
            if (Decode(&one, 1, got, 4) != 1) return;
            units.push_back(got[0]);
        }
        for (int k = 0; k < 128 * 256; ++k) {
            uint8_t two[2] = {static_cast<uint8_t>(0x80 + (k >> 8)), static_cast<uint8_t>(k)};
            int32_t m = Decode(two, 2, got, 4);
            if (m == 1) {
                isPair[k] = 1;
            } else if (m != 2 || got[1] != units[two[1]]) {
                return;  // the second byte is not read as it is alone: no table holds that
            }
            units.push_back(got[0]);
        }
        for (uint16_t u : units)
            if (u >= 0xD800 && u <= 0xDFFF) return;
        // All units' UTF-8 in one call; each unit's share is told by its first byte.
        std::vector<uint8_t> utf8(3 * units.size());
        int32_t m = CallDllCommand<int32_t>(kDllWideCharToMultiByte, kCodePageUtf8, uint32_t(0),
                                            static_cast<const void*>(units.data()), static_cast<int32_t>(units.size()),
                                            static_cast<void*>(utf8.data()), static_cast<int32_t>(utf8.size()),
                                            static_cast<const char*>(nullptr), static_cast<int32_t*>(nullptr));
        std::vector<uint32_t> entries;
        for (int32_t at = 0; at < m;) {
            uint8_t lead = utf8[at];
            int32_t len = lead < 0x80 ? 1 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
            if (len == 0 || at + len > m) return;
            uint32_t e = static_cast<uint32_t>(len) << 24;
            for (int32_t i = 0; i < len; ++i) e |= static_cast<uint32_t>(utf8[at + i]) << (8 * i);
            entries.push_back(e);
            at += len;
        }
        if (entries.size() != units.size()) return;
        for (int b = 0; b < 256; ++b) single[b] = entries[b];
        for (int b = 0; b < 0x80; ++b)
            if (single[b] != (1u << 24 | static_cast<uint32_t>(b))) return;  // the loop copies ASCII as it is
        for (int k = 0; k < 128 * 256; ++k) pairs[k] = entries[256 + k] | (isPair[k] ? kPair : 0);
        usable = true;
    }
};
}  // namespace

int64_t GbkBytesToUtf8(const uint8_t* s, size_t n, uint8_t* out) {
    static const GbkUtf8Table table;
    if (!table.usable) return -1;
    const uint32_t* pairs = table.pairs.data();
    uint8_t* w = out;
    size_t i = 0;
    // While sixteen bytes remain: ASCII eight bytes at a time, as far as they are ASCII;
    // at a high byte, four two-byte characters looked up at once (Chinese text runs on),
    // kept as far as they are characters. Stores run ahead of what is kept, within the
    // room: the result is at most three bytes for each byte read.
    while (i + 16 <= n) {
        uint8_t b = s[i];
        if (b < 0x80) {
            uint64_t v;
            memcpy(&v, s + i, 8);
            memcpy(w, &v, 8);
            uint64_t high = v & 0x8080808080808080ull;
            size_t k = high ? static_cast<size_t>(__builtin_ctzll(high) >> 3) : 8;
            w += k;
            i += k;
            continue;
        }
        // Entries for i+2, i+4 and i+6 count only while each character before was a pair
        // and the byte there is high; otherwise the index is any row, and nothing is kept.
        uint32_t e0 = pairs[(b - 0x80) << 8 | s[i + 1]];
        uint32_t e1 = pairs[(s[i + 2] & 0x7F) << 8 | s[i + 3]];
        uint32_t e2 = pairs[(s[i + 4] & 0x7F) << 8 | s[i + 5]];
        uint32_t e3 = pairs[(s[i + 6] & 0x7F) << 8 | s[i + 7]];
        uint32_t on1 = (e0 >> 28) & (s[i + 2] >> 7);
        uint32_t on2 = on1 & (e1 >> 28) & (s[i + 4] >> 7);
        uint32_t on3 = on2 & (e2 >> 28) & (s[i + 6] >> 7);
        memcpy(w, &e0, 4);  // little-endian: the first byte first
        w += e0 >> 24 & 3;
        memcpy(w, &e1, 4);
        w += (e1 >> 24 & 3) & (0u - on1);
        memcpy(w, &e2, 4);
        w += (e2 >> 24 & 3) & (0u - on2);
        memcpy(w, &e3, 4);
        w += (e3 >> 24 & 3) & (0u - on3);
        // A kept entry that is not a pair took its high byte alone.
        i += 1 + (e0 >> 28) + on1 * (1 + (e1 >> 28)) + on2 * (1 + (e2 >> 28)) + on3 * (1 + (e3 >> 28));
    }
    // The last few bytes (or a short text), a character at a time.
    while (i + 1 < n) {
        uint8_t b = s[i];
        if (b < 0x80) {
            *w++ = b;
            ++i;
            continue;
        }
        uint32_t e = pairs[(b - 0x80) << 8 | s[i + 1]];
        memcpy(w, &e, 4);  // little-endian: the first byte first
        w += e >> 24 & 3;
        i += 1 + (e >> 28);
    }
    if (i < n) {
        uint32_t e = table.single[s[i]];
        memcpy(w, &e, 4);
        w += e >> 24 & 3;
    }
    return w - out;
}
