// Typed calls of the automation bridge's commands (see library.h), and the variables
// that own a ComObject record or a Variant block.
#pragma once
#include <initializer_list>

#include "call_command.h"
#include "variables.h"

class ComObjectVar {
public:
    ComObjectVar();   // the record {0, 0}: no object
    // The record in storage the variable keeps itself, for an object kept as long as the
    // process: no heap block stays behind it between uses.
    struct Kept {};
    explicit ComObjectVar(Kept);
    ~ComObjectVar();  // releases the object, then frees the record
    ComObjectVar(const ComObjectVar&) = delete;
    ComObjectVar& operator=(const ComObjectVar&) = delete;
    void* record() const { return record_; }
    bool holdsObject() const;

private:
    void* kept_[2] = {nullptr, nullptr};  // the record's two fields, when kept in place
    void* record_;
};

class VariantVar {
public:
    VariantVar();   // a zeroed VARIANT of type VT_I4, value 0
    ~VariantVar();  // VariantReset, then frees the block
    VariantVar(const VariantVar&) = delete;
    VariantVar& operator=(const VariantVar&) = delete;
    void* block() const { return block_; }

private:
    void* block_;
};

ArgRecord ComObjectArg(const ComObjectVar& object);
ArgRecord VariantArg(const VariantVar& variant);

bool ComCreate(ComObjectVar& object, const char* progId, const char* typeLibraryFile = nullptr);
void ComRelease(ComObjectVar& object);
bool ComSetProperty(ComObjectVar& object, const char* name, const ArgRecord& value);
void ComCall(ComObjectVar& object, const char* name, std::initializer_list<ArgRecord> args = {});
TextVar ComCallText(ComObjectVar& object, const char* name, std::initializer_list<ArgRecord> args = {});
// The result as UTF-16 units (a byte set, low byte first), for texts GBK cannot hold.
ByteSetVar ComCallUnits(ComObjectVar& object, const char* name, std::initializer_list<ArgRecord> args = {});
double ComCallNumber(ComObjectVar& object, const char* name, std::initializer_list<ArgRecord> args = {});
bool VariantAssign(VariantVar& variant, const ArgRecord& value);
void VariantReset(VariantVar& variant);
