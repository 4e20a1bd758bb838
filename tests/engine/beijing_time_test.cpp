#include <string>

#include "engine/beijing_time.h"
#include "test_support.h"


TEST_CASE("Beijing time to Unix seconds") {
    const TextRow rows[] = {
        {"2020-7-28 8:00:00", "1595894400"},
        {"2020年7月28日12时5分3秒", "1595909103"},
        {"1970-1-1 8:00:00", "0"},
        {"1970-01-01", "-28800"},
        {"2038-1-19 11:14:08", "2147483648"},
        {"\xA3\xB2\xA3\xB0\xA3\xB2\xA3\xB0-7-28 8:00", "1595894400"},  // full-width 2020
        {"", "-59011488000"},                                      // 100-01-01 00:00:00
        {"not a date", "-59011488000"},
        {"2020-2-30", "-59011488000"},
    };
    for (const TextRow& row : rows) {
        CAPTURE(row.input);
        CHECK(S(BeijingTimeToUnixSeconds(row.input)) == row.expected);
    }
}

TEST_CASE("Unix seconds to Beijing time") {
    const TextRow rows[] = {
        {"1595894400", "2020年7月28日8时"},
        {"1595894400123", "2020年7月28日8时"},    // milliseconds: the first 10 digits
        {"0", "1970年1月1日8时"},
        {"-28800", "1970年1月1日"},
        {"", "1970年1月1日8时"},
        {"abc", "1970年1月1日8时"},
        {"  1595909103xyz", "2020年7月28日12时5分3秒"},
        {"2147483647", "2038年1月19日11时14分7秒"},
        // Past 2038 the count no longer fits 32 bits; it is still added whole.
        {"2147483648", "2038年1月19日11时14分8秒"},
        {"3000000000", "2065年1月24日13时20分"},
        {"9999999999", "2286年11月21日1时46分39秒"},
        // A 10-digit count before 1970: the sign is not a digit.
        {"-1000000000", "1938年4月25日6时13分20秒"},
        {"-1000000000123", "1938年4月25日6时13分20秒"},
    };
    for (const TextRow& row : rows) {
        CAPTURE(row.input);
        CHECK(S(UnixSecondsToBeijingTime(row.input)) == row.expected);
    }
}

TEST_CASE("Beijing time and Unix seconds round-trip") {
    const char* seconds[] = {"1", "86399", "951782400", "1595894400", "2000000000", "4102444800", "-86400"};
    LeakCheck leaks;
    for (const char* s : seconds) {
        CAPTURE(s);
        TextVar shown = UnixSecondsToBeijingTime(s);
        CHECK(S(BeijingTimeToUnixSeconds(shown)) == s);
    }
    CHECK(leaks.leaked() == 0);
}
