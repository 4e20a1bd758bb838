// The byte-set commands and ByteSetData / ToByteSet.
#include <windows.h>

#include <cstring>
#include <string>

#include "runtime/call_command.h"
#include "runtime/command_args.h"
#include "runtime/commands_text.h"
#include "runtime/constant_area.h"
#include "runtime/library_text.h"
#include "test_support.h"

using namespace std::string_literals;

namespace {
const int32_t O = kOmit;

ByteSetVar B(const std::string& s) {
    if (s.empty()) return ByteSetVar();
    uint8_t* b = NewByteSetBlock(static_cast<int32_t>(s.size()));
    memcpy(b + 8, s.data(), s.size());
    return ByteSetVar(b);
}

std::string Str(const ByteSetVar& b) {
    return b.empty() ? std::string() : std::string(reinterpret_cast<const char*>(b.data()), b.size());
}

// Non-empty results are exactly sized, empty ones null.
void CheckShape(const ByteSetVar& r, const std::string& expected) {
    CHECK(Hex(Str(r)) == Hex(expected));
    if (expected.empty()) {
        CHECK(r.block() == nullptr);
    } else {
        REQUIRE(r.block() != nullptr);
        CHECK(ArrayHeader(r.block())[0] == 1);
        CHECK(HeapSize(GetProcessHeap(), 0, r.block()) == expected.size() + 8);
    }
}

uint64_t Bits(double d) {
    uint64_t u;
    memcpy(&u, &d, 8);
    return u;
}
}  // namespace

TEST_CASE("ByteSetLength, ByteSetLeft, ByteSetRight and ByteSetMiddle") {
    CHECK(ByteSetLength(B("")) == 0);
    CHECK(ByteSetLength(B("a\0c"s)) == 3);
    ArgRecord constant[] = {ByteSetArg(EmptyByteSetConstant())};
    CHECK(CallCommand(cmd::ByteSetLength, 1, constant).value == 0);

    enum Op { Left, Right, Middle };
    struct Case {
        Op op;
        std::string bytes;
        int32_t start, n;
        std::string expected;
    } cases[] = {
        {Left, "abcdef", 0, 2, "ab"},       {Left, "abcdef", 0, 0, ""},      {Left, "abcdef", 0, -3, ""},
        {Left, "abcdef", 0, 99, "abcdef"},  {Left, "", 0, 2, ""},            {Left, "\0\0x"s, 0, 2, "\0\0"s},
        {Right, "abcdef", 0, 2, "ef"},      {Right, "abcdef", 0, 0, ""},     {Right, "abcdef", 0, -1, ""},
        {Right, "abcdef", 0, 99, "abcdef"}, {Right, "", 0, 1, ""},
        {Middle, "abcdef", 3, 10, "cdef"},  {Middle, "abcdef", 0, 2, "ab"},  {Middle, "abcdef", -5, 2, "ab"},
        {Middle, "abcdef", 7, 1, ""},       {Middle, "abcdef", 6, 5, "f"},   {Middle, "abcdef", 2, -1, ""},
        {Middle, "abcdef", 2, 0, ""},       {Middle, "abcdef", 2, INT32_MAX, "bcdef"},
        {Middle, "", 1, 1, ""},
    };
    for (const Case& c : cases) {
        CAPTURE(c.op);
        CAPTURE(c.start);
        CAPTURE(c.n);
        ByteSetVar in = B(c.bytes);
        ByteSetVar r = c.op == Left    ? ByteSetLeft(in, c.n)
                       : c.op == Right ? ByteSetRight(in, c.n)
                                       : ByteSetMiddle(in, c.start, c.n);
        CheckShape(r, c.expected);
    }
}

TEST_CASE("FindByteSet compares plain bytes") {
    struct Case {
        std::string bytes, sought;
        int32_t start, expected;
    } cases[] = {
        {"abcabc", "bc", O, 2},       {"abcabc", "bc", 3, 5},       {"abcabc", "bc", 0, 2},
        {"abcabc", "bc", -9, 2},      {"abcabc", "bc", 6, -1},      {"abcabc", "bc", 7, -1},
        {"abcabc", "c", 6, 6},        {"abc", "", O, -1},           {"", "a", O, -1},
        {"\xC1\x41", "A", O, 2},      {"xAB", "ab", O, -1},         {"aaaab", "aab", O, 3},
        {"abc", "abcd", O, -1},       {"a\0b\0c"s, "\0c"s, O, 4},  {"abababc", "ababc", 2, 3},
    };
    for (const Case& c : cases) {
        CAPTURE(Hex(c.bytes));
        CAPTURE(Hex(c.sought));
        CAPTURE(c.start);
        CHECK(FindByteSet(B(c.bytes), B(c.sought), c.start) == c.expected);
    }
}

TEST_CASE("ReplaceSubByteSet") {
    struct Case {
        std::string bytes, sought;
        const char* replacement;  // null: left out
        int32_t start, count;
        std::string expected;
    } cases[] = {
        {"aXbXc", "X", "-", O, 1, "a-bXc"},  {"aXbXc", "X", nullptr, O, O, "abc"},
        {"aXbXc", "X", "--", 3, O, "aXb--c"}, {"\xC1\x41", "A", "b", O, O, "\xC1""b"},
        {"aaaa", "aa", "b", O, O, "bb"},      {"aaa", "aa", "b", O, O, "ba"},
        {"abc", "b", "x", 4, O, "abc"},       {"abc", "b", "x", 0, O, "axc"},
        {"XXX", "X", "-", O, -2, "---"},      {"XXX", "X", "-", O, 0, "XXX"},
        {"XXX", "X", "-", 2, 1, "X-X"},       {"XX", "X", nullptr, O, O, ""},
        {"abc", "", "x", O, O, "abc"},        {"", "a", "x", O, O, ""},
        {"xAx", "a", "-", O, O, "xAx"},       {"abXaXb", "aX", "", O, O, "abXb"},
    };
    for (const Case& c : cases) {
        CAPTURE(Hex(c.bytes));
        CAPTURE(Hex(c.sought));
        CAPTURE(c.start);
        CAPTURE(c.count);
        ByteSetVar replacement = B(c.replacement ? c.replacement : "");
        ByteSetVar r = ReplaceSubByteSet(B(c.bytes), B(c.sought), c.replacement ? &replacement : nullptr,
                                         c.start, c.count);
        CheckShape(r, c.expected);
    }
    // Zero bytes are bytes like any other.
    ByteSetVar dashes = B("--");
    CheckShape(ReplaceSubByteSet(B("a\0b"s), B("\0"s), &dashes), "a--b");
}

TEST_CASE("ZeroByteSet and RepeatByteSet") {
    struct Case {
        int32_t n;
        const char* bytes;  // null: ZeroByteSet
        std::string expected;
    } cases[] = {
        {3, nullptr, "\0\0\0"s}, {1, nullptr, "\0"s}, {0, nullptr, ""},   {-1, nullptr, ""},
        {3, "ab", "ababab"},     {1, "ab", "ab"},     {0, "ab", ""},      {-1, "ab", ""},
        {4, "", ""},             {5, "xyz", "xyzxyzxyzxyzxyz"},
    };
    for (const Case& c : cases) {
        CAPTURE(c.n);
        CheckShape(c.bytes ? RepeatByteSet(c.n, B(c.bytes)) : ZeroByteSet(c.n), c.expected);
    }
}

TEST_CASE("ByteSetData reads one value of the chosen kind and advances the position") {
    struct Case {
        std::string bytes;
        int32_t kind;
        int32_t position;  // O: left out
        bool byRef;
        TypeCode type;
        uint64_t value;
        uint32_t extra;
        int32_t after;  // the position afterwards, when passed by reference
    } cases[] = {
        {"\x01\x02\x03", 3, O, false, kInt, 197121, 0, 0},
        {"\x01\x02\x03", 1, 2, true, kByte, 2, 0, 3},
        {"\x01\x02\x03", 1, 3, true, kByte, 3, 0, -1},
        {"\x01\x02\x03\x04\x05", 3, 2, false, kInt, 0x05040302, 0, 0},
        {"\x01\x02\x03\x04\x05", 3, 2, true, kInt, 0x05040302, 0, -1},
        {"\x01\x02\x03\x04\x05\x06", 2, 1, true, kShort, 0x0201, 0, 3},
        {"\xFF\xFF", 2, O, false, kShort, 0xFFFFFFFF, 0, 0},
        {"\x01\x02\x03\x04\x05\x06\x07\x08\x09", 4, O, false, kLong, 0x04030201, 0x08070605, 0},
        {"\x01\x02\x03\x04\x05\x06\x07\x08\x09", 4, 1, true, kLong, 0x04030201, 0x08070605, 9},
        {"\x00\x00\x80\x3F"s, 5, O, false, kFloat, 0x3F800000, 0, 0},
        {"\x00\x00\x00\x00\x00\x00\xF0\x3F"s, 6, O, false, kDouble, 0, 0x3FF00000, 0},
        {"\x00\x00\x00\x01"s, 7, O, false, kBool, 1, 0, 0},
        {"\x00\x00\x00\x00\x01"s, 7, O, false, kBool, 0, 0, 0},
        {"\x00\x00\x01"s, 7, O, false, kBool, 1, 0, 0},
        // A subroutine address is as wide as a pointer.
        {"\x00\x10\x40\x00\x99"s, 9, O, false, kSubroutine, sizeof(void*) == 4 ? 0x00401000 : 0x9900401000, 0, 0},
        // Missing high bytes read as zero.
        {"\x01\x02", 3, O, false, kInt, 0x0201, 0, 0},
        {"\x01\x02", 3, 2, true, kInt, 0x02, 0, -1},
        {"", 3, 1, true, kInt, 0, 0, -1},
        {"\x01\x02\x03", 1, 4, true, kByte, 0, 0, -1},
        // Nothing lies below position 1: the value is zero and the position marks the end.
        {"\x01\x02\x03", 1, 0, true, kByte, 0, 0, -1},
        {"\x01\x02\x03", 3, -1, true, kInt, 0, 0, -1},
        {"\x01\x02\x03", 1, -1, false, kByte, 0, 0, 0},
    };
    for (const Case& c : cases) {
        CAPTURE(Hex(c.bytes));
        CAPTURE(c.kind);
        CAPTURE(c.position);
        int32_t position = c.position;
        ByteSetVar in = B(c.bytes);
        ArgRecord r;
        if (c.byRef) {
            r = ByteSetData(in, c.kind, &position);
            CHECK(position == c.after);
        } else {
            ArgRecord a[] = {ByteSetArg(in.block()), IntArg(c.kind),
                             c.position == O ? OmittedArg() : IntArg(c.position)};
            r = CallCommand(cmd::ByteSetData, 3, a);
        }
        CHECK(r.type == c.type);
        CHECK(r.value == c.value);
        CHECK(r.extra == c.extra);
    }
}

TEST_CASE("ByteSetData clamps date-times and reads texts up to a zero byte") {
    double t = 3000000.0;
    ByteSetVar late = B(std::string(reinterpret_cast<char*>(&t), 8));
    ArgRecord r = ByteSetData(late, 8);
    CHECK(r.type == kDateTime);
    CHECK((static_cast<uint64_t>(r.extra) << 32 | r.value) == Bits(2958465.0));

    LeakCheck leaks;
    struct Case {
        std::string bytes;
        int32_t position;
        std::string text;
        int32_t after;
    } cases[] = {
        {"ab\0cd"s, 1, "ab", 4}, {"ab\0cd"s, 4, "cd", -1}, {"\0x"s, 1, "", 2}, {"ab\0"s, 1, "ab", -1},
        {"abc", 2, "bc", -1},    {"abc", 9, "", -1},       {"abc", 0, "", -1}, {"", 1, "", -1},
    };
    for (const Case& c : cases) {
        CAPTURE(Hex(c.bytes));
        CAPTURE(c.position);
        int32_t position = c.position;
        ArgRecord text = ByteSetData(B(c.bytes), 10, &position);
        CHECK(text.type == kText);
        TextVar owned(reinterpret_cast<Text>(text.value));
        CHECK(std::string(owned) == c.text);
        if (c.text.empty()) CHECK(owned.get() == nullptr);
        CHECK(position == c.after);
    }
    CHECK(leaks.leaked() == 0);
}

CHILD_CASE(data_kind_zero) { ByteSetData(B("abcd"), 0); }
CHILD_CASE(data_kind_eleven) { ByteSetData(B("abcd"), 11); }

TEST_CASE("ByteSetData with an unknown kind is a fatal error") {
    const char* report = "运行时出错!\r\n\r\n错误信息：“欲取出数据的类型”参数值无效\r\n\r\n0, 0\r\n";
    for (const char* name : {"data_kind_zero", "data_kind_eleven"}) {
        CAPTURE(name);
        ChildRun run = RunChildCase(name);
        CHECK(run.exitCode == -1);
        CHECK(Hex(run.output) == Hex(report));
    }
}

TEST_CASE("ToByteSet gives the bytes of every kind of value") {
    ByteSetVar source = B("x\0y"s);
    int32_t ints[] = {1, 3, 1, 2, 3};                   // {1 dimension of 3} 1, 2, 3
    int16_t shortsStore[10] = {};  // {2 dimensions 2 x 2} 4 shorts
    int32_t shortsHead[3] = {2, 2, 2};
    memcpy(shortsStore, shortsHead, 12);
    int16_t shortValues[4] = {0x0102, 0x0304, 0x0506, 0x0708};
    memcpy(reinterpret_cast<uint8_t*>(shortsStore) + 12, shortValues, 8);
    int32_t none[] = {1, 0};
    int32_t texts[] = {1, 1, 0};
    float one = 1.0f;
    uint32_t oneBits;
    memcpy(&oneBits, &one, 4);
    double late = 3000000.0, clamped = 2958465.0;

    struct Case {
        const char* name;
        ArgRecord value;
        std::string expected;
    } cases[] = {
        {"text", TextArg("abc"), "abc"},
        {"empty text", TextArg(""), ""},
        {"null text", {0, 0, kText}, ""},
        {"byte set", ByteSetArg(source.block()), "x\0y"s},
        {"empty byte set", ByteSetArg(nullptr), ""},
        {"byte", {0x1FF, 0, kByte}, "\xFF"},
        {"short", {0x12345678, 0, kShort}, "\x78\x56"},
        {"integer", IntArg(0x01020304), "\x04\x03\x02\x01"},
        {"long", LongArg(-2), "\xFE\xFF\xFF\xFF\xFF\xFF\xFF\xFF"},
        {"float", {oneBits, 0, kFloat}, "\x00\x00\x80\x3F"s},
        {"double", DoubleArg(1.0), "\x00\x00\x00\x00\x00\x00\xF0\x3F"s},
        {"bool", BoolArg(true), "\x01\x00\x00\x00"s},
        {"date-time", DateTimeArg(late), std::string(reinterpret_cast<char*>(&clamped), 8)},
        {"subroutine", {0x00401000, 0, kSubroutine}, std::string("\x00\x10\x40\x00\x00\x00\x00\x00", sizeof(void*))},
        {"integer array", {reinterpret_cast<uintptr_t>(ints), 0, kInt | kPointerFlag},
         "\x01\x00\x00\x00\x02\x00\x00\x00\x03\x00\x00\x00"s},
        {"short array of two dimensions", {reinterpret_cast<uintptr_t>(shortsStore), 0, kShort | kPointerFlag},
         "\x02\x01\x04\x03\x06\x05\x08\x07"},
        {"empty array", {reinterpret_cast<uintptr_t>(none), 0, kInt | kPointerFlag}, ""},
        {"text array", {reinterpret_cast<uintptr_t>(texts), 0, kText | kPointerFlag}, ""},
        {"automation object", {0x1234, 0, kComObject}, ""},
        {"nothing", OmittedArg(), ""},
    };
    LeakCheck leaks;
    for (const Case& c : cases) {
        CAPTURE(c.name);
        ByteSetVar r = ToByteSet(c.value);
        CheckShape(r, c.expected);
        if (r.block()) CHECK(r.block() != source.block());
    }
    CHECK(Str(ToByteSet("\xD6\xD0")) == "\xD6\xD0");
    CHECK(leaks.leaked() == 0);
}

TEST_CASE("megabyte byte sets are searched and rewritten in linear time") {
    LeakCheck leaks;
    {
        const int32_t big = 4 << 20;
        ByteSetVar hay = RepeatByteSet(big, B("a"));
        ByteSetVar needle = B(std::string(1999, 'a') + "b");
        CHECK(FindByteSet(hay, needle) == -1);
        ByteSetVar pairs = RepeatByteSet(1 << 20, B("a\0"s));
        ByteSetVar none;
        ByteSetVar squeezed = ReplaceSubByteSet(pairs, B("\0"s), &none);
        CHECK(ByteSetLength(squeezed) == 1 << 20);
        CHECK(FindByteSet(squeezed, B("\0"s)) == -1);
        CHECK(FindByteSet(pairs, B("a\0a"s), 1 << 20) == (1 << 20) + 1);
    }
    CHECK(leaks.leaked() == 0);
}
