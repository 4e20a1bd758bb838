#include <windows.h>

#include <string>

#include "engine/chinese_script.h"
#include "engine/gbk_runs.h"
#include "engine/script_table.h"
#include "test_support.h"

namespace {

// Restores automatic choice of the mapping when a case ends.
struct MappingChoice {
    explicit MappingChoice(ScriptMapping m) { SetScriptMapping(m); }
    ~MappingChoice() { SetScriptMapping(ScriptMapping::kAutomatic); }
};

std::string Code(uint16_t c) { return std::string{static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)}; }
}  // namespace

TEST_CASE("the character table turns simplified into traditional and back") {
    MappingChoice table(ScriptMapping::kTable);
    const TextRow toTraditional[] = {
        {"中国", "中國"},
        {"我爱你", "我愛你"},
        {"这个会议很重要", "這個會議很重要"},
        {"简体中文转换", "簡體中文轉換"},
        {"后来", "後來"},
        {"了解", "了解"},                 // 了 stays: it is the common traditional form too
        {"面", "面"},
        {"Hello,中国!", "Hello,中國!"},
        {"abc,。；", "abc,。；"},
        {"中國", "中國"},                 // already traditional
        {"", ""},
        {"\x80国\xB9", "\x80國\xB9"},     // stray bytes stay
    };
    for (const TextRow& row : toTraditional) {
        CAPTURE(Hex(row.input));
        CHECK(Hex(S(SimplifiedToTraditional(row.input))) == Hex(row.expected));
    }
    const TextRow toSimplified[] = {
        {"中國", "中国"},
        {"我愛你", "我爱你"},
        {"這個會議很重要", "这个会议很重要"},
        {"後來", "后来"},
        {"覆蓋", "覆盖"},                 // 覆 is a simplified character itself
        {"著名", "著名"},
        {"中国", "中国"},
        {"ABC 123", "ABC 123"},
        {"", ""},
    };
    for (const TextRow& row : toSimplified) {
        CAPTURE(Hex(row.input));
        CHECK(Hex(S(TraditionalToSimplified(row.input))) == Hex(row.expected));
    }
}

TEST_CASE("script conversions keep the byte length on both paths") {
    const char* samples[] = {"中华人民共和国成立了", "爱情与后来的发展, abc 123 ！", "\xA3\xC1\xA6\xA1\xA2\xF1",
                             "国\xB9", ""};
    for (ScriptMapping m : {ScriptMapping::kTable, ScriptMapping::kSystem}) {
        MappingChoice choice(m);
        for (const char* s : samples) {
            CAPTURE(Hex(s));
            TextVar t = SimplifiedToTraditional(s);
            TextVar back = TraditionalToSimplified(t);
            CHECK(S(t).size() == std::string(s).size());
            CHECK(S(back).size() == std::string(s).size());
        }
    }
}

TEST_CASE("the system path is used when the system maps, the table otherwise") {
    {
        MappingChoice system(ScriptMapping::kSystem);
        CHECK(ActiveScriptMapping() == ScriptMapping::kSystem);
        std::string expected = SystemHasScriptMapping() ? "中國" : "中国";
        CHECK(S(SimplifiedToTraditional("中国")) == expected);
        CHECK(S(SimplifiedToTraditional("ABC")) == "ABC");
    }
    {
        MappingChoice table(ScriptMapping::kTable);
        CHECK(ActiveScriptMapping() == ScriptMapping::kTable);
    }
    ScriptMapping automatic = ActiveScriptMapping();
    CHECK(automatic == (SystemHasScriptMapping() ? ScriptMapping::kSystem : ScriptMapping::kTable));
    // Either way the automatic choice converts.
    CHECK(S(SimplifiedToTraditional("中国")) == "中國");
    CHECK(S(TraditionalToSimplified("中國")) == "中国");
}

TEST_CASE("the generated table holds sorted pairs of distinct GBK ideographs") {
    struct Table {
        const ScriptPair* pairs;
        int32_t count;
    };
    const Table tables[] = {{kSimplifiedToTraditionalPairs, kSimplifiedToTraditionalCount},
                            {kTraditionalToSimplifiedPairs, kTraditionalToSimplifiedCount}};
    for (const Table& t : tables) {
        CHECK(t.count > 2000);
        for (int32_t k = 0; k < t.count; ++k) {
            const ScriptPair& p = t.pairs[k];
            CAPTURE(k);
            if (k > 0) CHECK(t.pairs[k - 1].from < p.from);
            CHECK(p.from != p.to);
            for (uint16_t code : {p.from, p.to}) {
                std::string bytes = Code(code);
                CHECK(IsGbkPairAt(reinterpret_cast<const uint8_t*>(bytes.data()), 2, 0));
                WCHAR w[2] = {0};
                REQUIRE(MultiByteToWideChar(936, 0, bytes.data(), 2, w, 2) == 1);
                CHECK(((w[0] >= 0x3400 && w[0] <= 0x9FFF) || (w[0] >= 0xF900 && w[0] <= 0xFAFF)));
                char back[4] = {0};
                CHECK(WideCharToMultiByte(936, 0, w, 1, back, 4, nullptr, nullptr) == 2);
                CHECK(std::string(back, 2) == bytes);
            }
        }
    }
}

TEST_CASE("script conversions leave no blocks behind") {
    for (ScriptMapping m : {ScriptMapping::kTable, ScriptMapping::kSystem}) {
        MappingChoice choice(m);
        LeakCheck leaks;
        {
            TextVar a = SimplifiedToTraditional("中国人 abc");
            TextVar b = TraditionalToSimplified(a);
        }
        CHECK(leaks.leaked() == 0);
    }
}
