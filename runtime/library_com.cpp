#include "library_com.h"

#include <cstring>

#include "com_values.h"
#include "commands_com.h"

namespace {
const int kMaxArgs = 16;

// Object, member name, then the member's arguments, as one run of records.
ArgRecord CallWith(LibraryCommand command, ComObjectVar& object, const char* name,
                   std::initializer_list<ArgRecord> args) {
    ArgRecord records[kMaxArgs + 2];
    records[0] = ComObjectArg(object);
    records[1] = TextArg(name);
    int n = 2;
    for (const ArgRecord& a : args)
        if (n < kMaxArgs + 2) records[n++] = a;
    return CallCommand(command, n, records);
}
}  // namespace

ComObjectVar::ComObjectVar() : record_(AllocMemory(sizeof(ComObjectRecord))) { memset(record_, 0, sizeof(ComObjectRecord)); }

ComObjectVar::ComObjectVar(Kept) : record_(kept_) {
    static_assert(sizeof(kept_) == sizeof(ComObjectRecord), "a record is two pointers");
}

ComObjectVar::~ComObjectVar() {
    ComRelease(*this);
    if (record_ != kept_) FreeMemory(record_);
}

bool ComObjectVar::holdsObject() const { return *static_cast<void**>(record_) != nullptr; }

// A VARIANT: 16 bytes on i686, 24 on x86_64.
VariantVar::VariantVar() : block_(AllocMemory(sizeof(VARIANT))) {
    memset(block_, 0, sizeof(VARIANT));
    *static_cast<uint16_t*>(block_) = 3;  // VT_I4, value 0
}

VariantVar::~VariantVar() {
    VariantReset(*this);
    FreeMemory(block_);
}

ArgRecord ComObjectArg(const ComObjectVar& object) { return {reinterpret_cast<uintptr_t>(object.record()), 0, kComObject}; }
ArgRecord VariantArg(const VariantVar& variant) { return {reinterpret_cast<uintptr_t>(variant.block()), 0, kVariant}; }

bool ComCreate(ComObjectVar& object, const char* progId, const char* typeLibraryFile) {
    ArgRecord records[3] = {ComObjectArg(object), TextArg(progId),
                            typeLibraryFile ? TextArg(typeLibraryFile) : OmittedArg()};
    return CallCommand(cmd::ComCreate, 3, records).value != 0;
}

void ComRelease(ComObjectVar& object) {
    ArgRecord records[1] = {ComObjectArg(object)};
    CallCommand(cmd::ComRelease, 1, records);
}

bool ComSetProperty(ComObjectVar& object, const char* name, const ArgRecord& value) {
    return CallWith(cmd::ComSetProperty, object, name, {value}).value != 0;
}

void ComCall(ComObjectVar& object, const char* name, std::initializer_list<ArgRecord> args) {
    CallWith(cmd::ComCall, object, name, args);
}

TextVar ComCallText(ComObjectVar& object, const char* name, std::initializer_list<ArgRecord> args) {
    return TextVar(reinterpret_cast<Text>(CallWith(cmd::ComCallText, object, name, args).value));
}

ByteSetVar ComCallUnits(ComObjectVar& object, const char* name, std::initializer_list<ArgRecord> args) {
    return ByteSetVar(reinterpret_cast<ByteSet>(CallWith(cmd::ComCallUnits, object, name, args).value));
}

double ComCallNumber(ComObjectVar& object, const char* name, std::initializer_list<ArgRecord> args) {
    ArgRecord r = CallWith(cmd::ComCallNumber, object, name, args);
    uint64_t bits = RecordBits(r);
    double d;
    memcpy(&d, &bits, 8);
    return d;
}

bool VariantAssign(VariantVar& variant, const ArgRecord& value) {
    ArgRecord records[2] = {VariantArg(variant), value};
    return CallCommand(cmd::VariantAssign, 2, records).value != 0;
}

void VariantReset(VariantVar& variant) {
    ArgRecord records[1] = {VariantArg(variant)};
    CallCommand(cmd::VariantReset, 1, records);
}
