#include <windows.h>

#include <string>

#include "engine/case_amount.h"
#include "engine/gbk_runs.h"
#include "test_support.h"

namespace {
struct CaseRow {
    const char* input;
    const char* expected;
};


// What a GBK system's CharUpperA / CharLowerA makes of one double-byte character, where the
// result is again one double-byte character; the character itself otherwise.
std::string GbkSystemCase(const std::string& ch, bool upper) {
    WCHAR w[4] = {0};
    if (MultiByteToWideChar(936, 0, ch.data(), 2, w, 4) != 1) return ch;
    if (upper) CharUpperBuffW(w, 1);
    else CharLowerBuffW(w, 1);
    char out[8] = {0};
    int n = WideCharToMultiByte(936, 0, w, 1, out, 8, nullptr, nullptr);
    if (n != 2 || !IsGbkLeadByte(static_cast<uint8_t>(out[0]))) return ch;
    return std::string(out, 2);
}
}  // namespace

TEST_CASE("UpperCase raises letters and never touches the bytes of other characters") {
    const CaseRow rows[] = {
        {"abc中文def", "ABC中文DEF"},
        {"", ""},
        {"already UPPER 123!", "ALREADY UPPER 123!"},
        {"\xC7\xEB", "\xC7\xEB"},                 // 请: EB is a letter in code page 1252
        {"a\xC7\xEBz", "A\xC7\xEBZ"},
        {"\xD6\xD0" "a\xB9\xFA" "b", "\xD6\xD0" "A\xB9\xFA" "B"},
        {"\xA3\xE1\xA3\xFA", "\xA3\xC1\xA3\xDA"}, // full-width a z
        {"\xA6\xC1\xA6\xD8", "\xA6\xA1\xA6\xB8"}, // Greek alpha omega
        {"\xA7\xD1\xA7\xD7", "\xA7\xA1\xA7\xA7"}, // Cyrillic a, yo
        {"\xA2\xA1", "\xA2\xF1"},                 // small Roman numeral one
        {"\xA8\xA1", "\xA8\xA1"},                 // pinyin a-macron: GBK has no capital
        {"\x80" "a", "\x80" "A"},                 // a stray single byte stays
        {"a\xB0", "A\xB0"},                       // a lone lead byte at the end stays
        {"\x81\x30" "a", "\x81\x30" "A"},         // a lead byte without a trail byte stays
        {"x\r\ny\t", "X\r\nY\t"},
    };
    for (const CaseRow& row : rows) {
        CAPTURE(Hex(row.input));
        CHECK(Hex(S(UpperCase(row.input))) == Hex(row.expected));
    }
}

TEST_CASE("LowerCase lowers letters and never touches the bytes of other characters") {
    const CaseRow rows[] = {
        {"ABC", "abc"},
        {"", ""},
        {"ABC中文DEF", "abc中文def"},
        {"\xC7\xEB" "A", "\xC7\xEB" "a"},         // 请: C7 is a capital letter in code page 1252
        {"\xA3\xC1\xA3\xDA", "\xA3\xE1\xA3\xFA"}, // full-width A Z
        {"\xA6\xA1", "\xA6\xC1"},                 // Greek Alpha
        {"\xA7\xA7", "\xA7\xD7"},                 // Cyrillic Yo
        {"\xA2\xF1", "\xA2\xA1"},                 // Roman numeral One
        {"\xA2\xFB" "A", "\xA2\xFB" "a"},         // Roman numeral Eleven: GBK has no small form
        {"\x81\x40" "Z", "\x81\x40" "z"},
    };
    for (const CaseRow& row : rows) {
        CAPTURE(Hex(row.input));
        CHECK(Hex(S(LowerCase(row.input))) == Hex(row.expected));
    }
}

TEST_CASE("a long run of Chinese text keeps its odd characters where they are") {
    // Roman numeral Eleven has no small form in GBK: the run's one mapping call would
    // shorten it, so the run is mapped in parts around it.
    std::string upper, lower;
    for (int i = 0; i < 1500; ++i) {
        bool odd = i == 0 || i == 700 || i == 1499;
        upper += odd ? "\xA2\xFB" : "\xA3\xC1\xD6\xD0";  // else full-width A and 中
        lower += odd ? "\xA2\xFB" : "\xA3\xE1\xD6\xD0";
    }
    CHECK(S(LowerCase(upper.c_str())) == lower);
    CHECK(S(UpperCase(lower.c_str())) == upper);
}

TEST_CASE("every GBK character changes case as on a GBK system, whatever the locale") {
    int changed = 0;
    std::string all;
    for (int lead = 0x81; lead <= 0xFE; ++lead)
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) continue;
            all += static_cast<char>(lead);
            all += static_cast<char>(trail);
        }
    std::string upper = S(UpperCase(all.c_str()));
    std::string lower = S(LowerCase(all.c_str()));
    REQUIRE(upper.size() == all.size());
    REQUIRE(lower.size() == all.size());
    for (size_t i = 0; i < all.size(); i += 2) {
        std::string ch = all.substr(i, 2);
        CAPTURE(Hex(ch));
        CHECK(upper.substr(i, 2) == GbkSystemCase(ch, true));
        CHECK(lower.substr(i, 2) == GbkSystemCase(ch, false));
        if (upper.substr(i, 2) != ch) ++changed;
    }
    // Full-width letters, Greek, Cyrillic and the Roman numerals.
    CHECK(changed == 26 + 24 + 33 + 10);
}

TEST_CASE("IsAllDigits accepts only ASCII digits") {
    struct TextRow {
        const char* input;
        bool expected;
    };
    const TextRow rows[] = {
        {"0", true},      {"007", true},  {"1234567890", true}, {"", false},
        {"12.5", false},  {"-3", false},  {"+3", false},        {"1 2", false},
        {" 1", false},    {"12a", false}, {"\xA3\xB1\xA3\xB2", false}, // full-width 1 2
        {"1中", false},   {"/", false},   {":", false},
    };
    for (const TextRow& row : rows) {
        CAPTURE(Hex(row.input));
        CHECK(IsAllDigits(row.input) == row.expected);
    }
}

// Checking 400 KB of digits took seconds when each character's code was asked for by position.
TEST_CASE("IsAllDigits is linear in the text's length" * doctest::timeout(1)) {
    std::string digits(400 * 1024, '7');
    CHECK(IsAllDigits(digits.c_str()));
    CHECK(!IsAllDigits((digits + "x").c_str()));
}

TEST_CASE("the letter-case radio boxes write their results and prompts") {
    typedef TextVar (*Report)(const char*);
    struct TextRow {
        Report report;
        const char* input;
        const char* expected;
    };
    const TextRow rows[] = {
        {ToUpperCaseReport, "", "提示：被转内容为空，你让我拿什么去转呢？"},
        {ToUpperCaseReport, "abc中文def", "ABC中文DEF"},
        {ToUpperCaseReport, " ", " "},
        {ToLowerCaseReport, "", ""},
        {ToLowerCaseReport, "ABC", "abc"},
        {DigitsToAmountReport, "0", "零"},
        {DigitsToAmountReport, "007", "柒元整"},
        {DigitsToAmountReport, "7", "柒元整"},
        {DigitsToAmountReport, "123", "壹佰贰拾叁元整"},
        {DigitsToAmountReport, "10", "壹拾元整"},
        {DigitsToAmountReport, "9999999999999", "玖万玖仟玖佰玖拾玖亿玖仟玖佰玖拾玖万玖仟玖佰玖拾玖元整"},
        {DigitsToAmountReport, "10000000000000", "溢出"},
        {DigitsToAmountReport, "", "提示：耍我呢？必须要全是数字！！！"},
        {DigitsToAmountReport, "12.5", "提示：耍我呢？必须要全是数字！！！"},
        {DigitsToAmountReport, "-3", "提示：耍我呢？必须要全是数字！！！"},
        {DigitsToAmountReport, "1 2", "提示：耍我呢？必须要全是数字！！！"},
        {DigitsToAmountReport, "\xA3\xB1\xA3\xB2", "提示：耍我呢？必须要全是数字！！！"},
    };
    for (const TextRow& row : rows) {
        CAPTURE(Hex(row.input));
        CHECK(S(row.report(row.input)) == row.expected);
    }
    CHECK(Hex(kEmptyInputPrompt) == Hex("提示：被转内容为空，你让我拿什么去转呢？"));
}

TEST_CASE("case conversions leave no blocks behind") {
    LeakCheck leaks;
    {
        TextVar a = UpperCase("mixed 中文 \xA3\xE1 text\xA2\xFB");
        TextVar b = LowerCase(a);
        TextVar c = DigitsToAmountReport("120");
        TextVar d = ToUpperCaseReport("");
    }
    CHECK(leaks.leaked() == 0);
}
