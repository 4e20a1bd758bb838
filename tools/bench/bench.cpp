// The benchmark program: runs one engine routine, in process, on a generated input of a
// given size and prints its time and the heap it held beyond its input.
//   bench.exe --list        the routines, one name a line
//   bench.exe NAME MB       one line: name, MB, seconds, peak heap bytes, input bytes, output bytes
// scripts/bench.sh runs it once per routine and size, so each measurement starts from a
// fresh process.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "engine/base64.h"
#include "engine/big5.h"
#include "engine/case_amount.h"
#include "engine/char_refs.h"
#include "engine/chinese_script.h"
#include "engine/codepage.h"
#include "engine/crc32_rc4.h"
#include "engine/digests.h"
#include "engine/digits.h"
#include "engine/script_escape.h"
#include "engine/url_codec.h"
#include "runtime/error_report.h"
#include "runtime/library.h"
#include "runtime/memory.h"
#include "runtime/startup.h"
#include "engine/one_click.h"

namespace {
// The input each routine reads, as a user would paste it.
enum Input { kMixed, kDigits, kBase64, kHexDigits, kBinaryDigits, kPercent, kRefs, kEscapes, kUtf8, kBig5, kUtf16 };

// Mixed GBK and ASCII: words, spaces, punctuation and common Chinese characters.
std::string MixedText(size_t n) {
    static const char* const pieces[] = {"hello ", "中文", "编码", "转换 ", "data-2024 ", "測試", "，", "abc_XYZ.",
                                         "文汇通", "%&= ", "简体繁體 ", "42 "};
    std::string s;
    s.reserve(n + 16);
    uint32_t x = 12345;
    while (s.size() < n) {
        x = x * 1103515245 + 12345;
        s += pieces[(x >> 16) % (sizeof(pieces) / sizeof(pieces[0]))];
    }
    s.resize(n);
    if (!s.empty() && static_cast<uint8_t>(s.back()) >= 0x81) s.back() = 'x';  // no lead byte cut off
    return s;
}

std::wstring Wide(const std::string& gbk) {
    std::wstring w(gbk.size(), L'\0');
    w.resize(MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), &w[0], static_cast<int>(w.size())));
    return w;
}

std::string Narrow(const std::wstring& w, UINT cp) {
    int n = WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(n, '\0');
    WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
    return s;
}

// Each encoded input is made from mixed text whose encoding is about n bytes long.
std::string Generate(Input kind, size_t n) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(n + 16);
    switch (kind) {
    case kMixed: return MixedText(n);
    case kDigits:
        for (size_t i = 0; i < n; ++i) out += static_cast<char>('0' + (i * 7 + 3) % 10);
        return out;
    case kBase64: {
        static const char d[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        std::string raw = MixedText(n / 4 * 3);
        for (size_t i = 0; i + 2 < raw.size(); i += 3) {
            uint32_t v = (uint8_t(raw[i]) << 16) | (uint8_t(raw[i + 1]) << 8) | uint8_t(raw[i + 2]);
            for (int k = 18; k >= 0; k -= 6) out += d[(v >> k) & 63];
        }
        return out;
    }
    case kHexDigits:
        for (uint8_t c : MixedText(n / 3)) {
            out += hex[c >> 4];
            out += hex[c & 15];
            out += ' ';
        }
        return out;
    case kBinaryDigits:
        for (uint8_t c : MixedText(n / 8))
            for (int b = 7; b >= 0; --b) out += static_cast<char>('0' + ((c >> b) & 1));
        return out;
    case kPercent:
        for (uint8_t c : Narrow(Wide(MixedText(n / 3)), CP_UTF8)) {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
        return out;
    case kRefs:
        for (wchar_t c : Wide(MixedText(n / 4))) out += "&#" + std::to_string(static_cast<unsigned>(c));
        return out;
    case kEscapes:
        for (wchar_t c : Wide(MixedText(n / 4))) {
            out += "%u";
            for (int k = 12; k >= 0; k -= 4) out += hex[(c >> k) & 15];
        }
        return out;
    case kUtf8: return Narrow(Wide(MixedText(n * 2 / 3)), CP_UTF8);
    case kBig5: return Narrow(Wide(MixedText(n)), 950);
    case kUtf16: {
        // Chinese only: the input box holds text, so the units must have no zero byte.
        std::wstring w;
        while (w.size() < n / 2) w += L"\u4E2D\u6587\u7F16\u7801\u8F6C\u6362\u6D4B\u8BD5";
        w.resize(n / 2);
        return std::string(reinterpret_cast<const char*>(w.data()), w.size() * 2);
    }
    }
    return out;
}

// The ways the handlers hand the input box to a routine.
typedef TextVar (*TextToText)(const char*);
typedef TextVar (*BytesToText)(const ByteSetVar&);
typedef ByteSetVar (*BytesToBytes)(const ByteSetVar&);
typedef bool (*Report)(const char*, TextVar&);
typedef ByteSetVar (*TextToBytes)(const char*);

TextVar UrlEncodeGbk(const char* t) { return UrlEncodeBytes(t, false); }
TextVar UrlDecodeGbk(const char* t) { return UrlDecodeBytes(t, false); }
TextVar UrlEncodeUtf8(const char* t) { return UrlEncodeBytes(t, true); }
TextVar UrlDecodeUtf8(const char* t) { return UrlDecodeBytes(t, true); }
TextVar Rc4(const ByteSetVar& b) { return ToText(Rc4Crypt(b, "key")); }
TextVar AnsiToUnicode(const char* t) { return ToText(AnsiToUtf16Bytes(t, true)); }

struct Routine {
    const char* name;
    Input input;
    TextToText text;
    BytesToText bytes;
    BytesToBytes bytesToBytes;
    Report report;
    TextToBytes textToBytes;
};

const Routine kRoutines[] = {
    {"url_encode_gbk", kMixed, UrlEncodeGbk},
    {"url_decode_gbk", kPercent, UrlDecodeGbk},
    {"url_encode_utf8", kMixed, UrlEncodeUtf8},
    {"url_decode_utf8", kPercent, UrlDecodeUtf8},
    {"rc4", kMixed, nullptr, Rc4},
    {"base64_encode", kMixed, nullptr, Base64Encode},
    {"base64_decode", kBase64, nullptr, nullptr, nullptr, nullptr, Base64Decode},
    {"base64_encode_system", kMixed, nullptr, nullptr, Base64EncodeSystem},
    {"base64_decode_system", kBase64, nullptr, nullptr, Base64DecodeSystem},
    {"simplified_to_traditional", kMixed, SimplifiedToTraditional},
    {"traditional_to_simplified", kMixed, TraditionalToSimplified},
    {"big5_to_simplified", kBig5, Big5ToSimplified},
    {"simplified_to_big5", kMixed, SimplifiedToBig5},
    {"big5_to_gbk", kBig5, Big5ToGbk},
    {"gbk_to_big5", kMixed, GbkToBig5},
    {"script_escape", kMixed, ScriptEscape},
    {"script_unescape", kEscapes, ScriptUnescape},
    {"gbk_to_utf8", kMixed, GbkToUtf8},
    {"utf8_to_gbk", kUtf8, Utf8ToGbk},
    {"ansi_to_unicode", kMixed, AnsiToUnicode},
    {"unicode_to_ansi", kUtf16, nullptr, Utf16BytesToAnsi},
    {"text_to_char_refs", kMixed, TextToCharRefs},
    {"char_refs_to_text", kRefs, CharRefsToText},
    {"unicode_to_utf8", kUtf16, nullptr, nullptr, Utf16BytesToUtf8},
    {"utf8_to_unicode", kUtf8, nullptr, nullptr, Utf8BytesToUtf16},
    {"md2", kMixed, nullptr, Md2Hex},
    {"md4", kMixed, nullptr, Md4Hex},
    {"md5", kMixed, nullptr, Md5Hex},
    {"md5_utf8", kMixed, Md5Utf8Hex},
    {"sha1", kMixed, nullptr, Sha1Hex},
    {"sha256", kMixed, nullptr, Sha256Hex},
    {"sha512", kMixed, nullptr, Sha512Hex},
    {"crc32", kMixed, nullptr, Crc32Hex},
    {"one_click_encode", kMixed, OneClickEncode},
    {"one_click_decode", kMixed, OneClickDecode},
    {"text_to_digits", kMixed, nullptr, nullptr, nullptr, TextToDigitsReport},
    {"hex_digits_to_text", kHexDigits, HexDigitsToText},
    {"binary_digits_to_text", kBinaryDigits, BinaryDigitsToText},
    {"upper_case", kMixed, ToUpperCaseReport},
    {"lower_case", kMixed, ToLowerCaseReport},
    {"digits_to_amount", kDigits, DigitsToAmountReport},
};

// What a routine gives back: a text or bytes.
struct Result {
    TextVar text;
    ByteSetVar bytes;
    int64_t Length() const { return bytes.block() ? ByteSetLength(bytes) : TextLength(text); }
};

// Runs the routine; its result is measured after the clock stops (Python's len() costs
// nothing, a text's length is a walk to its end).
// A routine on bytes gets them ready made, as Python's counterpart gets its bytes object.
// Results in bytes are kept as they are: making them a text for the output box is the
// shell's step, and Python's counterparts give bytes too.
void Run(const Routine& r, const TextVar& input, const ByteSetVar& bytes, Result* out) {
    if (r.text) out->text = r.text(input);
    else if (r.report) r.report(input, out->text);
    else if (r.textToBytes) out->bytes = r.textToBytes(input);
    else if (r.bytes) out->text = r.bytes(bytes);
    else out->bytes = r.bytesToBytes(bytes);
}
}  // namespace

// A fatal error (memory running out) ends the run with its report on stderr, not in a box
// that would wait for a click.
int ReportToStderr(const char* text) {
    fprintf(stderr, "%s\n", text);
    return 1;
}

int main(int argc, char** argv) {
    CountBlockBytes();
    InitialiseRuntime(nullptr);
    SetErrorReportHook(ReportToStderr);
    if (argc == 2 && strcmp(argv[1], "--list") == 0) {
        for (const Routine& r : kRoutines) printf("%s\n", r.name);
        return 0;
    }
    if (argc != 3) {
        fprintf(stderr, "usage: bench.exe --list | bench.exe NAME MB\n");
        return 2;
    }
    const Routine* routine = nullptr;
    for (const Routine& r : kRoutines)
        if (strcmp(r.name, argv[1]) == 0) routine = &r;
    if (!routine) {
        fprintf(stderr, "bench: no routine %s\n", argv[1]);
        return 2;
    }
    double mb = atof(argv[2]);
    std::string generated = Generate(routine->input, static_cast<size_t>(mb * 1024 * 1024));
    TextVar input = JoinTexts({generated.c_str()});
    int64_t inputBytes = static_cast<int64_t>(generated.size());
    std::string().swap(generated);

    ByteSetVar bytes;
    if (routine->bytes || routine->bytesToBytes) bytes = ToByteSet(input.c_str());

    ResetPeakBlockBytes();
    int64_t base = LiveBlockBytes();
    LARGE_INTEGER f, t0, t1;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t0);
    Result result;
    Run(*routine, input, bytes, &result);
    QueryPerformanceCounter(&t1);
    int64_t outputBytes = result.Length();
    double seconds = static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(f.QuadPart);
    printf("%s\t%g\t%.4f\t%lld\t%lld\t%lld\n", routine->name, mb, seconds,
           static_cast<long long>(PeakBlockBytes() - base), static_cast<long long>(inputBytes),
           static_cast<long long>(outputBytes));
    return 0;
}
