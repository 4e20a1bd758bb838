#include "engine/big5.h"

#include "engine/chinese_script.h"
#include "engine/codepage.h"
#include "runtime/dll_commands.h"
#include "runtime/library.h"

namespace {
const uint32_t kHeapZeroMemory = 8;

// Zeroed scratch memory from the process heap, released when the conversion is done.
class HeapBlock {
public:
    explicit HeapBlock(int32_t size) {
        heap_ = CallDllCommand<void*>(kDllGetProcessHeap);
        block_ = CallDllCommand<void*>(kDllHeapAlloc, heap_, kHeapZeroMemory, static_cast<uint32_t>(size));
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
    if (n <= 0) return TextVar();
    HeapBlock units(2 * n);
    if (!units.get()) return TextVar();
    CallDllCommand<int32_t>(kDllMultiByteToWideChar, from, uint32_t(0), source, -1,
                            static_cast<void*>(units.get()), n);
    int32_t m = CallDllCommand<int32_t>(kDllWideCharToMultiByte, to, uint32_t(0),
                                        static_cast<const void*>(units.get()), n,
                                        static_cast<char*>(nullptr), 0,
                                        static_cast<const char*>(nullptr), static_cast<int32_t*>(nullptr));
    if (m <= 0) return TextVar();
    // m spaces and a zero byte, so the result ends even if the call writes nothing.
    HeapBlock out(m + 1);
    if (!out.get()) return TextVar();
    CallDllCommand<void>(kDllRtlFillMemory, static_cast<void*>(out.get()), static_cast<uint32_t>(m), 0x20);
    CallDllCommand<int32_t>(kDllWideCharToMultiByte, to, uint32_t(0), static_cast<const void*>(units.get()),
                            n, out.get(), m, static_cast<const char*>(nullptr), static_cast<int32_t*>(nullptr));
    return JoinTexts({out.get()});
}
}  // namespace

TextVar Big5ToGbk(const char* text) { return Recode(text, kCodePageBig5, kCodePageGbk); }

TextVar GbkToBig5(const char* text) { return Recode(text, kCodePageGbk, kCodePageBig5); }

TextVar SimplifiedToBig5(const char* text) { return GbkToBig5(SimplifiedToTraditional(text)); }

TextVar Big5ToSimplified(const char* text) { return TraditionalToSimplified(Big5ToGbk(text)); }
