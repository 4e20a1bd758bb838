// Numbers written as Chinese numerals and as money amounts.
#include <cmath>
#include <cstring>

#include "command_args.h"
#include "commands_convert.h"

namespace {

// Two bytes a character (code page 936).
const char kSimpleDigits[] = "零一二三四五六七八九";
const char kFormalDigits[] = "零壹贰叁肆伍陆柒捌玖";
const char kSimpleUnits[] = "十百千万十百千亿十百千万";
const char kFormalUnits[] = "拾佰仟万拾佰仟亿拾佰仟万";

struct Writer {
    char buf[128];
    int32_t len = 0;
    void add(const char* s, int32_t n) {
        memcpy(buf + len, s, n);
        len += n;
    }
    void add(const char* s) { add(s, static_cast<int32_t>(strlen(s))); }
    void addChar(const char* table, int index) { add(table + 2 * index, 2); }
    void prepend(const char* s) {
        int32_t n = static_cast<int32_t>(strlen(s));
        memmove(buf + n, buf, len);
        memcpy(buf, s, n);
        len += n;
    }
};

// m rounded to an integer, halves upward. The small bias lifts values that floating point
// left just under an integer (0.29 × 100 = 28.999999999999996) onto it before the integer
// part is taken, so such values are not cut down by one.
double RoundHundredths(double m) {
    double biased = m + 1e-12;
    double whole = floor(biased);
    return biased - whole >= 0.5 ? whole + 1 : whole;
}

int Digits(int64_t v, int* d) {
    int n = 0;
    while (v > 0) {
        d[n++] = static_cast<int>(v % 10);
        v /= 10;
    }
    return n;
}

bool ZerosBelow(const int* d, int from, int i) {
    for (int j = from; j < i; ++j)
        if (d[j]) return false;
    return true;
}

const char* Tables(const ArgRecord* args, int count, const char** units) {
    bool simple = count > 1 && ArgBool(args[1]);
    *units = simple ? kSimpleUnits : kFormalUnits;
    return simple ? kSimpleDigits : kFormalDigits;
}

}  // namespace

namespace cmd {

LIBRARY_COMMAND(NumberToChinese) {
    const char* units;
    const char* digits = Tables(args, count, &units);
    double number = count > 0 ? ArgDouble(args[0]) : 0;
    bool negative = number < 0;
    double mag = fabs(number);
    Writer w;
    if (mag == 0) {
        w.addChar(digits, 0);
        return ResultText(result, w.buf, w.len);
    }
    if (!(mag <= 9999999999999.0)) {  // NaN too: it has no numerals
        w.add("溢出");
        return ResultText(result, w.buf, w.len);
    }
    double whole = floor(mag);
    int64_t integer = static_cast<int64_t>(whole);
    int g = static_cast<int>(RoundHundredths((mag - whole) * 100));
    char decimals[8] = "";
    if (g >= 100) {
        ++integer;
    } else if (g) {
        char three[4] = {static_cast<char>('1'), static_cast<char>('0' + g / 10), static_cast<char>('0' + g % 10), 0};
        int n = 3;
        while (three[n - 1] == '0') --n;
        int k = 0;
        for (int i = 1; i < n; ++i) decimals[k++] = three[i];
        decimals[k] = 0;
    }
    if (!integer && !decimals[0]) {
        // Rounds to zero at two decimals: written as zero, without a sign.
        w.addChar(digits, 0);
        return ResultText(result, w.buf, w.len);
    }
    int d[16] = {0};
    int n = Digits(integer, d);
    if (!n) w.addChar(digits, 0);
    int lowest = 0;
    while (lowest < n && !d[lowest]) ++lowest;
    bool pendingZero = false;
    for (int i = n - 1; i >= 0; --i) {
        if (!d[i]) {
            if (i > lowest) pendingZero = true;
            continue;
        }
        if (pendingZero) w.addChar(digits, 0);
        pendingZero = false;
        w.addChar(digits, d[i]);
        if (i > 0) w.addChar(units, i - 1);
        if (i > 4 && i <= 7 && ZerosBelow(d, 4, i)) w.add("万");
        if (i > 8 && ZerosBelow(d, 8, i)) w.add("亿");
    }
    if (decimals[0]) {
        w.add("点");
        for (const char* p = decimals; *p; ++p) w.addChar(digits, *p - '0');
    }
    if (negative) w.prepend("负");
    ResultText(result, w.buf, w.len);
}

LIBRARY_COMMAND(NumberToAmount) {
    const char* units;
    const char* digits = Tables(args, count, &units);
    double number = count > 0 ? ArgDouble(args[0]) : 0;
    bool negative = number < 0;
    double cents = RoundHundredths(fabs(number) * 100);
    Writer w;
    if (!(cents <= 999999999999999.0)) {  // NaN too
        w.add("溢出");
        return ResultText(result, w.buf, w.len);
    }
    int64_t n = static_cast<int64_t>(cents);
    if (!n) {
        w.addChar(digits, 0);
        return ResultText(result, w.buf, w.len);
    }
    int d[16] = {0};
    int len = Digits(n, d);
    int lowest = 0;
    while (!d[lowest]) ++lowest;
    bool pendingZero = false;
    for (int i = len - 1; i >= 0; --i) {
        if (!d[i]) {
            if (i > lowest) pendingZero = true;
            continue;
        }
        if (pendingZero) w.addChar(digits, 0);
        pendingZero = false;
        w.addChar(digits, d[i]);
        if (i == 0) w.add("分");
        else if (i == 1) w.add("角");
        else if (i >= 3) w.addChar(units, i - 3);
        if (i > 6 && i <= 9 && ZerosBelow(d, 6, i)) w.add("万");
        if (i > 10 && ZerosBelow(d, 10, i)) w.add("亿");
        if (i >= 2 && ZerosBelow(d, 2, i)) w.add("元");
    }
    if (d[0] == 0) w.add("整");
    if (negative) w.prepend("负");
    ResultText(result, w.buf, w.len);
}

}  // namespace cmd
