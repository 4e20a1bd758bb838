// Garbled-text recovery on any UTF-16 text: the report is made, and the text itself is
// always among the candidates.
#include "engine/mojibake.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t n) {
    FuzzRun run;
    if (n > 4096) return 0;
    std::u16string text;
    for (size_t i = 0; i + 1 < n; i += 2) text += static_cast<char16_t>(data[i] | data[i + 1] << 8);
    bool itself = false;
    for (const MojibakeCandidate& c : RecoverMojibake(text)) itself |= c.text == text;
    FUZZ_CHECK(itself || text.empty());
    MojibakeReportUnits(BytesOf(data, n & ~size_t(1)));
    return 0;
}
