// Typed calls of the conversion, arithmetic, numeral and date-time commands (see library.h).
#pragma once
#include <climits>
#include <cstdint>
#include <initializer_list>

#include "call_command.h"
#include "variables.h"
#include "library_text.h"

// Conversions.
TextVar ToText(const ByteSetVar& bytes);
TextVar ToText(int32_t v);
TextVar ToText(double v);
TextVar ToText(int64_t v);
TextVar ToText(const ArgRecord& value);
TextVar ToHexText(int32_t v);
double ToNumber(const char* text);
int32_t ToInt(const char* text);
int32_t ToInt(double v);
int16_t ToShort(const char* text);
uint8_t ToByte(const char* text);
int64_t ToLong(const char* text);
int64_t ToLong(double v);
double ToDateTime(const char* text);
// The generic forms, for any kind of value.
double ToNumber(const ArgRecord& value);
int32_t ToInt(const ArgRecord& value);
int64_t ToLong(const ArgRecord& value);

// Arithmetic and bits.
double Power(double a, double b);
double IntDivide(double a, double b);
double Remainder(double a, double b);
// The chains over any number of operands, folded left to right.
double IntDivide(std::initializer_list<double> operands);
double Remainder(std::initializer_list<double> operands);
int32_t BitAnd(std::initializer_list<int32_t> operands);
int32_t BitOr(std::initializer_list<int32_t> operands);
int32_t BitXor(std::initializer_list<int32_t> operands);
int32_t BitAnd(int32_t a, int32_t b);
int32_t BitOr(int32_t a, int32_t b);
int32_t BitXor(int32_t a, int32_t b);
int32_t BitNot(int32_t v);
int32_t ShiftLeft(int32_t v, int32_t n);
int32_t ShiftRight(int32_t v, int32_t n);

// Numerals.
TextVar NumberToChinese(double number, bool simple);
TextVar NumberToAmount(double number, bool simple);

// Date-time.
double Now();
double MakeDateTime(int32_t year, int32_t month = kOmit, int32_t day = kOmit, int32_t hour = kOmit,
                    int32_t minute = kOmit, int32_t second = kOmit);
double AddToDateTime(double t, int32_t part, int32_t amount);
double DateTimeDiff(double t1, double t2, int32_t part);
TextVar DateTimeToText(double t, int32_t form = kOmit);

// Result records as values of the expected kind.
double RecordDouble(const ArgRecord& r);
int64_t RecordLong(const ArgRecord& r);
