#include <limits>
#include <string>

#include "runtime/library.h"
#include "test_support.h"

namespace {
struct NumeralCase {
    double number;
    bool simple;
    const char* expected;
};
}  // namespace

TEST_CASE("NumberToChinese writes numerals with up to two decimals") {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    NumeralCase cases[] = {
        {0, true, "零"},
        {-0.0, true, "零"},
        {0, false, "零"},
        {2, true, "二"},
        {8, true, "八"},
        {10, true, "一十"},
        {16, true, "一十六"},
        {20, true, "二十"},
        {101, true, "一百零一"},
        {1001, true, "一千零一"},
        {12.5, true, "一十二点五"},
        {12.5, false, "壹拾贰点伍"},
        {-0.5, true, "负零点五"},
        {0.05, true, "零点零五"},
        {1.05, true, "一点零五"},
        {1.5, true, "一点五"},
        {0.29, true, "零点二九"},     // 0.29 × 100 falls just short of 29
        {0.995, true, "一"},          // the hundredths round up into the integer part
        {9.999, true, "一十"},
        {1.004, true, "一"},
        {0.001, true, "零"},          // rounds to zero at two decimals
        {-0.001, true, "零"},
        {10000, true, "一万"},
        {100000, true, "一十万"},
        {100000, false, "壹拾万"},
        {10010000, true, "一千零一万"},
        {100000000, true, "一亿"},
        {100000001, true, "一亿零一"},
        {100010000, true, "一亿零一万"},
        {120000000, true, "一亿二千万"},
        {10000000000.0, true, "一百亿"},
        {100000000000.0, true, "一千亿"},
        {1000000000000.0, true, "一万亿"},
        {1200000000000.0, true, "一万二千亿"},
        {12345.67, true, "一万二千三百四十五点六七"},
        {-305.08, false, "负叁佰零伍点零捌"},
        {9999999999999.0, true, "九万九千九百九十九亿九千九百九十九万九千九百九十九"},
        {10000000000000.0, true, "溢出"},
        {-1e14, true, "溢出"},
        {nan, true, "溢出"},
        {std::numeric_limits<double>::infinity(), true, "溢出"},
    };
    LeakCheck leaks;
    for (const NumeralCase& c : cases) {
        CAPTURE(c.number);
        CAPTURE(c.simple);
        CHECK(Hex(NumberToChinese(c.number, c.simple).c_str()) == Hex(c.expected));
    }
    CHECK(leaks.leaked() == 0);
}

TEST_CASE("NumberToAmount writes yuan, jiao and fen") {
    NumeralCase cases[] = {
        {1.05, false, "壹元零伍分"},
        {1.5, false, "壹元伍角整"},
        {10, false, "壹拾元整"},
        {0.05, false, "伍分"},
        {-1.05, false, "负壹元零伍分"},
        {0, false, "零"},
        {0, true, "零"},
        {0.001, false, "零"},
        {0.5, false, "伍角整"},
        {1.05, true, "一元零五分"},
        {1.15, false, "壹元壹角伍分"},  // 1.15 × 100 falls just short of 115
        {0.29, false, "贰角玖分"},
        {0.995, false, "壹元整"},
        {100.05, false, "壹佰元零伍分"},
        {10.5, false, "壹拾元零伍角整"},
        {10000.5, false, "壹万元零伍角整"},
        {100000, false, "壹拾万元整"},
        {1000000.5, false, "壹佰万元零伍角整"},
        {100000000, false, "壹亿元整"},
        {10000000000.0, false, "壹佰亿元整"},
        {123456789.12, false, "壹亿贰仟叁佰肆拾伍万陆仟柒佰捌拾玖元壹角贰分"},
        {9999999999999.0, false, "玖万玖仟玖佰玖拾玖亿玖仟玖佰玖拾玖万玖仟玖佰玖拾玖元整"},
        {9999999999999.99, false, "玖万玖仟玖佰玖拾玖亿玖仟玖佰玖拾玖万玖仟玖佰玖拾玖元玖角玖分"},
        {10000000000000.0, false, "溢出"},
        {-1e20, false, "溢出"},
        {std::numeric_limits<double>::quiet_NaN(), false, "溢出"},
    };
    LeakCheck leaks;
    for (const NumeralCase& c : cases) {
        CAPTURE(c.number);
        CAPTURE(c.simple);
        CHECK(Hex(NumberToAmount(c.number, c.simple).c_str()) == Hex(c.expected));
    }
    CHECK(leaks.leaked() == 0);
}
