// Date-time commands. A date-time is an automation date: whole days since 1899-12-30 and the
// time of day as a fraction. Before the epoch the fraction still counts forward from the
// start of the day, away from zero (-1.25 is 1899-12-29 06:00), so all arithmetic works on a
// (day, fraction) pair and converts back at the end.
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "command_args.h"
#include "commands_convert.h"
#include "convert_detail.h"

using namespace convert_detail;

namespace {

const int64_t kEpochFromUnixDays = 25569;  // 1899-12-30 is 25569 days before 1970-01-01

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// Proleptic Gregorian calendar, days counted from 1970-01-01.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    int64_t era = FloorDiv(y, 400);
    int64_t yoe = y - era * 400;
    int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int64_t* y, int64_t* m, int64_t* d) {
    z += 719468;
    int64_t era = FloorDiv(z, 146097);
    int64_t doe = z - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    *d = doy - (153 * mp + 2) / 5 + 1;
    *m = mp < 10 ? mp + 3 : mp - 9;
    *y = yoe + era * 400 + (*m <= 2);
}

int64_t MonthLength(int64_t y, int64_t m) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : kDays[m - 1];
}

int64_t Clamp(int64_t v, int64_t lo, int64_t hi) { return v < lo ? lo : (v > hi ? hi : v); }

// A moment as whole days since the epoch (negative before it) and the fraction of the day
// elapsed since midnight, 0 <= frac < 1. Both parts are exact for every date-time.
struct Moment {
    double day;
    double frac;
};

Moment MomentOf(double t) {
    t = ClampDateTimeValue(t);
    double day = trunc(t);
    return {day, fabs(t - day)};
}

// The range clamp works on the value itself, so the times of the first day (below -657434.0)
// clamp to its midnight like everything else below the range.
double DateTimeOfMoment(Moment m) {
    if (m.day < kMinDateTime) return kMinDateTime;
    if (m.day > kMaxDateTime) return kMaxDateTime;
    return ClampDateTimeValue(m.day >= 0 ? m.day + m.frac : m.day - m.frac);
}

// Moves a moment by amount units, unitsPerDay of them making one day.
Moment Shift(Moment m, double amount, double unitsPerDay) {
    double units = m.frac * unitsPerDay + amount;
    double days = floor(units / unitsPerDay);
    units -= days * unitsPerDay;
    if (units < 0) units = 0;
    double frac = units / unitsPerDay;
    if (frac >= 1) {
        frac = 0;
        days += 1;
    }
    return {m.day + days, frac};
}

int Weekday(double day) {  // 0 = Sunday; the epoch was a Saturday
    return static_cast<int>(((static_cast<int64_t>(day) + 6) % 7 + 7) % 7);
}

// trunc(x × unitsPerDay ± bias) for x = a − b in days, with the bias on the side of x's
// sign, computed from the day and fraction parts so that large spans stay exact.
double CountUnits(Moment a, Moment b, double unitsPerDay, double bias) {
    double whole = (a.day - b.day) * unitsPerDay;
    double part = (a.frac - b.frac) * unitsPerDay;
    double sum = whole + part;
    if (sum == 0) return 0;
    double partFloor = floor(part);
    double n = whole + partFloor;  // an exact integer
    double rest = part - partFloor;
    if (sum > 0) {
        rest += bias;
        if (rest >= 1) n += 1, rest -= 1;
    } else {
        rest -= bias;
        if (rest < 0) n -= 1, rest += 1;
    }
    return n >= 0 || rest == 0 ? n : n + 1;
}

int32_t OptionalInt(const ArgRecord* args, int count, int i, int32_t otherwise) {
    return ArgGiven(args, count, i) ? ArgInt(args[i]) : otherwise;
}

double DateTimeArg(const ArgRecord* args, int count, int i) {
    return ClampDateTimeValue(count > i ? ArgDouble(args[i]) : 0);
}

int32_t PartArg(const ArgRecord* args, int count, int i) {
    int32_t part = count > i ? ArgInt(args[i]) : 1;
    return part < 1 ? 1 : (part > 8 ? 8 : part);
}

enum Part { kYear = 1, kQuarter, kMonth, kWeek, kDay, kHour, kMinute, kSecond };

}  // namespace

namespace convert_detail {

double ClampDateTimeValue(double t) { return t == t ? ClampDateTime(t) : kMinDateTime; }

bool NormaliseDateFields(DateFields& f) {
    DateFields before = f;
    f.year = Clamp(f.year, 100, 9999);
    f.month = Clamp(f.month, 1, 12);
    f.day = Clamp(f.day, 1, 31);
    f.hour = Clamp(f.hour, 0, 23);
    f.minute = Clamp(f.minute, 0, 59);
    f.second = Clamp(f.second, 0, 59);
    f.day = Clamp(f.day, 1, MonthLength(f.year, f.month));
    return memcmp(&before, &f, sizeof f) == 0;
}

DateFields DateFieldsOf(double t) {
    Moment m = MomentOf(t);
    int64_t day = static_cast<int64_t>(m.day);
    int64_t secs = static_cast<int64_t>(floor(m.frac * 86400 + 0.5));
    if (secs >= 86400) {
        ++day;
        secs -= 86400;
    }
    DateFields f;
    CivilFromDays(day - kEpochFromUnixDays, &f.year, &f.month, &f.day);
    f.hour = secs / 3600;
    f.minute = secs / 60 % 60;
    f.second = secs % 60;
    return f;
}

double DateTimeOfFields(const DateFields& f) {
    double day = static_cast<double>(DaysFromCivil(f.year, f.month, f.day) + kEpochFromUnixDays);
    double frac = static_cast<double>(f.hour * 3600 + f.minute * 60 + f.second) / 86400;
    return DateTimeOfMoment({day, frac});
}

int32_t FormatDateTime(double t, int form, char* out) {
    DateFields f = DateFieldsOf(t);
    int y = static_cast<int>(f.year), mo = static_cast<int>(f.month), d = static_cast<int>(f.day);
    int h = static_cast<int>(f.hour), mi = static_cast<int>(f.minute), s = static_cast<int>(f.second);
    char* p = out;
    *p = 0;
    if (form != 3) p += sprintf(p, "%d年%d月%d日", y, mo, d);
    if (form == 3) p += sprintf(p, "%d时%d分%d秒", h, mi, s);
    else if (form == 1 && s) p += sprintf(p, "%d时%d分%d秒", h, mi, s);
    else if (form == 1 && mi) p += sprintf(p, "%d时%d分", h, mi);
    else if (form == 1 && h) p += sprintf(p, "%d时", h);
    return static_cast<int32_t>(p - out);
}

bool ParseDateTime(const char* text, double* t) {
    HalfWidthText h(text);
    const char* p = h.get();
    if (!*p) return false;
    auto field = [&p](int maxDigits) {
        int64_t v = 0;
        for (int n = 0; n < maxDigits && IsDigitByte(*p); ++n) v = v * 10 + (*p++ - '0');
        return v;
    };
    // At most one separator: one of the ASCII ones, or the field's own character.
    auto separator = [&p](const char* ascii, const char* own) {
        if (!*p) return;
        if (strchr(ascii, *p)) {
            ++p;
        } else if (p[1] && memcmp(p, own, 2) == 0) {
            p += 2;
        }
    };
    DateFields f;
    f.year = field(4);
    separator("-./:", "年");
    f.month = field(2);
    separator("-./:", "月");
    f.day = field(2);
    separator(" -./:", "日");
    f.hour = field(2);
    separator("-./:", "时");
    f.minute = field(2);
    separator("-./:", "分");
    f.second = field(2);
    if (*p && !(p[1] && memcmp(p, "秒", 2) == 0)) return false;
    if (!NormaliseDateFields(f)) return false;
    *t = DateTimeOfFields(f);
    return true;
}

}  // namespace convert_detail

namespace cmd {

LIBRARY_COMMAND(Now) {
    SYSTEMTIME st;
    GetLocalTime(&st);
    DateFields f = {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
    NormaliseDateFields(f);
    ResultDateTime(result, DateTimeOfFields(f));
}

LIBRARY_COMMAND(MakeDateTime) {
    DateFields f = {OptionalInt(args, count, 0, 0), OptionalInt(args, count, 1, 1), OptionalInt(args, count, 2, 1),
                    OptionalInt(args, count, 3, 0), OptionalInt(args, count, 4, 0), OptionalInt(args, count, 5, 0)};
    NormaliseDateFields(f);
    ResultDateTime(result, DateTimeOfFields(f));
}

LIBRARY_COMMAND(AddToDateTime) {
    double t = DateTimeArg(args, count, 0);
    int32_t part = PartArg(args, count, 1);
    int64_t amount = count > 2 ? ArgInt(args[2]) : 0;
    if (amount == 0) return ResultDateTime(result, t);
    if (part == kYear || part == kQuarter || part == kMonth) {
        DateFields f = DateFieldsOf(t);
        if (part == kYear) {
            f.year += amount;
        } else {
            int64_t months = f.year * 12 + (f.month - 1) + (part == kQuarter ? amount * 3 : amount);
            f.year = FloorDiv(months, 12);
            f.month = months - f.year * 12 + 1;
        }
        NormaliseDateFields(f);
        return ResultDateTime(result, DateTimeOfFields(f));
    }
    static const double kUnitsPerDay[] = {1, 1, 24, 1440, 86400};  // week, day, hour, minute, second
    double units = static_cast<double>(part == kWeek ? amount * 7 : amount);
    Moment m = Shift(MomentOf(t), units, kUnitsPerDay[part - kWeek]);
    ResultDateTime(result, DateTimeOfMoment(m));
}

LIBRARY_COMMAND(DateTimeDiff) {
    double t1 = DateTimeArg(args, count, 0);
    double t2 = DateTimeArg(args, count, 1);
    int32_t part = PartArg(args, count, 2);
    if (t1 == t2) return ResultDouble(result, 0);
    if (part <= kMonth) {
        DateFields a = DateFieldsOf(t1), b = DateFieldsOf(t2);
        int64_t v;
        if (part == kYear) v = a.year - b.year;
        else if (part == kQuarter) v = (a.month - 1) / 3 + 4 * (a.year - b.year) - (b.month - 1) / 3;
        else v = 12 * (a.year - b.year) + a.month - b.month;
        return ResultDouble(result, static_cast<double>(v));
    }
    Moment a = MomentOf(t1), b = MomentOf(t2);
    double x = (a.day - b.day) + (a.frac - b.frac);
    const double kBias = 5.787037037037037e-6;
    double v = 0;
    switch (part) {
    case kWeek: {
        v = static_cast<double>(static_cast<int64_t>(trunc(x)) / 7);
        int w1 = Weekday(a.day), w2 = Weekday(b.day);
        if (x > 0 && w1 < w2) v += 1;
        if (x < 0 && w2 < w1) v -= 1;
        break;
    }
    case kDay: v = x; break;
    case kHour: v = CountUnits(a, b, 24, kBias); break;
    case kMinute: v = CountUnits(a, b, 1440, kBias); break;
    default: v = CountUnits(a, b, 86400, kBias); break;
    }
    ResultDouble(result, v);
}

LIBRARY_COMMAND(DateTimeToText) {
    double t = DateTimeArg(args, count, 0);
    int32_t form = OptionalInt(args, count, 1, 1);
    form = form < 1 ? 1 : (form > 3 ? 3 : form);
    char buf[64];
    int32_t n = FormatDateTime(t, form, buf);
    ResultText(result, buf, n);
}

}  // namespace cmd
