#include "call_command.h"

#include <cstring>

#include "constant_area.h"

ArgRecord CallCommand(LibraryCommand command, int count, ArgRecord* args) {
    ArgRecord result = {0, 0, 0};
    command(&result, count, args);
    return result;
}

ArgRecord IntArg(int32_t v) { return {static_cast<uint32_t>(v), 0, kInt}; }
ArgRecord BoolArg(bool v) { return {v ? 1u : 0u, 0, kBool}; }

static ArgRecord EightBytes(const void* p, TypeCode type) {
    ArgRecord r = {0, 0, type};
    uint64_t bits;
    memcpy(&bits, p, 8);
    SetRecordBits(&r, bits);
    return r;
}

ArgRecord DoubleArg(double v) { return EightBytes(&v, kDouble); }
ArgRecord LongArg(int64_t v) { return EightBytes(&v, kLong); }
ArgRecord DateTimeArg(double v) { return EightBytes(&v, kDateTime); }

ArgRecord TextArg(const char* text) {
    return {reinterpret_cast<uintptr_t>(text ? text : EmptyTextConstant()), 0, kText};
}
ArgRecord ByteSetArg(const uint8_t* bytes) {
    return {reinterpret_cast<uintptr_t>(bytes ? bytes : EmptyByteSetConstant()), 0, kByteSet};
}
ArgRecord ByRefIntArg(int32_t* variable) {
    return {reinterpret_cast<uintptr_t>(variable), 0, kInt | kPointerFlag};
}
ArgRecord OmittedArg() { return {0, 0, kNoValue}; }
