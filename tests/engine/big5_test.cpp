#include <string>

#include "engine/big5.h"
#include "engine/chinese_script.h"
#include "test_support.h"


TEST_CASE("GBK and BIG5 both ways") {
    const TextRow toBig5[] = {
        {"中國", "\xA4\xA4\xB0\xEA"},
        {"我愛你", "\xA7\xDA\xB7\x52\xA7\x41"},
        {"abc 123", "abc 123"},
        {"", ""},
        {"国", "?"},                      // simplified: BIG5 has no such character
    };
    for (const TextRow& row : toBig5) {
        CAPTURE(Hex(row.input));
        CHECK(Hex(S(GbkToBig5(row.input))) == Hex(row.expected));
    }
    const TextRow toGbk[] = {
        {"\xA4\xA4\xB0\xEA", "中國"},
        {"\xA7\xDA\xB7\x52\xA7\x41", "我愛你"},
        {"abc 123", "abc 123"},
        {"", ""},
    };
    for (const TextRow& row : toGbk) {
        CAPTURE(Hex(row.input));
        CHECK(Hex(S(Big5ToGbk(row.input))) == Hex(row.expected));
    }
}

TEST_CASE("simplified text to BIG5 and BIG5 to simplified text") {
    const TextRow toBig5[] = {
        {"中国", "\xA4\xA4\xB0\xEA"},     // BIG5 bytes of 中國, not GBK
        {"我爱你", "\xA7\xDA\xB7\x52\xA7\x41"},
        {"", ""},
    };
    for (const TextRow& row : toBig5) {
        CAPTURE(Hex(row.input));
        CHECK(Hex(S(SimplifiedToBig5(row.input))) == Hex(row.expected));
    }
    const TextRow fromBig5[] = {
        {"\xA4\xA4\xB0\xEA", "中国"},
        {"\xA7\xDA\xB7\x52\xA7\x41", "我爱你"},
        {"", ""},
    };
    for (const TextRow& row : fromBig5) {
        CAPTURE(Hex(row.input));
        CHECK(Hex(S(Big5ToSimplified(row.input))) == Hex(row.expected));
    }
}

TEST_CASE("BIG5 conversions of invalid bytes give replacement characters, never a crash") {
    const char* inputs[] = {"\xA4", "\xFF\xFF", "a\xA4"};
    for (const char* in : inputs) {
        CAPTURE(Hex(in));
        std::string gbk = S(Big5ToGbk(in));
        CHECK(gbk.size() <= 2 * std::string(in).size());
        CHECK(gbk.find('\0') == std::string::npos);
    }
}

TEST_CASE("BIG5 conversions leave no blocks behind") {
    LeakCheck leaks;
    {
        TextVar a = SimplifiedToBig5("中国 abc");
        TextVar b = Big5ToSimplified(a);
        CHECK(S(b) == "中国 abc");
    }
    CHECK(leaks.leaked() == 0);
}
