// Reading file bytes as text and writing text back: one table each way.
#include <cstring>
#include <string>

#include "engine/text_file.h"
#include "runtime/library.h"
#include "test_support.h"

namespace {
template <size_t N>
std::string Raw(const char (&s)[N]) {
    return std::string(s, N - 1);
}
std::string Str(const ByteSetVar& b) {
    return b.empty() ? std::string() : std::string(reinterpret_cast<const char*>(b.data()), b.size());
}
ByteSetVar Bytes(const std::string& s) {
    ByteSetVar b = ZeroByteSet(static_cast<int32_t>(s.size()));
    if (!s.empty()) memcpy(b.data(), s.data(), s.size());
    return b;
}
}  // namespace

TEST_CASE("text files: what the bytes are read as") {
    // 中 is U+4E2D: UTF-8 E4 B8 AD, GBK D6 D0; 😀 is U+1F600.
    const struct {
        std::string bytes;
        TextEncoding asked, found;
        bool ok;
        std::string units;
    } cases[] = {
        {"", TextEncoding::kAuto, TextEncoding::kUtf8, true, ""},
        {"a\xE4\xB8\xAD", TextEncoding::kAuto, TextEncoding::kUtf8, true, Raw("a\0\x2D\x4E")},
        {"\xEF\xBB\xBF\xE4\xB8\xAD", TextEncoding::kAuto, TextEncoding::kUtf8Bom, true, "\x2D\x4E"},
        {"\xFF\xFE\x2D\x4E\x41", TextEncoding::kAuto, TextEncoding::kUtf16Le, true, "\x2D\x4E"},
        {"\xD6\xD0\x41", TextEncoding::kAuto, TextEncoding::kGbk, true, Raw("\x2D\x4E\x41\0")},
        {Raw("\xD6\xD0\0\x41"), TextEncoding::kAuto, TextEncoding::kGbk, true, Raw("\x2D\x4E\0\0\x41\0")},
        {"\xF0\x9F\x98\x80", TextEncoding::kAuto, TextEncoding::kUtf8, true, Raw("\x3D\xD8\x00\xDE")},
        {"\xD6\xD0", TextEncoding::kGbk, TextEncoding::kGbk, true, "\x2D\x4E"},
        // Overlong, surrogate, past U+10FFFF, cut short: not UTF-8.
        {"\xC0\xAF", TextEncoding::kUtf8, TextEncoding::kUtf8, false, ""},
        {"\xED\xA0\x80", TextEncoding::kUtf8, TextEncoding::kUtf8, false, ""},
        {"\xF4\x90\x80\x80", TextEncoding::kUtf8, TextEncoding::kUtf8, false, ""},
        {"\xE4\xB8", TextEncoding::kUtf8, TextEncoding::kUtf8, false, ""},
        {"\xE4\xB8", TextEncoding::kAuto, TextEncoding::kGbk, true, ""},
    };
    for (const auto& c : cases) {
        CAPTURE(c.bytes);
        ByteSetVar units;
        TextEncoding found = TextEncoding::kAuto;
        bool ok = DecodeText(reinterpret_cast<const uint8_t*>(c.bytes.data()), c.bytes.size(), c.asked, &units, &found);
        CHECK(ok == c.ok);
        CHECK(found == c.found);
        if (ok && !c.units.empty()) CHECK(Str(units) == c.units);
    }
}

TEST_CASE("text files: units written in each encoding") {
    const std::string units = Raw("a\0\x2D\x4E\x3D\xD8\x00\xDE");
    const struct {
        TextEncoding encoding;
        std::string bytes;
    } cases[] = {
        {TextEncoding::kUtf8, "a\xE4\xB8\xAD\xF0\x9F\x98\x80"},
        {TextEncoding::kUtf8Bom, "\xEF\xBB\xBF" "a\xE4\xB8\xAD\xF0\x9F\x98\x80"},
        {TextEncoding::kUtf16Le, units},
    };
    for (const auto& c : cases) {
        CAPTURE(EncodingName(c.encoding));
        CHECK(Str(EncodeText(Bytes(units), c.encoding)) == c.bytes);
    }
    CHECK(Str(EncodeText(Bytes(Raw("a\0\x2D\x4E")), TextEncoding::kGbk)) == "a\xD6\xD0");
}
