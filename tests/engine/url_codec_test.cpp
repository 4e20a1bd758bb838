#include <string>

#include "engine/url_codec.h"
#include "test_support.h"

TEST_CASE("URL encoding keeps letters, digits, '-' and '.' and writes every other byte as %XX") {
    struct Case {
        const char* text;
        bool utf8;
        const char* encoded;
    } cases[] = {
        {"中 a-_.~/", false, "%D6%D0%20a-%5F.%7E%2F"},
        {"中", true, "%E4%B8%AD"},
        {"AZaz09", false, "AZaz09"},
        {"+\r\n", false, "%2B%0D%0A"},
        {"\x7F\x80", false, "%7F%80"},
        {"", false, ""},
        {"", true, ""},
    };
    LeakCheck leaks;
    for (const Case& c : cases) {
        CAPTURE(c.text);
        TextVar r = UrlEncodeBytes(c.text, c.utf8);
        CHECK(std::string(r) == c.encoded);
    }
    CHECK(leaks.leaked() == 0);
}

TEST_CASE("URL decoding turns %XX back into bytes and never fails") {
    struct Case {
        const char* text;
        bool utf8;
        const char* decoded;
    } cases[] = {
        {"%d6%D0", false, "中"},
        {"a+b", false, "a+b"},
        {"x%00y", false, "xy"},
        {"ab%", false, "ab"},
        {"%4", false, "@"},
        {"%G0", false, "\xE0"},
        {"%E4%B8%AD", true, "中"},
        {"%E4%B8%AD", false, "\xE4\xB8\xAD"},
        {"中%41", false, "中A"},
        {"%%41", false, "\xE4" "1"},  // "%" and "4" read as digits -2 and 4: -28 & 255
        {"", false, ""},
    };
    LeakCheck leaks;
    for (const Case& c : cases) {
        CAPTURE(c.text);
        TextVar r = UrlDecodeBytes(c.text, c.utf8);
        CHECK(Hex(r.c_str()) == Hex(c.decoded));
    }
    CHECK(leaks.leaked() == 0);
}

TEST_CASE("URL encoding round-trips GBK and UTF-8 on a long text") {
    std::string text;
    for (int i = 0; i < 20000; ++i) text += "中文 a/b.";
    for (bool utf8 : {false, true}) {
        TextVar encoded = UrlEncodeBytes(text.c_str(), utf8);
        TextVar decoded = UrlDecodeBytes(encoded, utf8);
        CHECK(std::string(decoded) == text);
    }
}
