// The automation bridge on a native host, which has no automation objects: every ProgID is
// unknown, so ComCreate fails and leaves the variable as it was, and a member call finds no
// object (error -1) and gives the empty value of its kind. The engine then takes its own
// paths (script escape and unescape, the UTF-16 reading of bytes). A Variant still holds
// the values the engine puts in it, so that it is emptied and freed as on Windows.
#include <cstring>

#include "runtime/command_args.h"
#include "runtime/commands_com.h"
#include "runtime/memory.h"

namespace {
thread_local int t_lastError = 0;
const int kNoObject = -1;
const uint16_t kVtEmpty = 0, kVtArrayOfBytes = 0x2011;

// The host's VARIANT block: its type, then (for a byte array) a block holding the bytes.
struct NativeVariant {
    uint16_t type;
    uint16_t reserved[3];
    void* bytes;
};

void NoObject(ArgRecord* result, int count) { t_lastError = kNoObject; }
}  // namespace

int ComLastError() { return t_lastError; }

namespace cmd {
LIBRARY_COMMAND(ComCreate) { ResultBool(result, false); }
LIBRARY_COMMAND(ComRelease) {}
LIBRARY_COMMAND(ComSetProperty) {
    NoObject(result, count);
    ResultBool(result, false);
}
LIBRARY_COMMAND(ComCall) { NoObject(result, count); }
LIBRARY_COMMAND(ComCallText) {
    NoObject(result, count);
    ResultText(result, nullptr, 0);
}
LIBRARY_COMMAND(ComCallUnits) {
    NoObject(result, count);
    ResultByteSet(result, nullptr, 0);
}
LIBRARY_COMMAND(ComCallNumber) {
    NoObject(result, count);
    ResultDouble(result, 0);
}
LIBRARY_COMMAND(VariantReset) {
    if (count < 1 || KindOf(args[0].type) != kVariant || !args[0].value) return;
    NativeVariant* v = reinterpret_cast<NativeVariant*>(args[0].value);
    if (v->type == kVtArrayOfBytes) FreeMemory(v->bytes);
    memset(v, 0, sizeof *v);
    v->type = kVtEmpty;
}
// Byte sets are what the engine stores; other kinds are refused as unsupported.
LIBRARY_COMMAND(VariantAssign) {
    ResultBool(result, false);
    if (count < 2 || KindOf(args[0].type) != kVariant || !args[0].value) return;
    ArgRecord reset = args[0];
    ArgRecord ignored;
    VariantReset(&ignored, 1, &reset);
    if (KindOf(args[1].type) != kByteSet) return;
    NativeVariant* v = reinterpret_cast<NativeVariant*>(args[0].value);
    const uint8_t* block = reinterpret_cast<const uint8_t*>(args[1].value);
    int32_t n = ByteSetBlockLength(block);
    v->bytes = NewByteSetBlock(n);
    if (n) memcpy(static_cast<uint8_t*>(v->bytes) + 8, block + 8, n);
    v->type = kVtArrayOfBytes;
    ResultBool(result, true);
}
}  // namespace cmd
