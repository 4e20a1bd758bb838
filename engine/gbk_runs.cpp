#include "engine/gbk_runs.h"

#include <climits>
#include <cstring>

#include "engine/progress.h"
#include "runtime/command_args.h"
#include "runtime/dll_commands.h"
#include "runtime/library.h"
#include "runtime/memory.h"

// The address sanitizer is told of the deliberate reads past the terminator below.
__attribute__((no_sanitize("address"))) int32_t MeasureText(const char* text) {
    if (!text) return 0;
    const char* p = text;
    for (; reinterpret_cast<uintptr_t>(p) % 8 != 0; ++p)
        if (!*p) return static_cast<int32_t>(p - text);
    // An aligned word never reaches into the next page, so reading past the terminator
    // within one is safe.
    const uint64_t ones = 0x0101010101010101ull, highs = 0x8080808080808080ull;
    for (uint64_t v; memcpy(&v, p, 8), !((v - ones) & ~v & highs);) p += 8;
    while (*p) ++p;
    return static_cast<int32_t>(p - text);
}

TextVar TextToFill(int64_t length) {
    // A text holds fewer than INT32_MAX bytes: a longer one fails as an allocation does.
    if (length < 0 || length > INT32_MAX - 8) RaiseAllocationFailure(length + 1);
    Text block = static_cast<Text>(AllocMemory(static_cast<int32_t>(length) + 1));
    block[length] = '\0';
    return TextVar(block);
}

ByteSetVar ByteSetToFill(int32_t length) { return ByteSetVar(length > 0 ? NewByteSetBlock(length) : nullptr); }

namespace {
int32_t LcMap(uint32_t flags, const char* source, int32_t length, char* target) {
    return CallDllCommand<int32_t>(kDllLCMapStringA, kLocaleChinesePrc, flags, source, length,
                                   target, length);
}

// Bytes start.. (1-based) of the text, as a text of their own.
TextVar Slice(const ByteSetVar& bytes, int32_t start, int32_t length) {
    return ToText(ByteSetMiddle(bytes, start, length));
}

// A run of double-byte characters: mapped whole when that keeps its length, else in two
// halves, down to single characters, which keep their own bytes when their mapped form is
// not one double-byte character. A few odd characters cost a few calls, not one per character.
TextVar MapPairRun(const ByteSetVar& bytes, int32_t start, int32_t length, uint32_t flags) {
    TextVar run = Slice(bytes, start, length);
    TextVar mapped = SpaceText(length);
    if (LcMap(flags, run, length, mapped.get()) == length &&
        (length > 2 || (CharCode(mapped, 1) < 0 && CharCode(mapped, 2) != 0)))
        return mapped;
    if (length == 2) return run;
    int32_t half = length / 4 * 2;
    return JoinTexts({MapPairRun(bytes, start, half, flags), MapPairRun(bytes, start + half, length - half, flags)});
}

const int32_t kLeadCodes = 0xFE - 0x81 + 1;
const int32_t kTrailCodes = 0xFE - 0x40;  // 40..FE without 7F
inline int32_t TrailIndex(uint8_t b) { return b < 0x7F ? b - 0x40 : b - 0x41; }

// The mapping is the same for a character wherever it stands, so each double-byte code is
// mapped once: a whole row of one lead byte's 190 characters in one call when it is first
// met (every row keeps its length but for a few odd characters).
class PairTable {
public:
    explicit PairTable(uint32_t flags) : flags_(flags), table_(ZeroByteSet(2 * kLeadCodes * kTrailCodes)) {}

    void MapInPlace(uint8_t* pair) {
        int32_t row = pair[0] - 0x81;
        if (!filled_[row]) Fill(row);
        const uint8_t* mapped = table_.data() + 2 * (row * kTrailCodes + TrailIndex(pair[1]));
        pair[0] = mapped[0];
        pair[1] = mapped[1];
    }

private:
    void Fill(int32_t row) {
        ByteSetVar codes = ZeroByteSet(2 * kTrailCodes);
        uint8_t* c = codes.data();
        for (int32_t t = 0x40; t <= 0xFE; ++t) {
            if (t == 0x7F) continue;
            *c++ = static_cast<uint8_t>(0x81 + row);
            *c++ = static_cast<uint8_t>(t);
        }
        TextVar mapped = MapPairRun(codes, 1, 2 * kTrailCodes, flags_);
        memcpy(table_.data() + 2 * row * kTrailCodes, mapped.c_str(), 2 * kTrailCodes);
        filled_[row] = true;
    }

    uint32_t flags_;
    ByteSetVar table_;
    bool filled_[kLeadCodes] = {};
};

// Case mapping never looks at a neighbour, so the system's function applied once to every
// ASCII code says what it does to each of them on this system.
void AsciiMapping(int asciiEntry, uint8_t mapping[128]) {
    for (int32_t b = 0; b < 128; ++b) mapping[b] = static_cast<uint8_t>(b);
    if (asciiEntry < 0) return;
    TextVar codes = TextToFill(127);
    for (int32_t b = 1; b < 128; ++b) codes.get()[b - 1] = static_cast<char>(b);
    // ASCII means the same in every ANSI code page, so the system's casing of ASCII is the
    // same as on a GBK system.
    CallDllCommand<char*>(asciiEntry, codes.get());
    for (int32_t b = 1; b < 128; ++b) mapping[b] = static_cast<uint8_t>(codes.get()[b - 1]);
}
}  // namespace

TextVar MapGbkRuns(const char* text, uint32_t lcmapFlags, int asciiEntry) {
    // Every character keeps its length, so the mapping is written over a copy of the text.
    int32_t n = MeasureText(text);
    TextVar out = TextToFill(n);
    uint8_t* d = reinterpret_cast<uint8_t*>(out.get());
    if (n > 0) memcpy(d, text, n);
    uint8_t ascii[128];
    AsciiMapping(asciiEntry, ascii);
    PairTable pairs(lcmapFlags);
    int32_t i = 0;
    while (i < n) {
        int32_t blockEnd = n - i > kProgressBlock ? i + kProgressBlock : n;
        while (i < blockEnd) {
            if (d[i] < 0x80) {
                d[i] = ascii[d[i]];
                ++i;
            } else if (IsGbkPairAt(d, n, i)) {
                pairs.MapInPlace(d + i);
                i += 2;
            } else {
                ++i;  // any other byte stays as it is
            }
        }
        ReportProgress(i, n);
    }
    return out;
}
