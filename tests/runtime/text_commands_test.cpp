// The text commands, through the typed calls and, where an argument is left out or a raw
// result matters, through CallCommand with hand-built records.
#include <windows.h>

#include <string>
#include <vector>

#include "runtime/call_command.h"
#include "runtime/commands_text.h"
#include "runtime/library_text.h"
#include "test_support.h"

namespace {
const int32_t O = kOmit;


// Results are exactly sized: a text block holds its length plus the terminator.
bool ExactlySized(const TextVar& t) {
    return t.get() && HeapSize(GetProcessHeap(), 0, t.get()) == strlen(t.get()) + 1;
}

std::vector<std::string> Elements(const TextArrayVar& a) {
    std::vector<std::string> out;
    for (int32_t i = 1; i <= a.count(); ++i) out.push_back(a.at(i));
    return out;
}
}  // namespace

TEST_CASE("TextLeft, TextRight and TextMiddle count bytes and clamp") {
    struct Case {
        const char* text;
        int32_t start, n;  // start only for TextMiddle; 0 marks TextLeft, -1 TextRight
        const char* expected;
    } cases[] = {
        {"abcdef", 0, 2, "ab"},         {"abcdef", 0, 0, ""},          {"abcdef", 0, -1, ""},
        {"abcdef", 0, 10, "abcdef"},    {"", 0, 3, ""},                {"a\xD6\xD0", 0, 2, "a\xD6"},
        {"abcdef", -1, 2, "ef"},        {"abcdef", -1, 0, ""},         {"abcdef", -1, -5, ""},
        {"abcdef", -1, 99, "abcdef"},   {"\xD6\xD0z", -1, 2, "\xD0z"}, {"", -1, 1, ""},
        {"abcdef", 3, 10, "cdef"},      {"abcdef", 100, 1, ""},    {"abcdef", 7, 1, ""},
        {"abcdef", 6, 1, "f"},          {"abcdef", 2, 0, ""},          {"abcdef", 2, -1, ""},
        {"abcdef", 1, 6, "abcdef"},     {"abcdef", 3, 2, "cd"},        {"abcdef", 2, INT32_MAX, "bcdef"},
        {"abcdef", INT32_MAX, 1, ""},   {"", 1, 1, ""},
    };
    for (const Case& c : cases) {
        CAPTURE(c.text);
        CAPTURE(c.start);
        CAPTURE(c.n);
        TextVar r = c.start == 0    ? TextLeft(c.text, c.n)
                    : c.start == -1 ? TextRight(c.text, c.n)
                                    : TextMiddle(c.text, c.start, c.n);
        CHECK(Hex(S(r)) == Hex(c.expected));
        if (*c.expected) CHECK(ExactlySized(r));
        else CHECK(r.get() == nullptr);
    }
    // TextMiddle from 0 is empty, unlike ByteSetMiddle.
    CHECK(TextMiddle("abcdef", 0, 2).get() == nullptr);
    CHECK(TextMiddle("abcdef", -3, 2).get() == nullptr);
}

TEST_CASE("TextLength, CharFromCode and CharCode") {
    CHECK(TextLength("") == 0);
    CHECK(TextLength(nullptr) == 0);
    CHECK(TextLength("a\xD6\xD0") == 3);

    struct FromCode {
        int32_t code;
        const char* expected;
    } from[] = {{65, "A"}, {0, ""}, {0xD6, "\xD6"}, {-42, "\xD6"}, {0x141, "A"}, {256, ""}};
    for (const FromCode& c : from) {
        CAPTURE(c.code);
        TextVar r = CharFromCode(c.code);
        CHECK(Hex(S(r)) == Hex(c.expected));
        if (!*c.expected) CHECK(r.get() == nullptr);
    }

    struct Code {
        const char* text;
        int32_t position;
        int32_t expected;
    } codes[] = {{"\xD6\xD0", 1, -42}, {"\xD6\xD0", 2, -48}, {"\xD6\xD0", 3, 0}, {"\xD6\xD0", 0, 0},
                 {"\xD6\xD0", -1, 0},  {"A", O, 65},          {"", O, 0},          {"abc", 3, 99},
                 {"abc", INT32_MAX, 0}};
    for (const Code& c : codes) {
        CAPTURE(c.text);
        CAPTURE(c.position);
        CHECK(CharCode(c.text, c.position) == c.expected);
    }
}

TEST_CASE("FindText steps over double-byte characters and folds only ASCII letters") {
    struct Case {
        const char* text;
        const char* sought;
        int32_t start;
        bool ignoreCase;
        int32_t expected;
    } cases[] = {
        {"XAB", "ab", O, true, 2},
        {"XAB", "ab", O, false, -1},
        {"Hello World", "WORLD", O, true, 7},
        {"\xC1\x41", "A", O, false, -1},  // A is only the trail byte of C1 41
        {"\xC1\x41""A", "A", O, false, 3},
        {"\xC1\x41\x41", "AA", O, false, -1},  // the only AA starts on a trail byte
        {"\xC1\x41\x41\x41", "AA", O, false, 3},
        {"\xD6\xD0\xCE\xC4", "\xD0\xCE", O, false, -1},
        {"\xD6\xD0\xCE\xC4", "\xCE\xC4", O, false, 3},
        {"ab\xC1", "\xC1", O, false, 3},  // a lone lead byte at the end is still compared
        // Trail bytes are compared as they stand, even when they look like letters.
        {"\xC1\x41\xC1\x61", "\xC1\x61", O, true, 3},
        {"\xC1\x41", "\xC1\x41", O, true, 1},
        {"abc", "", O, false, 1},
        {"abc", "", 2, false, 1},
        {"abc", "", 3, false, 1},
        {"abc", "", 4, false, -1},
        {"", "", O, false, -1},
        {"", "a", O, false, -1},
        {"abcabc", "bc", 3, false, 5},
        {"abcabc", "bc", -5, false, 2},
        {"abcabc", "bc", 0, false, 2},
        {"abcabc", "bc", 7, false, -1},
        {"abcabc", "c", 6, false, 6},
        {"abc", "abcd", O, false, -1},
        {"aaaaab", "aab", O, false, 4},
        {"abababc", "ababc", O, false, 3},
        {"aAaAab", "AAB", O, true, 4},
        // A start inside a character walks from there.
        {"\xD6\xD0""A", "A", 2, false, -1},
        {"\xD6\xD0""A", "A", 3, false, 3},
    };
    for (const Case& c : cases) {
        CAPTURE(Hex(c.text));
        CAPTURE(Hex(c.sought));
        CAPTURE(c.start);
        CAPTURE(c.ignoreCase);
        CHECK(FindText(c.text, c.sought, c.start, c.ignoreCase) == c.expected);
    }
}

TEST_CASE("ReplaceSubText") {
    struct Case {
        const char* text;
        const char* sought;
        const char* replacement;  // null: left out
        int32_t start, count;
        bool caseSensitive;
        const char* expected;
    } cases[] = {
        {"aXbXc", "X", "-", O, 1, true, "a-bXc"},
        {"aXbXc", "X", "-", O, O, true, "a-b-c"},
        {"aXbXc", "x", "-", O, O, true, "aXbXc"},
        {"aXbXc", "x", "-", O, O, false, "a-b-c"},
        {"aXbXc", "X", nullptr, O, O, true, "abc"},
        {"aXbXc", "X", "--", 3, O, true, "aXb--c"},
        {"aXbXc", "X", "-", 0, O, true, "a-b-c"},
        {"abc", "b", "x", 4, O, true, "abc"},
        {"abc", "b", "x", 3, O, true, "abc"},
        {"XXX", "X", "-", O, 0, true, "XXX"},
        {"XXX", "X", "-", O, -1, true, "---"},
        {"XXX", "X", "-", O, -3, true, "---"},
        {"XXX", "X", "-", O, 2, true, "--X"},
        {"XXX", "X", "-", 2, 1, true, "X-X"},
        {"abc", "", "x", O, O, true, "abc"},
        {"", "a", "x", O, O, true, ""},
        {"XX", "X", nullptr, O, O, true, ""},
        {"aaaa", "aa", "b", O, O, true, "bb"},
        {"aaa", "aa", "b", O, O, true, "ba"},
        {"a,b,c", ",", ", ", O, O, true, "a, b, c"},
        {"\xC1\x41""A", "A", "b", O, O, true, "\xC1\x41""b"},
        {"\xC1\x41", "\xC1\x61", "z", O, O, false, "\xC1\x41"},
        {"\xC1\xC1\x41", "\xC1", "z", O, O, true, "zzA"},  // the walk resumes right after a match
        {"ab\xC1", "x", "y", O, O, true, "ab"},  // the walk drops a lone lead byte at the end
        {"ab\xC1", "xy", "z", O, O, true, "ab\xC1"},  // too short to be walked: kept
        {"ab\xC1", "\xC1", "z", O, O, true, "abz"},
        {"\xD6\xD0\xCE\xC4", "\xD0\xCE", "!", O, O, true, "\xD6\xD0\xCE\xC4"},
    };
    for (const Case& c : cases) {
        CAPTURE(Hex(c.text));
        CAPTURE(Hex(c.sought));
        CAPTURE(c.start);
        CAPTURE(c.count);
        TextVar r = ReplaceSubText(c.text, c.sought, c.replacement, c.start, c.count, c.caseSensitive);
        CHECK(Hex(S(r)) == Hex(c.expected));
        if (*c.expected) CHECK(ExactlySized(r));
        else CHECK(r.get() == nullptr);
    }
}

TEST_CASE("ReplaceSubText without the case flag compares exactly") {
    ArgRecord a[] = {TextArg("aXbx"), TextArg("x"), TextArg("-")};
    TextVar r(reinterpret_cast<Text>(CallCommand(cmd::ReplaceSubText, 3, a).value));
    CHECK(S(r) == "aXb-");
}

TEST_CASE("SplitText") {
    struct Case {
        const char* text;
        const char* separator;  // null: left out
        int32_t maxCount;
        std::vector<std::string> expected;
    } cases[] = {
        {",a,,b,", ",", O, {"", "a", "", "b"}},
        {"a,b,c", ",", 2, {"a", "b"}},
        {"a,b,c", nullptr, O, {"a", "b", "c"}},
        {"a,b", ",", 1, {"a"}},
        {"a,b", ",", 5, {"a", "b"}},
        {"", ",", O, {}},
        {"abc", ",", 0, {}},
        {"abc", ",", -1, {}},
        {"abc", "", O, {"abc"}},
        {"abc", ",", O, {"abc"}},
        {",", ",", O, {""}},
        {"a::b::", "::", O, {"a", "b"}},
        {"a:::b", "::", O, {"a", ":b"}},
        {"\xC1,x,y", ",", O, {"\xC1,x", "y"}},  // the comma after C1 is its trail byte
        {"a,\xC1", ",", O, {"a", "\xC1"}},
    };
    for (const Case& c : cases) {
        CAPTURE(Hex(c.text));
        CAPTURE(c.maxCount);
        TextArrayVar a = SplitText(c.text, c.separator, c.maxCount);
        REQUIRE(a.block() != nullptr);
        CHECK(ArrayDimensions(a.block()) == 1);
        CHECK(Elements(a) == c.expected);
        // Empty pieces are null elements.
        Text* elements = reinterpret_cast<Text*>(ArrayElements(a.block()));
        for (int32_t i = 0; i < a.count(); ++i) CHECK((elements[i] == nullptr) == c.expected[i].empty());
    }
}

TEST_CASE("ToUpper, ToLower, ToHalfWidth, TrimSpaces and RemoveSpaces") {
    enum Op { Upper, Lower, Half, Trim, Remove };
    struct Case {
        Op op;
        const char* text;
        const char* expected;
    } cases[] = {
        {Upper, "abcXYZ09", "ABCXYZ09"},
        {Upper, "\xC1\x61z", "\xC1\x61Z"},  // 61 is a trail byte here
        {Upper, "a\xC1", "A\xC1"},
        {Upper, "{}[]`@", "{}[]`@"},
        {Upper, "", ""},
        {Lower, "abcXYZ", "abcxyz"},
        {Lower, "\xC1\x41Z", "\xC1\x41z"},
        {Lower, "", ""},
        {Half, "\xA3\xC1\xA3\xC2\xA1\xA1\xA3\xB1", "AB 1"},
        {Half, "\xA1\xAB", "~"},
        {Half, "\xA1\xEE\xA1\xEF", "**"},
        {Half, "\xA3\xA1", "!"},
        {Half, "\xA3\xFE", "~"},
        {Half, "\xA3\xA0", "\xA3\xA0"},
        {Half, "\xA1\xA3", "\xA1\xA3"},
        {Half, "\xD6\xD0x", "\xD6\xD0x"},
        {Half, "a\xA3", "a"},
        {Half, "\xA3", ""},
        {Half, "", ""},
        {Trim, "  ab  ", "ab"},
        {Trim, "\xA1\xA1""ab\xA1\xA1 ", "ab"},
        {Trim, " \xA1\xA1 a b\xA1\xA1""c \xA1\xA1", "a b\xA1\xA1""c"},
        {Trim, "\t a \r\n", "\t a \r\n"},
        {Trim, "   ", ""},
        {Trim, "\xA1\xA1", ""},
        {Trim, "", ""},
        {Trim, "ab \xC1", "ab"},
        {Trim, " \xA1\xA2 ", "\xA1\xA2"},
        {Trim, "\xD6\xA1\xA1\xA1", "\xD6\xA1"},  // D6 A1 is one character, then a space
        {Trim, "\xA1\xA1\xA1", ""},
        {Remove, " a b ", "ab"},
        {Remove, "a\xA1\xA1""b", "ab"},
        {Remove, "\xD6\xA1\xA1\xA1""x", "\xD6\xA1x"},
        {Remove, "ab\xC1", "ab"},
        {Remove, "   ", ""},
        {Remove, "", ""},
        {Remove, "a\tb\r\n", "a\tb\r\n"},
    };
    for (const Case& c : cases) {
        CAPTURE(c.op);
        CAPTURE(Hex(c.text));
        TextVar r;
        switch (c.op) {
        case Upper: r = ToUpper(c.text); break;
        case Lower: r = ToLower(c.text); break;
        case Half: r = ToHalfWidth(c.text); break;
        case Trim: r = TrimSpaces(c.text); break;
        case Remove: r = RemoveSpaces(c.text); break;
        }
        CHECK(Hex(S(r)) == Hex(c.expected));
        if (*c.expected) CHECK(ExactlySized(r));
        else CHECK(r.get() == nullptr);
    }
}

TEST_CASE("SpaceText and RepeatText") {
    struct Case {
        int32_t n;
        const char* text;  // null: SpaceText
        const char* expected;
    } cases[] = {
        {3, nullptr, "   "}, {1, nullptr, " "},      {0, nullptr, ""},      {-2, nullptr, ""},
        {3, "ab", "ababab"}, {1, "x", "x"},          {0, "ab", ""},         {-1, "ab", ""},
        {5, "", ""},         {7, "abc", "abcabcabcabcabcabcabc"},
    };
    for (const Case& c : cases) {
        CAPTURE(c.n);
        TextVar r = c.text ? RepeatText(c.n, c.text) : SpaceText(c.n);
        CHECK(S(r) == c.expected);
        if (*c.expected) CHECK(ExactlySized(r));
        else CHECK(r.get() == nullptr);
    }
}

TEST_CASE("text commands take null and the shared empty text alike") {
    ArgRecord nullText = {0, 0, kText};
    ArgRecord empty = TextArg("");
    for (const ArgRecord& t : {nullText, empty}) {
        ArgRecord one[] = {t};
        CHECK(CallCommand(cmd::TextLength, 1, one).value == 0);
        CHECK(CallCommand(cmd::ToUpper, 1, one).value == 0);
        CHECK(CallCommand(cmd::TrimSpaces, 1, one).value == 0);
        ArgRecord find[] = {TextArg("abc"), t};
        CHECK(static_cast<int32_t>(CallCommand(cmd::FindText, 2, find).value) == 1);
        ArgRecord split[] = {t, TextArg(",")};
        TextArrayVar a(reinterpret_cast<void*>(CallCommand(cmd::SplitText, 2, split).value));
        REQUIRE(a.block() != nullptr);
        CHECK(ArrayHeader(a.block())[0] == 1);
        CHECK(ArrayHeader(a.block())[1] == 0);
    }
}

TEST_CASE("megabyte texts are searched and rewritten in linear time") {
    LeakCheck leaks;
    {
        // An unlucky pattern for a naive search: 4 MB of 'a' and a 2000-byte 'a...ab'.
        const int32_t big = 4 << 20;
        TextVar hay = RepeatText(big, "a");
        TextVar needle = JoinTexts({RepeatText(1999, "a").c_str(), "b"});
        CHECK(FindText(hay, needle) == -1);
        CHECK(FindText(hay, needle, O, true) == -1);
        TextVar hayb = JoinTexts({hay.c_str(), "b"});
        CHECK(FindText(hayb, needle) == big + 1 - 1999);

        TextVar csv = RepeatText(1 << 20, "a,");
        TextVar wide = ReplaceSubText(csv, ",", ";;");
        CHECK(TextLength(wide) == 3 << 20);
        CHECK(S(TextRight(wide, 6)) == "a;;a;;");
        TextArrayVar parts = SplitText(csv, ",");
        CHECK(parts.count() == 1 << 20);
        CHECK(std::string(parts.at(1 << 20)) == "a");
        TextVar spaced = RepeatText(1 << 20, "\xA1\xA1 x");
        CHECK(TextLength(RemoveSpaces(spaced)) == 1 << 20);
    }
    CHECK(leaks.leaked() == 0);
}

TEST_CASE("the text calls leave no blocks behind") {
    LeakCheck leaks;
    {
        TextVar a = TextMiddle("abcdef", 2, 3);
        TextVar b = ReplaceSubText(a, "c", "xyz");
        TextArrayVar parts = SplitText("x,,y,z", ",");
        TextVar c = ToHalfWidth("\xA3\xC1\xA3\xC2");
        TextVar d = TrimSpaces("  q  ");
        TextVar e = RepeatText(3, d);
        CHECK(S(b) == "bxyzd");
        CHECK(parts.count() == 4);
        CHECK(S(e) == "qqq");
        a = ToUpper(c);
        CHECK(S(a) == "AB");
    }
    CHECK(leaks.leaked() == 0);
}

// Sizes past 32 bits are refused with the allocation report instead of wrapping around.
CHILD_CASE(repeat_past_32_bits) { RepeatText(INT32_MAX, "ab"); }
CHILD_CASE(spaces_past_32_bits) { SpaceText(INT32_MAX); }

TEST_CASE("a text too long for any heap is the allocation failure") {
    struct Case {
        const char* name;
        const char* report;
    } cases[] = {
        {"repeat_past_32_bits", "运行时出错!\r\n\r\n错误信息：分配 4294967295 字节内存失败!\r\n\r\n0, 0\r\n"},
        {"spaces_past_32_bits", "运行时出错!\r\n\r\n错误信息：分配 2147483648 字节内存失败!\r\n\r\n0, 0\r\n"},
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        ChildRun run = RunChildCase(c.name);
        CHECK(run.exitCode == -1);
        CHECK(Hex(run.output) == Hex(c.report));
    }
}
