#include "engine/text_file.h"

#include <cstring>

#include "engine/codepage.h"
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

// GBK bytes through the system's code page 936, zero bytes kept as zero units.
ByteSetVar GbkUnits(const uint8_t* p, size_t n) {
    ByteSetVar bytes = CopyBytes(p, n);
    TextVar text = ToText(bytes);
    if (TextLength(text) == static_cast<int32_t>(n)) return GbkToUnits(text);
    // A zero byte ends a text: convert the runs between zero bytes one by one.
    ByteSetVar units, zero = ZeroByteSet(2);
    for (size_t start = 0; start <= n;) {
        const void* hit = memchr(p + start, 0, n - start);
        size_t end = hit ? static_cast<const uint8_t*>(hit) - p : n;
        ByteSetVar run = CopyBytes(p + start, end - start);
        TextVar runText = ToText(run);
        ByteSetVar runUnits = GbkToUnits(runText);
        units = hit ? JoinByteSets({&units, &runUnits, &zero}) : JoinByteSets({&units, &runUnits});
        start = end + 1;
    }
    return units;
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

bool IsValidUtf8(const uint8_t* p, size_t n) {
    for (size_t k = 0; k < n;) {
        if (p[k] < 0x80) {
            ++k;
            continue;
        }
        uint32_t least;
        int len = SequenceLength(p[k], &least);
        if (len == 0 || n - k < static_cast<size_t>(len)) return false;
        uint32_t c = p[k] & (0x7F >> len);
        for (int i = 1; i < len; ++i) {
            if ((p[k + i] & 0xC0) != 0x80) return false;
            c = c << 6 | (p[k + i] & 0x3F);
        }
        if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
        k += len;
    }
    return true;
}

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
    if (n > kMostBytes / 2) return false;
    switch (e) {
    case TextEncoding::kUtf8:
    case TextEncoding::kUtf8Bom:
        if (StartsWith(p, n, kUtf8Bom, 3)) p += 3, n -= 3;
        if (!IsValidUtf8(p, n)) return false;
        *units = Utf8Units(p, n);
        return true;
    case TextEncoding::kUtf16Le:
        if (StartsWith(p, n, kUtf16LeBom, 2)) p += 2, n -= 2;
        *units = CopyBytes(p, n & ~size_t(1));
        return true;
    default:
        *units = GbkUnits(p, n);
        return true;
    }
}

ByteSetVar EncodeText(const ByteSetVar& units, TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::kUtf16Le: return ByteSetLeft(units, ByteSetLength(units));
    case TextEncoding::kUtf8:
    case TextEncoding::kUtf8Bom: {
        ByteSetVar bytes;
        int32_t n = UnitsToCodePageInto(units.data(), ByteSetLength(units) / 2, kCodePageUtf8, &bytes);
        ByteSetVar body = ByteSetLeft(bytes, n);
        if (encoding == TextEncoding::kUtf8) return body;
        ByteSetVar bom = CopyBytes(kUtf8Bom, 3);
        return JoinByteSets({&bom, &body});
    }
    default: {
        ByteSetVar bytes;
        int32_t n = UnitsToCodePageInto(units.data(), ByteSetLength(units) / 2, kCodePageGbk, &bytes);
        return ByteSetLeft(bytes, n);
    }
    }
}
