#include "engine/big5.h"

#include "engine/chinese_script.h"
#include "engine/codepage.h"
#include "engine/progress.h"
#include "engine/service_failure.h"
#include "runtime/dll_commands.h"
#include "runtime/library.h"
#include "runtime/memory.h"

namespace {
const uint32_t kHeapZeroMemory = 8;

// Zeroed scratch memory from the process heap, released when the conversion is done.
class HeapBlock {
public:
    explicit HeapBlock(int32_t size) {
        heap_ = CallDllCommand<void*>(kDllGetProcessHeap);
        block_ = CallDllCommand<void*>(kDllHeapAlloc, heap_, kHeapZeroMemory, static_cast<uint32_t>(size));
        if (!block_) RaiseAllocationFailure(size);
    }
    ~HeapBlock() {
        if (block_) CallDllCommand<int32_t>(kDllHeapFree, heap_, uint32_t(0), block_);
    }
    HeapBlock(const HeapBlock&) = delete;
    HeapBlock& operator=(const HeapBlock&) = delete;
    char* get() const { return static_cast<char*>(block_); }

private:
    void* heap_ = nullptr;
    void* block_ = nullptr;
};

// The text read in code page `from` and written in code page `to`, each call measured in
// its own code page.
TextVar Recode(const char* text, uint32_t from, uint32_t to) {
    const char* source = text ? text : "";
    int32_t n = CallDllCommand<int32_t>(kDllMultiByteToWideChar, from, uint32_t(0), source, -1,
                                        static_cast<void*>(nullptr), 0);
    if (n <= 0) {
        NoteCodePageFailure(from);
        return TextVar();
    }
    HeapBlock units(2 * n);
    if (!units.get()) return TextVar();
    CallDllCommand<int32_t>(kDllMultiByteToWideChar, from, uint32_t(0), source, -1,
                            static_cast<void*>(units.get()), n);
    int32_t m = CallDllCommand<int32_t>(kDllWideCharToMultiByte, to, uint32_t(0),
                                        static_cast<const void*>(units.get()), n,
                                        static_cast<char*>(nullptr), 0,
                                        static_cast<const char*>(nullptr), static_cast<int32_t*>(nullptr));
    if (m <= 0) {
        NoteCodePageFailure(to);
        return TextVar();
    }
    // m spaces and a zero byte, so the result ends even if the call writes nothing.
    HeapBlock out(m + 1);
    if (!out.get()) return TextVar();
    CallDllCommand<void>(kDllRtlFillMemory, static_cast<void*>(out.get()), static_cast<uint32_t>(m), 0x20);
    CallDllCommand<int32_t>(kDllWideCharToMultiByte, to, uint32_t(0), static_cast<const void*>(units.get()),
                            n, out.get(), m, static_cast<const char*>(nullptr), static_cast<int32_t*>(nullptr));
    return JoinTexts({out.get()});
}

// Recode for a long text: slice by slice, each slice as Recode converts the whole.
TextVar RecodeSliced(const uint8_t* source, int32_t length, uint32_t from, uint32_t to) {
    // Each byte makes at most one unit, and each unit at most two bytes.
    if (length > INT32_MAX / 2 - 8) RaiseAllocationFailure(2 * static_cast<int64_t>(length));
    ByteSetVar out = ZeroByteSet(2 * length);
    ByteSetVar units;
    int32_t used = 0;
    for (int32_t start = 0; start < length;) {
        ReportProgress(start, length);
        int32_t end = CodePageSliceEnd(source, start, length);
        if (units.size() < 2 * (end - start)) units = ZeroByteSet(2 * (end - start));
        int32_t n = CallDllCommand<int32_t>(kDllMultiByteToWideChar, from, uint32_t(0), source + start,
                                            end - start, static_cast<void*>(units.data()), end - start);
        used += CallDllCommand<int32_t>(kDllWideCharToMultiByte, to, uint32_t(0), static_cast<const void*>(units.data()),
                                        n, reinterpret_cast<char*>(out.data()) + used, out.size() - used,
                                        static_cast<const char*>(nullptr), static_cast<int32_t*>(nullptr));
        start = end;
    }
    // Up to the first zero byte, as the whole text's result is.
    out = ByteSetLeft(out, used);
    return ToText(out);
}

TextVar RecodeText(const char* text, uint32_t from, uint32_t to) {
    int32_t length = TextLength(text);
    if (CodePageSliceEnd(reinterpret_cast<const uint8_t*>(text), 0, length) == length) return Recode(text, from, to);
    return RecodeSliced(reinterpret_cast<const uint8_t*>(text), length, from, to);
}
}  // namespace

TextVar Big5ToGbk(const char* text) { return RecodeText(text, kCodePageBig5, kCodePageGbk); }

TextVar GbkToBig5(const char* text) { return RecodeText(text, kCodePageGbk, kCodePageBig5); }

namespace {
// One conversion after the other, each half of the progress.
TextVar InTwoSteps(const char* text, TextVar (*first)(const char*), TextVar (*second)(const char*)) {
    TextVar between;
    {
        ProgressStage firstHalf(0.0, 0.5);
        between = first(text);
    }
    ProgressStage secondHalf(0.5, 1.0);
    return second(between);
}
}  // namespace

TextVar SimplifiedToBig5(const char* text) { return InTwoSteps(text, SimplifiedToTraditional, GbkToBig5); }

TextVar Big5ToSimplified(const char* text) { return InTwoSteps(text, Big5ToGbk, TraditionalToSimplified); }
