#include "generated_inputs.h"

#include <windows.h>

#include <cstring>

#include "engine/base64.h"
#include "engine/base_calculator.h"
#include "engine/beijing_time.h"
#include "engine/big5.h"
#include "engine/case_amount.h"
#include "engine/char_refs.h"
#include "engine/chinese_script.h"
#include "engine/codepage.h"
#include "engine/crc32_rc4.h"
#include "engine/digests.h"
#include "engine/digits.h"
#include "engine/mojibake.h"
#include "engine/script_escape.h"
#include "engine/url_codec.h"
#include "runtime/command_args.h"
#include "runtime/library.h"
#include "engine/one_click.h"

uint64_t Random::Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

int PickLength(Random& r, int maxLength) {
    int length;
    uint32_t pick = r.Below(100);
    if (pick < 60) {
        length = static_cast<int>(r.Below(17));
    } else if (pick < 90) {
        int power = 1 << (1 + r.Below(16));  // 2 .. 65536
        length = power - 1 + static_cast<int>(r.Below(3));
    } else {
        length = static_cast<int>(r.Below(static_cast<uint32_t>(maxLength) + 1));
    }
    return length > maxLength ? maxLength : length;
}

std::string RandomBytes(Random& r, int length, bool zeros) {
    std::string s(length, '\0');
    for (char& c : s) c = static_cast<char>(zeros ? r.Below(256) : 1 + r.Below(255));
    return s;
}

namespace {
// Double-byte characters that come back unchanged from UTF-16, lead byte high.
const std::vector<uint16_t>& RoundTripPairs() {
    static std::vector<uint16_t> pairs;
    if (!pairs.empty()) return pairs;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            wchar_t w[2];
            if (MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, in, 2, w, 2) != 1) continue;
            char out[4];
            BOOL lossy = FALSE;
            int n = WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, w, 1, out, 4, nullptr, &lossy);
            if (n == 2 && !lossy && memcmp(in, out, 2) == 0) pairs.push_back(static_cast<uint16_t>(lead << 8 | trail));
        }
    }
    return pairs;
}

std::string Pick(Random& r, const char* const* choices, int count) { return choices[r.Below(count)]; }

const char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
const char kHexDigits[] = "0123456789ABCDEFabcdef";

std::string HexPiece(Random& r, int digits) {
    std::string s;
    for (int i = 0; i < digits; ++i) s += kHexDigits[r.Below(22)];
    return s;
}

std::string DecimalPiece(Random& r, int digits) {
    std::string s;
    for (int i = 0; i < digits; ++i) s += static_cast<char>('0' + r.Below(10));
    return s;
}

// The next few bytes of a near-valid input of the family.
std::string Piece(Random& r, Family family) {
    switch (family) {
    case Family::kBase64: {
        static const char* const bad[] = {"=", "==", "===", "!", "-", "_", "\r\n", " ", "\xA1\xA1", "\xD6\xD0", "\n", "."};
        if (r.OneIn(6)) return Pick(r, bad, 12);
        std::string s;
        for (int i = 0, n = 1 + r.Below(8); i < n; ++i) s += kBase64Alphabet[r.Below(64)];
        return s;
    }
    case Family::kPercent: {
        static const char* const odd[] = {"%", "%%", "+", "%G1", "%2", "%0", "%00", "%ZZ", "%E4%B8", "%e4%b8%ad", "%D6%D0"};
        if (r.OneIn(3)) return Pick(r, odd, 11);
        if (r.OneIn(2)) return "%" + HexPiece(r, 2);
        return RoundTripChar(r);
    }
    case Family::kCharRefs: {
        static const char* const odd[] = {"&#", "&#;", "&", "&#x41;", "&#-5;", "&#0;", "&#1114111;", "&#1114112;",
                                          "&#55296;", "&#56320;", "&#4294967296;", "&#99999999999999999999;", "#"};
        if (r.OneIn(3)) return Pick(r, odd, 13);
        if (r.OneIn(4)) return RoundTripChar(r);
        return "&#" + DecimalPiece(r, static_cast<int>(r.Below(8))) + (r.OneIn(2) ? ";" : "");
    }
    case Family::kScriptEscape: {
        static const char* const odd[] = {"%u", "\\u", "%uD800", "\\uDC00", "%uDBFF%uDFFF", "%", "%4", "%u00", "\\",
                                          "\\u12", "%uFFFF", "\\uD83D\\uDE00", "'", "\"", "\r\n"};
        if (r.OneIn(3)) return Pick(r, odd, 15);
        if (r.OneIn(3)) return RoundTripChar(r);
        std::string head = r.OneIn(2) ? "%u" : "\\u";
        if (r.OneIn(3)) return "%" + HexPiece(r, static_cast<int>(r.Below(3)));
        return head + HexPiece(r, static_cast<int>(r.Below(5)));
    }
    case Family::kDigits: {
        static const char* const odd[] = {" ", "  ", "G", "\xA1\xA1", "0", "1", "\xD6\xD0"};
        if (r.OneIn(5)) return Pick(r, odd, 7);
        std::string s;
        bool binary = r.OneIn(2);
        for (int i = 0, n = 1 + r.Below(9); i < n; ++i) s += binary ? static_cast<char>('0' + r.Below(2)) : kHexDigits[r.Below(16)];
        return s;
    }
    case Family::kNumber: {
        static const char* const odd[] = {"-", ".", " ", "0x", "ff", "FFFFFFFFFFFFFFFF", "9223372036854775807",
                                          "9223372036854775808", "18446744073709551616", "\xA3\xB1", "e5"};
        if (r.OneIn(4)) return Pick(r, odd, 11);
        return DecimalPiece(r, 1 + r.Below(r.OneIn(8) ? 400 : 12));
    }
    case Family::kDateTime: {
        static const char* const odd[] = {"-", ":", " ", "\xC4\xEA", "1595894400", "1595894400000", "99999999999999",
                                          "2020-7-28 8:00:00", "0-0-0", "9999-12-31 23:59:59", "100-1-1", "2020-13-40 25:61:61"};
        if (r.OneIn(2)) return Pick(r, odd, 12);
        return DecimalPiece(r, 1 + r.Below(14));
    }
    case Family::kPlain:
    default:
        return r.OneIn(2) ? RoundTripChar(r) : std::string(1, static_cast<char>(0x20 + r.Below(95)));
    }
}
}  // namespace

std::string RoundTripChar(Random& r) {
    if (r.OneIn(3)) return std::string(1, static_cast<char>(0x20 + r.Below(95)));
    const std::vector<uint16_t>& pairs = RoundTripPairs();
    uint16_t code = pairs[r.Below(static_cast<uint32_t>(pairs.size()))];
    return std::string{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
}

std::string ValidGbk(Random& r, int length, int asciiPercent) {
    std::string s;
    const std::vector<uint16_t>& pairs = RoundTripPairs();
    while (static_cast<int>(s.size()) < length) {
        if (static_cast<int>(r.Below(100)) < asciiPercent || static_cast<int>(s.size()) + 1 == length) {
            s += static_cast<char>(0x20 + r.Below(95));
        } else {
            uint16_t code = pairs[r.Below(static_cast<uint32_t>(pairs.size()))];
            s += static_cast<char>(code >> 8);
            s += static_cast<char>(code & 0xFF);
        }
    }
    return s;
}

std::string BrokenGbk(Random& r, int length) {
    static const char* const faults[] = {"\x81", "\xFE", "\x80", "\xFF", "\x81\x30", "\xD6\x7F", "\xD6\x20", "\xA1"};
    std::string s = ValidGbk(r, length, 40);
    for (int i = 0, n = 1 + length / 8; i < n && length > 0; ++i) {
        std::string f = faults[r.Below(8)];
        s.replace(r.Below(static_cast<uint32_t>(length)), f.size(), f);
    }
    s.resize(length);
    if (length > 0 && r.OneIn(3)) s[length - 1] = static_cast<char>(0x81 + r.Below(126));  // a lead byte last
    return s;
}

std::string NearValid(Random& r, Family family, int length) {
    std::string s;
    while (static_cast<int>(s.size()) < length) s += Piece(r, family);
    s.resize(length);  // cut in the middle of whatever came last
    return s;
}

std::string GeneratedInput(Random& r, Family family, int maxLength) {
    int length = PickLength(r, maxLength);
    uint32_t kind = r.Below(100);
    if (kind < 20) return RandomBytes(r, length, false);
    if (kind < 40) return ValidGbk(r, length, static_cast<int>(r.Below(101)));
    if (kind < 55) return BrokenGbk(r, length);
    return NearValid(r, family, length);
}

ByteSetVar RandomUnits(Random& r, int count) {
    std::string bytes;
    auto put = [&bytes](uint32_t u) {
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8);
    };
    for (int i = 0; i < count; ++i) {
        uint32_t pick = r.Below(10);
        if (pick < 4) put(0x20 + r.Below(95));
        else if (pick < 6) put(0x4E00 + r.Below(0x5200));
        else if (pick == 6) put(0xD800 + r.Below(0x400));
        else if (pick == 7) put(0xDC00 + r.Below(0x400));
        else if (pick == 8) put(0xD800 + r.Below(0x400)), put(0xDC00 + r.Below(0x400));
        else put(1 + r.Below(0xFFFF));
    }
    return MakeBytes(bytes);
}

TextVar MakeText(const std::string& bytes) {
    size_t n = strnlen(bytes.c_str(), bytes.size());
    if (n == 0) return TextVar();
    char* t = NewTextBlock(static_cast<int32_t>(n));
    memcpy(t, bytes.data(), n);
    return TextVar(t);
}

ByteSetVar MakeBytes(const std::string& bytes) {
    if (bytes.empty()) return ByteSetVar();
    ByteSetVar b(NewByteSetBlock(static_cast<int32_t>(bytes.size())));
    memcpy(b.data(), bytes.data(), bytes.size());
    return b;
}

std::string BytesOf(const char* text) { return text ? std::string(text) : std::string(); }
std::string BytesOf(const ByteSetVar& bytes) {
    return bytes.empty() ? std::string() : std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

std::string PlainHex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string s;
    s.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        s += digits[c >> 4];
        s += digits[c & 15];
    }
    return s;
}

// ---- The routines, adapted as their handlers call them -------------------------------

namespace {
template <TextVar (*F)(const char*)>
std::string TextToText(const char* input) {
    TextVar result = F(input);
    return BytesOf(result.c_str());
}

template <TextVar (*F)(const ByteSetVar&)>
std::string BytesToText(const char* input) {
    ByteSetVar bytes = ToByteSet(input);
    TextVar result = F(bytes);
    return BytesOf(result.c_str());
}

template <ByteSetVar (*F)(const ByteSetVar&)>
std::string BytesToBytesAsText(const char* input) {
    ByteSetVar bytes = ToByteSet(input);
    ByteSetVar result = F(bytes);
    TextVar shown = ToText(result);
    return BytesOf(shown.c_str());
}

template <ByteSetVar (*F)(const char*)>
std::string TextToBytesAsText(const char* input) {
    ByteSetVar result = F(input);
    TextVar shown = ToText(result);
    return BytesOf(shown.c_str());
}

// A report that may leave the output box as it was: that shows as "<kept>".
template <bool (*F)(const char*, TextVar&)>
std::string Report(const char* input) {
    TextVar output;
    return F(input, output) ? BytesOf(output.c_str()) : std::string("<kept>");
}

template <int32_t Base>
std::string Calculator(const char* input) {
    TextVar output;
    return RunBaseCalculator(input, Base, output) ? BytesOf(output.c_str()) : std::string("<kept>");
}

template <TextVar (*F)(const ByteSetVar&)>
std::string UnitsToText(const ByteSetVar& units) {
    TextVar result = F(units);
    return BytesOf(result.c_str());
}

template <ByteSetVar (*F)(const ByteSetVar&)>
std::string UnitsToUnits(const ByteSetVar& units) {
    return BytesOf(F(units));
}

template <ByteSetVar (*F)(const char*)>
std::string TextToUnits(const char* input) {
    return BytesOf(F(input));
}

template <ByteSetVar (*F)(const ByteSetVar&)>
std::string BytesToUnits(const char* input) {
    ByteSetVar bytes = ToByteSet(input);
    return BytesOf(F(bytes));
}

TextVar AnsiToUnicodeUnits(const ByteSetVar& units) {
    ByteSetVar bytes = UnitsToUtf16Bytes(units, false);
    return ToText(bytes);
}

ByteSetVar Rc4Empty(const ByteSetVar& b) { return Rc4Crypt(b, ""); }
ByteSetVar DecodeBase64(const char* t) { return Base64Decode(t); }
TextVar UrlEncodeGbk(const char* t) { return UrlEncodeBytes(t, false); }
TextVar UrlDecodeGbk(const char* t) { return UrlDecodeBytes(t, false); }
}  // namespace

const std::vector<RoutineEntry>& Routines() {
    static const std::vector<RoutineEntry> routines = {
        {"URL加密(GBK)", Family::kPlain, TextToText<UrlEncodeGbk>, nullptr, false, 1},
        {"URL解密(GBK)", Family::kPercent, TextToText<UrlDecodeGbk>, nullptr, false, 1},
        {"URL加密(UTF8)", Family::kPlain, nullptr, UnitsToText<UrlEncodeUtf8Units>, false, 1},
        {"URL解密(UTF8)", Family::kPercent, nullptr, UnitsToUnits<UrlDecodeUtf8Units>, true, 1},
        {"RC4加密", Family::kPlain, BytesToBytesAsText<Rc4Empty>, nullptr, false, 1},
        {"BASE64加密", Family::kPlain, BytesToText<Base64Encode>, nullptr, false, 1},
        {"BASE64解密", Family::kBase64, TextToBytesAsText<DecodeBase64>, nullptr, false, 1},
        {"BASE64编码A", Family::kPlain, BytesToBytesAsText<Base64EncodeSystem>, nullptr, false, 1},
        {"BASE64编码B", Family::kBase64, BytesToBytesAsText<Base64DecodeSystem>, nullptr, false, 1},
        {"简体一繁体", Family::kPlain, TextToText<SimplifiedToTraditional>, nullptr, false, 1},
        {"繁体一简体", Family::kPlain, TextToText<TraditionalToSimplified>, nullptr, false, 1},
        {"BIG5简体", Family::kPlain, TextToText<Big5ToSimplified>, nullptr, false, 1},
        {"简体BIG5", Family::kPlain, TextToText<SimplifiedToBig5>, nullptr, false, 1},
        {"BIG5到繁体", Family::kPlain, TextToText<Big5ToGbk>, nullptr, false, 1},
        {"繁体到BIG5", Family::kPlain, TextToText<GbkToBig5>, nullptr, false, 1},
        {"北京时间一格林威治", Family::kDateTime, TextToText<BeijingTimeToUnixSeconds>, nullptr, false, 1},
        {"格林威治一北京", Family::kDateTime, TextToText<UnixSecondsToBeijingTime>, nullptr, false, 1},
        {"ansi一usc2", Family::kPlain, nullptr, UnitsToText<ScriptEscapeUnits>, false, 50},
        {"usc2一ansi", Family::kScriptEscape, nullptr, UnitsToUnits<ScriptUnescapeUnits>, true, 50},
        {"GB2312一UTF8", Family::kPlain, nullptr, UnitsToText<UnitsToUtf8>, false, 1},
        {"UTF8一GB2312", Family::kPercent, TextToUnits<Utf8ToUnits>, nullptr, true, 1},
        {"Ansi一Unicode", Family::kPlain, nullptr, UnitsToText<AnsiToUnicodeUnits>, false, 1},
        {"Unicode一Ansi", Family::kPlain, BytesToUnits<Utf16BytesToUnits>, nullptr, true, 1},
        {"Ansi一Unicode_str", Family::kPlain, nullptr, UnitsToText<UnitsToCharRefs>, false, 1},
        {"Unicode_str一Ansi", Family::kCharRefs, nullptr, UnitsToUnits<CharRefsToUnits>, true, 1},
        {"Unicode一UTF8", Family::kPlain, BytesToBytesAsText<Utf16BytesToUtf8>, nullptr, false, 1},
        {"UTF8一Unicode", Family::kPercent, BytesToBytesAsText<Utf8BytesToUtf16>, nullptr, false, 1},
        {"取MD2", Family::kPlain, BytesToText<Md2Hex>, nullptr, false, 1},
        {"取MD4", Family::kPlain, BytesToText<Md4Hex>, nullptr, false, 1},
        {"取MD5", Family::kPlain, BytesToText<Md5Hex>, nullptr, false, 1},
        {"取MD5(中文)", Family::kPlain, nullptr, UnitsToText<Md5Utf8HexUnits>, false, 1},
        {"取sha1", Family::kPlain, BytesToText<Sha1Hex>, nullptr, false, 1},
        {"取sha256", Family::kPlain, BytesToText<Sha256Hex>, nullptr, false, 1},
        {"取sha512", Family::kPlain, BytesToText<Sha512Hex>, nullptr, false, 1},
        {"取crc32", Family::kPlain, BytesToText<Crc32Hex>, nullptr, false, 1},
        {"一键编码(&B)", Family::kPlain, nullptr, UnitsToUnits<OneClickEncodeUnits>, true, 50},
        {"一键解码(&J)", Family::kPercent, nullptr, UnitsToUnits<OneClickDecodeUnits>, true, 50},
        {"乱码恢复", Family::kPlain, nullptr, UnitsToUnits<MojibakeReportUnits>, true, 5},
        {"二进制", Family::kNumber, Calculator<2>, nullptr, false, 1},
        {"八进制", Family::kNumber, Calculator<8>, nullptr, false, 1},
        {"十进制", Family::kNumber, Calculator<10>, nullptr, false, 1},
        {"十六进制", Family::kNumber, Calculator<16>, nullptr, false, 1},
        {"进制转文本", Family::kPlain, Report<TextToDigitsReport>, nullptr, false, 1},
        {"文本转进制", Family::kDigits, Report<DigitsToTextReport>, nullptr, false, 1},
        {"字母转大写", Family::kPlain, TextToText<ToUpperCaseReport>, nullptr, false, 1},
        {"字母转小写", Family::kPlain, TextToText<ToLowerCaseReport>, nullptr, false, 1},
        {"数字转大写(￥)", Family::kNumber, TextToText<DigitsToAmountReport>, nullptr, false, 1},
        // What every routine of GBK text shows instead when the box holds a character GBK lacks.
        {"NonGbkPrompt", Family::kPlain, nullptr, UnitsToUnits<NonGbkPrompt>, true, 1},
    };
    return routines;
}

std::vector<std::string> CorpusInputs() {
    const uint64_t kCorpusSeed = 936950;
    Random r(kCorpusSeed);
    std::vector<std::string> inputs;
    const Family families[] = {Family::kPlain,        Family::kBase64, Family::kPercent, Family::kCharRefs,
                               Family::kScriptEscape, Family::kDigits, Family::kNumber,  Family::kDateTime};
    for (int i = 0; i < 160; ++i) inputs.push_back(GeneratedInput(r, families[i % 8], 1024));
    for (int i = 0; i < 40; ++i) inputs.push_back(ValidGbk(r, PickLength(r, 200), static_cast<int>(r.Below(101))));
    // Well-formed input for the decoders, so that the oracles have something to decode.
    for (int i = 0; i < 40; ++i) {
        ByteSetVar b = MakeBytes(RandomBytes(r, PickLength(r, 200), true));
        inputs.push_back(BytesOf(Base64Encode(b).c_str()));
    }
    for (int i = 0; i < 40; ++i) {
        std::string text = ValidGbk(r, 1 + r.Below(24), 30), refs;
        wchar_t wide[64];
        int n = MultiByteToWideChar(936, 0, text.data(), static_cast<int>(text.size()), wide, 64);
        for (int k = 0; k < n; ++k) refs += "&#" + std::to_string(static_cast<unsigned>(wide[k])) + ";";
        inputs.push_back(refs);
    }
    for (int i = 0; i < 40; ++i) {
        std::string text = ValidGbk(r, PickLength(r, 60), 30), encoded;
        wchar_t wide[256];
        char utf8[1024];
        int n = MultiByteToWideChar(936, 0, text.data(), static_cast<int>(text.size()), wide, 256);
        int m = WideCharToMultiByte(CP_UTF8, 0, wide, n, utf8, sizeof utf8, nullptr, nullptr);
        static const char digits[] = "0123456789ABCDEF";
        for (int k = 0; k < m; ++k) {
            uint8_t c = static_cast<uint8_t>(utf8[k]);
            encoded += '%';
            encoded += digits[c >> 4];
            encoded += digits[c & 15];
        }
        inputs.push_back(encoded);
    }
    return inputs;
}
