// Code-page conversions: one table per routine, round trips, and the byte-set-to-text view.
#include <windows.h>
#include <cstring>
#include <string>

#include "engine/big5.h"
#include "engine/codepage.h"
#include "engine/gbk_to_utf8.h"
#include "runtime/command_args.h"
#include "runtime/library.h"
#include "test_support.h"

namespace {
ByteSetVar CpBytes(const std::string& bytes) {
    ByteSetVar b(bytes.empty() ? nullptr : NewByteSetBlock(static_cast<int32_t>(bytes.size())));
    if (!bytes.empty()) memcpy(b.data(), bytes.data(), bytes.size());
    return b;
}
std::string CpStr(const ByteSetVar& b) {
    return b.empty() ? std::string() : std::string(reinterpret_cast<const char*>(b.data()), b.size());
}
std::string CpStr(const TextVar& t) { return std::string(t.c_str()); }
// Literals with embedded zero bytes.
template <size_t N>
std::string Raw(const char (&s)[N]) {
    return std::string(s, N - 1);
}

struct TextCase {
    std::string input;
    std::string expected;
};
}  // namespace

TEST_CASE("codepage: GBK text to UTF-8 bytes and back") {
    const std::string longGbk = [] {
        std::string s;
        for (int i = 0; i < 3000; ++i) s += "中a";
        return s;
    }();
    const std::string longUtf8 = [] {
        std::string s;
        for (int i = 0; i < 3000; ++i) s += "\xE4\xB8\xAD" "a";
        return s;
    }();
    const TextCase toUtf8[] = {
        {"", ""},
        {"abc", "abc"},
        {"中文", "\xE4\xB8\xAD\xE6\x96\x87"},
        {"A\xA3\xC1", "A\xEF\xBC\xA1"},        // full-width A
        {"\x80", "\xE2\x82\xAC"},              // the euro sign of code page 936
        {"\xA1\xA1", "\xE3\x80\x80"},          // ideographic space
        {"\x81\x40", "\xE4\xB8\x82"},          // first GBK extension character
        {"\xAA\xA1", "\xEE\x80\x80"},          // user-defined area
        {longGbk, longUtf8},
    };
    for (const TextCase& c : toUtf8) {
        CAPTURE(Hex(c.input.substr(0, 16)));
        LeakCheck leaks;
        {
            TextVar utf8 = GbkToUtf8(c.input.c_str());
            CHECK(Hex(CpStr(utf8)) == Hex(c.expected));
            TextVar back = Utf8ToGbk(utf8);
            CHECK(Hex(CpStr(back)) == Hex(c.input));
        }
        CHECK(leaks.leaked() == 0);
    }

    const TextCase toGbk[] = {
        {"", ""},
        {"abc", "abc"},
        {"\xE4\xB8\xAD\xE6\x96\x87", "中文"},
        {"\xE0\xB8\x81", "?"},                  // Thai: no GBK form
        {"x\xED\x95\x9Cy", "x?y"},              // Hangul syllable: no GBK form
        {"a\x80" "b", "a?b"},                   // a stray continuation byte
        {"\xC3\xA9", "\xA8\xA6"},               // e acute is in GBK
        {"\xD6\xD0\xCE\xC4", ""},               // GBK text is not UTF-8 and overflows the measure
    };
    for (const TextCase& c : toGbk) {
        CAPTURE(Hex(c.input));
        CHECK(Hex(CpStr(Utf8ToGbk(c.input.c_str()))) == Hex(c.expected));
    }
}

TEST_CASE("codepage: text to UTF-16 units and units to a code page") {
    struct {
        std::string text;
        uint32_t codePage;
        std::string units;
    } toUnits[] = {
        {"", kCodePageGbk, Raw("\0\0")},
        {"abc", kCodePageGbk, Raw("a\0b\0c\0\0\0")},
        {"中文", kCodePageGbk, Raw("\x2D\x4E\x87\x65\0\0")},
        // Measured as GBK (3 units: E4 B8, AD, terminator), filled as UTF-8 (1 unit).
        {"\xE4\xB8\xAD", kCodePageUtf8, Raw("\x2D\x4E\0\0\0\0")},
        // Needs more units than measured: the buffer comes back zeroed.
        {"\xD6\xD0\xCE\xC4", kCodePageUtf8, Raw("\0\0\0\0\0\0")},
        {"\xA4\x40", kCodePageBig5, Raw("\x00\x4E\0\0")},   // BIG5 一
    };
    for (const auto& c : toUnits) {
        CAPTURE(Hex(c.text));
        CAPTURE(c.codePage);
        CHECK(Hex(CpStr(CodePageToUtf16(c.text.c_str(), c.codePage))) == Hex(c.units));
    }

    struct {
        std::string units;
        uint32_t codePage;
        std::string text;
    } fromUnits[] = {
        {"", kCodePageGbk, ""},
        {Raw("a\0b\0\0\0"), kCodePageGbk, "ab"},
        {Raw("a\0\0\0b\0"), kCodePageGbk, "a"},
        {Raw("a\0b\0"), kCodePageGbk, "ab"},     // no terminating unit: read by count
        {Raw("a\0b"), kCodePageGbk, "a"},        // an odd last byte is no unit
        {Raw("\x2D\x4E\0\0"), kCodePageUtf8, "\xE4\xB8\xAD"},
        {Raw("\x2D\x4E\0\0"), kCodePageGbk, "中"},
        {Raw("\x3D\xD8\x00\xDE\0\0"), kCodePageUtf8, "\xF0\x9F\x98\x80"},
        {Raw("\x3D\xD8\x00\xDE\x3D\xD8\x00\xDE\0\0"), kCodePageUtf8,
         "\xF0\x9F\x98\x80\xF0\x9F\x98\x80"},
        {Raw("\x01\x0E\0\0"), kCodePageGbk, "?"},
        // One '?' each in GBK, three bytes each in UTF-8: twice the GBK measure is too small.
        {Raw("\x01\x0E\x01\x0E\x01\x0E\0\0"), kCodePageUtf8, "\xE0\xB8\x81\xE0\xB8\x81\xE0\xB8\x81"},
        {Raw("\x00\x4E\0\0"), kCodePageBig5, "\xA4\x40"},
    };
    for (const auto& c : fromUnits) {
        CAPTURE(Hex(c.units));
        CAPTURE(c.codePage);
        LeakCheck leaks;
        CHECK(Hex(CpStr(Utf16ToCodePage(CpBytes(c.units), c.codePage))) == Hex(c.text));
        CHECK(leaks.leaked() == 0);
    }
}

TEST_CASE("codepage: Ansi to Unicode and back") {
    struct {
        std::string text;
        bool drop;
        std::string units;
        std::string shown;  // what the output box shows: the bytes up to the first zero byte
    } toUnits[] = {
        {"", false, "", ""},
        {"", true, "", ""},
        {"abc", false, Raw("a\0b\0c\0\0\0"), "a"},
        {"abc", true, Raw("a\0b\0c\0"), "a"},
        {"我爱", false, Raw("\x11\x62\x31\x72\0\0"), "\x11\x62\x31\x72"},
        {"我爱", true, "\x11\x62\x31\x72", "\x11\x62\x31\x72"},
        {"\x80", true, "\xAC\x20", "\xAC\x20"},
    };
    for (const auto& c : toUnits) {
        CAPTURE(Hex(c.text));
        CAPTURE(c.drop);
        LeakCheck leaks;
        {
            ByteSetVar units = AnsiToUtf16Bytes(c.text.c_str(), c.drop);
            CHECK(Hex(CpStr(units)) == Hex(c.units));
            CHECK(Hex(CpStr(ToText(units))) == Hex(c.shown));
        }
        CHECK(leaks.leaked() == 0);
    }

    const TextCase toAnsi[] = {
        {"", ""},
        {"a", ""},                                  // one byte is no unit
        {"ab", "\x92\x4C"},                         // the unit 0x6261
        {Raw("a\0"), "a"},
        {Raw("a\0b\0"), "ab"},
        {Raw("a\0b\0c"), "ab"},
        {Raw("a\0\0\0b\0"), "a"},                   // shown up to the first zero byte
        {Raw("\x2D\x4E\x87\x65"), "中文"},
        {Raw("\x01\x0E"), "?"},                     // no GBK form
        {Raw("\x3D\xD8" "a\0"), "?a"},              // a lone surrogate
        {Raw("e\0\x01\x03"), "\xA8\xA6"},           // e + combining acute composes to the GBK e acute
    };
    for (const TextCase& c : toAnsi) {
        CAPTURE(Hex(c.input));
        LeakCheck leaks;
        CHECK(Hex(CpStr(Utf16BytesToAnsi(CpBytes(c.input)))) == Hex(c.expected));
        CHECK(leaks.leaked() == 0);
    }
}

TEST_CASE("codepage: UTF-16 units to UTF-8 bytes and back") {
    const TextCase toUtf8[] = {
        {"", ""},
        {"a", ""},
        {Raw("a\0b\0"), "ab"},
        {Raw("a\0b\0c"), "ab"},
        {Raw("a\0\0\0b\0"), "a"},                   // stops at the first zero unit
        {Raw("\0\0a\0"), ""},
        {Raw("\x2D\x4E"), "\xE4\xB8\xAD"},
        {Raw("\x3D\xD8\x00\xDE"), "\xF0\x9F\x98\x80"},
        {Raw("\x3D\xD8" "a\0"), "\xEF\xBF\xBD" "a"},  // a lone surrogate
        {"ab", "\xE6\x89\xA1"},                     // the GBK bytes of ab read as the unit 0x6261
    };
    for (const TextCase& c : toUtf8) {
        CAPTURE(Hex(c.input));
        LeakCheck leaks;
        CHECK(Hex(CpStr(Utf16BytesToUtf8(CpBytes(c.input)))) == Hex(c.expected));
        CHECK(leaks.leaked() == 0);
    }

    struct {
        std::string input;
        std::string units;
        std::string shown;
    } toUnits[] = {
        {"", "", ""},
        {"abc", Raw("a\0b\0c\0"), "a"},                       // ASCII shows its first character only
        {Raw("a\0b"), Raw("a\0\0\0"), "a"},                   // the first zero byte is converted too
        {Raw("\0a"), Raw("\0\0"), ""},
        {"\xE4\xB8\xAD", "\x2D\x4E", "\x2D\x4E"},
        {"\xF0\x9F\x98\x80", Raw("\x3D\xD8\x00\xDE"), "\x3D\xD8"},
        {"\x80", "\xFD\xFF", "\xFD\xFF"},                     // not UTF-8: the replacement character
        {"\xEF\xBB\xBF" "a", Raw("\xFF\xFE" "a\0"), "\xFF\xFE" "a"},
    };
    for (const auto& c : toUnits) {
        CAPTURE(Hex(c.input));
        LeakCheck leaks;
        {
            ByteSetVar units = Utf8BytesToUtf16(CpBytes(c.input));
            CHECK(Hex(CpStr(units)) == Hex(c.units));
            CHECK(Hex(CpStr(ToText(units))) == Hex(c.shown));
        }
        CHECK(leaks.leaked() == 0);
    }
}

TEST_CASE("codepage: the routines agree with each other on GBK text") {
    const char* texts[] = {"中文abc", "\x80", "\xA1\xA1", "\x81\x40\xFE\x4F", "\xAA\xA1", "〇々ＡＢ", "x"};
    for (const char* t : texts) {
        CAPTURE(Hex(t));
        ByteSetVar units = AnsiToUtf16Bytes(t, true);
        CHECK(Hex(CpStr(Utf16BytesToAnsi(units))) == Hex(t));
        ByteSetVar utf8 = Utf16BytesToUtf8(units);
        CHECK(Hex(CpStr(utf8)) == Hex(CpStr(GbkToUtf8(t))));
        ByteSetVar again = Utf8BytesToUtf16(utf8);
        CHECK(Hex(CpStr(again)) == Hex(CpStr(units)));
        CHECK(Hex(CpStr(Utf16ToCodePage(CodePageToUtf16(t, kCodePageGbk), kCodePageGbk))) == Hex(t));
    }
}

namespace {
// Over a megabyte of everything the converters meet: ASCII with and without the bytes
// that let a long text be cut, GBK pairs, lone lead bytes, UTF-8 (whole and broken), and
// a run of 300 KB with no byte below 0x40 at all.
std::string MixedBytes() {
    const char* pieces[] = {"abc", " ", "12,", "\xD6\xD0\xCE\xC4", "\x81", "\xE4\xB8\xAD", "\xE4\xB8", "\xC3\xA9", "\xFE\x7F", "\r\n"};
    std::string s;
    uint32_t seed = 12345;
    while (s.size() < 1200000) {
        seed = seed * 1103515245u + 12345u;
        s += pieces[(seed >> 16) % 10];
        if (s.size() > 500000 && s.size() < 500100)
            for (int i = 0; i < 100000; ++i) s += "\xB9\xFA\x41";
    }
    return s;
}

std::wstring WholeToUnits(UINT cp, const std::string& s) {
    std::wstring w(s.size() + 1, L'\0');
    w.resize(MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), &w[0], static_cast<int>(w.size())));
    return w;
}
std::string WholeFromUnits(UINT cp, const std::wstring& w) {
    std::string s(3 * w.size() + 1, '\0');
    s.resize(WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), &s[0], static_cast<int>(s.size()), nullptr, nullptr));
    return s.substr(0, strlen(s.c_str()));
}
}  // namespace

TEST_CASE("codepage: a long text converted in slices reads as one call reads it") {
    std::string bytes = MixedBytes();
    std::wstring gbkUnits = WholeToUnits(936, bytes);
    CHECK(W(GbkToUnits(bytes.c_str())) == gbkUnits);
    CHECK(CpStr(UnitsToGbk(U(gbkUnits))) == WholeFromUnits(936, gbkUnits));
    CHECK(CpStr(UnitsToUtf8(U(gbkUnits))) == WholeFromUnits(65001, gbkUnits));
    std::wstring utf8Units = WholeToUnits(65001, bytes);
    CHECK(W(Utf8BytesToUtf16(CpBytes(bytes))) == utf8Units);
    // More units as UTF-8 than as GBK: a single call fails, and so the routine gives none.
    REQUIRE(utf8Units.size() > gbkUnits.size());
    CHECK(W(Utf8ToUnits(bytes.c_str())).empty());
    CHECK(W(Utf8ToUnits(WholeFromUnits(65001, gbkUnits).c_str())) == gbkUnits);
    CHECK(CpStr(Utf16BytesToUtf8(U(gbkUnits))) == WholeFromUnits(65001, gbkUnits));
    CHECK(CpStr(Big5ToGbk(bytes.c_str())) == WholeFromUnits(936, WholeToUnits(950, bytes)));
    CHECK(CpStr(GbkToBig5(bytes.c_str())) == WholeFromUnits(950, gbkUnits));
}

TEST_CASE("codepage: the GBK sequences the box keeps, as the box itself keeps them") {
    int differences = 0, kept = 0;
    for (uint32_t s = 0x80; s <= 0xFFFF; ++s) {
        if (s > 0xFF && (s & 0xFF) == 0) continue;
        std::string bytes = s > 0xFF ? std::string{char(s >> 8), char(s & 0xFF)} : std::string(1, char(s));
        ByteSetVar units = GbkToUnits(bytes.c_str());
        bool box = CpStr(UnitsToGbk(units)) == bytes && NonGbkPrompt(units).empty();
        int64_t characters = 0;
        bool fast = GbkKeepsBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &characters);
        differences += fast != box || (fast && characters != ByteSetLength(units) / 2);
        kept += fast;
    }
    CHECK(differences == 0);
    CHECK(kept > 21000);
}

// The one-pass table against the system's two calls: every two-byte sequence between ASCII
// (so that a byte read alone shows), and GBK-looking text of every kind of byte.
TEST_CASE("codepage: GBK to UTF-8 in one pass gives what the two calls give") {
    std::string framed;
    for (uint32_t s = 0x8000; s <= 0xFFFF; ++s) framed += std::string{'a', char(s >> 8), char(s & 0xFF)};
    std::string cases[] = {framed, framed + "\x81", MixedBytes(), Raw("\xB0\xA1\0\xFF\x80\x81\x7F\xFE"), "\xC4"};
    for (const std::string& bytes : cases) {
        std::string room(GbkToUtf8Room(bytes.size()), '\0');
        int64_t m = GbkBytesToUtf8(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                                   reinterpret_cast<uint8_t*>(&room[0]));
        REQUIRE(m >= 0);
        std::wstring units = WholeToUnits(936, bytes);
        std::string twoCalls(3 * units.size() + 1, '\0');
        twoCalls.resize(WideCharToMultiByte(65001, 0, units.data(), static_cast<int>(units.size()), &twoCalls[0],
                                            static_cast<int>(twoCalls.size()), nullptr, nullptr));
        CHECK(room.substr(0, static_cast<size_t>(m)) == twoCalls);
    }
}
