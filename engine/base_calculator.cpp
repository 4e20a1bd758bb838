#include "engine/base_calculator.h"

#include "runtime/library.h"

namespace {
const char kDigitAlphabet[] = "0123456789ABCDEF";
const char kRangeMessage[] = "\r\n转换失败：数值超出容纳范围";
const char kSignMessage[] = "\r\n转换失败：不支持转换负数以及小数";
const char kNoBaseMessage[] = "错误";

// The value is carried exactly as two 32-bit halves held in doubles, so that every step
// stays below 2^53 and the double commands never round: a signed 64-bit number then
// converts digit for digit, and only 2^63 and above is out of range.
const double kHalf = 4294967296.0;      // 2^32
const double kHighLimit = 2147483648.0;  // a high half of 2^31 means the value reached 2^63

bool IsSupportedBase(int32_t base) { return base == 2 || base == 8 || base == 10 || base == 16; }

const char* BaseName(int32_t base) {
    switch (base) {
        case 2: return "二";
        case 8: return "八";
        case 10: return "十";
        default: return "十六";
    }
}

// Longest raw input, spaces included, that each base accepts.
int32_t LengthLimit(int32_t base) {
    switch (base) {
        case 2: return 63;
        case 8: return 21;
        case 10: return 19;
        case 16: return 16;
        default: return 0;
    }
}

// 0-based index of c among the first count digits, or -1.
int32_t DigitIndex(const uint8_t* alphabet, int32_t count, uint8_t c) {
    for (int32_t i = 0; i < count; ++i) {
        if (alphabet[i] == c) return i;
    }
    return -1;
}

void SetError(TextVar& error, const char* message) { error = JoinTexts({message}); }
}  // namespace

bool RunBaseCalculator(const char* input, int32_t base, TextVar& output) {
    int32_t length = TextLength(input);
    if (length == 0) return false;
    int32_t limit = LengthLimit(base);
    if (limit > 0 && length > limit) {
        output = JoinTexts({kRangeMessage});
        return true;
    }
    output = FormatAllBases(input, base);
    return true;
}

TextVar FormatAllBases(const char* text, int32_t base) {
    TextVar digits = RemoveSpaces(text);
    if (!IsSupportedBase(base)) return JoinTexts({kNoBaseMessage});
    TextVar error;
    TextVar r2 = ConvertBase(digits, base, 2, error);
    TextVar r8 = ConvertBase(digits, base, 8, error);
    TextVar r10 = ConvertBase(digits, base, 10, error);
    TextVar r16 = ConvertBase(digits, base, 16, error);
    if (!error.empty()) return error;
    return JoinTexts({"二进制结果为：", r2, "\r\n\r\n", "八进制结果为：", r8, "\r\n\r\n",
                      "十进制结果为：", r10, "\r\n\r\n", "十六进制结果：", r16});
}

TextVar ConvertBase(const char* value, int32_t from, int32_t to, TextVar& error) {
    if (!IsSupportedBase(from) || !IsSupportedBase(to)) {
        SetError(error, kNoBaseMessage);
        return TextVar();
    }
    if (FindText(value, "-") != -1 || FindText(value, ".") != -1) {
        SetError(error, kSignMessage);
        return TextVar();
    }
    TextVar halfWidth = ToHalfWidth(value);
    TextVar copy = ToUpper(halfWidth);

    ByteSetVar alphabetBytes = ToByteSet(kDigitAlphabet);
    const uint8_t* alphabet = alphabetBytes.data();
    ByteSetVar bytes = ToByteSet(copy);
    int32_t n = ByteSetLength(bytes);
    const uint8_t* digits = bytes.data();
    for (int32_t i = 0; i < n; ++i) {
        if (DigitIndex(alphabet, from, digits[i]) < 0) {
            error = JoinTexts({"\r\n转换失败：“", value, "”不是一个有效的", BaseName(from), "进制数！"});
            return TextVar();
        }
    }
    if (from == to) return copy;

    double high = 0, low = 0;
    for (int32_t i = 0; i < n; ++i) {
        double t = low * from + DigitIndex(alphabet, 16, digits[i]);
        low = Remainder(t, kHalf);
        high = high * from + IntDivide(t, kHalf);
        if (high >= kHighLimit) {
            SetError(error, kRangeMessage);
            return TextVar();
        }
    }

    // Least significant digit first, each one in front of the last: at most 63 of them.
    const int32_t kMaxDigits = 64;
    ByteSetVar out = ZeroByteSet(kMaxDigits);
    uint8_t* w = out.data() + kMaxDigits;
    while (high > 0 || low >= to) {
        double highRest = Remainder(high, to);
        high = IntDivide(high, to);
        double t = highRest * kHalf + low;
        low = IntDivide(t, to);
        *--w = alphabet[ToInt(Remainder(t, to))];
    }
    *--w = alphabet[ToInt(low)];
    ByteSetVar used = ByteSetRight(out, static_cast<int32_t>(out.data() + kMaxDigits - w));
    return ToText(used);
}
