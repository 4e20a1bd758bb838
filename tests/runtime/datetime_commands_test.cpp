#include <windows.h>

#include <climits>
#include <cmath>
#include <string>

#include "runtime/call_command.h"
#include "runtime/commands_convert.h"
#include "runtime/library.h"
#include "test_support.h"

namespace {
std::string DateText(double t, int32_t form = kOmit) { return DateTimeToText(t, form).c_str(); }
enum { kYear = 1, kQuarter, kMonth, kWeek, kDay, kHour, kMinute, kSecond };
}  // namespace

TEST_CASE("MakeDateTime counts days from 1899-12-30 and normalises its fields") {
    struct Case {
        int32_t y, mo, d, h, mi, s;
        double expected;
    } cases[] = {
        {1899, 12, 30, 0, 0, 0, 0},
        {1899, 12, 29, 6, 0, 0, -1.25},  // before the epoch the time still counts forward
        {1899, 12, 29, 18, 0, 0, -1.75},
        {1899, 12, 31, 12, 0, 0, 1.5},
        {1900, 1, 1, 0, 0, 0, 2},
        {1970, 1, 1, 0, 0, 0, 25569},
        {2020, 7, 28, 0, 0, 0, 44040},
        {2020, 7, 28, 12, 0, 0, 44040.5},
        {100, 1, 1, 0, 0, 0, -657434},
        {9999, 12, 31, 0, 0, 0, 2958465},
        {9999, 12, 31, 23, 59, 59, 2958465},
        {100, 1, 1, 12, 0, 0, -657434},  // the first day's times lie below -657434.0
        {2021, 2, 31, 0, 0, 0, 44255},      // the day is clamped to February's 28
        {2020, 2, 31, 0, 0, 0, 44255 - 365},  // 29 in a leap year
        {50, 13, 0, 0, 0, 0, -657434 + 334},  // year 100, December, day 1
        {2020, 7, 28, 25, 61, -1, 44040 + 23.0 / 24 + 59.0 / 1440},
    };
    for (const Case& c : cases) {
        CAPTURE(c.y);
        CAPTURE(c.mo);
        CAPTURE(c.d);
        CHECK(MakeDateTime(c.y, c.mo, c.d, c.h, c.mi, c.s) == doctest::Approx(c.expected).epsilon(1e-13));
    }
    CHECK(MakeDateTime(2020) == 43831);  // 2020-01-01
    CHECK(MakeDateTime(1970, 1, 1, 8) == doctest::Approx(25569 + 1.0 / 3).epsilon(1e-15));
    ArgRecord none[1] = {OmittedArg()};
    CHECK(RecordDouble(CallCommand(cmd::MakeDateTime, 0, none)) == kMinDateTime);
    CHECK(CallCommand(cmd::MakeDateTime, 0, none).type == kDateTime);
}

TEST_CASE("DateTimeToText writes the date and the significant part of the time") {
    double day = 44040;  // 2020-07-28
    struct Case {
        double t;
        int32_t form;
        const char* expected;
    } cases[] = {
        {day, kOmit, "2020年7月28日"},
        {day + 0.5, kOmit, "2020年7月28日12时"},
        {day + 0.5 + 5.0 / 1440, kOmit, "2020年7月28日12时5分"},
        {day + 0.5 + 5.0 / 86400, kOmit, "2020年7月28日12时0分5秒"},
        {day + 5.0 / 1440, kOmit, "2020年7月28日0时5分"},
        {day + 0.5 + 5.0 / 1440 + 3.0 / 86400, 1, "2020年7月28日12时5分3秒"},
        {day + 0.5 + 5.0 / 1440 + 3.0 / 86400, 2, "2020年7月28日"},
        {day + 0.5 + 5.0 / 1440 + 3.0 / 86400, 3, "12时5分3秒"},
        {day, 3, "0时0分0秒"},
        {day + 0.5, 0, "2020年7月28日12时"},  // forms outside 1..3 are clamped
        {day + 0.5, 9, "12时0分0秒"},
        {day + 0.9999999, kOmit, "2020年7月29日"},  // to the nearest second
        {day + 0.4999999, kOmit, "2020年7月28日12时"},
        {-1.25, kOmit, "1899年12月29日6时"},
        {-0.25, kOmit, "1899年12月30日6时"},
        {-657433.5, kOmit, "100年1月2日12时"},
        {3000000.0, kOmit, "9999年12月31日"},
        {-700000.0, kOmit, "100年1月1日"},
        {std::nan(""), kOmit, "100年1月1日"},  // below every range as far as the clamp goes
        {25569 + 1.0 / 3, kOmit, "1970年1月1日8时"},
    };
    for (const Case& c : cases) {
        CAPTURE(c.t);
        CAPTURE(c.form);
        CHECK(Hex(DateText(c.t, c.form)) == Hex(c.expected));
    }
    ArgRecord dt = DateTimeArg(day + 0.5);
    TextVar viaToText(reinterpret_cast<Text>(CallCommand(cmd::ToText, 1, &dt).value));
    CHECK(std::string(viaToText.c_str()) == "2020年7月28日12时");
}

TEST_CASE("AddToDateTime moves a date-time by calendar and clock parts") {
    double base = MakeDateTime(1970, 1, 1, 8);
    struct Case {
        double t;
        int32_t part, amount;
        double expected;
    } cases[] = {
        {MakeDateTime(2020, 1, 31), kMonth, 1, MakeDateTime(2020, 2, 29)},
        {MakeDateTime(2020, 2, 29), kYear, 1, MakeDateTime(2021, 2, 28)},
        {MakeDateTime(2020, 2, 29), kYear, -1, MakeDateTime(2019, 2, 28)},
        {MakeDateTime(2020, 2, 29, 13, 14, 15), kYear, 4, MakeDateTime(2024, 2, 29, 13, 14, 15)},
        {MakeDateTime(2020, 11, 30), kQuarter, 1, MakeDateTime(2021, 2, 28)},
        {MakeDateTime(2020, 3, 31), kMonth, -13, MakeDateTime(2019, 2, 28)},
        {MakeDateTime(2020, 1, 15), kMonth, -1, MakeDateTime(2019, 12, 15)},
        {MakeDateTime(2020, 1, 15), kMonth, -12, MakeDateTime(2019, 1, 15)},
        {MakeDateTime(2020, 1, 15), kMonth, 24, MakeDateTime(2022, 1, 15)},
        {MakeDateTime(2020, 12, 15), kMonth, 1, MakeDateTime(2021, 1, 15)},
        {MakeDateTime(2020, 7, 28), kWeek, 1, MakeDateTime(2020, 8, 4)},
        {MakeDateTime(2020, 7, 28), kDay, -1, MakeDateTime(2020, 7, 27)},
        {MakeDateTime(2020, 7, 28), kHour, 36, MakeDateTime(2020, 7, 29, 12)},
        {MakeDateTime(2020, 7, 28), kMinute, -1, MakeDateTime(2020, 7, 27, 23, 59)},
        {MakeDateTime(2020, 7, 28), kSecond, 1, MakeDateTime(2020, 7, 28, 0, 0, 1)},
        {base, kSecond, 1595894400, MakeDateTime(2020, 7, 28, 8)},
        {base, kSecond, -1294967296, MakeDateTime(1928, 12, 19, 6, 51, 44)},
        {base, kSecond, -28800, MakeDateTime(1970, 1, 1)},
        // Before the epoch: the fraction is the time of day counted forward.
        {0, kHour, -18, -1.25},
        {-1.25, kDay, 1, 0.25},
        {-1.25, kHour, 12, -1.75},
        {-1.75, kHour, 6, 0},
        {-1.75, kMinute, -1, MakeDateTime(1899, 12, 29, 17, 59)},
        {MakeDateTime(100, 1, 2, 12), kYear, 1, MakeDateTime(101, 1, 2, 12)},
        {MakeDateTime(100, 1, 2, 12), kHour, -12, MakeDateTime(100, 1, 2)},
        {MakeDateTime(1800, 3, 1, 6), kDay, -1, MakeDateTime(1800, 2, 28, 6)},
        // Out of range results stay in range.
        {MakeDateTime(9999, 12, 31), kDay, 1, kMaxDateTime},
        {MakeDateTime(100, 1, 1), kSecond, -1, kMinDateTime},
        {MakeDateTime(2020, 1, 1), kYear, 100000, MakeDateTime(9999, 1, 1)},
        {MakeDateTime(2020, 1, 1), kMonth, INT32_MAX, MakeDateTime(9999, 8, 1)},
        {MakeDateTime(2020, 1, 1), kMonth, INT32_MIN, MakeDateTime(100, 5, 1)},
        {MakeDateTime(2020, 1, 1), kWeek, INT32_MAX, kMaxDateTime},
        // Parts outside 1..8 are clamped.
        {MakeDateTime(2020, 1, 1), 0, 1, MakeDateTime(2021, 1, 1)},
        {MakeDateTime(2020, 1, 1), 99, 1, MakeDateTime(2020, 1, 1, 0, 0, 1)},
    };
    for (const Case& c : cases) {
        CAPTURE(c.t);
        CAPTURE(c.part);
        CAPTURE(c.amount);
        double r = AddToDateTime(c.t, c.part, c.amount);
        CHECK(r == doctest::Approx(c.expected).epsilon(1e-13));
        CHECK(DateText(r) == DateText(c.expected));
    }
    // Amount 0 returns the value itself, only clamped.
    CHECK(AddToDateTime(44040.123456789, kDay, 0) == 44040.123456789);
    CHECK(AddToDateTime(3000000.0, kMonth, 0) == kMaxDateTime);
    CHECK(AddToDateTime(std::nan(""), kDay, 0) == kMinDateTime);
    CHECK(AddToDateTime(std::nan(""), kDay, 1) == kMinDateTime + 1);
}

TEST_CASE("DateTimeDiff counts the parts between two date-times") {
    double base = MakeDateTime(1970, 1, 1, 8);
    struct Case {
        double t1, t2;
        int32_t part;
        double expected;
    } cases[] = {
        {MakeDateTime(2021, 3, 1), MakeDateTime(2020, 12, 31), kYear, 1},
        {MakeDateTime(2021, 3, 1), MakeDateTime(2020, 12, 31), kQuarter, 1},
        {MakeDateTime(2021, 3, 1), MakeDateTime(2020, 12, 31), kMonth, 3},
        {MakeDateTime(2021, 3, 1), MakeDateTime(2020, 12, 31), kDay, 60},
        {MakeDateTime(2021, 3, 1), MakeDateTime(2020, 12, 31), kWeek, 9},  // Monday after Thursday
        {MakeDateTime(2020, 12, 31), MakeDateTime(2021, 3, 1), kWeek, -9},
        {MakeDateTime(2020, 12, 31), MakeDateTime(2021, 3, 1), kQuarter, -1},
        {MakeDateTime(2020, 12, 31), MakeDateTime(2021, 3, 1), kMonth, -3},
        {MakeDateTime(2020, 8, 9), MakeDateTime(2020, 8, 8), kWeek, 1},  // Sunday after Saturday
        {MakeDateTime(2020, 8, 8), MakeDateTime(2020, 8, 9), kWeek, -1},
        {MakeDateTime(2020, 8, 3), MakeDateTime(2020, 8, 2), kWeek, 0},  // Monday after Sunday
        {MakeDateTime(2020, 8, 16), MakeDateTime(2020, 8, 2), kWeek, 2},
        {MakeDateTime(2020, 7, 28, 12), MakeDateTime(2020, 7, 28), kDay, 0.5},
        {MakeDateTime(2020, 7, 28, 13), MakeDateTime(2020, 7, 28, 12), kHour, 1},
        {MakeDateTime(2020, 7, 28, 12), MakeDateTime(2020, 7, 28, 13), kHour, -1},
        {MakeDateTime(2020, 7, 28, 12, 59, 59), MakeDateTime(2020, 7, 28, 12), kHour, 0},
        {MakeDateTime(2020, 7, 28, 12, 5), MakeDateTime(2020, 7, 28, 12), kMinute, 5},
        {MakeDateTime(2020, 7, 28, 12), MakeDateTime(2020, 7, 28, 12, 5), kMinute, -5},
        {MakeDateTime(2020, 7, 28, 8), base, kSecond, 1595894400},
        {base, MakeDateTime(2020, 7, 28, 8), kSecond, -1595894400},
        {MakeDateTime(100, 1, 1), base, kSecond, -59011488000.0},
        {MakeDateTime(9999, 12, 31), MakeDateTime(100, 1, 1), kSecond, 312413673600.0},
        {-1.25, 0, kHour, -18},
        {-1.25, 0, kDay, -0.75},
        {-1.75, -1.25, kHour, 12},
        {-1.75, -1.25, kMinute, 720},
        {MakeDateTime(1899, 12, 31), -1.25, kYear, 0},
        {MakeDateTime(1900, 1, 1), -1.25, kYear, 1},
        // Parts outside 1..8 are clamped.
        {MakeDateTime(2021, 3, 1), MakeDateTime(2020, 12, 31), -5, 1},
        {MakeDateTime(2020, 7, 28, 0, 0, 7), MakeDateTime(2020, 7, 28), 42, 7},
    };
    for (const Case& c : cases) {
        CAPTURE(c.t1);
        CAPTURE(c.t2);
        CAPTURE(c.part);
        CHECK(DateTimeDiff(c.t1, c.t2, c.part) == doctest::Approx(c.expected).epsilon(1e-12));
    }
    // Equal date-times give 0 in every part; so do values equal after the range clamp.
    for (int32_t part = 0; part <= 9; ++part) {
        CAPTURE(part);
        CHECK(DateTimeDiff(44040.3, 44040.3, part) == 0);
        CHECK(DateTimeDiff(3000000.0, kMaxDateTime, part) == 0);
    }
    ArgRecord r[3] = {DateTimeArg(44041), DateTimeArg(44040), IntArg(kHour)};
    ArgRecord d = CallCommand(cmd::DateTimeDiff, 3, r);
    CHECK(d.type == kDouble);
    CHECK(RecordDouble(d) == 24);
}

TEST_CASE("Now reads the local clock in whole seconds") {
    SYSTEMTIME before, after;
    GetLocalTime(&before);
    double now = Now();
    GetLocalTime(&after);
    double lo = MakeDateTime(before.wYear, before.wMonth, before.wDay, before.wHour, before.wMinute, before.wSecond);
    double hi = MakeDateTime(after.wYear, after.wMonth, after.wDay, after.wHour, after.wMinute, after.wSecond);
    CHECK(now >= lo);
    CHECK(now <= hi);
    double seconds = (now - std::floor(now)) * 86400;
    CHECK(std::fabs(seconds - std::round(seconds)) < 1e-4);
    ArgRecord none[1] = {OmittedArg()};
    CHECK(CallCommand(cmd::Now, 0, none).type == kDateTime);
}
