#include <windows.h>

#include <string>

#include "engine/base_calculator.h"
#include "test_support.h"

namespace {
std::string Lines(const std::string& r2, const std::string& r8, const std::string& r10, const std::string& r16) {
    return "二进制结果为：" + r2 + "\r\n\r\n八进制结果为：" + r8 + "\r\n\r\n十进制结果为：" + r10 +
           "\r\n\r\n十六进制结果：" + r16;
}
const std::string kRange = "\r\n转换失败：数值超出容纳范围";
const std::string kSign = "\r\n转换失败：不支持转换负数以及小数";
std::string Invalid(const std::string& value, const std::string& name) {
    return "\r\n转换失败：“" + value + "”不是一个有效的" + name + "进制数！";
}
const std::string kMaxBinary(63, '1');
const std::string kMaxLines = Lines(kMaxBinary, "777777777777777777777", "9223372036854775807", "7FFFFFFFFFFFFFFF");
}  // namespace

TEST_CASE("the base calculator writes the whole result layout") {
    TextVar out;
    REQUIRE(RunBaseCalculator("ff", 16, out));
    CHECK(Hex(out.c_str()) == Hex("二进制结果为：11111111\r\n\r\n八进制结果为：377\r\n\r\n"
                                  "十进制结果为：255\r\n\r\n十六进制结果：FF"));
}

TEST_CASE("the base calculator converts, checks and reports") {
    struct Case {
        const char* input;
        int base;
        std::string expected;
    };
    const Case cases[] = {
        {"ff", 16, Lines("11111111", "377", "255", "FF")},
        {"255", 10, Lines("11111111", "377", "255", "FF")},
        {"377", 8, Lines("11111111", "377", "255", "FF")},
        {"0010", 2, Lines("0010", "2", "2", "2")},
        {"0", 16, Lines("0", "0", "0", "0")},
        {"1", 2, Lines("1", "1", "1", "1")},
        {"7", 8, Lines("111", "7", "7", "7")},
        {"8", 10, Lines("1000", "10", "8", "8")},
        {"10", 16, Lines("10000", "20", "16", "10")},
        {"1 0 1", 2, Lines("101", "5", "5", "5")},
        {"   ", 10, Lines("0", "0", "", "0")},
        {"\xA1\xA1", 16, Lines("0", "0", "0", "")},
        {"１２", 10, Lines("1100", "14", "12", "C")},       // full-width digits
        {"ａＢ", 16, Lines("10101011", "253", "171", "AB")},  // full-width letters, any case
        {"-5", 10, kSign},
        {"1.5", 10, kSign},
        {"5-", 16, kSign},
        {"+5", 10, Invalid("+5", "十")},
        {"129", 8, Invalid("129", "八")},
        {"12 9", 8, Invalid("129", "八")},    // quoted without its spaces
        {"102", 2, Invalid("102", "二")},
        {"1g", 16, Invalid("1g", "十六")},
        {"A", 10, Invalid("A", "十")},
        {"１２Ｇ", 16, Invalid("１２Ｇ", "十六")},  // quoted as typed, not half-width
        {"－5", 10, Invalid("－5", "十")},          // full-width minus: caught as a digit
        {"中", 16, Invalid("中", "十六")},
        {"1\t0", 2, Invalid("1\t0", "二")},
        {"12", 0, "错误"},
        {"1234567890123456789012345", 0, "错误"},  // no base, no limit
        {"10000000000000000", 16, kRange},         // 17 digits: over the limit
        {"FFFFFFFFFFFFFFFF", 16, kRange},          // 2^64 - 1
        {"8000000000000000", 16, kRange},          // 2^63
        {"9223372036854775808", 10, kRange},
        {"9999999999999999999", 10, kRange},
        {"1000000000000000000000", 8, kRange},     // 22 digits
        {"1777777777777777777777", 8, kRange},
        {"20000000000000000000", 10, kRange},      // 20 digits
        {"7FFFFFFFFFFFFFFF", 16, kMaxLines},
        {"7fffffffffffffff", 16, Lines(kMaxBinary, "777777777777777777777", "9223372036854775807", "7FFFFFFFFFFFFFFF")},
        {"9223372036854775807", 10, kMaxLines},
        {"777777777777777777777", 8, kMaxLines},
        {"12345678901234567", 10,
         Lines("101011110111000101010001011101011010110100101110000111", "536705213532645607",
               "12345678901234567", "2BDC545D6B4B87")},
        {"9007199254740993", 10,  // 2^53 + 1
         Lines("100000000000000000000000000000000000000000000000000001", "400000000000000001",
               "9007199254740993", "20000000000001")},
        {"4000000000000001", 16,
         Lines("100000000000000000000000000000000000000000000000000000000000001", "400000000000000000001",
               "4611686018427387905", "4000000000000001")},
    };
    for (const Case& c : cases) {
        CAPTURE(c.input);
        CAPTURE(c.base);
        TextVar out;
        REQUIRE(RunBaseCalculator(c.input, c.base, out));
        CHECK(Hex(out.c_str()) == Hex(c.expected));
    }
}

TEST_CASE("the length limit counts the raw bytes, spaces included") {
    struct Case {
        std::string input;
        int base;
        bool inRange;
    };
    const Case cases[] = {
        {kMaxBinary, 2, true},
        {std::string(64, '0'), 2, false},
        {std::string(62, '0') + " 1", 2, false},  // 64 bytes with its space
        {std::string(21, '0'), 8, true},
        {std::string(22, '0'), 8, false},
        {std::string(19, '0'), 10, true},
        {std::string(20, '0'), 10, false},
        {"１２３４５６７８９１", 10, false},        // ten full-width digits are 20 bytes
        {"１２３４５６７８９", 10, true},           // nine are 18
        {std::string(16, '0'), 16, true},
        {std::string(17, '0'), 16, false},
        {std::string(15, '0') + " ", 16, true},
        {std::string(16, '0') + " ", 16, false},
    };
    for (const Case& c : cases) {
        CAPTURE(c.input);
        CAPTURE(c.base);
        TextVar out;
        REQUIRE(RunBaseCalculator(c.input.c_str(), c.base, out));
        CHECK((std::string(out.c_str()) != kRange) == c.inRange);
    }
}

TEST_CASE("an empty input leaves the output box as it is") {
    TextVar out;
    CHECK_FALSE(RunBaseCalculator("", 16, out));
    CHECK_FALSE(RunBaseCalculator("", 0, out));
    CHECK(out.empty());
}

TEST_CASE("ConvertBase converts one number and shares its error text") {
    struct Case {
        const char* value;
        int from, to;
        std::string result;
        std::string error;
    };
    const Case cases[] = {
        {"ff", 16, 16, "FF", ""},
        {"00ff", 16, 2, "11111111", ""},
        {"0000", 10, 16, "0", ""},
        {"", 2, 10, "0", ""},
        {"", 2, 2, "", ""},
        {"15", 10, 16, "F", ""},
        {"16", 10, 16, "10", ""},
        {"31", 10, 2, "11111", ""},
        {"4294967296", 10, 16, "100000000", ""},  // crosses the 32-bit boundary
        {"4294967295", 10, 8, "37777777777", ""},
        {"FFFFFFFFFFFFF", 16, 10, "4503599627370495", ""},
        {"-1", 10, 2, "", kSign},
        {"x", 16, 2, "", Invalid("x", "十六")},
        {"9", 8, 8, "", Invalid("9", "八")},      // same base is still checked
        {"FFFFFFFFFFFFFFFF", 16, 10, "", kRange},
    };
    for (const Case& c : cases) {
        CAPTURE(c.value);
        CAPTURE(c.from);
        CAPTURE(c.to);
        TextVar error;
        TextVar result = ConvertBase(c.value, c.from, c.to, error);
        CHECK(Hex(result.c_str()) == Hex(c.result));
        CHECK(Hex(error.c_str()) == Hex(c.error));
    }

    TextVar error = JoinTexts({"earlier"});
    TextVar result = ConvertBase("12", 10, 2, error);
    CHECK(std::string(result.c_str()) == "1100");
    CHECK(std::string(error.c_str()) == "earlier");
    result = ConvertBase("12", 2, 10, error);  // a later failure overwrites
    CHECK(result.empty());
    CHECK(Hex(error.c_str()) == Hex(Invalid("12", "二")));
}

TEST_CASE("a megabyte of digits is judged quickly") {
    std::string ones(1 << 20, '1');
    std::string bad = ones + "Z";
    DWORD start = GetTickCount();
    TextVar range = FormatAllBases(ones.c_str(), 2);
    TextVar invalid = FormatAllBases(bad.c_str(), 16);
    DWORD elapsed = GetTickCount() - start;
    CHECK(Hex(range.c_str()) == Hex(kRange));
    CHECK(std::string(invalid.c_str()) == Invalid(bad, "十六"));
    CHECK(elapsed < 2000);
}

TEST_CASE("the calculator leaves no heap blocks behind") {
    LeakCheck leaks;
    {
        const char* inputs[] = {"ff", "zz", "-1", "FFFFFFFFFFFFFFFF", "10000000000000000", "   ", "7FFFFFFFFFFFFFFF"};
        for (const char* input : inputs) {
            for (int base : {0, 2, 8, 10, 16}) {
                TextVar out;
                RunBaseCalculator(input, base, out);
            }
        }
        TextVar error;
        TextVar r = ConvertBase("123", 10, 16, error);
        r = ConvertBase("12a", 10, 16, error);
    }
    CHECK(leaks.leaked() == 0);
}
