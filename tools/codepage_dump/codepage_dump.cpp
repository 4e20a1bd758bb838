// Writes what this system's code-page functions do with every UTF-16 unit and every one- and
// two-byte sequence, for the code pages the engine reads and writes. The native build's
// tables are generated from this file (tools/make_codepage_tables.py), and the Wine suite
// compares a fresh run of it with the native functions (native.codepages).
//
// Layout, little-endian: "WHTCP1", uint32 count, then per code page: uint32 code page,
//   65536 x {uint8 n, uint8 bytes[2]}           WideCharToMultiByte, flags 0
//   65536 x {uint8 n, uint8 bytes[2], uint8 d}  WC_NO_BEST_FIT_CHARS, d: default used
//   65536 x {uint8 n, uint8 bytes[2]}           WC_COMPOSITECHECK
//   256 x {uint8 n, uint16 units[2]}            MultiByteToWideChar of one byte
//   126 x 256 x {uint8 n, uint16 units[2]}      lead 0x81..0xFE, then every trail byte
//   uint32 k, k x {uint16 base, uint16 mark, uint8 n, uint8 bytes[2]}: the pairs of a
//     letter and a combining mark that WC_COMPOSITECHECK writes otherwise than unit by unit
// and then, for letter case in code page 936 (LCMapStringA, Chinese PRC locale), for
// LCMAP_UPPERCASE and then LCMAP_LOWERCASE:
//   256 x {uint8 n, uint8 bytes[4]}             one byte
//   126 x 256 x {uint8 n, uint8 bytes[4]}       lead 0x81..0xFE, then every trail byte
// and last UTF-8 (65001), which is computed, not tabled: MultiByteToWideChar of
//   every sequence of one and two bytes, of three bytes E0..F4, any, then 80/BF/41/C0, and of
//   four bytes F0..F4, 80..BF, 80..BF, then 80/BF/41: each {uint8 n, uint16 units[4]};
//   then WideCharToMultiByte of every unit alone and of every pair of a high surrogate
//   (D800, DBFF and each 0x40th) with every unit: each {uint8 n, uint8 bytes[6]}.
// and at the very end, per code page in the order above, MultiByteToWideChar with
//   MB_ERR_INVALID_CHARS of every byte and every pair as above: each uint8 n.
// n is the function's result; 0xFF when it exceeded what the record holds.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {
const UINT kCodePages[] = {936, 950, 932, 949, 1252, 28591};

std::vector<unsigned char> out;
void Put8(unsigned v) { out.push_back(static_cast<unsigned char>(v)); }
void Put16(unsigned v) { Put8(v & 0xFF); Put8(v >> 8); }
void Put32(unsigned v) { Put16(v & 0xFFFF); Put16(v >> 16); }

void PutWide(UINT cp, DWORD flags, bool withDefault) {
    for (unsigned u = 0; u < 65536; ++u) {
        WCHAR w = static_cast<WCHAR>(u);
        char b[8] = {};
        BOOL used = FALSE;
        int n = WideCharToMultiByte(cp, flags, &w, 1, b, sizeof b, nullptr, withDefault ? &used : nullptr);
        Put8(n <= 2 ? n : 0xFF);
        Put8(static_cast<unsigned char>(b[0]));
        Put8(static_cast<unsigned char>(b[1]));
        if (withDefault) Put8(used ? 1 : 0);
    }
}

void PutBytes(UINT cp, const char* bytes, int count) {
    WCHAR w[8] = {};
    int n = MultiByteToWideChar(cp, 0, bytes, count, w, 8);
    Put8(n <= 2 ? n : 0xFF);
    Put16(w[0]);
    Put16(w[1]);
}
// Letters and kana with the combining marks that compose with them.
void PutComposed(UINT cp) {
    std::vector<unsigned char> records;
    unsigned count = 0;
    auto tryPair = [&](unsigned base, unsigned mark) {
        WCHAR w[2] = {static_cast<WCHAR>(base), static_cast<WCHAR>(mark)};
        char together[8] = {}, apart[8] = {};
        int n = WideCharToMultiByte(cp, WC_COMPOSITECHECK, w, 2, together, sizeof together, nullptr, nullptr);
        int m = WideCharToMultiByte(cp, 0, w, 2, apart, sizeof apart, nullptr, nullptr);
        if (n == m && memcmp(together, apart, n) == 0) return;
        ++count;
        for (unsigned v : {base & 0xFF, base >> 8, mark & 0xFF, mark >> 8}) records.push_back(static_cast<unsigned char>(v));
        records.push_back(static_cast<unsigned char>(n <= 2 ? n : 0xFF));
        records.push_back(static_cast<unsigned char>(together[0]));
        records.push_back(static_cast<unsigned char>(together[1]));
    };
    for (unsigned base = 0x20; base < 0x2000; ++base)
        for (unsigned mark = 0x300; mark < 0x370; ++mark) tryPair(base, mark);
    for (unsigned base = 0x3040; base < 0x3100; ++base)
        for (unsigned mark = 0x3099; mark <= 0x309A; ++mark) tryPair(base, mark);
    Put32(count);
    out.insert(out.end(), records.begin(), records.end());
}

void PutUtf8(const char* bytes, int count) {
    WCHAR w[8] = {};
    int n = MultiByteToWideChar(CP_UTF8, 0, bytes, count, w, 8);
    Put8(n <= 4 ? n : 0xFF);
    for (int i = 0; i < 4; ++i) Put16(w[i]);
}

void PutUtf8From(const WCHAR* w, int count) {
    char b[8] = {};
    int n = WideCharToMultiByte(CP_UTF8, 0, w, count, b, sizeof b, nullptr, nullptr);
    Put8(n <= 6 ? n : 0xFF);
    for (int i = 0; i < 6; ++i) Put8(static_cast<unsigned char>(b[i]));
}

void PutMapped(DWORD flags, const char* bytes, int count) {
    char b[8] = {};
    int n = LCMapStringA(0x0804, flags, bytes, count, b, sizeof b);
    Put8(n <= 4 ? n : 0xFF);
    for (int i = 0; i < 4; ++i) Put8(static_cast<unsigned char>(b[i]));
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: codepage_dump OUTPUT\n");
        return 2;
    }
    out.insert(out.end(), {'W', 'H', 'T', 'C', 'P', '1'});
    Put32(sizeof kCodePages / sizeof kCodePages[0]);
    for (UINT cp : kCodePages) {
        Put32(cp);
        PutWide(cp, 0, false);
        PutWide(cp, WC_NO_BEST_FIT_CHARS, true);
        PutWide(cp, WC_COMPOSITECHECK, false);
        for (int b = 0; b < 256; ++b) {
            char c = static_cast<char>(b);
            PutBytes(cp, &c, 1);
        }
        for (int lead = 0x81; lead <= 0xFE; ++lead)
            for (int trail = 0; trail < 256; ++trail) {
                char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                PutBytes(cp, pair, 2);
            }
        PutComposed(cp);
    }
    for (DWORD flags : {LCMAP_UPPERCASE, LCMAP_LOWERCASE}) {
        for (int b = 0; b < 256; ++b) {
            char c = static_cast<char>(b);
            PutMapped(flags, &c, 1);
        }
        for (int lead = 0x81; lead <= 0xFE; ++lead)
            for (int trail = 0; trail < 256; ++trail) {
                char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                PutMapped(flags, pair, 2);
            }
    }
    for (int b = 0; b < 256; ++b) {
        char c = static_cast<char>(b);
        PutUtf8(&c, 1);
    }
    for (int a = 0; a < 256; ++a)
        for (int b = 0; b < 256; ++b) {
            char s[2] = {static_cast<char>(a), static_cast<char>(b)};
            PutUtf8(s, 2);
        }
    for (int a = 0xE0; a <= 0xF4; ++a)
        for (int b = 0; b < 256; ++b)
            for (int c : {0x80, 0xBF, 0x41, 0xC0}) {
                char s[3] = {static_cast<char>(a), static_cast<char>(b), static_cast<char>(c)};
                PutUtf8(s, 3);
            }
    for (int a = 0xF0; a <= 0xF4; ++a)
        for (int b = 0x80; b <= 0xBF; ++b)
            for (int c = 0x80; c <= 0xBF; ++c)
                for (int d : {0x80, 0xBF, 0x41}) {
                    char s[4] = {static_cast<char>(a), static_cast<char>(b), static_cast<char>(c), static_cast<char>(d)};
                    PutUtf8(s, 4);
                }
    for (unsigned u = 0; u < 65536; ++u) {
        WCHAR w = static_cast<WCHAR>(u);
        PutUtf8From(&w, 1);
    }
    for (unsigned high = 0xD800; high <= 0xDBFF; high += (high == 0xDBC0 ? 0x3F : 0x40))
        for (unsigned u = 0; u < 65536; ++u) {
            WCHAR w[2] = {static_cast<WCHAR>(high), static_cast<WCHAR>(u)};
            PutUtf8From(w, 2);
        }
    for (UINT cp : kCodePages) {
        for (int b = 0; b < 256; ++b) {
            char c = static_cast<char>(b);
            WCHAR w[4];
            Put8(MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, &c, 1, w, 4));
        }
        for (int lead = 0x81; lead <= 0xFE; ++lead)
            for (int trail = 0; trail < 256; ++trail) {
                char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                WCHAR w[4];
                Put8(MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, pair, 2, w, 4));
            }
    }
    FILE* f = fopen(argv[1], "wb");
    if (!f || fwrite(out.data(), 1, out.size(), f) != out.size() || fclose(f) != 0) {
        fprintf(stderr, "codepage_dump: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
