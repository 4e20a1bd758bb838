// Conversions between value kinds: numbers to and from text, any value to text.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "command_args.h"
#include "commands_convert.h"
#include "convert_detail.h"

using namespace convert_detail;

namespace {

// A big number in base 10^9, little end first: room for the 767 digits of the smallest
// subnormal's exact expansion.
struct BigDecimal {
    static const uint32_t kBase = 1000000000u;
    uint32_t limb[96];
    int n;

    void set(uint64_t v) {
        n = 0;
        do {
            limb[n++] = static_cast<uint32_t>(v % kBase);
            v /= kBase;
        } while (v);
    }
    void mul(uint32_t f) {
        uint64_t carry = 0;
        for (int i = 0; i < n; ++i) {
            uint64_t x = static_cast<uint64_t>(limb[i]) * f + carry;
            limb[i] = static_cast<uint32_t>(x % kBase);
            carry = x / kBase;
        }
        while (carry) {
            limb[n++] = static_cast<uint32_t>(carry % kBase);
            carry /= kBase;
        }
    }
    int digits(char* out) const {
        int w = 0;
        char tmp[10];
        uint32_t top = limb[n - 1];
        int t = 0;
        do {
            tmp[t++] = static_cast<char>('0' + top % 10);
            top /= 10;
        } while (top);
        while (t) out[w++] = tmp[--t];
        for (int i = n - 2; i >= 0; --i) {
            uint32_t v = limb[i];
            for (int k = 8; k >= 0; --k) {
                out[w + k] = static_cast<char>('0' + v % 10);
                v /= 10;
            }
            w += 9;
        }
        return w;
    }
};

int32_t Put(char* out, const char* s) {
    int32_t n = static_cast<int32_t>(strlen(s));
    memcpy(out, s, n + 1);
    return n;
}

int32_t FormatUnsigned(uint32_t v, char* out) {
    char tmp[12];
    int t = 0;
    do {
        tmp[t++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v);
    int32_t w = 0;
    while (t) out[w++] = tmp[--t];
    out[w] = 0;
    return w;
}

int32_t FormatInt(int32_t v, char* out) { return FormatLong(v, out); }

// C's atof without the extensions some libraries add (hexadecimal, inf, nan, "d" exponents):
// the accepted prefix is cut out and handed to strtod, which every CRT reads alike.
double ParseDouble(char* s) {
    while (IsSpaceByte(*s)) ++s;
    char* p = s;
    if (*p == '+' || *p == '-') ++p;
    int digits = 0;
    while (IsDigitByte(*p)) ++p, ++digits;
    if (*p == '.') {
        ++p;
        while (IsDigitByte(*p)) ++p, ++digits;
    }
    if (!digits) return 0;
    if (*p == 'e' || *p == 'E') {
        char* q = p + 1;
        if (*q == '+' || *q == '-') ++q;
        if (IsDigitByte(*q)) {
            while (IsDigitByte(*q)) ++q;
            p = q;
        }
    }
    *p = 0;
    return strtod(s, nullptr);
}

// atoi; out-of-range values saturate, as the Windows CRT documents for atoi.
int32_t ParseInt(const char* s) {
    while (IsSpaceByte(*s)) ++s;
    bool neg = false;
    if (*s == '+' || *s == '-') neg = *s++ == '-';
    int64_t acc = 0;
    for (; IsDigitByte(*s); ++s) {
        acc = acc * 10 + (*s - '0');
        if (acc > 2147483648LL) acc = 2147483648LL;
    }
    if (neg) acc = -acc;
    return acc > INT32_MAX ? INT32_MAX : static_cast<int32_t>(acc);
}

// Decimal digits accumulate in 64 bits and wrap on overflow.
int64_t ParseLong(const char* s) {
    while (IsSpaceByte(*s)) ++s;
    bool neg = false;
    if (*s == '+' || *s == '-') neg = *s++ == '-';
    uint64_t acc = 0;
    for (; IsDigitByte(*s); ++s) acc = acc * 10 + static_cast<uint64_t>(*s - '0');
    return static_cast<int64_t>(neg ? 0 - acc : acc);
}

bool IsPlainText(const ArgRecord& a) { return a.type == kText; }

// The numeric reading of a value of a basic kind by the conversion table: whole values in
// 64 bits, float and double as doubles. False for kinds that convert to 0.
struct Reading {
    bool isReal;
    int64_t whole;
    double real;
};

bool ReadValue(const ArgRecord& a, Reading* r) {
    r->isReal = false;
    r->whole = 0;
    r->real = 0;
    if (a.type & kPointerFlag) return false;
    switch (a.type) {
    case kBool: case kInt: r->whole = static_cast<int32_t>(a.value); return true;
    case kSubroutine: r->whole = static_cast<int64_t>(a.value); return true;
    case kByte: r->whole = static_cast<uint8_t>(a.value); return true;
    case kShort: r->whole = static_cast<int16_t>(a.value); return true;
    case kLong: r->whole = static_cast<int64_t>(RecordBits(a)); return true;
    case kFloat: case kDouble:
        r->isReal = true;
        r->real = ArgDouble(a);
        return true;
    default: return false;
    }
}

// The whole-number reading of any value: text parsed with atoi, reals truncated (through 64
// bits, so the low bits of a large value are its own).
int64_t WholeOf(const ArgRecord& a) {
    if (IsPlainText(a)) {
        HalfWidthText h(ArgText(a));
        return ParseInt(h.get());
    }
    Reading r;
    if (!ReadValue(a, &r)) return 0;
    return r.isReal ? TruncToInt64(r.real) : r.whole;
}

}  // namespace

namespace convert_detail {

int32_t TruncToInt32(double v) {
    if (!(v > -2147483649.0 && v < 2147483648.0)) return INT32_MIN;
    return static_cast<int32_t>(v);
}

int64_t TruncToInt64(double v) {
    if (!(v >= -9223372036854775808.0 && v < 9223372036854775808.0)) return INT64_MIN;
    return static_cast<int64_t>(v);
}

int32_t FormatLong(int64_t v, char* out) {
    uint64_t mag = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
    char tmp[24];
    int t = 0;
    do {
        tmp[t++] = static_cast<char>('0' + mag % 10);
        mag /= 10;
    } while (mag);
    int32_t w = 0;
    if (v < 0) out[w++] = '-';
    while (t) out[w++] = tmp[--t];
    out[w] = 0;
    return w;
}

int32_t FormatNumber(double v, int precision, char* out) {
    uint64_t bits;
    memcpy(&bits, &v, 8);
    bool neg = bits >> 63;
    int exp = static_cast<int>((bits >> 52) & 0x7FF);
    uint64_t frac = bits & ((1ULL << 52) - 1);
    if (exp == 0x7FF) {
        // The texts of the Windows CRT for infinities and NaNs.
        if (!frac) return Put(out, neg ? "-1.#INF" : "1.#INF");
        if (neg && frac == (1ULL << 51)) return Put(out, "-1.#IND");
        bool quiet = frac >> 51;
        return Put(out, neg ? (quiet ? "-1.#QNAN" : "-1.#SNAN") : (quiet ? "1.#QNAN" : "1.#SNAN"));
    }
    char* p = out;
    if (neg) *p++ = '-';
    uint64_t m = exp ? frac | (1ULL << 52) : frac;
    int e2 = exp ? exp - 1075 : -1074;
    if (!m) {
        *p++ = '0';
        *p = 0;
        return static_cast<int32_t>(p - out);
    }
    while (!(m & 1) && e2 < 0) {
        m >>= 1;
        ++e2;
    }
    // The exact value is big × 10^-shift.
    BigDecimal big;
    big.set(m);
    int shift = 0;
    if (e2 < 0) {
        shift = -e2;
        int k = shift;
        for (; k >= 13; k -= 13) big.mul(1220703125u);  // 5^13
        uint32_t f = 1;
        while (k--) f *= 5;
        big.mul(f);
    } else {
        int k = e2;
        for (; k >= 30; k -= 30) big.mul(1u << 30);
        big.mul(1u << k);
    }
    char dg[800];
    int nd = big.digits(dg);
    int x = nd - 1 - shift;  // decimal exponent of the first digit
    if (nd > precision) {
        bool up = dg[precision] >= '5';  // halves away from zero
        nd = precision;
        if (up) {
            int i = nd - 1;
            while (i >= 0 && dg[i] == '9') dg[i--] = '0';
            if (i < 0) {
                dg[0] = '1';
                ++x;
            } else {
                ++dg[i];
            }
        }
    }
    while (nd > 1 && dg[nd - 1] == '0') --nd;
    if (x < -4 || x >= precision) {
        *p++ = dg[0];
        if (nd > 1) {
            *p++ = '.';
            memcpy(p, dg + 1, nd - 1);
            p += nd - 1;
        }
        *p++ = 'e';
        *p++ = x < 0 ? '-' : '+';
        int ax = x < 0 ? -x : x;
        p[0] = static_cast<char>('0' + ax / 100);
        p[1] = static_cast<char>('0' + ax / 10 % 10);
        p[2] = static_cast<char>('0' + ax % 10);
        p += 3;
    } else if (x >= 0) {
        for (int i = 0; i <= x; ++i) *p++ = i < nd ? dg[i] : '0';
        if (nd > x + 1) {
            *p++ = '.';
            memcpy(p, dg + x + 1, nd - x - 1);
            p += nd - x - 1;
        }
    } else {
        *p++ = '0';
        *p++ = '.';
        for (int i = 0; i < -x - 1; ++i) *p++ = '0';
        memcpy(p, dg, nd);
        p += nd;
    }
    *p = 0;
    return static_cast<int32_t>(p - out);
}

}  // namespace convert_detail

namespace cmd {

LIBRARY_COMMAND(ToText) {
    if (count < 1) return ResultText(result, nullptr, 0);
    const ArgRecord& a = args[0];
    TypeCode kind = KindOf(a.type);
    const uint8_t* bytes = nullptr;
    int32_t n = 0;
    if (a.type == kByteSet) {
        bytes = ArgBytes(a, &n);
    } else if (a.type & kPointerFlag) {
        void* block = reinterpret_cast<void*>(a.value);
        if (IsNumericKind(kind) && block) {
            n = ArrayElementCount(block) * KindSize(kind);
            bytes = ArrayElements(block);
        }
    } else {
        char buf[64];
        int32_t len = 0;
        switch (kind) {
        case kByte: len = FormatUnsigned(static_cast<uint8_t>(a.value), buf); break;
        case kShort: len = FormatInt(static_cast<int16_t>(a.value), buf); break;
        case kInt: len = FormatInt(static_cast<int32_t>(a.value), buf); break;
        case kLong: len = FormatLong(ArgLong(a), buf); break;
        case kFloat: len = FormatNumber(ArgDouble(a), 6, buf); break;
        case kDouble: len = FormatNumber(ArgDouble(a), 13, buf); break;
        case kBool: len = Put(buf, a.value ? "真" : "假"); break;
        case kDateTime: len = FormatDateTime(ArgDouble(a), 1, buf); break;
        case kText: {
            const char* t = ArgText(a);
            return ResultText(result, t, static_cast<int32_t>(strlen(t)));
        }
        default: break;
        }
        return ResultText(result, buf, len);
    }
    const void* zero = n > 0 ? memchr(bytes, 0, n) : nullptr;
    if (zero) n = static_cast<int32_t>(static_cast<const uint8_t*>(zero) - bytes);
    ResultText(result, reinterpret_cast<const char*>(bytes), n);
}

LIBRARY_COMMAND(ToHexText) {
    uint32_t v = count > 0 ? static_cast<uint32_t>(ArgInt(args[0])) : 0;
    char buf[9];
    char tmp[8];
    int t = 0;
    do {
        tmp[t++] = "0123456789ABCDEF"[v & 15];
        v >>= 4;
    } while (v);
    int w = 0;
    while (t) buf[w++] = tmp[--t];
    ResultText(result, buf, w);
}

LIBRARY_COMMAND(ToNumber) {
    double v = 0;
    if (count > 0) {
        const ArgRecord& a = args[0];
        Reading r;
        if (IsPlainText(a)) {
            HalfWidthText h(ArgText(a));
            v = ParseDouble(h.get());
        } else if (ReadValue(a, &r)) {
            // The subroutine address reads unsigned: it was zero-extended into whole.
            v = r.isReal ? r.real : static_cast<double>(r.whole);
        }
    }
    ResultDouble(result, v);
}

LIBRARY_COMMAND(ToInt) {
    int32_t v = 0;
    if (count > 0) {
        const ArgRecord& a = args[0];
        Reading r;
        if (IsPlainText(a)) {
            HalfWidthText h(ArgText(a));
            v = ParseInt(h.get());
        } else if (ReadValue(a, &r)) {
            v = r.isReal ? TruncToInt32(r.real) : static_cast<int32_t>(r.whole);
        }
    }
    ResultInt(result, v);
}

LIBRARY_COMMAND(ToShort) { ResultShort(result, static_cast<int16_t>(count > 0 ? WholeOf(args[0]) : 0)); }

LIBRARY_COMMAND(ToByte) { ResultByte(result, static_cast<uint8_t>(count > 0 ? WholeOf(args[0]) : 0)); }

LIBRARY_COMMAND(ToLong) {
    int64_t v = 0;
    if (count > 0) {
        const ArgRecord& a = args[0];
        Reading r;
        if (IsPlainText(a)) {
            HalfWidthText h(ArgText(a));
            v = ParseLong(h.get());
        } else if (ReadValue(a, &r)) {
            v = r.isReal ? TruncToInt64(r.real) : r.whole;
        }
    }
    ResultLong(result, v);
}

LIBRARY_COMMAND(ToDateTime) {
    double t = kMinDateTime;
    if (count > 0) {
        const ArgRecord& a = args[0];
        if (a.type == kDateTime) {
            t = ClampDateTimeValue(ArgDouble(a));
        } else if (IsPlainText(a)) {
            if (!ParseDateTime(ArgText(a), &t)) t = kMinDateTime;
        }
    }
    ResultDateTime(result, t);
}

}  // namespace cmd
