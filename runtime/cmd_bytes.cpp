// The byte-set commands. Plain bytes: no case folding, no double-byte characters.
#include <cstring>

#include "byte_search.h"
#include "command_args.h"
#include "commands_text.h"
#include "error_report.h"
#include "memory.h"

namespace {
int32_t OptionalInt(const ArgRecord* args, int count, int i, int32_t otherwise) {
    return ArgGiven(args, count, i) ? ArgInt(args[i]) : otherwise;
}

const uint8_t* BytesAt(const ArgRecord* args, int count, int i, int32_t* len) {
    if (i >= count) {
        *len = 0;
        return nullptr;
    }
    return ArgBytes(args[i], len);
}

void SetByteSet(ArgRecord* r, uint8_t* block) { *r = {reinterpret_cast<uintptr_t>(block), 0, kByteSet}; }

// The bytes of the n-byte value in the record as stored: low half in value, high in extra.
// An address (a subroutine) is the whole pointer-sized value.
void ValueBytes(const ArgRecord& a, int32_t n, uint8_t* out) {
    uint8_t both[8];
    if (IsAddressKind(a.type)) {
        memcpy(both, &a.value, sizeof(a.value));
    } else {
        uint64_t bits = RecordBits(a);
        memcpy(both, &bits, 8);
    }
    memcpy(out, both, n);
}
}  // namespace

namespace cmd {

LIBRARY_COMMAND(ByteSetLength) {
    int32_t len;
    BytesAt(args, count, 0, &len);
    ResultInt(result, len);
}

LIBRARY_COMMAND(ByteSetLeft) {
    int32_t len;
    const uint8_t* b = BytesAt(args, count, 0, &len);
    int32_t n = OptionalInt(args, count, 1, 0);
    if (n < 0) n = 0;
    ResultByteSet(result, b, n < len ? n : len);
}

LIBRARY_COMMAND(ByteSetRight) {
    int32_t len;
    const uint8_t* b = BytesAt(args, count, 0, &len);
    int32_t n = OptionalInt(args, count, 1, 0);
    if (n < 0) n = 0;
    if (n > len) n = len;
    ResultByteSet(result, n > 0 ? b + len - n : nullptr, n);
}

LIBRARY_COMMAND(ByteSetMiddle) {
    int32_t len;
    const uint8_t* b = BytesAt(args, count, 0, &len);
    int32_t start = OptionalInt(args, count, 1, 1);
    int32_t n = OptionalInt(args, count, 2, 0);
    if (start < 1) start = 1;
    if (n < 0) n = 0;
    if (start > len) {
        SetByteSet(result, nullptr);
        return;
    }
    int32_t rest = len - (start - 1);
    ResultByteSet(result, b + start - 1, n < rest ? n : rest);
}

LIBRARY_COMMAND(FindByteSet) {
    int32_t len, m;
    const uint8_t* b = BytesAt(args, count, 0, &len);
    const uint8_t* sought = BytesAt(args, count, 1, &m);
    int32_t begin = 0;
    if (ArgGiven(args, count, 2)) {
        int32_t start = ArgInt(args[2]);
        begin = start > 1 ? start - 1 : 0;
    }
    int32_t found = -1;
    if (begin < len && m > 0) {
        PatternSearch search(sought, m, false, false);
        int32_t p = search.Find(b, begin, len);
        if (p >= 0) found = p + 1;
    }
    ResultInt(result, found);
}

LIBRARY_COMMAND(ReplaceSubByteSet) {
    int32_t len, m, r;
    const uint8_t* b = BytesAt(args, count, 0, &len);
    const uint8_t* sought = BytesAt(args, count, 1, &m);
    const uint8_t* replacement = BytesAt(args, count, 2, &r);
    int32_t start = OptionalInt(args, count, 3, 1);
    int32_t begin = start > 1 ? start - 1 : 0;
    bool limited = ArgGiven(args, count, 4);
    int32_t limit = limited ? ArgInt(args[4]) : 0;
    if (len == 0 || m == 0 || begin >= len || (limited && limit == 0)) {
        ResultByteSet(result, b, len);
        return;
    }
    if (limit < 0) limited = false;  // a negative count never comes due

    BlockBuilder out(8, len);
    out.Append(b, begin);
    PatternSearch search(sought, m, false, false);
    int32_t pos = begin, done = 0;
    while (len - pos >= m) {
        int32_t p = search.Find(b, pos, len);
        if (p < 0) break;
        out.Append(b + pos, p - pos);
        out.Append(replacement, r);
        pos = p + m;
        if (limited && ++done == limit) break;
    }
    out.Append(b + pos, len - pos);
    SetByteSet(result, out.TakeByteSet());
}

LIBRARY_COMMAND(ZeroByteSet) {
    int32_t n = OptionalInt(args, count, 0, 0);
    if (n <= 0) {
        SetByteSet(result, nullptr);
        return;
    }
    uint8_t* block = NewByteSetBlock(CheckedBlockSize(static_cast<int64_t>(n) + 8) - 8);
    memset(block + 8, 0, n);
    SetByteSet(result, block);
}

LIBRARY_COMMAND(RepeatByteSet) {
    int32_t times = OptionalInt(args, count, 0, 0);
    int32_t len;
    const uint8_t* b = BytesAt(args, count, 1, &len);
    if (times <= 0 || len == 0) {
        SetByteSet(result, nullptr);
        return;
    }
    int64_t total = static_cast<int64_t>(times) * len;
    uint8_t* block = NewByteSetBlock(CheckedBlockSize(total + 8) - 8);
    uint8_t* out = block + 8;
    memcpy(out, b, len);
    int64_t filled = len;
    while (filled < total) {
        int64_t n = filled < total - filled ? filled : total - filled;
        memcpy(out + filled, out, static_cast<size_t>(n));
        filled += n;
    }
    SetByteSet(result, block);
}

LIBRARY_COMMAND(ByteSetData) {
    static const TypeCode kKinds[10] = {kByte, kShort, kInt, kLong, kFloat,
                                        kDouble, kBool, kDateTime, kSubroutine, kText};
    int32_t kindNumber = OptionalInt(args, count, 1, 0);
    if (kindNumber < 1 || kindNumber > 10) RaiseFatalMessage("“欲取出数据的类型”参数值无效");
    TypeCode kind = kKinds[kindNumber - 1];

    int32_t len;
    const uint8_t* b = BytesAt(args, count, 0, &len);
    int32_t* byRef = nullptr;
    int32_t position = 1;
    if (ArgGiven(args, count, 2)) {
        if (args[2].type & kPointerFlag) {
            byRef = reinterpret_cast<int32_t*>(args[2].value);
            position = byRef ? *byRef : 1;
        } else {
            position = ArgInt(args[2]);
        }
    }
    // A position below 1 (the -1 that marks the end included) has nothing to read.
    int32_t offset = position >= 1 ? position - 1 : len;
    int32_t remaining = offset < len ? len - offset : 0;

    int32_t consumed;
    if (kind == kText) {
        const uint8_t* from = remaining > 0 ? b + offset : nullptr;
        const void* zero = remaining > 0 ? memchr(from, 0, remaining) : nullptr;
        int32_t n = zero ? static_cast<int32_t>(static_cast<const uint8_t*>(zero) - from) : remaining;
        ResultText(result, reinterpret_cast<const char*>(from), n);
        consumed = n + (zero ? 1 : 0);
    } else {
        int32_t size = KindSize(kind);
        uint8_t raw[8] = {0};
        memcpy(raw, remaining > 0 ? b + offset : raw, remaining < size ? remaining : size);
        uint32_t low, high;
        memcpy(&low, raw, 4);
        memcpy(&high, raw + 4, 4);
        switch (kind) {
        case kByte: ResultByte(result, raw[0]); break;
        case kShort: ResultShort(result, static_cast<int16_t>(low)); break;
        case kBool: ResultBool(result, low != 0); break;
        case kDateTime: {
            double t;
            memcpy(&t, raw, 8);
            ResultDateTime(result, ClampDateTime(t));
            break;
        }
        case kSubroutine:  // an address: as wide as a pointer
            *result = {0, 0, kind};
            memcpy(&result->value, raw, sizeof(result->value));
            break;
        default:  // integer, long, float, double: the bytes as stored
            *result = {low, size == 8 ? high : 0, kind};
            break;
        }
        consumed = size;
    }
    result->type = kind;

    if (byRef) {
        int64_t next = static_cast<int64_t>(offset) + consumed;
        *byRef = next >= len ? -1 : static_cast<int32_t>(next + 1);
    }
}

LIBRARY_COMMAND(ToByteSet) {
    if (count < 1) {
        SetByteSet(result, nullptr);
        return;
    }
    const ArgRecord& a = args[0];
    TypeCode kind = KindOf(a.type);
    if (a.type & kPointerFlag) {
        // An array: numeric elements give their bytes, anything else nothing.
        const uint8_t* block = reinterpret_cast<const uint8_t*>(a.value);
        if (!block || !IsNumericKind(kind)) {
            SetByteSet(result, nullptr);
            return;
        }
        int64_t n = static_cast<int64_t>(KindSize(kind)) * ArrayElementCount(block);
        if (n <= 0) {
            SetByteSet(result, nullptr);
            return;
        }
        uint8_t* out = NewByteSetBlock(CheckedBlockSize(n + 8) - 8);
        memcpy(out + 8, ArrayElements(const_cast<uint8_t*>(block)), static_cast<size_t>(n));
        SetByteSet(result, out);
        return;
    }
    switch (kind) {
    case kText: {
        const char* s = ArgText(a);
        ResultByteSet(result, reinterpret_cast<const uint8_t*>(s), static_cast<int32_t>(strlen(s)));
        return;
    }
    case kByteSet: {
        int32_t len;
        const uint8_t* b = ArgBytes(a, &len);
        ResultByteSet(result, b, len);
        return;
    }
    case kDateTime: {
        double t;
        uint8_t raw[8];
        ValueBytes(a, 8, raw);
        memcpy(&t, raw, 8);
        t = ClampDateTime(t);
        ResultByteSet(result, reinterpret_cast<const uint8_t*>(&t), 8);
        return;
    }
    case kByte: case kShort: case kInt: case kFloat: case kBool: case kSubroutine:
    case kLong: case kDouble: {
        uint8_t raw[8];
        int32_t n = KindSize(kind);
        ValueBytes(a, n, raw);
        ResultByteSet(result, raw, n);
        return;
    }
    default:
        SetByteSet(result, nullptr);
        return;
    }
}

}  // namespace cmd
