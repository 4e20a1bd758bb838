// MultiByteToWideChar and WideCharToMultiByte for the code pages the engine uses: the
// double- and single-byte ones from tables generated from the Windows functions, UTF-8
// computed. Results, lengths and failures follow the Windows functions; the Wine suite's
// native.codepages compares them on every unit and every one- and two-byte sequence.
#include "native/system_calls.h"

#include <cstring>

#include "native/codepage_tables.h"

namespace {
const uint32_t kNoBestFitChars = 0x400, kCompositeCheck = 0x200, kErrInvalidChars = 8;
const uint32_t kErrorNoUnicodeTranslation = 1113;
const uint32_t kUtf8 = 65001;

const CodePageTable* TableOf(uint32_t cp) {
    if (cp == 0) cp = NativeAnsiCodePage();
    for (int i = 0; i < kCodePageTableCount; ++i)
        if (kCodePageTables[i].codePage == cp) return &kCodePageTables[i];
    return nullptr;
}

// Where converted units or bytes go. Checked writes while there is room and counts all, so
// the caller sees from the count whether they fitted; Direct writes into a buffer known to be
// big enough; Count only counts (a measuring call). The loops are written once for all three.
template <typename T>
struct Checked {
    T* p;
    int32_t room, n = 0;
    void put(uint32_t v) {
        if (p && n < room) p[n] = static_cast<T>(v);
        ++n;
    }
    void putAscii(const uint8_t* s, int k) {
        for (int i = 0; i < k; ++i) put(s[i]);
    }
};
template <typename T>
struct Direct {
    T* p;
    int32_t n = 0;
    void put(uint32_t v) { p[n++] = static_cast<T>(v); }
    void putAscii(const uint8_t* s, int k) {
        for (int i = 0; i < k; ++i) p[n + i] = static_cast<T>(s[i]);
        n += k;
    }
};
struct Count {
    int32_t n = 0;
    void put(uint32_t) { ++n; }
    void putAscii(const uint8_t*, int k) { n += k; }
};

// Eight bytes below 0x80 at s: ASCII, one unit each in every code page here.
bool Ascii8(const uint8_t* s) {
    uint64_t v;
    memcpy(&v, s, 8);
    return !(v & 0x8080808080808080ull);
}

bool Refused(const CodePageTable& t, int32_t index) { return t.invalid[index >> 3] >> (index & 7) & 1; }

// False when a sequence is refused (MB_ERR_INVALID_CHARS).
template <typename Out>
bool DecodeTable(const CodePageTable& t, const uint8_t* s, int32_t n, bool strict, Out& out) {
    for (int32_t i = 0; i < n;) {
        if (i + 8 <= n && Ascii8(s + i)) {
            out.putAscii(s + i, 8);
            i += 8;
            continue;
        }
        uint8_t b = s[i];
        if (b < 0x80) {
            out.put(b);
            ++i;
            continue;
        }
        if (t.lead[b] && i + 1 < n) {
            int32_t pair = (b - 0x81) * 256 + s[i + 1];
            uint16_t u = t.pairUnit[pair];
            if (u != kNotAPair) {
                if (strict && Refused(t, 256 + pair)) return false;
                out.put(u);
                i += 2;
                continue;
            }
        }
        if (strict && Refused(t, b)) return false;
        out.put(t.toUnit[b]);
        ++i;
    }
    return true;
}

// UTF-8 as the system reads it: a sequence cut short by the end of the input is one U+FFFD
// for all that is left; a lead byte followed by a byte that continues no sequence is one
// U+FFFD for what came before that byte; a continuation byte outside the lead's own range
// (an over-long form, a surrogate, beyond U+10FFFF) is taken into its U+FFFD.
// False, with strict, at the first ill-formed part.
template <typename Out>
bool DecodeUtf8(const uint8_t* s, int32_t n, bool strict, Out& out) {
    for (int32_t i = 0; i < n;) {
        if (i + 8 <= n && Ascii8(s + i)) {
            out.putAscii(s + i, 8);
            i += 8;
            continue;
        }
        uint8_t b = s[i];
        if (b < 0x80) {
            out.put(b);
            ++i;
            continue;
        }
        int need;
        uint32_t c;
        uint8_t low = 0x80, high = 0xBF;
        if (b >= 0xC2 && b <= 0xDF) {
            need = 1, c = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            need = 2, c = b & 0x0F;
            if (b == 0xE0) low = 0xA0;
            if (b == 0xED) high = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            need = 3, c = b & 0x07;
            if (b == 0xF0) low = 0x90;
            if (b == 0xF4) high = 0x8F;
        } else {
            if (strict) return false;
            out.put(0xFFFD);
            ++i;
            continue;
        }
        if (n - i - 1 < need) {
            if (strict) return false;
            out.put(0xFFFD);
            return true;
        }
        int32_t j = i + 1;
        bool whole = true;
        for (int k = 0; k < need; ++k, ++j) {
            uint8_t t = s[j];
            if (t < 0x80 || t > 0xBF) {
                whole = false;
                break;
            }
            if (t < low || t > high) {
                whole = false;
                ++j;
                break;
            }
            low = 0x80, high = 0xBF;
            c = c << 6 | (t & 0x3F);
        }
        i = j;
        if (!whole) {
            if (strict) return false;
            out.put(0xFFFD);
        } else if (c >= 0x10000) {
            out.put(0xD800 + ((c - 0x10000) >> 10));
            out.put(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out.put(c);
        }
    }
    return true;
}

template <typename Out>
void EncodeUtf8(const char16_t* w, int32_t n, Out& out) {
    for (int32_t i = 0; i < n; ++i) {
        uint32_t c = w[i];
        // The common characters first: ASCII, four at a time, then the rest of the BMP.
        if (c < 0x80 && i + 4 <= n) {
            uint64_t v;
            memcpy(&v, w + i, 8);
            if (!(v & 0xFF80FF80FF80FF80ull)) {
                uint8_t four[4] = {uint8_t(c), uint8_t(w[i + 1]), uint8_t(w[i + 2]), uint8_t(w[i + 3])};
                out.putAscii(four, 4);
                i += 3;
                continue;
            }
        }
        if (c >= 0x800 && (c < 0xD800 || c > 0xDFFF)) {
            out.put(0xE0 | c >> 12);
            out.put(0x80 | (c >> 6 & 0x3F));
            out.put(0x80 | (c & 0x3F));
            continue;
        }
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && w[i + 1] >= 0xDC00 && w[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (w[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;  // a lone surrogate has no UTF-8 form
        }
        if (c < 0x80) {
            out.put(c);
        } else if (c < 0x800) {
            out.put(0xC0 | c >> 6);
            out.put(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out.put(0xE0 | c >> 12);
            out.put(0x80 | (c >> 6 & 0x3F));
            out.put(0x80 | (c & 0x3F));
        } else {
            out.put(0xF0 | c >> 18);
            out.put(0x80 | (c >> 12 & 0x3F));
            out.put(0x80 | (c >> 6 & 0x3F));
            out.put(0x80 | (c & 0x3F));
        }
    }
}

// The bytes of a letter and the combining mark after it, written as one character, or -1.
int32_t Composed(const CodePageTable& t, uint16_t base, uint16_t mark) {
    uint32_t key = static_cast<uint32_t>(base) << 16 | mark;
    int low = 0, high = t.composedCount - 1;
    while (low <= high) {
        int mid = (low + high) / 2;
        if (t.composedPairs[mid] == key) return t.composedBytes[mid];
        if (t.composedPairs[mid] < key) low = mid + 1;
        else high = mid - 1;
    }
    return -1;
}

template <typename Out>
void EncodeTable(const CodePageTable& t, uint32_t flags, const char16_t* w, int32_t wn, const char* defaultChar,
                 int32_t* usedDefault, Out& out) {
    // The usual call (no flags, no default asked about) is one look-up a unit.
    if (flags == 0 && !defaultChar && !usedDefault) {
        for (int32_t i = 0; i < wn; ++i) {
            uint16_t v = t.fromUnit[w[i]];
            if (v > 0xFF) out.put(v >> 8);
            out.put(v & 0xFF);
        }
        return;
    }
    bool bestFit = !(flags & kNoBestFitChars);
    bool used = false;
    for (int32_t i = 0; i < wn; ++i) {
        uint16_t u = w[i];
        if ((flags & kCompositeCheck) && i + 1 < wn) {
            int32_t c = Composed(t, u, w[i + 1]);
            if (c >= 0) {
                if (c > 0xFF) out.put(c >> 8);
                out.put(c & 0xFF);
                ++i;
                continue;
            }
        }
        uint16_t v = t.fromUnit[u];
        bool noMapping = t.noBestFit[u >> 3] >> (u & 7) & 1;
        // Without best fit, a look-alike is no mapping; with it, only what has none at all
        // (the table gives the default for those) counts as the default.
        if (noMapping && (!bestFit || v == '?')) {
            used = true;
            if (defaultChar) {
                out.put(static_cast<uint8_t>(defaultChar[0]));
                if (defaultChar[0] && t.pairUnit && t.lead[static_cast<uint8_t>(defaultChar[0])])
                    out.put(static_cast<uint8_t>(defaultChar[1]));
                continue;
            }
            v = '?';
        }
        if (v > 0xFF) out.put(v >> 8);
        out.put(v & 0xFF);
    }
    if (usedDefault) *usedDefault = used ? 1 : 0;
}

int32_t Finish(int32_t produced, int32_t room) {
    if (room != 0 && produced > room) {
        NativeSetLastError(kErrorInsufficientBuffer);
        return 0;
    }
    return produced;
}
}  // namespace

int32_t NativeMultiByteToWideChar(uint32_t cp, uint32_t flags, const char* s, int32_t n, char16_t* w,
                                  int32_t wn) {
    if (!s || n == 0 || n < -1 || wn < 0 || (wn > 0 && !w)) {
        NativeSetLastError(kErrorInvalidParameter);
        return 0;
    }
    if (n == -1) n = static_cast<int32_t>(strlen(s)) + 1;
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(s);
    const CodePageTable* t = cp == kUtf8 ? nullptr : TableOf(cp);
    if (cp != kUtf8 && !t) {
        NativeSetLastError(kErrorInvalidParameter);
        return 0;
    }
    bool strict = flags & kErrInvalidChars;
    auto decode = [&](auto& out) {
        bool whole = t ? DecodeTable(*t, bytes, n, strict, out) : DecodeUtf8(bytes, n, strict, out);
        if (!whole) NativeSetLastError(kErrorNoUnicodeTranslation);
        return whole ? Finish(out.n, wn) : 0;
    };
    // No byte gives more than one unit.
    if (wn == 0) {
        Count out;
        return decode(out);
    }
    if (wn >= n) {
        Direct<char16_t> out{w};
        return decode(out);
    }
    Checked<char16_t> out{w, wn};
    return decode(out);
}

int32_t NativeWideCharToMultiByte(uint32_t cp, uint32_t flags, const char16_t* w, int32_t wn, char* s,
                                  int32_t n, const char* defaultChar, int32_t* usedDefault) {
    if (!w || wn == 0 || wn < -1 || n < 0 || (n > 0 && !s)) {
        NativeSetLastError(kErrorInvalidParameter);
        return 0;
    }
    if (wn == -1) {
        wn = 0;
        while (w[wn]) ++wn;
        ++wn;
    }
    uint8_t* bytes = reinterpret_cast<uint8_t*>(s);
    if (cp == kUtf8) {
        // UTF-8 has no default character.
        if (defaultChar || usedDefault) {
            NativeSetLastError(kErrorInvalidParameter);
            return 0;
        }
        // No unit gives more than three bytes.
        if (n == 0) {
            Count out;
            EncodeUtf8(w, wn, out);
            return Finish(out.n, n);
        }
        if (n / 3 >= wn) {
            Direct<uint8_t> out{bytes};
            EncodeUtf8(w, wn, out);
            return Finish(out.n, n);
        }
        Checked<uint8_t> out{bytes, n};
        EncodeUtf8(w, wn, out);
        return Finish(out.n, n);
    }
    const CodePageTable* t = TableOf(cp);
    if (!t) {
        NativeSetLastError(kErrorInvalidParameter);
        return 0;
    }
    // No unit gives more than two bytes.
    if (n == 0) {
        Count out;
        EncodeTable(*t, flags, w, wn, defaultChar, usedDefault, out);
        return Finish(out.n, n);
    }
    if (n / 2 >= wn) {
        Direct<uint8_t> out{bytes};
        EncodeTable(*t, flags, w, wn, defaultChar, usedDefault, out);
        return Finish(out.n, n);
    }
    Checked<uint8_t> out{bytes, n};
    EncodeTable(*t, flags, w, wn, defaultChar, usedDefault, out);
    return Finish(out.n, n);
}
