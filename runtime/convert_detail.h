// Pieces shared by the conversion, numeral and date-time commands (not program-facing).
#pragma once
#include <cstdint>

namespace convert_detail {

// "%g"-style text of v with the given significant digits, rounded halves away from zero on
// the exact binary value, exponent with a sign and at least three digits (1e+015). Done here
// rather than by the C library so that every CRT gives the same bytes. out: 40 bytes.
int32_t FormatNumber(double v, int precision, char* out);

// Decimal text of a 64-bit integer, "-" when negative. out: 24 bytes.
int32_t FormatLong(int64_t v, char* out);

// Truncation toward zero; NaN and values outside the target range give the x86 "integer
// indefinite" (the lowest value), which is what the hardware conversion yields.
int32_t TruncToInt32(double v);
int64_t TruncToInt64(double v);

// The date-time range clamp; NaN, which no comparison places, counts as below the range.
double ClampDateTimeValue(double t);

// Broken-down date-time. 64-bit fields so that date arithmetic cannot overflow before the
// fields are normalised.
struct DateFields {
    int64_t year, month, day, hour, minute, second;
};

// Clamps every field into its range and the day into its month; true when nothing changed.
bool NormaliseDateFields(DateFields& f);
// Fields of a date-time (clamped into the date-time range first), to the nearest second.
DateFields DateFieldsOf(double t);
// The date-time of already normalised fields.
double DateTimeOfFields(const DateFields& f);

// Date-time text: form 1 the full format, 2 the date only, 3 the time only. out: 64 bytes.
int32_t FormatDateTime(double t, int form, char* out);

// Text to date-time by the runtime's date grammar; false when the text is not a date-time.
bool ParseDateTime(const char* text, double* t);

}  // namespace convert_detail

#include "gbk_text.h"
#include "memory.h"

namespace convert_detail {

// A text made half-width for parsing: full-width digits, signs and spaces read as ASCII.
class HalfWidthText {
public:
    explicit HalfWidthText(const char* text) {
        int32_t n = 0;
        while (text[n]) ++n;
        buf_ = n < static_cast<int32_t>(sizeof small_) ? small_ : static_cast<char*>(AllocMemory(n + 1));
        len_ = ToHalfWidthBytes(text, n, buf_);
        buf_[len_] = 0;
    }
    ~HalfWidthText() {
        if (buf_ != small_) FreeMemory(buf_);
    }
    HalfWidthText(const HalfWidthText&) = delete;
    HalfWidthText& operator=(const HalfWidthText&) = delete;
    char* get() { return buf_; }
    int32_t length() const { return len_; }

private:
    char small_[256];
    char* buf_;
    int32_t len_;
};

inline bool IsSpaceByte(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
inline bool IsDigitByte(char c) { return c >= '0' && c <= '9'; }

}  // namespace convert_detail
