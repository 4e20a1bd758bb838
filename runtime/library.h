// Typed calls of the library commands. Each builds the argument records, goes through
// CallCommand and takes ownership of the result, so engine code reads like its algorithm.
#pragma once
#include <climits>
#include <cstdint>

#include "call_command.h"
#include "variables.h"

// Stands for an optional integer argument that is left out (it travels with type code 0).
const int32_t kOmit = INT32_MIN;

// Text commands.
int32_t TextLength(const char* text);
TextVar TextLeft(const char* text, int32_t n);
TextVar TextRight(const char* text, int32_t n);
TextVar TextMiddle(const char* text, int32_t start, int32_t n);
TextVar CharFromCode(int32_t code);
int32_t CharCode(const char* text, int32_t position = kOmit);
int32_t FindText(const char* text, const char* sought, int32_t start = kOmit, bool ignoreCase = false);
// replacement null: left out (the empty text).
TextVar ReplaceSubText(const char* text, const char* sought, const char* replacement = nullptr,
                       int32_t start = kOmit, int32_t count = kOmit, bool caseSensitive = true);
// separator null: left out (",").
TextArrayVar SplitText(const char* text, const char* separator = nullptr, int32_t maxCount = kOmit);
TextVar ToUpper(const char* text);
TextVar ToLower(const char* text);
TextVar ToHalfWidth(const char* text);
TextVar TrimSpaces(const char* text);
TextVar RemoveSpaces(const char* text);
TextVar SpaceText(int32_t n);
TextVar RepeatText(int32_t count, const char* text);

// Byte-set commands.
int32_t ByteSetLength(const ByteSetVar& bytes);
ByteSetVar ByteSetLeft(const ByteSetVar& bytes, int32_t n);
ByteSetVar ByteSetRight(const ByteSetVar& bytes, int32_t n);
ByteSetVar ByteSetMiddle(const ByteSetVar& bytes, int32_t start, int32_t n);
int32_t FindByteSet(const ByteSetVar& bytes, const ByteSetVar& sought, int32_t start = kOmit);
// replacement null: left out (the empty byte set).
ByteSetVar ReplaceSubByteSet(const ByteSetVar& bytes, const ByteSetVar& sought,
                             const ByteSetVar* replacement = nullptr, int32_t start = kOmit,
                             int32_t count = kOmit);
ByteSetVar ZeroByteSet(int32_t n);
ByteSetVar RepeatByteSet(int32_t count, const ByteSetVar& bytes);
// The raw result record: its type code is the kind read (kind number 1..10).
// position null: left out; otherwise passed by reference and advanced.
ArgRecord ByteSetData(const ByteSetVar& bytes, int32_t kindNumber, int32_t* position = nullptr);
ByteSetVar ToByteSet(const char* text);
ByteSetVar ToByteSet(const ArgRecord& value);

// Conversions.
TextVar ToText(const ByteSetVar& bytes);
TextVar ToText(int32_t v);
TextVar ToText(double v);
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
