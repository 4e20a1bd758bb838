// Arithmetic and bit commands. The chain commands fold all their arguments left to right.
#include <cmath>
#include <cstdint>

#include "command_args.h"
#include "commands_convert.h"
#include "notify.h"

namespace {

[[noreturn]] void Fatal(const char* message) {
    RuntimeNotify(kNotifyFatalError, reinterpret_cast<uintptr_t>(message), 0);
    __builtin_unreachable();
}

int32_t FoldBits(int count, const ArgRecord* args, int op) {
    if (count < 1) return 0;
    uint32_t x = static_cast<uint32_t>(ArgInt(args[0]));
    for (int i = 1; i < count; ++i) {
        uint32_t y = static_cast<uint32_t>(ArgInt(args[i]));
        x = op == 0 ? (x & y) : op == 1 ? (x | y) : (x ^ y);
    }
    return static_cast<int32_t>(x);
}

int32_t Second(int count, const ArgRecord* args) { return count > 1 ? ArgInt(args[1]) : 0; }

}  // namespace

namespace cmd {

LIBRARY_COMMAND(Power) {
    double a = count > 0 ? ArgDouble(args[0]) : 0;
    double b = count > 1 ? ArgDouble(args[1]) : 0;
    ResultDouble(result, pow(a, b));
}

LIBRARY_COMMAND(IntDivide) {
    double x = count > 0 ? ArgDouble(args[0]) : 0;
    for (int i = 1; i < count; ++i) {
        double d = ArgDouble(args[i]);
        if (d == 0) Fatal("不能整除于零");
        x = trunc(x / d);
    }
    ResultDouble(result, x);
}

LIBRARY_COMMAND(Remainder) {
    double x = count > 0 ? ArgDouble(args[0]) : 0;
    for (int i = 1; i < count; ++i) {
        double d = ArgDouble(args[i]);
        if (d == 0) Fatal("不能求余数于零");
        x = fmod(x, d);
    }
    ResultDouble(result, x);
}

LIBRARY_COMMAND(BitAnd) { ResultInt(result, FoldBits(count, args, 0)); }
LIBRARY_COMMAND(BitOr) { ResultInt(result, FoldBits(count, args, 1)); }
LIBRARY_COMMAND(BitXor) { ResultInt(result, FoldBits(count, args, 2)); }

LIBRARY_COMMAND(BitNot) { ResultInt(result, count > 0 ? ~ArgInt(args[0]) : -1); }

LIBRARY_COMMAND(ShiftLeft) {
    uint32_t v = count > 0 ? static_cast<uint32_t>(ArgInt(args[0])) : 0;
    ResultInt(result, static_cast<int32_t>(v << (Second(count, args) & 31)));
}

LIBRARY_COMMAND(ShiftRight) {
    int32_t v = count > 0 ? ArgInt(args[0]) : 0;
    ResultInt(result, v >> (Second(count, args) & 31));
}

}  // namespace cmd
