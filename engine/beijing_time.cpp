#include "engine/beijing_time.h"

#include "runtime/convert_detail.h"
#include "runtime/library.h"

namespace {
const int32_t kPartDay = 5;
const int32_t kPartSecond = 8;
const int32_t kSecondsPerDay = 86400;

double UnixEpochInBeijing() { return MakeDateTime(1970, 1, 1, 8, 0, 0); }
}  // namespace

TextVar BeijingTimeToUnixSeconds(const char* text) {
    double d = ToDateTime(text);
    int64_t s = ToLong(DateTimeDiff(d, UnixEpochInBeijing(), kPartSecond));
    return ToText(LongArg(s));
}

bool IsDateTimeText(const char* text) {
    double t;
    return text && convert_detail::ParseDateTime(text, &t);
}

TextVar UnixSecondsToBeijingTime(const char* text) {
    int64_t v = ToLong(text);
    double base = UnixEpochInBeijing();
    // More than 10 digits is taken for milliseconds (or finer): keep the first 10 digits.
    // The sign is not a digit, so a 10-digit count before 1970 stays whole.
    TextVar decimal = ToText(LongArg(v));
    int32_t sign = v < 0 ? 1 : 0;
    if (TextLength(decimal) - sign > 10) v = ToLong(TextLeft(decimal, 10 + sign));
    if (v >= INT32_MIN && v <= INT32_MAX)
        return DateTimeToText(AddToDateTime(base, kPartSecond, static_cast<int32_t>(v)));
    // Counts beyond 2038-01-19 do not fit one 32-bit amount of seconds: whole days first.
    double days = IntDivide(static_cast<double>(v), kSecondsPerDay);
    double rest = Remainder(static_cast<double>(v), kSecondsPerDay);
    double t = AddToDateTime(base, kPartDay, ToInt(days));
    return DateTimeToText(AddToDateTime(t, kPartSecond, ToInt(rest)));
}
