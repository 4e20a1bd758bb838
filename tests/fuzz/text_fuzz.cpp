// Number bases, digits, letter case and amounts, Chinese script and time: digits undo
// their text, case keeps a text's length, and nothing fails on any input.
#include "engine/base_calculator.h"
#include "engine/beijing_time.h"
#include "engine/case_amount.h"
#include "engine/chinese_script.h"
#include "engine/codepage.h"
#include "engine/digits.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t n) {
    FuzzRun run;
    TextVar t = TextOf(data, n);
    FUZZ_CHECK(S(BinaryDigitsToText(TextToBinaryDigits(t))) == S(t));
    // Hexadecimal digits leave spaces out, and a lead byte without its trail byte.
    bool wellFormed = PlainGbk(t, S(UnitsToGbk(GbkToUnits(t))));
    if (wellFormed && !strchr(t, ' ') && !strstr(t, "\xA1\xA1")) FUZZ_CHECK(S(HexDigitsToText(TextToHexDigits(t))) == S(t));
    FUZZ_CHECK(strlen(UpperCase(t)) == strlen(t));
    FUZZ_CHECK(strlen(LowerCase(t)) == strlen(t));
    FUZZ_CHECK(strlen(SimplifiedToTraditional(t)) == strlen(t));
    FUZZ_CHECK(strlen(TraditionalToSimplified(t)) == strlen(t));
    for (int32_t base : {2, 8, 10, 16}) {
        TextVar output;
        RunBaseCalculator(t, base, output);
    }
    TextVar output;
    TextToDigitsReport(t, output);
    DigitsToTextReport(t, output);
    BinaryDigitsToText(t);
    HexDigitsToText(t);
    DigitsToAmountReport(t);
    BeijingTimeToUnixSeconds(t);
    UnixSecondsToBeijingTime(t);
    return 0;
}
