#include "command_args.h"

#include <cstring>

#include "memory.h"

namespace {
int64_t Bits64(const ArgRecord& a) { return static_cast<int64_t>(RecordBits(a)); }
double AsDouble(const ArgRecord& a) {
    double d;
    uint64_t bits = static_cast<uint64_t>(Bits64(a));
    memcpy(&d, &bits, 8);
    return d;
}
float AsFloat(const ArgRecord& a) {
    float f;
    memcpy(&f, &a.value, 4);
    return f;
}
}  // namespace

double ArgDouble(const ArgRecord& a) {
    switch (KindOf(a.type)) {
    case kByte: return static_cast<uint8_t>(a.value);
    case kShort: return static_cast<int16_t>(a.value);
    case kInt: case kBool: return static_cast<int32_t>(a.value);
    case kSubroutine: return static_cast<double>(a.value);
    case kLong: return static_cast<double>(Bits64(a));
    case kFloat: return AsFloat(a);
    case kDouble: case kDateTime: return AsDouble(a);
    default: return 0;
    }
}

int64_t ArgLong(const ArgRecord& a) {
    switch (KindOf(a.type)) {
    case kLong: return Bits64(a);
    case kFloat: case kDouble: case kDateTime: return static_cast<int64_t>(ArgDouble(a));
    case kSubroutine: return static_cast<int64_t>(a.value);
    default: return static_cast<int64_t>(ArgDouble(a));
    }
}

int32_t ArgInt(const ArgRecord& a) {
    switch (KindOf(a.type)) {
    case kLong: return static_cast<int32_t>(a.value);
    case kInt: case kBool: case kSubroutine: return static_cast<int32_t>(a.value);
    default: return static_cast<int32_t>(ArgDouble(a));
    }
}

bool ArgBool(const ArgRecord& a) {
    TypeCode k = KindOf(a.type);
    if (k == kLong) return a.value || a.extra;
    if (k == kDouble || k == kDateTime || k == kFloat) return ArgDouble(a) != 0;
    return a.value != 0;
}

const char* ArgText(const ArgRecord& a) {
    if (KindOf(a.type) != kText || (a.type & kPointerFlag) || !a.value) return "";
    return reinterpret_cast<const char*>(a.value);
}

const uint8_t* ArgBytes(const ArgRecord& a, int32_t* length) {
    const uint8_t* bs = (KindOf(a.type) == kByteSet) ? reinterpret_cast<const uint8_t*>(a.value) : nullptr;
    int32_t n = ByteSetBlockLength(bs);
    *length = n;
    return n > 0 ? ByteSetBytes(bs) : nullptr;
}

void ResultInt(ArgRecord* r, int32_t v) { *r = {static_cast<uint32_t>(v), 0, kInt}; }
void ResultBool(ArgRecord* r, bool v) { *r = {v ? 1u : 0u, 0, kBool}; }
void ResultShort(ArgRecord* r, int16_t v) { *r = {static_cast<uint32_t>(static_cast<int32_t>(v)), 0, kShort}; }
void ResultByte(ArgRecord* r, uint8_t v) { *r = {v, 0, kByte}; }
void ResultFloat(ArgRecord* r, float v) {
    uint32_t bits;
    memcpy(&bits, &v, 4);
    *r = {bits, 0, kFloat};
}
static void Result8(ArgRecord* r, const void* p, TypeCode t) {
    uint64_t bits;
    memcpy(&bits, p, 8);
    r->type = t;
    SetRecordBits(r, bits);
}
void ResultDouble(ArgRecord* r, double v) { Result8(r, &v, kDouble); }
void ResultLong(ArgRecord* r, int64_t v) { Result8(r, &v, kLong); }
void ResultDateTime(ArgRecord* r, double v) { Result8(r, &v, kDateTime); }

char* NewTextBlock(int32_t length) {
    char* t = static_cast<char*>(AllocMemory(length + 1));
    t[length] = 0;
    return t;
}

uint8_t* NewByteSetBlock(int32_t length) {
    uint8_t* b = static_cast<uint8_t*>(AllocMemory(length + 8));
    int32_t header[2] = {1, length};
    memcpy(b, header, 8);
    return b;
}

void ResultText(ArgRecord* r, const char* bytes, int32_t length) {
    char* t = nullptr;
    if (length > 0) {
        t = NewTextBlock(length);
        memcpy(t, bytes, length);
    }
    *r = {reinterpret_cast<uintptr_t>(t), 0, kText};
}

void ResultByteSet(ArgRecord* r, const uint8_t* bytes, int32_t length) {
    uint8_t* b = nullptr;
    if (length > 0) {
        b = NewByteSetBlock(length);
        memcpy(b + 8, bytes, length);
    }
    *r = {reinterpret_cast<uintptr_t>(b), 0, kByteSet};
}
