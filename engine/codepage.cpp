#include "engine/codepage.h"

#include "runtime/dll_commands.h"
#include "runtime/library.h"

namespace {
// Every measurement is taken as on a GBK system, so results do not depend on the locale
// the program happens to run under.
const uint32_t kMeasureCodePage = kCodePageGbk;
const uint32_t kCompositeCheck = 0x200;
const uint32_t kHeapZeroMemory = 8;

int32_t MultiToWide(uint32_t codePage, const void* source, int32_t sourceLength, void* units,
                    int32_t unitCount) {
    return CallDllCommand<int32_t>(kDllMultiByteToWideChar, codePage, uint32_t(0), source,
                                   sourceLength, units, unitCount);
}

int32_t WideToMulti(uint32_t codePage, uint32_t flags, const void* units, int32_t unitCount,
                    void* target, int32_t targetLength) {
    return CallDllCommand<int32_t>(kDllWideCharToMultiByte, codePage, flags, units, unitCount,
                                   target, targetLength, static_cast<const char*>(nullptr),
                                   static_cast<int32_t*>(nullptr));
}

// Scratch memory from the process heap, freed when the routine is done with it.
class HeapScratch {
public:
    explicit HeapScratch(int32_t size) {
        heap_ = CallDllCommand<void*>(kDllGetProcessHeap);
        block_ = CallDllCommand<void*>(kDllHeapAlloc, heap_, kHeapZeroMemory, static_cast<uint32_t>(size));
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
}  // namespace

ByteSetVar CodePageToUtf16(const char* text, uint32_t codePage) {
    const char* source = text ? text : "";
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
    int32_t count = FirstZeroUnit(units) >= 0 ? -1 : UnitCount(units);
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

TextVar GbkToUtf8(const char* text) {
    return Utf16ToCodePage(CodePageToUtf16(text, kCodePageGbk), kCodePageUtf8);
}

TextVar Utf8ToGbk(const char* text) {
    return Utf16ToCodePage(CodePageToUtf16(text, kCodePageUtf8), kCodePageGbk);
}

ByteSetVar AnsiToUtf16Bytes(const char* text, bool dropTerminator) {
    if (TextLength(text) == 0) return ByteSetVar();
    int32_t n = MultiToWide(kMeasureCodePage, text, -1, nullptr, 0);
    if (n <= 0) return ByteSetVar();
    ByteSetVar buffer = ZeroByteSet(2 * n);
    MultiToWide(kCodePageGbk, text, -1, buffer.data(), n);
    if (dropTerminator) buffer = ByteSetLeft(buffer, 2 * n - 2);
    return buffer;
}

TextVar Utf16BytesToAnsi(const ByteSetVar& bytes) {
    int32_t n = UnitCount(bytes);
    if (n == 0) return TextVar();
    int32_t m = WideToMulti(kCodePageGbk, kCompositeCheck, bytes.data(), n, nullptr, 0);
    if (m <= 0) return TextVar();
    ByteSetVar buffer = ZeroByteSet(m);
    WideToMulti(kCodePageGbk, kCompositeCheck, bytes.data(), n, buffer.data(), m);
    ArgRecord text = ByteSetData(buffer, 10);
    return TextVar(reinterpret_cast<Text>(text.value));
}

ByteSetVar Utf16BytesToUtf8(const ByteSetVar& bytes) {
    int32_t n = UnitCount(bytes);
    int32_t zero = FirstZeroUnit(bytes);
    if (zero >= 0) n = zero;
    if (n == 0) return ByteSetVar();
    int32_t m = WideToMulti(kCodePageUtf8, 0, bytes.data(), n, nullptr, 0);
    if (m <= 0) return ByteSetVar();
    HeapScratch scratch(m);
    if (!scratch.get()) return ByteSetVar();
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
    int32_t m = MultiToWide(kCodePageUtf8, p, count, nullptr, 0);
    if (m <= 0) return ByteSetVar();
    HeapScratch scratch(2 * m);
    if (!scratch.get()) return ByteSetVar();
    MultiToWide(kCodePageUtf8, p, count, scratch.get(), m);
    return CopyScratch(scratch, 2 * m);
}
