#include "engine/char_refs.h"

#include "engine/codepage.h"
#include "engine/gbk_runs.h"
#include "runtime/library.h"

namespace {
const int32_t kIntKind = 3;
}

TextVar TextToCharRefs(const char* text) {
    if (TrimSpaces(text).empty()) return TextVar();
    ByteSetVar units = AnsiToUtf16Bytes(text, true);
    TextBuilder result;
    int32_t length = ByteSetLength(units);
    for (int32_t i = 1; i <= length; i += 2) {
        ArgRecord unit = ByteSetData(ByteSetMiddle(units, i, 2), kIntKind);
        result.Append(JoinTexts({"&#", ToText(static_cast<int32_t>(unit.value))}));
    }
    return result.Finish();
}

TextVar CharRefsToText(const char* text) {
    TextArrayVar parts = SplitText(text, "&#");
    int32_t count = parts.count();
    // The first part is whatever came before the first "&#" (or the whole text).
    if (count < 2) return TextVar();
    ByteSetVar units = ZeroByteSet(2 * (count - 1));
    uint8_t* d = units.data();
    for (int32_t k = 2; k <= count; ++k) {
        uint16_t v = static_cast<uint16_t>(ToShort(parts.at(k)));
        d[2 * (k - 2)] = static_cast<uint8_t>(v & 0xFF);
        d[2 * (k - 2) + 1] = static_cast<uint8_t>(v >> 8);
    }
    return Utf16BytesToAnsi(units);
}
