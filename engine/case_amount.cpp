#include "engine/case_amount.h"

#include "engine/gbk_runs.h"
#include "engine/progress.h"
#include "runtime/dll_commands.h"
#include "runtime/library.h"

const char kEmptyInputPrompt[] = "提示：被转内容为空，你让我拿什么去转呢？";
const char kNotAllDigitsPrompt[] = "提示：耍我呢？必须要全是数字！！！";

namespace {
const uint32_t kLcMapLowerCase = 0x00000100;
const uint32_t kLcMapUpperCase = 0x00000200;
}  // namespace

// CharUpperA on the whole text would read it in the system's code page and, on a
// non-Chinese system, change trail bytes of Chinese characters; on a Chinese system it can
// still shorten a letter whose other case GBK lacks. So ASCII runs go to CharUpperA and
// double-byte characters are mapped as GBK, each only when it stays one GBK character.
TextVar UpperCase(const char* text) { return MapGbkRuns(text, kLcMapUpperCase, kDllCharUpperA); }

TextVar LowerCase(const char* text) { return MapGbkRuns(text, kLcMapLowerCase, kDllCharLowerA); }

// One pass over the bytes: asking for each character's code by position measures the text
// up to that position every time, which made a long number quadratic.
bool IsAllDigits(const char* text) {
    int32_t n = MeasureText(text);
    if (n == 0) return false;
    for (int32_t i = 0; i < n;) {
        int32_t blockEnd = n - i > kProgressBlock ? i + kProgressBlock : n;
        for (; i < blockEnd; ++i)
            if (text[i] < '0' || text[i] > '9') return false;
        ReportProgress(i, n);
    }
    return true;
}

TextVar ToUpperCaseReport(const char* input) {
    if (!input || !*input) return JoinTexts({kEmptyInputPrompt});
    return UpperCase(input);
}

TextVar ToLowerCaseReport(const char* input) { return LowerCase(input); }

TextVar DigitsToAmountReport(const char* input) {
    if (!IsAllDigits(input)) return JoinTexts({kNotAllDigitsPrompt});
    return NumberToAmount(ToNumber(input), false);
}
