#include "engine/text_file.h"

#include <cstring>
#include <utility>

#include "engine/codepage.h"
#include "engine/service_failure.h"
#include "engine/gbk_runs.h"
#include "runtime/dll_commands.h"
#include "runtime/library.h"
#include "runtime/memory.h"

namespace {
const uint8_t kUtf8Bom[] = {0xEF, 0xBB, 0xBF};
const uint8_t kUtf16LeBom[] = {0xFF, 0xFE};
// A byte set counts its length in 32 bits; a text of units needs two bytes a unit.
const size_t kMostBytes = 0x7FFFFFF0u;

bool StartsWith(const uint8_t* p, size_t n, const uint8_t* prefix, size_t m) {
    return n >= m && memcmp(p, prefix, m) == 0;
}

// Length of the sequence a lead byte starts and the least code point it may stand for.
int SequenceLength(uint8_t lead, uint32_t* least) {
    if (lead < 0x80) return *least = 0, 1;
    if (lead >= 0xC2 && lead <= 0xDF) return *least = 0x80, 2;
    if (lead >= 0xE0 && lead <= 0xEF) return *least = 0x800, 3;
    if (lead >= 0xF0 && lead <= 0xF4) return *least = 0x10000, 4;
    return 0;
}

// Decodes valid UTF-8 (checked before) into units.
ByteSetVar Utf8Units(const uint8_t* p, size_t n) {
    if (n == 0) return ByteSetVar();
    ByteSetVar units = ZeroByteSet(static_cast<int32_t>(2 * n));
    uint8_t* w = units.data();
    size_t used = 0;
    auto put = [&](uint32_t u) {
        w[used++] = static_cast<uint8_t>(u);
        w[used++] = static_cast<uint8_t>(u >> 8);
    };
    for (size_t k = 0; k < n;) {
        uint32_t least;
        int len = SequenceLength(p[k], &least);
        uint32_t c = len == 1 ? p[k] : p[k] & (0x7F >> len);
        for (int i = 1; i < len; ++i) c = c << 6 | (p[k + i] & 0x3F);
        k += len;
        if (c >= 0x10000) {
            put(0xD800 + ((c - 0x10000) >> 10));
            put(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            put(c);
        }
    }
    return ByteSetLeft(units, static_cast<int32_t>(used));
}

ByteSetVar CopyBytes(const uint8_t* p, size_t n) {
    if (n == 0) return ByteSetVar();
    ByteSetVar out = ZeroByteSet(static_cast<int32_t>(n));
    memcpy(out.data(), p, n);
    return out;
}

// The first n bytes of a set filled from its start, kept in its own block: the heap shortens
// a block in place, where a copy would cost a pass over the whole result.
ByteSetVar Shortened(ByteSetVar bytes, int32_t n) {
    if (n <= 0) return ByteSetVar();
    if (n == bytes.size()) return bytes;
    uint8_t* block = bytes.release();
    memcpy(block + 4, &n, sizeof n);
    return ByteSetVar(static_cast<uint8_t*>(ReallocMemory(block, 8 + n)));
}

// Bytes of a code page to units in one call of the system's converter, zero bytes kept
// as zero units. (The text routines measure and convert in slices, as a text ends at its
// first zero byte; a file's bytes have their count.)
ByteSetVar CodePageUnits(const uint8_t* p, size_t n, uint32_t codePage) {
    if (n == 0) return ByteSetVar();
    ByteSetVar units = ByteSetToFill(static_cast<int32_t>(2 * n));
    int32_t m = CallDllCommand<int32_t>(kDllMultiByteToWideChar, codePage, uint32_t(0), static_cast<const void*>(p),
                                        static_cast<int32_t>(n), static_cast<void*>(units.data()), static_cast<int32_t>(n));
    if (m <= 0) NoteCodePageFailure(codePage);
    return Shortened(std::move(units), m > 0 ? 2 * m : 0);
}

// Units to a code page in one call, into room for the most bytes a unit can take.
ByteSetVar UnitsCodePage(const ByteSetVar& units, uint32_t codePage, int32_t mostPerUnit) {
    int32_t count = ByteSetLength(units) / 2;
    if (count == 0) return ByteSetVar();
    int64_t room = static_cast<int64_t>(count) * mostPerUnit;
    if (room > 0x7FFFFFF0) RaiseAllocationFailure(room);
    ByteSetVar bytes = ByteSetToFill(static_cast<int32_t>(room));
    int32_t m = CallDllCommand<int32_t>(kDllWideCharToMultiByte, codePage, uint32_t(0), static_cast<const void*>(units.data()),
                                        count, static_cast<void*>(bytes.data()), static_cast<int32_t>(room),
                                        static_cast<const char*>(nullptr), static_cast<int32_t*>(nullptr));
    if (m <= 0) NoteCodePageFailure(codePage);
    return Shortened(std::move(bytes), m > 0 ? m : 0);
}
}  // namespace

const char* EncodingName(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::kUtf8: return "UTF-8";
    case TextEncoding::kUtf8Bom: return "UTF-8 BOM";
    case TextEncoding::kUtf16Le: return "UTF-16";
    default: return "GBK";
    }
}

size_t Utf8ValidPrefix(const uint8_t* p, size_t n) {
    for (size_t k = 0; k < n;) {
        // ASCII runs eight bytes at a time: most text is mostly ASCII.
        while (n - k >= 8) {
            uint64_t w;
            memcpy(&w, p + k, 8);
            if (w & 0x8080808080808080ull) break;
            k += 8;
        }
        if (k >= n) break;
        if (p[k] < 0x80) {
            ++k;
            continue;
        }
        uint32_t least;
        int len = SequenceLength(p[k], &least);
        if (len == 0 || n - k < static_cast<size_t>(len)) return k;
        uint32_t c = p[k] & (0x7F >> len);
        for (int i = 1; i < len; ++i) {
            if ((p[k + i] & 0xC0) != 0x80) return k;
            c = c << 6 | (p[k + i] & 0x3F);
        }
        if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return k;
        k += len;
    }
    return n;
}

bool IsValidUtf8(const uint8_t* p, size_t n) { return Utf8ValidPrefix(p, n) == n; }

bool DecodeText(const uint8_t* p, size_t n, TextEncoding asked, ByteSetVar* units, TextEncoding* found) {
    TextEncoding e = asked;
    if (e == TextEncoding::kAuto) {
        if (StartsWith(p, n, kUtf8Bom, 3))
            e = TextEncoding::kUtf8Bom;
        else if (StartsWith(p, n, kUtf16LeBom, 2))
            e = TextEncoding::kUtf16Le;
        else
            e = IsValidUtf8(p, n) ? TextEncoding::kUtf8 : TextEncoding::kGbk;
    }
    if (found) *found = e;
    if ((e == TextEncoding::kUtf8 || e == TextEncoding::kUtf8Bom) && StartsWith(p, n, kUtf8Bom, 3)) p += 3, n -= 3;
    if (e == TextEncoding::kUtf16Le && StartsWith(p, n, kUtf16LeBom, 2)) p += 2, n -= 2;
    return DecodeTextBody(p, n, e == TextEncoding::kUtf8Bom ? TextEncoding::kUtf8 : e, units);
}

bool DecodeTextBody(const uint8_t* p, size_t n, TextEncoding e, ByteSetVar* units) {
    if (n > kMostBytes / 2) return false;
    switch (e) {
    case TextEncoding::kUtf8:
    case TextEncoding::kUtf8Bom:
        if (!IsValidUtf8(p, n)) return false;
        *units = Utf8Units(p, n);
        return true;
    case TextEncoding::kUtf16Le:
        *units = CopyBytes(p, n & ~size_t(1));
        return true;
    default:
        *units = CodePageUnits(p, n, kCodePageGbk);
        return true;
    }
}

ByteSetVar EncodeText(const ByteSetVar& units, TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::kUtf16Le: return ByteSetLeft(units, ByteSetLength(units));
    case TextEncoding::kUtf8:
    case TextEncoding::kUtf8Bom: {
        ByteSetVar body = UnitsCodePage(units, kCodePageUtf8, 3);
        if (encoding == TextEncoding::kUtf8) return body;
        ByteSetVar bom = CopyBytes(kUtf8Bom, 3);
        return JoinByteSets({&bom, &body});
    }
    default: return UnitsCodePage(units, kCodePageGbk, 2);
    }
}
