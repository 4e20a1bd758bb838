#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "runtime/call_command.h"
#include "runtime/command_args.h"
#include "runtime/commands_convert.h"
#include "runtime/constant_area.h"
#include "runtime/library.h"
#include "test_support.h"

namespace {

ArgRecord Rec(uint32_t value, TypeCode type, uint32_t extra = 0) { return {value, extra, type}; }
ArgRecord FloatRec(float f) {
    uint32_t bits;
    memcpy(&bits, &f, 4);
    return {bits, 0, kFloat};
}
template <typename T>
ArgRecord Ptr(T* p, TypeCode type) { return {reinterpret_cast<uintptr_t>(p), 0, type}; }

std::string Str(const TextVar& t) { return t.c_str(); }

// The text a command returns, checking that an empty result is null rather than a block.
std::string TextOf(LibraryCommand command, ArgRecord a) {
    ArgRecord r = CallCommand(command, 1, &a);
    CHECK(r.type == kText);
    TextVar t(reinterpret_cast<Text>(r.value));
    if (r.value) CHECK(*t.c_str() != 0);
    return t.c_str();
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

}  // namespace

TEST_CASE("ToText writes each kind in its own format") {
    uint8_t bytes[] = {1, 0, 0, 0, 4, 0, 0, 0, 0x41, 0x42, 0x00, 0x43};
    uint8_t noZero[] = {1, 0, 0, 0, 3, 0, 0, 0, 'A', 'B', 'C'};
    int32_t ints[] = {1, 2, 0x00004241, 0x43};               // bytes 41 42 00 00 ...
    int16_t shorts[] = {1, 0, 2, 0, 0x4241, 0x4443};         // {1, 2, "ABCD"}, no zero byte
    int32_t texts[] = {1, 1, 0};
    int32_t twoDims[] = {2, 2, 1, 0x41414141, 0x00424242};  // 2 × 1 integers
    char text[] = "abc";
    struct Case {
        const char* name;
        ArgRecord value;
        const char* expected;
    } cases[] = {
        {"int -5", IntArg(-5), "-5"},
        {"int 0", IntArg(0), "0"},
        {"int min", IntArg(INT32_MIN), "-2147483648"},
        {"byte with stray high bits", Rec(0x1C8, kByte), "200"},
        {"short", Rec(0xFFFF, kShort), "-1"},
        {"long -1", LongArg(-1), "-1"},
        {"long min", LongArg(INT64_MIN), "-9223372036854775808"},
        {"long", LongArg(12345678901234LL), "12345678901234"},
        {"double 0.1", DoubleArg(0.1), "0.1"},
        {"double 1e15", DoubleArg(1e15), "1e+015"},
        {"double 1e13", DoubleArg(1e13), "1e+013"},
        {"double 1e12", DoubleArg(1e12), "1000000000000"},
        {"double 15 digits", DoubleArg(123456789012345.0), "1.234567890123e+014"},
        {"double tie rounds away", DoubleArg(1234567890123.5), "1234567890124"},
        {"double even tie rounds away", DoubleArg(1234567890122.5), "1234567890123"},
        {"double carry into exponent", DoubleArg(9999999999999.5), "1e+013"},
        {"double 1/3", DoubleArg(1.0 / 3), "0.3333333333333"},
        {"double 2/3", DoubleArg(2.0 / 3), "0.6666666666667"},
        {"double 0.0001", DoubleArg(0.0001), "0.0001"},
        {"double 0.00001", DoubleArg(0.00001), "1e-005"},
        {"double 1.5e300", DoubleArg(1.5e300), "1.5e+300"},
        {"double 1e-300", DoubleArg(1e-300), "1e-300"},
        {"double max", DoubleArg(1.7976931348623157e308), "1.797693134862e+308"},
        {"double subnormal", DoubleArg(5e-324), "4.940656458412e-324"},
        {"double -2.5", DoubleArg(-2.5), "-2.5"},
        {"double 100", DoubleArg(100), "100"},
        {"double 0", DoubleArg(0), "0"},
        {"double inf", DoubleArg(kInf), "1.#INF"},
        {"double -inf", DoubleArg(-kInf), "-1.#INF"},
        {"float 0.1", FloatRec(0.1f), "0.1"},
        {"float tie rounds away", FloatRec(1234565.0f), "1.23457e+006"},
        {"float pi", FloatRec(3.14159265f), "3.14159"},
        {"float 100000", FloatRec(100000.0f), "100000"},
        {"float 1e6", FloatRec(1e6f), "1e+006"},
        {"float below a half", FloatRec(2.5e-5f), "2.5e-005"},
        {"bool true", BoolArg(true), "真"},
        {"bool 7", Rec(7, kBool), "真"},
        {"bool false", BoolArg(false), "假"},
        {"date-time", DateTimeArg(44040.5), "2020年7月28日12时"},
        {"date-time clamped", DateTimeArg(3000000.0), "9999年12月31日"},
        {"text", Ptr(text, kText), "abc"},
        {"null text", Rec(0, kText), ""},
        {"byte set to its first zero", Ptr(bytes, kByteSet), "AB"},
        {"byte set without zero", Ptr(noZero, kByteSet), "ABC"},
        {"empty byte set", ByteSetArg(nullptr), ""},
        {"null byte set", Rec(0, kByteSet), ""},
        {"integer array", Ptr(ints, kInt | kPointerFlag), "AB"},
        {"short array", Ptr(shorts, kShort | kPointerFlag), "ABCD"},
        {"two-dimensional array", Ptr(twoDims, kInt | kPointerFlag), "AAAABBB"},
        {"text array", Ptr(texts, kText | kPointerFlag), ""},
        {"subroutine", Rec(0x401000, kSubroutine), ""},
        {"object", Rec(0x1234, kComObject), ""},
        {"omitted", OmittedArg(), ""},
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        CHECK(Hex(TextOf(cmd::ToText, c.value)) == Hex(c.expected));
    }
}

TEST_CASE("ToText of NaN is a fixed text whatever the C library") {
    std::string t = TextOf(cmd::ToText, DoubleArg(kNaN));
    CHECK((t == "1.#QNAN" || t == "-1.#IND"));
    uint64_t indefinite = 0xFFF8000000000000ULL;
    double d;
    memcpy(&d, &indefinite, 8);
    CHECK(TextOf(cmd::ToText, DoubleArg(d)) == "-1.#IND");
}

TEST_CASE("the typed ToText calls and ToHexText") {
    LeakCheck leaks;
    {
        uint8_t raw[] = {'H', 'i', 0, 'x'};
        ByteSetVar bs(NewByteSetBlock(4));
        memcpy(bs.data(), raw, 4);
        CHECK(Str(ToText(bs)) == "Hi");
        CHECK(Str(ToText(-5)) == "-5");
        CHECK(Str(ToText(0.1)) == "0.1");
        CHECK(Str(ToText(static_cast<int64_t>(-59011488000LL))) == "-59011488000");
        CHECK(Str(ToText(BoolArg(true))) == "真");
        CHECK(ToText(ByteSetVar()).get() == nullptr);
        struct {
            int32_t v;
            const char* hex;
        } hexes[] = {{-1, "FFFFFFFF"}, {255, "FF"}, {0, "0"}, {0x0ABCDEF0, "ABCDEF0"}, {INT32_MIN, "80000000"}};
        for (auto& h : hexes) {
            CAPTURE(h.v);
            CHECK(Str(ToHexText(h.v)) == h.hex);
        }
    }
    CHECK(leaks.leaked() == 0);
}

TEST_CASE("texts parse as numbers after full-width characters become half-width") {
    struct Case {
        const char* text;
        double number;
        int32_t integer;
        int16_t shortValue;
        uint8_t byteValue;
        int64_t longValue;
    } cases[] = {
        {"123", 123, 123, 123, 123, 123},
        {"\xA3\xB1\xA3\xB2\xA3\xB3", 123, 123, 123, 123, 123},  // full-width 123
        {"\xA3\xAD\xA3\xB5", -5, -5, -5, 251, -5},               // full-width -5
        {"\xA1\xA1" "9", 9, 9, 9, 9, 9},                          // full-width space
        {"12abc", 12, 12, 12, 12, 12},
        {"abc", 0, 0, 0, 0, 0},
        {"", 0, 0, 0, 0, 0},
        {"  -42", -42, -42, -42, 214, -42},
        {"\t\n 5", 5, 5, 5, 5, 5},
        {"+7", 7, 7, 7, 7, 7},
        {"3.7", 3.7, 3, 3, 3, 3},
        {"-3.7e2", -370, -3, -3, 253, -3},
        {"1e5", 100000, 1, 1, 1, 1},
        {".5", 0.5, 0, 0, 0, 0},
        {"5.", 5, 5, 5, 5, 5},
        {"-", 0, 0, 0, 0, 0},
        {"1e", 1, 1, 1, 1, 1},
        {"1e+", 1, 1, 1, 1, 1},
        {"0x1A", 0, 0, 0, 0, 0},
        {"inf", 0, 0, 0, 0, 0},
        {"nan", 0, 0, 0, 0, 0},
        {"1d5", 1, 1, 1, 1, 1},
        {"70000", 70000, 70000, 4464, 112, 70000},
        {"99999999999", 99999999999.0, INT32_MAX, -1, 255, 99999999999LL},
        {"-99999999999", -99999999999.0, INT32_MIN, 0, 0, -99999999999LL},
        {"18446744073709551617", 18446744073709551617.0, INT32_MAX, -1, 255, 1},
        {"-9223372036854775808", -9223372036854775808.0, INT32_MIN, 0, 0, INT64_MIN},
    };
    LeakCheck leaks;
    for (const Case& c : cases) {
        CAPTURE(c.text);
        CHECK(ToNumber(c.text) == c.number);
        CHECK(ToInt(c.text) == c.integer);
        CHECK(ToShort(c.text) == c.shortValue);
        CHECK(ToByte(c.text) == c.byteValue);
        CHECK(ToLong(c.text) == c.longValue);
    }
    // A text longer than the parser's stack buffer.
    std::string padded(300, ' ');
    padded += "\xA3\xB4" "2.5";
    CHECK(ToInt(padded.c_str()) == 42);
    CHECK(ToNumber(padded.c_str()) == 42.5);
    CHECK(ToLong(padded.c_str()) == 42);
    CHECK(leaks.leaked() == 0);
}

TEST_CASE("numbers convert between kinds by the conversion table") {
    float f = -2.75f;
    char text[] = "17";
    int32_t array[] = {1, 1, 5};
    struct Case {
        const char* name;
        ArgRecord value;
        double number;
        int32_t integer;
        int16_t shortValue;
        uint8_t byteValue;
        int64_t longValue;
    } cases[] = {
        {"bool", Rec(1, kBool), 1, 1, 1, 1, 1},
        {"int -1", IntArg(-1), -1, -1, -1, 255, -1},
        {"int", IntArg(0x12345678), 305419896, 305419896, 0x5678, 0x78, 305419896},
        {"subroutine", Rec(0x80000000u, kSubroutine), 2147483648.0, INT32_MIN, 0, 0, 2147483648LL},
        {"byte", Rec(0xFF, kByte), 255, 255, 255, 255, 255},
        {"short", Rec(0x8000, kShort), -32768, -32768, -32768, 0, -32768},
        {"long", LongArg(0x100000005LL), 4294967301.0, 5, 5, 5, 0x100000005LL},
        {"long -1", LongArg(-1), -1, -1, -1, 255, -1},
        {"float", FloatRec(f), -2.75, -2, -2, 254, -2},
        {"double", DoubleArg(70000.9), 70000.9, 70000, 4464, 112, 70000},
        {"double beyond 32 bits", DoubleArg(-1e10), -1e10, INT32_MIN, 7168, 0, -10000000000LL},
        {"double beyond 64 bits", DoubleArg(1e30), 1e30, INT32_MIN, 0, 0, INT64_MIN},
        {"text", Ptr(text, kText), 17, 17, 17, 17, 17},
        {"date-time", DateTimeArg(44040.5), 0, 0, 0, 0, 0},
        {"array", Ptr(array, kInt | kPointerFlag), 0, 0, 0, 0, 0},
        {"byte set", ByteSetArg(nullptr), 0, 0, 0, 0, 0},
        {"omitted", OmittedArg(), 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        ArgRecord a = c.value;
        ArgRecord n = CallCommand(cmd::ToNumber, 1, &a);
        ArgRecord i = CallCommand(cmd::ToInt, 1, &a);
        ArgRecord s = CallCommand(cmd::ToShort, 1, &a);
        ArgRecord b = CallCommand(cmd::ToByte, 1, &a);
        ArgRecord l = CallCommand(cmd::ToLong, 1, &a);
        CHECK(n.type == kDouble);
        CHECK(i.type == kInt);
        CHECK(s.type == kShort);
        CHECK(b.type == kByte);
        CHECK(l.type == kLong);
        CHECK(RecordDouble(n) == c.number);
        CHECK(static_cast<int32_t>(i.value) == c.integer);
        CHECK(static_cast<int16_t>(s.value) == c.shortValue);
        CHECK(static_cast<uint8_t>(b.value) == c.byteValue);
        CHECK(RecordLong(l) == c.longValue);
    }
    CHECK(ToInt(-3.9) == -3);
    CHECK(ToLong(-3.9) == -3);
    CHECK(ToInt(kNaN) == INT32_MIN);
    CHECK(ToLong(kNaN) == INT64_MIN);
    CHECK(std::isnan(ToNumber(DoubleArg(kNaN))));
    CHECK(ToInt(LongArg(-2)) == -2);
    CHECK(ToLong(IntArg(-2)) == -2);
}

TEST_CASE("ToDateTime reads the runtime's date grammar and rejects what normalising would change") {
    struct Case {
        const char* text;
        bool ok;
        int y, mo, d, h, mi, s;
    } cases[] = {
        {"2020-7-28 12:05", true, 2020, 7, 28, 12, 5, 0},
        {"2020年7月28日12时5分3秒", true, 2020, 7, 28, 12, 5, 3},
        {"2020年7月28日", true, 2020, 7, 28, 0, 0, 0},
        {"2020/07/28", true, 2020, 7, 28, 0, 0, 0},
        {"2020.7.28", true, 2020, 7, 28, 0, 0, 0},
        {"2020:7:28:1:2:3", true, 2020, 7, 28, 1, 2, 3},
        {"2020-7-28 12:05:03秒", true, 2020, 7, 28, 12, 5, 3},
        {"2020-7-28 12:05:03秒later", true, 2020, 7, 28, 12, 5, 3},
        {"\xA3\xB2\xA3\xB0\xA3\xB2\xA3\xB0\xA3\xAD\xA3\xB7\xA3\xAD\xA3\xB2\xA3\xB8", true, 2020, 7, 28, 0, 0, 0},
        {"20200728", true, 2020, 7, 28, 0, 0, 0},  // the field widths alone split it
        {"2000-2-29", true, 2000, 2, 29, 0, 0, 0},
        {"2400-2-29", true, 2400, 2, 29, 0, 0, 0},
        {"9999-12-31", true, 9999, 12, 31, 0, 0, 0},
        {"100-1-1", true, 100, 1, 1, 0, 0, 0},
        {"2020-7-28 23:59:59", true, 2020, 7, 28, 23, 59, 59},
        {"2020-2-30", false, 0, 0, 0, 0, 0, 0},
        {"1900-2-29", false, 0, 0, 0, 0, 0, 0},
        {"2100-2-29", false, 0, 0, 0, 0, 0, 0},
        {"20-1-1", false, 0, 0, 0, 0, 0, 0},
        {"2020-13-1", false, 0, 0, 0, 0, 0, 0},
        {"2020-7-28 24:00", false, 0, 0, 0, 0, 0, 0},
        {"2020-7-28 23:60", false, 0, 0, 0, 0, 0, 0},
        {"2020-7-28 23:00:60", false, 0, 0, 0, 0, 0, 0},
        {"2020-7", false, 0, 0, 0, 0, 0, 0},
        {"2020", false, 0, 0, 0, 0, 0, 0},
        {"", false, 0, 0, 0, 0, 0, 0},
        {"   ", false, 0, 0, 0, 0, 0, 0},
        {"2020-7-28abc", false, 0, 0, 0, 0, 0, 0},
        {"2020-7-28 12:05:03.5", false, 0, 0, 0, 0, 0, 0},
        {"2020--7-28", false, 0, 0, 0, 0, 0, 0},
        {"2020-7-28  12:05", false, 0, 0, 0, 0, 0, 0},
        {"12020-1-1", false, 0, 0, 0, 0, 0, 0},
        {"2020年7月28日12时5分3", true, 2020, 7, 28, 12, 5, 3},
        {"2020-7-28\xD6", true, 2020, 7, 28, 0, 0, 0},  // a lone lead byte at the end is dropped
    };
    for (const Case& c : cases) {
        CAPTURE(c.text);
        double t = ToDateTime(c.text);
        double expected = c.ok ? MakeDateTime(c.y, c.mo, c.d, c.h, c.mi, c.s) : kMinDateTime;
        CHECK(t == expected);
    }
    // Sources that are not text.
    ArgRecord dt = DateTimeArg(44040.25);
    CHECK(RecordDouble(CallCommand(cmd::ToDateTime, 1, &dt)) == 44040.25);
    CHECK(CallCommand(cmd::ToDateTime, 1, &dt).type == kDateTime);
    dt = DateTimeArg(3000000.0);
    CHECK(RecordDouble(CallCommand(cmd::ToDateTime, 1, &dt)) == kMaxDateTime);
    dt = DateTimeArg(-700000.0);
    CHECK(RecordDouble(CallCommand(cmd::ToDateTime, 1, &dt)) == kMinDateTime);
    ArgRecord i = IntArg(44040);
    CHECK(RecordDouble(CallCommand(cmd::ToDateTime, 1, &i)) == kMinDateTime);
}
