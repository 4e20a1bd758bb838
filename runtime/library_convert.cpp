#include "library_convert.h"

#include "command_args.h"
#include "commands_convert.h"
#include "convert_detail.h"

namespace {

TextVar TextResult(LibraryCommand command, int count, ArgRecord* args) {
    ArgRecord r = CallCommand(command, count, args);
    return TextVar(reinterpret_cast<Text>(r.value));
}

TextVar TextResult(LibraryCommand command, ArgRecord a) { return TextResult(command, 1, &a); }

double DoubleResult(LibraryCommand command, int count, ArgRecord* args) {
    return RecordDouble(CallCommand(command, count, args));
}

int32_t IntResult(LibraryCommand command, int count, ArgRecord* args) {
    return static_cast<int32_t>(CallCommand(command, count, args).value);
}

ArgRecord OptionalIntArg(int32_t v) { return v == kOmit ? OmittedArg() : IntArg(v); }

// Chains go through the command with all their operands, as the command walks them all.
template <typename T, ArgRecord (*Make)(T)>
ArgRecord ChainResult(LibraryCommand command, std::initializer_list<T> operands) {
    ArgRecord small[8];
    ArgRecord* records = operands.size() <= 8 ? small : static_cast<ArgRecord*>(AllocMemory(
                                                            static_cast<int32_t>(operands.size() * sizeof(ArgRecord))));
    int n = 0;
    for (T v : operands) records[n++] = Make(v);
    ArgRecord r = CallCommand(command, n, records);
    if (records != small) FreeMemory(records);
    return r;
}

}  // namespace

double RecordDouble(const ArgRecord& r) { return ArgDouble(r); }

int64_t RecordLong(const ArgRecord& r) {
    TypeCode kind = KindOf(r.type);
    if (kind == kFloat || kind == kDouble || kind == kDateTime) return convert_detail::TruncToInt64(ArgDouble(r));
    return ArgLong(r);
}

TextVar ToText(const ByteSetVar& bytes) { return TextResult(cmd::ToText, ByteSetArg(bytes.block())); }
TextVar ToText(int32_t v) { return TextResult(cmd::ToText, IntArg(v)); }
TextVar ToText(double v) { return TextResult(cmd::ToText, DoubleArg(v)); }
TextVar ToText(int64_t v) { return TextResult(cmd::ToText, LongArg(v)); }
TextVar ToText(const ArgRecord& value) { return TextResult(cmd::ToText, value); }
TextVar ToHexText(int32_t v) { return TextResult(cmd::ToHexText, IntArg(v)); }

double ToNumber(const char* text) {
    ArgRecord a = TextArg(text);
    return DoubleResult(cmd::ToNumber, 1, &a);
}
double ToNumber(const ArgRecord& value) {
    ArgRecord a = value;
    return DoubleResult(cmd::ToNumber, 1, &a);
}
int32_t ToInt(const char* text) {
    ArgRecord a = TextArg(text);
    return IntResult(cmd::ToInt, 1, &a);
}
int32_t ToInt(double v) {
    ArgRecord a = DoubleArg(v);
    return IntResult(cmd::ToInt, 1, &a);
}
int32_t ToInt(const ArgRecord& value) {
    ArgRecord a = value;
    return IntResult(cmd::ToInt, 1, &a);
}
int16_t ToShort(const char* text) {
    ArgRecord a = TextArg(text);
    return static_cast<int16_t>(CallCommand(cmd::ToShort, 1, &a).value);
}
uint8_t ToByte(const char* text) {
    ArgRecord a = TextArg(text);
    return static_cast<uint8_t>(CallCommand(cmd::ToByte, 1, &a).value);
}
int64_t ToLong(const char* text) {
    ArgRecord a = TextArg(text);
    return RecordLong(CallCommand(cmd::ToLong, 1, &a));
}
int64_t ToLong(double v) {
    ArgRecord a = DoubleArg(v);
    return RecordLong(CallCommand(cmd::ToLong, 1, &a));
}
int64_t ToLong(const ArgRecord& value) {
    ArgRecord a = value;
    return RecordLong(CallCommand(cmd::ToLong, 1, &a));
}
double ToDateTime(const char* text) {
    ArgRecord a = TextArg(text);
    return DoubleResult(cmd::ToDateTime, 1, &a);
}

double Power(double a, double b) {
    ArgRecord r[2] = {DoubleArg(a), DoubleArg(b)};
    return DoubleResult(cmd::Power, 2, r);
}
double IntDivide(double a, double b) { return IntDivide({a, b}); }
double Remainder(double a, double b) { return Remainder({a, b}); }
double IntDivide(std::initializer_list<double> operands) {
    return RecordDouble(ChainResult<double, DoubleArg>(cmd::IntDivide, operands));
}
double Remainder(std::initializer_list<double> operands) {
    return RecordDouble(ChainResult<double, DoubleArg>(cmd::Remainder, operands));
}
int32_t BitAnd(int32_t a, int32_t b) { return BitAnd({a, b}); }
int32_t BitOr(int32_t a, int32_t b) { return BitOr({a, b}); }
int32_t BitXor(int32_t a, int32_t b) { return BitXor({a, b}); }
int32_t BitAnd(std::initializer_list<int32_t> operands) {
    return static_cast<int32_t>(ChainResult<int32_t, IntArg>(cmd::BitAnd, operands).value);
}
int32_t BitOr(std::initializer_list<int32_t> operands) {
    return static_cast<int32_t>(ChainResult<int32_t, IntArg>(cmd::BitOr, operands).value);
}
int32_t BitXor(std::initializer_list<int32_t> operands) {
    return static_cast<int32_t>(ChainResult<int32_t, IntArg>(cmd::BitXor, operands).value);
}
int32_t BitNot(int32_t v) {
    ArgRecord a = IntArg(v);
    return IntResult(cmd::BitNot, 1, &a);
}
int32_t ShiftLeft(int32_t v, int32_t n) {
    ArgRecord r[2] = {IntArg(v), IntArg(n)};
    return IntResult(cmd::ShiftLeft, 2, r);
}
int32_t ShiftRight(int32_t v, int32_t n) {
    ArgRecord r[2] = {IntArg(v), IntArg(n)};
    return IntResult(cmd::ShiftRight, 2, r);
}

TextVar NumberToChinese(double number, bool simple) {
    ArgRecord r[2] = {DoubleArg(number), BoolArg(simple)};
    return TextResult(cmd::NumberToChinese, 2, r);
}
TextVar NumberToAmount(double number, bool simple) {
    ArgRecord r[2] = {DoubleArg(number), BoolArg(simple)};
    return TextResult(cmd::NumberToAmount, 2, r);
}

double Now() { return DoubleResult(cmd::Now, 0, nullptr); }
double MakeDateTime(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute, int32_t second) {
    ArgRecord r[6] = {OptionalIntArg(year), OptionalIntArg(month),  OptionalIntArg(day),
                      OptionalIntArg(hour), OptionalIntArg(minute), OptionalIntArg(second)};
    return DoubleResult(cmd::MakeDateTime, 6, r);
}
double AddToDateTime(double t, int32_t part, int32_t amount) {
    ArgRecord r[3] = {DateTimeArg(t), IntArg(part), IntArg(amount)};
    return DoubleResult(cmd::AddToDateTime, 3, r);
}
double DateTimeDiff(double t1, double t2, int32_t part) {
    ArgRecord r[3] = {DateTimeArg(t1), DateTimeArg(t2), IntArg(part)};
    return DoubleResult(cmd::DateTimeDiff, 3, r);
}
TextVar DateTimeToText(double t, int32_t form) {
    ArgRecord r[2] = {DateTimeArg(t), OptionalIntArg(form)};
    return TextResult(cmd::DateTimeToText, 2, r);
}
