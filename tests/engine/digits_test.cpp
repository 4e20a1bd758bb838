#include <windows.h>

#include <new>
#include <string>

#include "engine/digits.h"
#include "engine/gbk_runs.h"
#include "runtime/memory.h"
#include "runtime/library.h"
#include "test_support.h"

namespace {
struct Case {
    std::string input;
    std::string expected;
};
typedef TextVar (*Routine)(const char*);

void RunTable(Routine routine, const Case* cases, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        CAPTURE(cases[i].input);
        TextVar out = routine(cases[i].input.c_str());
        CHECK(Hex(out.c_str()) == Hex(cases[i].expected));
    }
}
}  // namespace

TEST_CASE("text to binary digits, eight per byte, spaces kept") {
    const Case cases[] = {
        {"", ""},
        {"AB", "0100000101000010"},
        {"A B", "010000010010000001000010"},
        {"中", "1101011011010000"},
        {"\x01", "00000001"},
        {"\x80", "10000000"},
        {"\xFF\x7F", "1111111101111111"},
        {"\xA1\xA1", "1010000110100001"},  // a full-width space is two bytes like any other
    };
    RunTable(TextToBinaryDigits, cases, sizeof cases / sizeof *cases);
}

TEST_CASE("text to hexadecimal digits, spaces dropped first") {
    const Case cases[] = {
        {"", ""},
        {"   ", ""},
        {"\xA1\xA1", ""},
        {"A", "41"},
        {"AB", "41 42"},
        {"A B", "41 42"},
        {" A\xA1\xA1" "B ", "41 42"},
        {"中", "D6 D0"},
        {"\x0F\xF0\x01", "0F F0 01"},
        {"\t\r\n", "09 0D 0A"},
        {"\xFF\x01", "FF 01"},
        {"A\xFF", "41"},  // the space removal drops a lone lead byte at the end
    };
    RunTable(TextToHexDigits, cases, sizeof cases / sizeof *cases);
}

TEST_CASE("binary digits to text, padded in front, only 0 a zero bit") {
    const Case cases[] = {
        {"", ""},
        {"1000001", "A"},
        {"01000001", "A"},
        {"0100000101000010", "AB"},
        {"010000010000000001000010", "A"},  // a zero group ends the text
        {"0100 0001", ""},                  // nine bytes: the padding makes a zero group first
        {"00000000", ""},
        {"1", "\x01"},
        {"11111111", "\xFF"},
        {"2", "\x01"},
        {"01x00001", "a"},                  // any other byte is a one bit
        {"0 000000", "@"},
        {"1101011011010000", "中"},
        {"中", "\x03"},                      // six padding zeros, then two one bits
        {"0000000101000001", "\x01" "A"},
    };
    RunTable(BinaryDigitsToText, cases, sizeof cases / sizeof *cases);
}

TEST_CASE("hexadecimal digits to text, pairs of upper-case digits") {
    const Case cases[] = {
        {"", ""},
        {"4", ""},
        {"   ", ""},
        {"41", "A"},
        {"414", "A"},                 // the odd last digit is ignored
        {"41 42", "AB"},
        {"4\xA1\xA1" "142", "AB"},    // full-width spaces too, even inside a pair
        {"D6D0", "中"},
        {"D6 D0", "中"},
        {"6a", "^"},                  // a is no digit: 6 * 16 - 2
        {"a6", "\xE6"},               // -2 * 16 + 6, low eight bits
        {"ZZ", "\xDE"},
        {"410042", "A"},              // a zero byte ends the text
        {"00", ""},
        {"FF7F80", "\xFF\x7F\x80"},
    };
    RunTable(HexDigitsToText, cases, sizeof cases / sizeof *cases);
}

TEST_CASE("the digit reports write both results") {
    struct ReportCase {
        bool (*report)(const char*, TextVar&);
        std::string input;
        std::string expected;
    };
    const ReportCase cases[] = {
        {TextToDigitsReport, "AB", "文本转二进制结果为：0100000101000010\r\n\r\n文本转十六进制结果：41 42\r\n\r\n"},
        {TextToDigitsReport, "A B", "文本转二进制结果为：010000010010000001000010\r\n\r\n文本转十六进制结果：41 42\r\n\r\n"},
        {TextToDigitsReport, " ", "文本转二进制结果为：00100000\r\n\r\n文本转十六进制结果：\r\n\r\n"},
        {DigitsToTextReport, "4142", "二进制转文本结果为：\x0F\r\n\r\n十六进制转文本结果：AB"},
        {DigitsToTextReport, "0100000101000010", "二进制转文本结果为：AB\r\n\r\n十六进制转文本结果：\x01"},
        {DigitsToTextReport, "1101011011010000", "二进制转文本结果为：中\r\n\r\n十六进制转文本结果：\x11\x01\x01\x10\x11\x01"},
        {DigitsToTextReport, "D6 D0", "二进制转文本结果为：\x1E\r\n\r\n十六进制转文本结果：中"},
    };
    for (const ReportCase& c : cases) {
        CAPTURE(c.input);
        TextVar out;
        REQUIRE(c.report(c.input.c_str(), out));
        CHECK(Hex(out.c_str()) == Hex(c.expected));
    }
    TextVar out = JoinTexts({"kept"});
    CHECK_FALSE(TextToDigitsReport("", out));
    CHECK_FALSE(DigitsToTextReport("", out));
    CHECK(std::string(out.c_str()) == "kept");
}

TEST_CASE("digits round-trip every byte value") {
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    std::string noSpace;
    for (char c : all)
        if (c != ' ') noSpace += c;
    TextVar binary = TextToBinaryDigits(all.c_str());
    CHECK(TextVar(BinaryDigitsToText(binary)).c_str() == all);
    // Dropping spaces also drops the full-width space pair A1 A1, which this text lacks.
    TextVar hex = TextToHexDigits(all.c_str());
    CHECK(TextVar(HexDigitsToText(hex)).c_str() == noSpace);
}

TEST_CASE("a megabyte of text converts quickly") {
    std::string big(1 << 20, 'A');
    for (size_t i = 0; i < big.size(); i += 7) big[i] = static_cast<char>('a' + i % 26);
    DWORD start = GetTickCount();
    TextVar binary = TextToBinaryDigits(big.c_str());
    TextVar hex = TextToHexDigits(big.c_str());
    TextVar fromBinary = BinaryDigitsToText(binary);
    TextVar fromHex = HexDigitsToText(hex);
    DWORD elapsed = GetTickCount() - start;
    CHECK(std::string(fromBinary.c_str()) == big);
    CHECK(std::string(fromHex.c_str()) == big);
    CHECK(std::string(hex.c_str()).size() == 3 * big.size() - 1);
    CHECK(elapsed < 2000);  // repeated concatenation would take minutes
}

TEST_CASE("the digit routines leave no heap blocks behind") {
    LeakCheck leaks;
    {
        const char* inputs[] = {"", " ", "AB", "中", "0100 0001", "6a", "414"};
        for (const char* input : inputs) {
            TextVar a = TextToBinaryDigits(input), b = TextToHexDigits(input);
            TextVar c = BinaryDigitsToText(input), d = HexDigitsToText(input);
            TextVar out;
            TextToDigitsReport(input, out);
            DigitsToTextReport(input, out);
        }
    }
    CHECK(leaks.leaked() == 0);
}

TEST_CASE("hexadecimal digits are read as RemoveSpaces leaves them") {
    // Spaces, full-width spaces, other double-byte characters and a lone lead byte at the
    // end, in generated arrangements: reading past them must match reading the spaceless text.
    const char* const pieces[] = {" ", "\xA1\xA1", "4", "1", "a", "\xD6\xD0", "\xA1", "0"};
    for (unsigned seed = 1; seed <= 300; ++seed) {
        std::string text;
        unsigned x = seed;
        for (int k = 0; k < 2 + static_cast<int>(seed % 17); ++k) {
            x = x * 1103515245u + 12345u;
            text += pieces[(x >> 16) % 8];
        }
        CAPTURE(Hex(text));
        CHECK(Hex(HexDigitsToText(text.c_str()).c_str()) == Hex(HexDigitsToText(RemoveSpaces(text.c_str())).c_str()));
    }
}

TEST_CASE("a result too long for a text fails as an allocation does, taking nothing") {
    // Once such a request took 2 GB that was never given back, and from 4 GB on the length
    // wrapped round to a small block that was then overrun.
    const int64_t lengths[] = {int64_t(INT32_MAX) - 7, int64_t(1) << 31, int64_t(1) << 32, (int64_t(1) << 32) + 16, -1};
    CountBlockBytes();
    for (int64_t length : lengths) {
        CAPTURE(length);
        int64_t before = LiveBlockBytes();
        LeakCheck leaks;
        AllocationFailureThrows refused;
        CHECK_THROWS_AS(TextToFill(length), std::bad_alloc);
        CHECK(leaks.leaked() == 0);
        CHECK(LiveBlockBytes() == before);
    }
}
