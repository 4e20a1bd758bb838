// The coders report their progress while they work, and a listener that stops them by
// throwing leaves no heap block behind.
#include <functional>
#include <string>
#include <vector>

#include "engine/base64.h"
#include "engine/case_amount.h"
#include "engine/char_refs.h"
#include "engine/crc32_rc4.h"
#include "engine/digits.h"
#include "engine/progress.h"
#include "engine/script_escape.h"
#include "engine/url_codec.h"
#include "test_support.h"

namespace {
std::vector<int32_t> g_reports;
struct Stop {};

// Several progress blocks of mixed text, and each coder's own input made from it.
struct Inputs {
    std::string plain;
    TextVar text, base64, hex, binary, percent, refs, escaped;
    ByteSetVar bytes;
    Inputs() {
        static const char* const pieces[] = {"hello ", "中文", "a/b.", "測試 ", "'\\", "%&"};
        for (int i = 0; plain.size() < 3u * kProgressBlock; ++i) plain += pieces[(i * 7) % 6];
        text = JoinTexts({plain.c_str()});
        bytes = ToByteSet(text);
        base64 = Base64Encode(bytes);
        hex = TextToHexDigits(text);
        binary = TextToBinaryDigits(text);
        percent = UrlEncodeBytes(text, false);
        refs = TextToCharRefs(text);
        escaped = ScriptEscape(text);
    }
};
}  // namespace

TEST_CASE("every coder reports its progress on a long input and can be stopped by its listener") {
    SetScriptPath(ScriptPath::kOwnOnly);
    Inputs in;
    const std::pair<const char*, std::function<void()>> coders[] = {
        {"Base64Encode", [&] { Base64Encode(in.bytes); }},
        {"Base64Decode", [&] { Base64Decode(in.base64); }},
        {"Base64EncodeSystem", [&] { Base64EncodeSystem(in.bytes); }},
        {"Crc32Hex", [&] { Crc32Hex(in.bytes); }},
        {"Rc4Crypt", [&] { Rc4Crypt(in.bytes, "key"); }},
        {"TextToBinaryDigits", [&] { TextToBinaryDigits(in.text); }},
        {"TextToHexDigits", [&] { TextToHexDigits(in.text); }},
        {"BinaryDigitsToText", [&] { BinaryDigitsToText(in.binary); }},
        {"HexDigitsToText", [&] { HexDigitsToText(in.hex); }},
        {"UrlEncodeBytes", [&] { UrlEncodeBytes(in.text, true); }},
        {"UrlDecodeBytes", [&] { UrlDecodeBytes(in.percent, false); }},
        {"TextToCharRefs", [&] { TextToCharRefs(in.text); }},
        {"CharRefsToText", [&] { CharRefsToText(in.refs); }},
        {"ScriptEscape", [&] { ScriptEscape(in.text); }},
        {"ScriptUnescape", [&] { ScriptUnescape(in.escaped); }},
        {"UpperCase", [&] { UpperCase(in.text); }},
        {"LowerCase", [&] { LowerCase(in.text); }},
    };
    for (const auto& coder : coders) {
        CAPTURE(coder.first);
        g_reports.clear();
        SetProgressListener([](int32_t percent) { g_reports.push_back(percent); });
        coder.second();
        CHECK(g_reports.size() >= 2);
        for (int32_t percent : g_reports) CHECK((percent >= 0 && percent <= 100));

        LeakCheck leaks;
        bool stopped = false;
        SetProgressListener([](int32_t) { throw Stop(); });
        try {
            coder.second();
        } catch (const Stop&) {
            stopped = true;
        }
        SetProgressListener(nullptr);
        CHECK(stopped);
        CHECK(leaks.leaked() == 0);
    }
    SetScriptPath(ScriptPath::kObjectsWhenWorking);
}
