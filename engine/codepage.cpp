#include "engine/codepage.h"

#include <cstring>
#include <string>
#include <vector>

#include "engine/progress.h"
#include "engine/service_failure.h"
#include "runtime/dll_commands.h"
#include "runtime/library.h"
#include "runtime/memory.h"

namespace {
// Every measurement is taken as on a GBK system, so results do not depend on the locale
// the program happens to run under.
const uint32_t kMeasureCodePage = kCodePageGbk;
const uint32_t kCompositeCheck = 0x200;
const uint32_t kNoBestFitChars = 0x400;
const uint32_t kHeapZeroMemory = 8;

// A measuring call (no buffer) fails only when the system cannot convert with the code page
// at all; a call into a buffer may fail by design, when the buffer is measured as GBK.
int32_t MultiToWide(uint32_t codePage, const void* source, int32_t sourceLength, void* units,
                    int32_t unitCount) {
    int32_t n = CallDllCommand<int32_t>(kDllMultiByteToWideChar, codePage, uint32_t(0), source,
                                        sourceLength, units, unitCount);
    if (n == 0 && !units && sourceLength != 0) NoteCodePageFailure(codePage);
    return n;
}

int32_t WideToMulti(uint32_t codePage, uint32_t flags, const void* units, int32_t unitCount,
                    void* target, int32_t targetLength, int32_t* usedDefault = nullptr) {
    int32_t n = CallDllCommand<int32_t>(kDllWideCharToMultiByte, codePage, flags, units, unitCount,
                                        target, targetLength, static_cast<const char*>(nullptr), usedDefault);
    if (n == 0 && !target && unitCount != 0) NoteCodePageFailure(codePage);
    return n;
}

// Scratch memory from the process heap, freed when the routine is done with it.
class HeapScratch {
public:
    explicit HeapScratch(int32_t size) {
        heap_ = CallDllCommand<void*>(kDllGetProcessHeap);
        block_ = CallDllCommand<void*>(kDllHeapAlloc, heap_, kHeapZeroMemory, static_cast<uint32_t>(size));
        if (!block_) RaiseAllocationFailure(size);
    }
    ~HeapScratch() {
        if (block_) CallDllCommand<int32_t>(kDllHeapFree, heap_, uint32_t(0), block_);
    }
    HeapScratch(const HeapScratch&) = delete;
    HeapScratch& operator=(const HeapScratch&) = delete;
    void* get() const { return block_; }

private:
    void* heap_ = nullptr;
    void* block_ = nullptr;
};

// A fresh byte set holding the first size bytes of the scratch block.
ByteSetVar CopyScratch(const HeapScratch& scratch, int32_t size) {
    ByteSetVar result = ZeroByteSet(size);
    if (result.data())
        CallDllCommand<void>(kDllRtlMoveMemory, static_cast<void*>(result.data()), scratch.get(),
                             static_cast<uint32_t>(size));
    return result;
}

// Whole UTF-16 units in the byte set, and how many come before the first zero unit
// (-1 when there is none).
int32_t UnitCount(const ByteSetVar& bytes) { return ByteSetLength(bytes) / 2; }

int32_t FirstZeroUnit(const ByteSetVar& bytes) {
    const uint8_t* p = bytes.data();
    int32_t n = UnitCount(bytes);
    for (int32_t k = 0; k < n; ++k)
        if (p[2 * k] == 0 && p[2 * k + 1] == 0) return k;
    return -1;
}

// Long texts go to the system a slice at a time, so that the conversion can report its
// progress between slices. A slice of bytes ends after a byte below 0x40: in GBK, BIG5 and
// UTF-8 alike such a byte is a character of its own and never a trail byte, so the system
// reads the bytes on either side of the cut just as it reads them in one piece. A slice of
// units never ends between the two halves of a surrogate pair.
const int32_t kCodePageSlice = 256 * 1024;

// The units of the text's bytes in codePage, one slice at a time, after the measure as GBK
// the buffer of a single call would have: the units with the terminating zero unit, zeros
// up to that measure; all zeros when the text takes more units in codePage than in GBK
// (a single call fails then and its partial result is not kept).
ByteSetVar SlicedToUtf16(const uint8_t* source, int32_t length, uint32_t codePage) {
    // No code page here makes more than one unit of a byte.
    ByteSetVar buffer = ZeroByteSet(2 * (length + 1));
    int64_t measured = 1, written = 0;
    for (int32_t start = 0; start < length;) {
        ReportProgress(start, length);
        int32_t end = CodePageSliceEnd(source, start, length);
        int32_t got = MultiToWide(codePage, source + start, end - start, buffer.data() + 2 * written,
                                  length + 1 - static_cast<int32_t>(written));
        measured += codePage == kMeasureCodePage ? got : MultiToWide(kMeasureCodePage, source + start, end - start, nullptr, 0);
        written += got;
        start = end;
    }
    if (written + 1 > measured) return ZeroByteSet(static_cast<int32_t>(2 * measured));
    return ByteSetLeft(buffer, static_cast<int32_t>(2 * measured));
}

// The bytes of units in codePage, one slice at a time, each slice measured in codePage.
ByteSetVar SlicedFromUtf16(const uint8_t* units, int32_t count, uint32_t codePage) {
    int64_t total = 0;
    for (int32_t start = 0; start < count;) {
        int32_t end = CodePageUnitSliceEnd(units, start, count);
        total += WideToMulti(codePage, 0, units + 2 * start, end - start, nullptr, 0);
        start = end;
    }
    if (total <= 0) return ByteSetVar();
    // A byte set holds fewer than INT32_MAX bytes: a longer result fails as an allocation does.
    if (total > INT32_MAX - 8) RaiseAllocationFailure(total);
    ByteSetVar bytes = ZeroByteSet(static_cast<int32_t>(total));
    int64_t used = 0;
    for (int32_t start = 0; start < count;) {
        ReportProgress(start, count);
        int32_t end = CodePageUnitSliceEnd(units, start, count);
        used += WideToMulti(codePage, 0, units + 2 * start, end - start, bytes.data() + used,
                            static_cast<int32_t>(total - used));
        start = end;
    }
    return bytes;
}

// The units of bytes in codePage, one slice at a time.
ByteSetVar SlicedBytesToUtf16(const uint8_t* source, int32_t length, uint32_t codePage) {
    ByteSetVar buffer = ZeroByteSet(2 * length);
    int32_t written = 0;
    for (int32_t start = 0; start < length;) {
        ReportProgress(start, length);
        int32_t end = CodePageSliceEnd(source, start, length);
        written += MultiToWide(codePage, source + start, end - start, buffer.data() + 2 * written, length - written);
        start = end;
    }
    return ByteSetLeft(buffer, 2 * written);
}
}  // namespace

int32_t CodePageUnitSliceEnd(const uint8_t* p, int32_t start, int32_t n) {
    if (n - start <= kCodePageSlice) return n;
    int32_t k = start + kCodePageSlice;
    uint32_t before = p[2 * (k - 1)] | (p[2 * (k - 1) + 1] << 8);
    return before >= 0xD800 && before <= 0xDBFF ? k + 1 : k;
}

int32_t UnitsBeforeZero(const ByteSetVar& units) {
    int32_t zero = FirstZeroUnit(units);
    return zero >= 0 ? zero : UnitCount(units);
}

int32_t UnitsToCodePageInto(const uint8_t* units, int32_t count, uint32_t codePage, ByteSetVar* bytes) {
    int32_t m = WideToMulti(codePage, 0, units, count, nullptr, 0);
    if (m <= 0) return 0;
    if (bytes->size() < m) *bytes = ZeroByteSet(m);
    return WideToMulti(codePage, 0, units, count, bytes->data(), m);
}

int32_t CodePageSliceEnd(const uint8_t* bytes, int32_t start, int32_t n) {
    if (n - start <= kCodePageSlice) return n;
    int32_t k = start + kCodePageSlice;
    while (k < n && bytes[k - 1] >= 0x40) ++k;
    return k;
}

ByteSetVar CodePageToUtf16(const char* text, uint32_t codePage) {
    const char* source = text ? text : "";
    int32_t length = TextLength(source);
    if (length > kCodePageSlice)
        return SlicedToUtf16(reinterpret_cast<const uint8_t*>(source), length, codePage);
    int32_t n = MultiToWide(kMeasureCodePage, source, -1, nullptr, 0);
    if (n <= 0) return ByteSetVar();
    ByteSetVar buffer = ZeroByteSet(2 * n);
    // Text that is not valid in codePage can need more units than measured; the system may
    // leave a partial result behind, so a failed call always gives back the zeroed buffer.
    if (MultiToWide(codePage, source, -1, buffer.data(), n) == 0) buffer = ZeroByteSet(2 * n);
    return buffer;
}

TextVar Utf16ToCodePage(const ByteSetVar& units, uint32_t codePage) {
    if (UnitCount(units) == 0) return TextVar();
    // Units without a terminating zero unit are converted by count: never read past the set.
    int32_t before = UnitsBeforeZero(units);
    if (before > kCodePageSlice) {
        // The text ends at its first zero byte, as a single call's result does.
        ByteSetVar bytes = SlicedFromUtf16(units.data(), before, codePage);
        return ToText(bytes);
    }
    int32_t count = before < UnitCount(units) ? -1 : before;
    int32_t m = WideToMulti(kMeasureCodePage, 0, units.data(), count, nullptr, 0);
    if (m <= 0) return TextVar();
    TextVar buffer = SpaceText(2 * m);
    int32_t written = WideToMulti(codePage, 0, units.data(), count, buffer.get(), 2 * m);
    if (written == 0) {
        // Twice the GBK measure was still too small (characters that are short in GBK and
        // long in the target): measure in the target itself.
        int32_t exact = WideToMulti(codePage, 0, units.data(), count, nullptr, 0);
        if (exact <= 0) return TextVar();
        buffer = SpaceText(exact);
        written = WideToMulti(codePage, 0, units.data(), count, buffer.get(), exact);
        if (written == 0) return TextVar();
    }
    int32_t length = TextLength(buffer);
    return TextLeft(buffer, length < written ? length : written);
}

TextVar GbkToUtf8(const char* text) { return UnitsToUtf8(GbkToUnits(text)); }

TextVar Utf8ToGbk(const char* text) { return UnitsToGbk(Utf8ToUnits(text)); }

ByteSetVar AnsiToUtf16Bytes(const char* text, bool dropTerminator) {
    if (TextLength(text) == 0) return ByteSetVar();
    return UnitsToUtf16Bytes(GbkToUnits(text), dropTerminator);
}

TextVar Utf16BytesToAnsi(const ByteSetVar& bytes) {
    // Up to the first zero unit: the GBK form of the units would end at its zero byte.
    ByteSetVar units = Utf16BytesToUnits(bytes);
    int32_t n = UnitCount(units);
    if (n == 0) return TextVar();
    int32_t m = WideToMulti(kCodePageGbk, kCompositeCheck, units.data(), n, nullptr, 0);
    if (m <= 0) return TextVar();
    ByteSetVar buffer = ZeroByteSet(m);
    WideToMulti(kCodePageGbk, kCompositeCheck, units.data(), n, buffer.data(), m);
    ArgRecord text = ByteSetData(buffer, 10);
    return TextVar(reinterpret_cast<Text>(text.value));
}

ByteSetVar Utf16BytesToUtf8(const ByteSetVar& bytes) {
    int32_t n = UnitsBeforeZero(bytes);
    if (n == 0) return ByteSetVar();
    if (n > kCodePageSlice) return SlicedFromUtf16(bytes.data(), n, kCodePageUtf8);
    int32_t m = WideToMulti(kCodePageUtf8, 0, bytes.data(), n, nullptr, 0);
    if (m <= 0) return ByteSetVar();
    HeapScratch scratch(m);
    WideToMulti(kCodePageUtf8, 0, bytes.data(), n, scratch.get(), m);
    return CopyScratch(scratch, m);
}

ByteSetVar Utf8BytesToUtf16(const ByteSetVar& bytes) {
    int32_t count = ByteSetLength(bytes);
    const uint8_t* p = bytes.data();
    for (int32_t k = 0; k < count; ++k) {
        if (p[k] == 0) {
            count = k + 1;
            break;
        }
    }
    if (count == 0) return ByteSetVar();
    if (count > kCodePageSlice) return SlicedBytesToUtf16(p, count, kCodePageUtf8);
    int32_t m = MultiToWide(kCodePageUtf8, p, count, nullptr, 0);
    if (m <= 0) return ByteSetVar();
    HeapScratch scratch(2 * m);
    MultiToWide(kCodePageUtf8, p, count, scratch.get(), m);
    return CopyScratch(scratch, 2 * m);
}

ByteSetVar GbkToUnits(const char* text) {
    ByteSetVar units = CodePageToUtf16(text, kCodePageGbk);
    int32_t n = ByteSetLength(units);
    return n > 2 ? ByteSetLeft(units, n - 2) : ByteSetVar();
}

TextVar UnitsToGbk(const ByteSetVar& units) { return Utf16ToCodePage(units, kCodePageGbk); }

TextVar UnitsToUtf8(const ByteSetVar& units) { return Utf16ToCodePage(units, kCodePageUtf8); }

ByteSetVar Utf8ToUnits(const char* text) {
    ByteSetVar units = CodePageToUtf16(text, kCodePageUtf8);
    int32_t zero = FirstZeroUnit(units);
    return zero > 0 ? ByteSetLeft(units, 2 * zero) : ByteSetVar();
}

ByteSetVar UnitsToUtf16Bytes(const ByteSetVar& units, bool dropTerminator) {
    int32_t n = UnitCount(units);
    if (n == 0) return ByteSetVar();
    if (dropTerminator) return ByteSetLeft(units, 2 * n);
    ByteSetVar zero = ZeroByteSet(2);
    return JoinByteSets({&units, &zero});
}

ByteSetVar Utf16BytesToUnits(const ByteSetVar& bytes) {
    int32_t n = UnitsBeforeZero(bytes);
    return n > 0 ? ByteSetLeft(bytes, 2 * n) : ByteSetVar();
}

ByteSetVar JoinByteSets(std::initializer_list<const ByteSetVar*> parts) {
    return JoinByteSets(parts.begin(), static_cast<int32_t>(parts.size()));
}

ByteSetVar JoinByteSets(const ByteSetVar* const* parts, int32_t count) {
    int64_t total = 0;
    for (int32_t i = 0; i < count; ++i) total += ByteSetLength(*parts[i]);
    if (total == 0) return ByteSetVar();
    // A byte set holds fewer than INT32_MAX bytes: a longer join fails as an allocation does.
    if (total > INT32_MAX - 8) RaiseAllocationFailure(total);
    ByteSetVar joined = ZeroByteSet(static_cast<int32_t>(total));
    uint8_t* w = joined.data();
    if (!w) return joined;
    for (int32_t i = 0; i < count; ++i) {
        const ByteSetVar* p = parts[i];
        int32_t n = ByteSetLength(*p);
        if (n > 0) CallDllCommand<void>(kDllRtlMoveMemory, static_cast<void*>(w), static_cast<void*>(p->data()), static_cast<uint32_t>(n));
        w += n;
    }
    return joined;
}

namespace {
bool IsHighSurrogate(uint32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(uint32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }
uint32_t UnitAt(const uint8_t* p, int32_t k) { return p[2 * k] | (p[2 * k + 1] << 8); }

// Whether the system writes a default character for any of the units: what GBK cannot hold,
// best-fit look-alikes (U+00A0 as a space) included.
bool NeedsDefault(const uint8_t* units, int32_t count) {
    int32_t used = 0;
    WideToMulti(kCodePageGbk, kNoBestFitChars, units, count, nullptr, 0, &used);
    return used != 0;
}

// Checking a slice at a time keeps the search linear; only a failing slice is walked unit
// by unit. Surrogates never have a GBK form, so they end a slice without asking the system.
const int32_t kSlice = 4096;
}  // namespace

bool FindNonGbkChar(const ByteSetVar& units, int32_t* place, uint32_t* codePoint) {
    const uint8_t* p = units.data();
    int32_t n = UnitCount(units);
    for (int32_t start = 0; start < n; start += kSlice) {
        ReportProgress(start, n);
        int32_t end = start + kSlice < n ? start + kSlice : n;
        int32_t surrogate = end;
        for (int32_t k = start; k < end; ++k) {
            uint32_t u = UnitAt(p, k);
            if (IsHighSurrogate(u) || IsLowSurrogate(u)) {
                surrogate = k;
                break;
            }
        }
        int32_t found = surrogate;
        if (surrogate > start && NeedsDefault(p + 2 * start, surrogate - start)) {
            for (int32_t k = start; k < surrogate; ++k) {
                if (NeedsDefault(p + 2 * k, 1)) {
                    found = k;
                    break;
                }
            }
        }
        if (found < end) {
            // Every character before the first one found is a single unit.
            *place = found + 1;
            uint32_t u = UnitAt(p, found);
            if (IsHighSurrogate(u) && found + 1 < n && IsLowSurrogate(UnitAt(p, found + 1)))
                u = 0x10000 + ((u - 0xD800) << 10) + (UnitAt(p, found + 1) - 0xDC00);
            *codePoint = u;
            return true;
        }
    }
    return false;
}

ByteSetVar NonGbkPrompt(const ByteSetVar& units) { return NonGbkPrompt(units, 0); }

ByteSetVar NonGbkPrompt(const ByteSetVar& units, int64_t placesBefore) {
    int32_t place;
    uint32_t code;
    if (!FindNonGbkChar(units, &place, &code)) return ByteSetVar();
    static const char digits[] = "0123456789ABCDEF";
    char hex[8];
    int32_t h = 0;
    int32_t width = code > 0xFFFFF ? 6 : code > 0xFFFF ? 5 : 4;  // U+ and at least four digits
    for (int shift = 4 * (width - 1); shift >= 0; shift -= 4) hex[h++] = digits[(code >> shift) & 15];
    hex[h] = 0;
    // The character itself is shown between quotes; a lone surrogate is no character to show.
    bool lone = (code >= 0xD800 && code <= 0xDFFF);
    ByteSetVar shown;
    if (!lone) shown = ByteSetMiddle(units, 2 * place - 1, code > 0xFFFF ? 4 : 2);
    std::string number = std::to_string(placesBefore + place);
    TextVar head = JoinTexts({"提示：第", number.c_str(), lone ? "个字符（U+" : "个字符“"});
    TextVar tail = JoinTexts({lone ? "" : "”（U+", hex, "）不是GBK字符，这项转换只能处理GBK文本。"});
    ByteSetVar headUnits = GbkToUnits(head), tailUnits = GbkToUnits(tail);
    return JoinByteSets({&headUnits, &shown, &tailUnits});
}

namespace {
// Which GBK byte sequences come back unchanged through their units: bit set for a pair
// (lead << 8 | trail) or a single byte 80 or FF that the code page maps to one unit that maps
// back to those very bytes, with no default or look-alike on the way. Asked of the system
// once, all pairs in one call each way, a space after each so that a sequence the system
// reads otherwise cannot shift the others.
struct GbkKeptTable {
    std::vector<uint8_t> kept = std::vector<uint8_t>(65536 + 256);
    GbkKeptTable() {
        // The pairs first (a valid trail byte never swallows the space after it), then the
        // two single bytes that are neither ASCII nor a lead byte.
        std::vector<uint16_t> seqs;
        for (uint32_t lead = 0x81; lead <= 0xFE; ++lead)
            for (uint32_t trail = 0x40; trail <= 0xFE; ++trail)
                if (trail != 0x7F) seqs.push_back(static_cast<uint16_t>(lead << 8 | trail));
        seqs.push_back(0x80);
        seqs.push_back(0xFF);
        std::vector<uint8_t> bytes;
        for (uint16_t s : seqs) {
            if (s > 0xFF) bytes.push_back(static_cast<uint8_t>(s >> 8));
            bytes.push_back(static_cast<uint8_t>(s));
            bytes.push_back(' ');
        }
        std::vector<uint16_t> units(bytes.size());
        int32_t m = MultiToWide(kCodePageGbk, bytes.data(), static_cast<int32_t>(bytes.size()), units.data(),
                                static_cast<int32_t>(units.size()));
        // Each sequence read as exactly one unit, then the space: those go back the other way.
        std::vector<uint16_t> single, back;
        std::vector<size_t> which;
        for (int32_t k = 0, s = 0; k < m && s < static_cast<int32_t>(seqs.size()); ++s) {
            int32_t start = k;
            while (k < m && units[k] != ' ') ++k;
            if (k - start == 1) {
                single.push_back(units[start]);
                single.push_back(' ');
                which.push_back(s);
            }
            ++k;
        }
        std::vector<uint8_t> out(single.size() * 2 + 16);
        int32_t n = WideToMulti(kCodePageGbk, kNoBestFitChars, single.data(), static_cast<int32_t>(single.size()),
                                out.data(), static_cast<int32_t>(out.size()));
        size_t w = 0;
        for (int32_t k = 0; k < n && w < which.size(); ++w) {
            int32_t start = k;
            while (k < n && out[k] != ' ') ++k;
            uint16_t s = seqs[which[w]];
            bool same = s > 0xFF ? k - start == 2 && out[start] == (s >> 8) && out[start + 1] == (s & 0xFF)
                                 : k - start == 1 && out[start] == s;
            if (same) kept[s > 0xFF ? s : 65536 + s] = 1;
            ++k;
        }
    }
};
}  // namespace

bool GbkKeepsBytes(const uint8_t* p, size_t n, int64_t* characters) {
    static const GbkKeptTable table;
    const uint8_t* kept = table.kept.data();
    int64_t pairs = 0;
    for (size_t k = 0; k < n;) {
        uint8_t b = p[k];
        if (b < 0x80) {
            // A zero byte ends a text, so it is not kept.
            if (b == 0) return false;
            // ASCII runs eight bytes at a time, as far as they go: most text is mostly ASCII.
            if (n - k >= 8) {
                uint64_t w;
                memcpy(&w, p + k, 8);
                uint64_t high = w & 0x8080808080808080ull;
                // The lowest byte flagged here is the first zero byte (those above it may not be).
                uint64_t zero = (w - 0x0101010101010101ull) & ~w & 0x8080808080808080ull;
                int ascii = high ? __builtin_ctzll(high) >> 3 : 8;
                if (zero && (__builtin_ctzll(zero) >> 3) < ascii) return false;
                k += ascii;
            } else {
                ++k;
            }
        } else if (k + 1 < n && kept[b << 8 | p[k + 1]]) {  // set only where b is a lead byte
            k += 2;
            ++pairs;
        } else if (kept[65536 + b]) {
            ++k;
        } else {
            return false;
        }
    }
    if (characters) *characters = static_cast<int64_t>(n) - pairs;
    return true;
}
