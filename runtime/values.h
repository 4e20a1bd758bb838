// Value kinds and records shared by program code and library commands.
// The layouts are fixed: a value made by one side is read by the other as is.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

typedef uint32_t TypeCode;

enum : TypeCode {
    kNoValue      = 0,           // an omitted optional argument
    kByte         = 0x80000101,
    kShort        = 0x80000201,
    kInt          = 0x80000301,
    kLong         = 0x80000401,
    kFloat        = 0x80000501,
    kDouble       = 0x80000601,
    kBool         = 0x80000002,
    kDateTime     = 0x80000003,
    kText         = 0x80000004,
    kByteSet      = 0x80000005,
    kSubroutine   = 0x80000006,
    kComObject    = 0x00010030,
    kVariant      = 0x00010031,
    kPointerFlag  = 0x20000000,  // value holds the data's address: arrays, by-reference
};

inline TypeCode KindOf(TypeCode t) { return t & 0xDFFFFFFFu; }
inline bool IsNumericKind(TypeCode kind) { return (kind & 0xC0000000u) == 0x80000000u && (kind & 0xFF) == 0x01; }
inline bool IsBasicKind(TypeCode kind) { return kind >= 0x80000000u && kind <= 0xBFFFFFFFu; }

// Bytes one element of a basic kind takes in an array block; 0 for kinds without storage.
int KindSize(TypeCode kind);

// value, extra, type code: the record in which arguments and results travel. The value
// holds addresses (texts, byte sets, objects), so it is as wide as a pointer: 12 bytes in
// all on i686, 16 on x86_64. An 8-byte number keeps its low half in the value's low 32 bits
// and its high half in extra on both.
struct ArgRecord {
    uintptr_t value;
    uint32_t extra;
    TypeCode type;
};
#if defined(__i386__)
static_assert(sizeof(ArgRecord) == 12, "argument records are exactly 12 bytes");
#else
static_assert(sizeof(ArgRecord) == 16 && offsetof(ArgRecord, extra) == 8, "a pointer-sized value, then two words");
#endif

// The 8-byte numbers' bits as a record holds them: the value's low 32 bits, then extra.
inline uint64_t RecordBits(const ArgRecord& a) {
    return (static_cast<uint64_t>(a.extra) << 32) | static_cast<uint32_t>(a.value);
}
inline void SetRecordBits(ArgRecord* a, uint64_t bits) {
    a->value = static_cast<uint32_t>(bits);
    a->extra = static_cast<uint32_t>(bits >> 32);
}
// Kinds whose value is an address rather than a number.
inline bool IsAddressKind(TypeCode kind) {
    TypeCode k = KindOf(kind);
    return k == kText || k == kByteSet || k == kSubroutine;
}

// A zero-terminated code page 936 string on the heap; null is the empty text.
typedef char* Text;
// An array block {int32 1, int32 n, n bytes}; null is the empty byte set.
typedef uint8_t* ByteSet;

// Every library command has this form: result record, argument count, first argument record.
typedef void (*LibraryCommand)(ArgRecord* result, int count, ArgRecord* args);

// Date-time range of the automation date: 100-01-01 to 9999-12-31.
const double kMinDateTime = -657434.0;
const double kMaxDateTime = 2958465.0;
inline double ClampDateTime(double t) {
    return t < kMinDateTime ? kMinDateTime : (t > kMaxDateTime ? kMaxDateTime : t);
}

// Array block access.
inline int32_t* ArrayHeader(void* block) { return static_cast<int32_t*>(block); }
inline int32_t ArrayDimensions(const void* block) { return static_cast<const int32_t*>(block)[0]; }
int32_t ArrayElementCount(const void* block);
inline uint8_t* ArrayElements(void* block) {
    int32_t* h = static_cast<int32_t*>(block);
    return reinterpret_cast<uint8_t*>(h + 1 + h[0]);
}

// The shared empty byte set sits one byte into the constant area, so a block's header may be
// unaligned: its length is read bytewise (the same single load where that is allowed).
inline int32_t ByteSetBlockLength(const uint8_t* bs) {
    int32_t n = 0;
    if (bs) memcpy(&n, bs + 4, sizeof n);
    return n;
}
inline uint8_t* ByteSetBytes(uint8_t* bs) { return bs + 8; }
inline const uint8_t* ByteSetBytes(const uint8_t* bs) { return bs + 8; }
