#include <climits>
#include <cmath>
#include <string>

#include "runtime/call_command.h"
#include "runtime/commands_convert.h"
#include "runtime/library.h"
#include "test_support.h"

TEST_CASE("IntDivide and Remainder fold their operands left to right") {
    struct Case {
        std::initializer_list<double> operands;
        double quotient;
        double remainder;
    } cases[] = {
        {{7, 2}, 3, 1},
        {{-7, 2}, -3, -1},
        {{7, -2}, -3, 1},
        {{-7, -2}, 3, -1},
        {{7.9, 1}, 7, 0.9000000000000004},
        {{7.5, 2}, 3, 1.5},
        {{100, 3, 4}, 8, 1},   // 100 / 3 -> 33, / 4 -> 8;  100 % 3 -> 1, % 4 -> 1
        {{100, 7, 3}, 4, 2},   // 14 / 3 -> 4;  2 % 3 -> 2
        {{5.5}, 5.5, 5.5},
        {{1e20, 3}, 33333333333333331968.0, 1},
    };
    for (const Case& c : cases) {
        CAPTURE(*c.operands.begin());
        CAPTURE(c.operands.size());
        CHECK(IntDivide(c.operands) == c.quotient);
        CHECK(Remainder(c.operands) == c.remainder);
    }
    CHECK(IntDivide(7, 2) == 3);
    CHECK(Remainder(-7, 2) == -1);
    // Operands of other numeric kinds are read as numbers.
    ArgRecord mixed[] = {IntArg(-9), LongArg(4)};
    CHECK(RecordDouble(CallCommand(cmd::IntDivide, 2, mixed)) == -2);
    CHECK(RecordDouble(CallCommand(cmd::Remainder, 2, mixed)) == -1);
}

CHILD_CASE(int_divide_by_zero) { IntDivide(1, 0); }
CHILD_CASE(int_divide_by_zero_later_in_chain) { IntDivide({8, 2, 0, 1}); }
CHILD_CASE(int_divide_by_integer_zero) {
    ArgRecord r[] = {IntArg(5), IntArg(0)};
    CallCommand(cmd::IntDivide, 2, r);
}
CHILD_CASE(remainder_by_zero) { Remainder(1, 0); }
CHILD_CASE(remainder_by_zero_later_in_chain) { Remainder({8, 3, -0.0}); }

TEST_CASE("dividing by zero is a fatal runtime error") {
    const char* divide = "运行时出错!\r\n\r\n错误信息：不能整除于零\r\n\r\n0, 0\r\n";
    const char* remainder = "运行时出错!\r\n\r\n错误信息：不能求余数于零\r\n\r\n0, 0\r\n";
    struct Case {
        const char* name;
        const char* report;
    } cases[] = {
        {"int_divide_by_zero", divide},
        {"int_divide_by_zero_later_in_chain", divide},
        {"int_divide_by_integer_zero", divide},
        {"remainder_by_zero", remainder},
        {"remainder_by_zero_later_in_chain", remainder},
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        ChildRun run = RunChildCase(c.name);
        CHECK(run.exitCode == -1);
        CHECK(Hex(run.output) == Hex(c.report));
    }
}

TEST_CASE("Power is the standard pow") {
    CHECK(Power(2, 10) == 1024);
    CHECK(Power(2, -1) == 0.5);
    CHECK(Power(9, 0.5) == 3);
    CHECK(Power(0, 0) == 1);
    CHECK(Power(16, 7) == 268435456);
    CHECK(std::isnan(Power(-8, 1.0 / 3)));
}

TEST_CASE("the bit commands work on 32-bit values") {
    struct Chain {
        std::initializer_list<int32_t> operands;
        int32_t andValue, orValue, xorValue;
    } chains[] = {
        {{0xF0F0, 0xFF00}, 0xF000, 0xFFF0, 0x0FF0},
        {{-1, 0x1234, 0x0FF0}, 0x0230, -1, static_cast<int32_t>(0xFFFFE23B)},
        {{INT32_MIN, -1}, INT32_MIN, -1, INT32_MAX},
        {{0x5A}, 0x5A, 0x5A, 0x5A},
    };
    for (const Chain& c : chains) {
        CAPTURE(*c.operands.begin());
        CAPTURE(c.operands.size());
        CHECK(BitAnd(c.operands) == c.andValue);
        CHECK(BitOr(c.operands) == c.orValue);
        CHECK(BitXor(c.operands) == c.xorValue);
    }
    CHECK(BitXor(0x0F, 0xFF) == 0xF0);
    // A long operand takes part with its low 32 bits.
    ArgRecord wide[] = {LongArg(0x1FFFFFFFFLL), IntArg(0x7F)};
    CHECK(static_cast<int32_t>(CallCommand(cmd::BitAnd, 2, wide).value) == 0x7F);

    struct Shift {
        int32_t v, n, left, right;
    } shifts[] = {
        {-8, 1, -16, -4},
        {1, 33, 2, 0},
        {1, 31, INT32_MIN, 0},
        {1, 32, 1, 1},
        {-1, -1, INT32_MIN, -1},  // a count of -1 is 31
        {INT32_MIN, 31, 0, -1},
        {0x40000000, 30, 0, 1},
        {8, 35, 64, 1},
        {0x12345678, 0, 0x12345678, 0x12345678},
    };
    for (const Shift& s : shifts) {
        CAPTURE(s.v);
        CAPTURE(s.n);
        CHECK(ShiftLeft(s.v, s.n) == s.left);
        CHECK(ShiftRight(s.v, s.n) == s.right);
    }
    CHECK(BitNot(0) == -1);
    CHECK(BitNot(0x0F0F0F0F) == static_cast<int32_t>(0xF0F0F0F0));
    CHECK(BitNot(INT32_MIN) == INT32_MAX);
}
