// What a library command uses to read its argument records and write its result.
#pragma once
#include <cstdint>

#include "values.h"

inline bool ArgGiven(const ArgRecord* args, int count, int i) { return i < count && args[i].type != kNoValue; }

// Numeric readings of an argument, whatever basic numeric kind it travels as.
double ArgDouble(const ArgRecord& a);
int32_t ArgInt(const ArgRecord& a);
int64_t ArgLong(const ArgRecord& a);
bool ArgBool(const ArgRecord& a);

// The text an argument carries ("" for null or another kind) and its byte length.
const char* ArgText(const ArgRecord& a);
// The bytes of a byte-set argument; null with length 0 when empty.
const uint8_t* ArgBytes(const ArgRecord& a, int32_t* length);

// Results. Empty texts and byte sets are returned as null, never as empty blocks.
void ResultInt(ArgRecord* r, int32_t v);
void ResultBool(ArgRecord* r, bool v);
void ResultDouble(ArgRecord* r, double v);
void ResultLong(ArgRecord* r, int64_t v);
void ResultDateTime(ArgRecord* r, double v);
void ResultShort(ArgRecord* r, int16_t v);
void ResultByte(ArgRecord* r, uint8_t v);
void ResultFloat(ArgRecord* r, float v);
void ResultText(ArgRecord* r, const char* bytes, int32_t length);
void ResultByteSet(ArgRecord* r, const uint8_t* bytes, int32_t length);

// Fresh blocks with room for length bytes (text: plus the terminator, already written).
char* NewTextBlock(int32_t length);
uint8_t* NewByteSetBlock(int32_t length);
