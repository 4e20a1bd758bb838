#include <string>

#include "engine/char_refs.h"
#include "runtime/library.h"
#include "test_support.h"


TEST_CASE("TextToCharRefs writes each UTF-16 unit as &# and its decimal value") {
    const TextRow rows[] = {
        {"A我", "&#65&#25105"},
        {"我爱", "&#25105&#29233"},
        {"", ""},
        {"   ", ""},
        {"\xA1\xA1 \xA1\xA1", ""},        // full-width spaces only
        {" A", "&#32&#65"},               // the trim only decides emptiness
        {"A ", "&#65&#32"},
        {"a\r\n", "&#97&#13&#10"},
        {"a\x80", "&#97&#8364"},          // the euro sign of code page 936
        {"\x80", ""},                     // the trim drops a lone lead byte: empty
        {"\xA3\xE1", "&#65345"},          // full-width a, above 32767
        {"\xA4\xA2", "&#12354"},          // hiragana a
    };
    for (const TextRow& row : rows) {
        CAPTURE(Hex(row.input));
        CHECK(S(TextToCharRefs(row.input)) == row.expected);
    }
}

TEST_CASE("CharRefsToText reads references with or without semicolons") {
    const TextRow rows[] = {
        {"&#25105&#29233", "我爱"},
        {"&#25105;&#29233;", "我爱"},
        {"&#65&#25105", "A我"},
        {"x&#65", "A"},                   // what precedes the first &# is dropped
        {"65", ""},                       // no &#: the only part is dropped
        {"", ""},
        {"&#65&#abc&#66", "A"},           // a part without digits is a zero unit: the end
        {"&#0&#65", ""},
        {"&#;", ""},
        {"&#1114177", "A"},               // beyond U+10FFFF: low 16 bits
        {"&#-191", "\xA3\xE1"},           // -191 is the unit 0xFF41, full-width a
        {"&#65345", "\xA3\xE1"},
        {"&#\xA3\xB6\xA3\xB5", "A"},      // full-width digits 6 5
        {"&#65&#", "A"},                  // a trailing &# adds no part
        {"&#65 &#66 ", "AB"},
        {"&#9731", "?"},                  // no GBK form: the default character
        {"&#6\xA3\xB5", "A"},             // an ASCII digit, then a full-width one: 65
        {"&#65\xD6\xD0&#66", "AB"},       // digits, then a Chinese character
        {"&#000000065&#0000000066", "AB"},  // nine digits, and ten
    };
    for (const TextRow& row : rows) {
        CAPTURE(row.input);
        CHECK(Hex(S(CharRefsToText(row.input))) == Hex(row.expected));
    }
}

TEST_CASE("character references round-trip long mixed text") {
    std::string text;
    for (int i = 0; i < 20000; ++i) text += (i % 3 == 0) ? "中文" : (i % 3 == 1 ? "a" : "\xA3\xE1");
    LeakCheck leaks;
    {
        TextVar refs = TextToCharRefs(text.c_str());
        CHECK(std::string(refs.c_str()).compare(0, 16, "&#20013&#25991&#") == 0);
        CHECK(S(CharRefsToText(refs)) == text);
    }
    CHECK(leaks.leaked() == 0);
}

TEST_CASE("every unit value is written in decimal, an odd last byte as a unit of its own") {
    std::wstring units;
    std::string expected;
    for (uint32_t u = 1; u <= 0xFFFF; ++u) {
        units += static_cast<wchar_t>(u);
        expected += "&#" + std::to_string(u);
    }
    ByteSetVar bytes = U(units);
    CHECK(S(UnitsToCharRefs(bytes)) == expected);
    ByteSetVar odd = ByteSetLeft(U(L"AB"), 3);
    CHECK(S(UnitsToCharRefs(odd)) == "&#65&#66");
}
