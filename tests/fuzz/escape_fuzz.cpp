// Script escape and unescape, character references and the UTF-16 reading of bytes: each
// decoder undoes its encoder, and any text decodes.
#include "engine/char_refs.h"
#include "engine/codepage.h"
#include "engine/script_escape.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t n) {
    FuzzRun run;
    TextVar t = TextOf(data, n);
    std::string roundTrip = S(UnitsToGbk(GbkToUnits(t)));
    // A text of spaces alone has no references.
    bool spaces = S(t).find_first_not_of(' ') == std::string::npos || strstr(t, "\xA1\xA1");
    if (PlainGbk(t, roundTrip) && !spaces) FUZZ_CHECK(S(CharRefsToText(TextToCharRefs(t))) == roundTrip);
    ByteSetVar units = BytesOf(data, n & ~size_t(1));
    ByteSetVar whole = Utf16BytesToUnits(units);
    // The text goes into a script's string literal: one with a line break, a backslash or
    // an apostrophe is read as the script reads it, and the unescape gives a right quotation
    // mark as an apostrophe and "{$}" as a line break: only plain texts come back unchanged.
    bool plain = true;
    for (int32_t i = 0; i + 1 < whole.size(); i += 2) {
        uint16_t u = whole.data()[i] | whole.data()[i + 1] << 8;
        plain &= u != 0x0A && u != 0x0D && u != 0x2028 && u != 0x2029 && u != '\\' && u != '\'' && u != 0x2019 && u != '{';
    }
    if (plain) FUZZ_CHECK(S(ScriptUnescapeUnits(GbkToUnits(ScriptEscapeUnits(whole)))) == S(whole));
    bool onlySpaces = true;
    for (int32_t i = 0; i + 1 < whole.size(); i += 2) {
        uint16_t u = whole.data()[i] | whole.data()[i + 1] << 8;
        onlySpaces &= u == ' ' || u == 0x3000;
    }
    if (!onlySpaces) FUZZ_CHECK(S(CharRefsToUnits(GbkToUnits(UnitsToCharRefs(whole)))) == S(whole));
    ScriptUnescape(t);
    CharRefsToText(t);
    BytesAsUtf16Text(BytesOf(data, n));
    ReleaseScriptEngine();
    return 0;
}
