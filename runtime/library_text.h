// Typed calls of the text and byte-set commands (see library.h).
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

