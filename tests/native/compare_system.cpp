// Compares the native system functions with what the Windows functions wrote under Wine
// (tools/codepage_dump, tools/base64_dump): every record, counting the differences.
//   compare_system --codepages FILE | --base64 FILE
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "native/system_calls.h"

namespace {
std::vector<uint8_t> g_data;
size_t g_at = 0;
long g_differences = 0, g_compared = 0;

uint32_t Get8() { return g_at < g_data.size() ? g_data[g_at++] : 0; }
uint32_t Get16() { return Get8() | Get8() << 8; }
uint32_t Get32() { return Get16() | Get16() << 16; }
std::string GetBytes(size_t n) {
    std::string s(reinterpret_cast<const char*>(g_data.data() + g_at), n);
    g_at += n;
    return s;
}

void Differ(const char* what, uint32_t cp, uint32_t code, const std::string& windows, const std::string& native) {
    if (++g_differences > 20) return;
    auto hex = [](const std::string& s) {
        std::string h;
        for (unsigned char c : s) h += " " + std::to_string(c);
        return h;
    };
    printf("%s, code page %u, %#x: Windows%s, native%s\n", what, cp, code, hex(windows).c_str(), hex(native).c_str());
}

void Check(const char* what, uint32_t cp, uint32_t code, const std::string& windows, const std::string& native) {
    ++g_compared;
    if (windows != native) Differ(what, cp, code, windows, native);
}

std::string Record(int32_t n, const void* p, size_t size) {
    std::string s(1, static_cast<char>(n <= 2 ? n : 0xFF));
    return s + std::string(static_cast<const char*>(p), size);
}

void WideRecord(uint32_t cp, uint32_t flags, bool withDefault, const char* what) {
    for (uint32_t u = 0; u < 65536; ++u) {
        std::string windows = GetBytes(withDefault ? 4 : 3);
        char16_t w = static_cast<char16_t>(u);
        char b[8] = {};
        int32_t used = 0;
        int32_t n = NativeWideCharToMultiByte(cp, flags, &w, 1, b, sizeof b, nullptr, withDefault ? &used : nullptr);
        std::string native = Record(n, b, 2);
        if (withDefault) native += static_cast<char>(used ? 1 : 0);
        // Into a buffer of just the size, and one byte short of it (0 would be a measure).
        char exact[8] = {};
        if (n > 0 && (NativeWideCharToMultiByte(cp, flags, &w, 1, exact, n, nullptr, nullptr) != n || memcmp(exact, b, n) ||
                      (n > 1 && NativeWideCharToMultiByte(cp, flags, &w, 1, exact, n - 1, nullptr, nullptr) != 0)))
            native += "(sized buffer)";
        Check(what, cp, u, windows, native);
    }
}

void BytesRecord(uint32_t cp, const char* bytes, int count, uint32_t code) {
    std::string windows = GetBytes(5);
    char16_t w[8] = {};
    int32_t n = NativeMultiByteToWideChar(cp, 0, bytes, count, w, 8);
    char units[4] = {char(w[0] & 0xFF), char(w[0] >> 8), char(w[1] & 0xFF), char(w[1] >> 8)};
    std::string native = Record(n, units, 4);
    char16_t exact[8] = {};
    if (n > 0 && (NativeMultiByteToWideChar(cp, 0, bytes, count, exact, n) != n || memcmp(exact, w, 2 * n) ||
                  (n > 1 && NativeMultiByteToWideChar(cp, 0, bytes, count, exact, n - 1) != 0)))
        native += "(sized buffer)";
    Check("MultiByteToWideChar", cp, code, windows, native);
}

void MappedRecord(uint32_t flags, const char* bytes, int count, uint32_t code) {
    std::string windows = GetBytes(5);
    char b[8] = {};
    int32_t n = NativeLCMapStringA(0x0804, flags, bytes, count, b, sizeof b);
    Check("LCMapStringA", flags, code, windows, std::string(1, static_cast<char>(n <= 4 ? n : 0xFF)) + std::string(b, 4));
}

void Utf8Record(const char* bytes, int count, uint32_t code) {
    std::string windows = GetBytes(9);
    char16_t w[8] = {};
    int32_t n = NativeMultiByteToWideChar(65001, 0, bytes, count, w, 8);
    std::string native(1, static_cast<char>(n <= 4 ? n : 0xFF));
    for (int i = 0; i < 4; ++i) native += {static_cast<char>(w[i] & 0xFF), static_cast<char>(w[i] >> 8)};
    Check("MultiByteToWideChar", 65001, code, windows, native);
}

void Utf8FromRecord(const char16_t* w, int count, uint32_t code) {
    std::string windows = GetBytes(7);
    char b[8] = {};
    int32_t n = NativeWideCharToMultiByte(65001, 0, w, count, b, sizeof b, nullptr, nullptr);
    Check("WideCharToMultiByte", 65001, code, windows, std::string(1, static_cast<char>(n <= 6 ? n : 0xFF)) + std::string(b, 6));
}

void CompareUtf8() {
    for (int b = 0; b < 256; ++b) {
        char c = static_cast<char>(b);
        Utf8Record(&c, 1, b);
    }
    for (int a = 0; a < 256; ++a)
        for (int b = 0; b < 256; ++b) {
            char s[2] = {static_cast<char>(a), static_cast<char>(b)};
            Utf8Record(s, 2, a << 8 | b);
        }
    for (int a = 0xE0; a <= 0xF4; ++a)
        for (int b = 0; b < 256; ++b)
            for (int c : {0x80, 0xBF, 0x41, 0xC0}) {
                char s[3] = {static_cast<char>(a), static_cast<char>(b), static_cast<char>(c)};
                Utf8Record(s, 3, a << 16 | b << 8 | c);
            }
    for (int a = 0xF0; a <= 0xF4; ++a)
        for (int b = 0x80; b <= 0xBF; ++b)
            for (int c = 0x80; c <= 0xBF; ++c)
                for (int d : {0x80, 0xBF, 0x41}) {
                    char s[4] = {static_cast<char>(a), static_cast<char>(b), static_cast<char>(c), static_cast<char>(d)};
                    Utf8Record(s, 4, uint32_t(a) << 24 | b << 16 | c << 8 | d);
                }
    for (uint32_t u = 0; u < 65536; ++u) {
        char16_t w = static_cast<char16_t>(u);
        Utf8FromRecord(&w, 1, u);
    }
    for (uint32_t high = 0xD800; high <= 0xDBFF; high += (high == 0xDBC0 ? 0x3F : 0x40))
        for (uint32_t u = 0; u < 65536; ++u) {
            char16_t w[2] = {static_cast<char16_t>(high), static_cast<char16_t>(u)};
            Utf8FromRecord(w, 2, high << 16 | u);
        }
}

int CompareCodePages() {
    if (GetBytes(6) != "WHTCP1") return printf("not a code-page dump\n"), 2;
    uint32_t pages = Get32();
    for (uint32_t p = 0; p < pages; ++p) {
        uint32_t cp = Get32();
        WideRecord(cp, 0, false, "WideCharToMultiByte");
        WideRecord(cp, 0x400, true, "WideCharToMultiByte WC_NO_BEST_FIT_CHARS");
        WideRecord(cp, 0x200, false, "WideCharToMultiByte WC_COMPOSITECHECK");
        for (int b = 0; b < 256; ++b) {
            char c = static_cast<char>(b);
            BytesRecord(cp, &c, 1, b);
        }
        for (int lead = 0x81; lead <= 0xFE; ++lead)
            for (int trail = 0; trail < 256; ++trail) {
                char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                BytesRecord(cp, pair, 2, lead << 8 | trail);
            }
        uint32_t k = Get32();
        for (uint32_t i = 0; i < k; ++i) {
            char16_t w[2] = {static_cast<char16_t>(Get16()), static_cast<char16_t>(Get16())};
            std::string windows = GetBytes(3);
            char b[8] = {};
            int32_t n = NativeWideCharToMultiByte(cp, 0x200, w, 2, b, sizeof b, nullptr, nullptr);
            Check("WC_COMPOSITECHECK pair", cp, uint32_t(w[0]) << 16 | w[1], windows, Record(n, b, 2));
        }
    }
    for (uint32_t flags : {0x200u, 0x100u}) {
        for (int b = 0; b < 256; ++b) {
            char c = static_cast<char>(b);
            MappedRecord(flags, &c, 1, b);
        }
        for (int lead = 0x81; lead <= 0xFE; ++lead)
            for (int trail = 0; trail < 256; ++trail) {
                char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                MappedRecord(flags, pair, 2, lead << 8 | trail);
            }
    }
    CompareUtf8();
    for (uint32_t cp : {936u, 950u, 932u, 949u, 1252u, 28591u}) {
        for (int i = 0; i < 256 + 126 * 256; ++i) {
            char bytes[2] = {static_cast<char>(i < 256 ? i : 0x81 + (i - 256) / 256), static_cast<char>((i - 256) % 256)};
            char16_t w[4];
            int32_t n = NativeMultiByteToWideChar(cp, 8, bytes, i < 256 ? 1 : 2, w, 4);
            Check("MB_ERR_INVALID_CHARS", cp, i, std::string(1, static_cast<char>(Get8())), std::string(1, static_cast<char>(n)));
        }
    }
    return 0;
}

std::string Result(int32_t ok, uint32_t size, const std::string& output) {
    std::string s(reinterpret_cast<const char*>(&ok), 4);
    s.append(reinterpret_cast<const char*>(&size), 4);
    return s + output;
}

int CompareBase64() {
    if (GetBytes(7) != "WHTB641") return printf("not a BASE64 dump\n"), 2;
    while (g_at < g_data.size()) {
        uint32_t kind = Get8(), flags = Get32();
        std::string input = GetBytes(Get32());
        std::string windows[2];
        for (std::string& w : windows) {
            w = GetBytes(8);
            w += GetBytes(Get32());
        }
        std::string native[2];
        uint32_t size = 0;
        if (kind == 1) {
            const uint8_t* data = reinterpret_cast<const uint8_t*>(input.data());
            uint32_t n = static_cast<uint32_t>(input.size());
            int32_t ok = NativeCryptBinaryToStringA(data, n, flags, nullptr, &size);
            native[0] = Result(ok, size, "");
            std::vector<char> text(size + 16, '\x55');
            uint32_t room = size;
            ok = NativeCryptBinaryToStringA(data, n, flags, text.data(), &room);
            native[1] = Result(ok, room, ok ? std::string(text.data(), room) : "");
        } else {
            uint32_t n = static_cast<uint32_t>(input.size());
            int32_t ok = NativeCryptStringToBinaryA(input.data(), n, flags, nullptr, &size, nullptr, nullptr);
            native[0] = Result(ok, size, "");
            std::vector<uint8_t> bytes(size + 16, 0x55);
            uint32_t room = size;
            ok = NativeCryptStringToBinaryA(input.data(), n, flags, bytes.data(), &room, nullptr, nullptr);
            native[1] = Result(ok, room, ok ? std::string(reinterpret_cast<char*>(bytes.data()), room) : "");
        }
        for (int i = 0; i < 2; ++i) {
            ++g_compared;
            if (windows[i] != native[i]) {
                if (++g_differences <= 20) {
                    std::string shown;
                    for (char c : input) shown += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : std::string(1, c);
                    printf("%s, flags %#x, %s call, input %zu bytes \"%s\"\n", kind == 1 ? "encode" : "decode", flags,
                           i ? "buffer" : "measuring", input.size(), kind == 1 ? "" : shown.c_str());
                }
            }
        }
    }
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return fprintf(stderr, "usage: compare_system --codepages|--base64 FILE\n"), 2;
    FILE* f = fopen(argv[2], "rb");
    if (!f) return fprintf(stderr, "compare_system: cannot read %s\n", argv[2]), 2;
    uint8_t buffer[65536];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, f)) > 0) g_data.insert(g_data.end(), buffer, buffer + got);
    fclose(f);
    int status = strcmp(argv[1], "--codepages") == 0 ? CompareCodePages() : CompareBase64();
    if (status) return status;
    if (g_at != g_data.size()) return printf("the dump does not end where expected\n"), 2;
    printf("%ld compared, %ld differences\n", g_compared, g_differences);
    return g_differences ? 1 : 0;
}
