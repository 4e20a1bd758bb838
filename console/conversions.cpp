#include "console/conversions.h"

#include <cstring>
#include <sstream>

#include "engine/base64.h"
#include "engine/base_calculator.h"
#include "engine/beijing_time.h"
#include "engine/big5.h"
#include "engine/case_amount.h"
#include "engine/char_refs.h"
#include "engine/chinese_script.h"
#include "engine/codepage.h"
#include "engine/crc32_rc4.h"
#include "engine/digits.h"
#include "engine/mojibake.h"
#include "engine/script_escape.h"
#include "engine/url_codec.h"
#include "runtime/library.h"
#include "shell/one_click.h"

namespace wht_console {
namespace {
const char kZeroUnitPrompt[] = "提示：输入里有零字符（U+0000），这项转换只能处理文本。";

StepResult Units(ByteSetVar units) {
    StepResult r;
    r.data = std::move(units);
    r.produced = Produced::kUnits;
    return r;
}
StepResult Gbk(const TextVar& text) {
    StepResult r;
    r.data = ToByteSet(text);
    r.produced = Produced::kGbk;
    return r;
}
StepResult Bytes(ByteSetVar bytes) {
    StepResult r;
    r.data = std::move(bytes);
    return r;
}
StepResult Prompt(ByteSetVar prompt) {
    StepResult r;
    r.prompt = std::move(prompt);
    return r;
}

bool HasZeroUnit(const ByteSetVar& units) { return UnitsBeforeZero(units) < ByteSetLength(units) / 2; }

// The window's GBK items read the box as GBK text and refuse a character GBK lacks.
bool GbkText(const ByteSetVar& units, int64_t placesBefore, TextVar* text, StepResult* refusal) {
    if (HasZeroUnit(units)) {
        *refusal = Prompt(GbkToUnits(kZeroUnitPrompt));
        return false;
    }
    ByteSetVar prompt = NonGbkPrompt(units, placesBefore);
    if (!prompt.empty()) {
        *refusal = Prompt(std::move(prompt));
        return false;
    }
    *text = UnitsToGbk(units);
    return true;
}

// The window's handler patterns (shell/handlers.cpp), on a piece of the console's input.
template <TextVar (*F)(const char*)>
StepResult TextToText(const ByteSetVar& units, int64_t before) {
    TextVar text;
    StepResult refusal;
    if (!GbkText(units, before, &text, &refusal)) return refusal;
    return Gbk(F(text));
}

template <bool (*F)(const char*, TextVar&)>
StepResult Report(const ByteSetVar& units, int64_t before) {
    TextVar text, output;
    StepResult refusal;
    if (!GbkText(units, before, &text, &refusal)) return refusal;
    F(text, output);  // false: the window keeps its box; here nothing is written
    return Gbk(output);
}

template <int32_t Base>
StepResult Calculator(const ByteSetVar& units, int64_t before) {
    TextVar text, output;
    StepResult refusal;
    if (!GbkText(units, before, &text, &refusal)) return refusal;
    RunBaseCalculator(text, Base, output);
    return Gbk(output);
}

template <TextVar (*F)(const ByteSetVar&)>
StepResult UnitsToText(const ByteSetVar& units, int64_t) {
    return Gbk(F(units));
}

template <ByteSetVar (*F)(const ByteSetVar&)>
StepResult UnitsToUnits(const ByteSetVar& units, int64_t) {
    return Units(F(units));
}

// The text's bytes, as the window's byte items take the GBK bytes of the box.
template <TextVar (*F)(const ByteSetVar&)>
StepResult BytesToText(const ByteSetVar& bytes, int64_t) {
    return Gbk(F(bytes));
}

template <ByteSetVar (*F)(const ByteSetVar&)>
StepResult BytesToBytes(const ByteSetVar& bytes, int64_t) {
    return Bytes(F(bytes));
}

template <ByteSetVar (*F)(const char*)>
StepResult TextToBytes(const ByteSetVar& units, int64_t before) {
    TextVar text;
    StepResult refusal;
    if (!GbkText(units, before, &text, &refusal)) return refusal;
    return Bytes(F(text));
}

// Byte items whose routine takes the box's GBK text: the bytes are that text. A zero byte
// would end it early, so it is refused as in a text item.
template <TextVar (*F)(const char*)>
StepResult GbkBytesToBytes(const ByteSetVar& bytes, int64_t) {
    if (bytes.data() && memchr(bytes.data(), 0, bytes.size())) return Prompt(GbkToUnits(kZeroUnitPrompt));
    TextVar text = ToText(bytes);
    return Bytes(ToByteSet(F(text)));
}

ByteSetVar Rc4Empty(const ByteSetVar& b) { return Rc4Crypt(b, ""); }
ByteSetVar DecodeBase64(const char* t) { return Base64Decode(t); }
TextVar UrlEncodeGbk(const char* t) { return UrlEncodeBytes(t, false); }
TextVar UrlDecodeGbk(const char* t) { return UrlDecodeBytes(t, false); }

// The code-page items on files: bytes in one encoding to bytes in another. The window
// shows a result up to its first zero; a file keeps every byte, and no terminating zero.
StepResult GbkToUtf8(const ByteSetVar& bytes, int64_t) {
    ByteSetVar units;
    DecodeText(bytes.data(), bytes.size(), TextEncoding::kGbk, &units, nullptr);
    return Bytes(EncodeText(units, TextEncoding::kUtf8));
}
StepResult GbkToUtf16(const ByteSetVar& bytes, int64_t) {
    ByteSetVar units;
    DecodeText(bytes.data(), bytes.size(), TextEncoding::kGbk, &units, nullptr);
    return Bytes(std::move(units));
}
StepResult Utf8ToText(const ByteSetVar& bytes, int64_t) {
    TextVar text = ToText(bytes);
    return Units(Utf8ToUnits(text));
}
StepResult Utf16ToText(const ByteSetVar& bytes, int64_t) { return Units(Utf16BytesToUnits(bytes)); }
StepResult Utf8ToUtf16(const ByteSetVar& bytes, int64_t) {
    ByteSetVar units = Utf8BytesToUtf16(bytes);
    int32_t n = ByteSetLength(units);
    if (n >= 2 && units.data()[n - 1] == 0 && units.data()[n - 2] == 0) units = ByteSetLeft(units, n - 2);
    return Bytes(std::move(units));
}

const Form T = Form::kText, B = Form::kBytes;
const TextEncoding kDefaultOut = TextEncoding::kAuto;
const DigestKind kNoDigest = DigestKind::kCrc32;

#define STEP(name, alias, caption, reads, writes, step, slicing, example) \
    {name, alias, caption, reads, writes, step, Slicing::slicing, kNoDigest, kDefaultOut, example}
#define DIGEST(name, alias, caption, kind, example) \
    {name, alias, caption, B, T, nullptr, Slicing::kDigest, DigestKind::kind, kDefaultOut, example}
}  // namespace

const std::vector<Conversion>& Conversions() {
    static const std::vector<Conversion> table = {
        STEP("url-encode-gbk", "urlencode", "URL加密(GBK)", T, T, TextToText<UrlEncodeGbk>, kAfterLowChar,
             "wht url-encode-gbk --in utf-8 words.txt"),
        STEP("url-decode-gbk", "urldecode", "URL解密(GBK)", T, T, TextToText<UrlDecodeGbk>, kUrlEscapes,
             "wht url-decode-gbk access.log -o decoded.txt"),
        STEP("url-encode-utf8", "", "URL加密(UTF8)", T, T, UnitsToText<UrlEncodeUtf8Units>, kAfterLowChar,
             "printf 中文 | wht url-encode-utf8"),
        STEP("url-decode-utf8", "", "URL解密(UTF8)", T, T, UnitsToUnits<UrlDecodeUtf8Units>, kUrlEscapes,
             "wht url-decode-utf8 links.txt"),
        STEP("rc4-encrypt", "rc4", "RC4加密", B, B, BytesToBytes<Rc4Empty>, kWhole, "wht rc4-encrypt plain.bin -o sealed.bin"),
        STEP("rc4-decrypt", "", "RC4解密", B, B, BytesToBytes<Rc4Empty>, kWhole, "wht rc4-decrypt sealed.bin -o plain.bin"),
        STEP("base64-encode", "b64 base64", "BASE64加密", B, T, BytesToText<Base64Encode>, kTriples,
             "wht base64-encode photo.jpg -o photo.b64"),
        STEP("base64-decode", "b64d unbase64", "BASE64解密", T, B, TextToBytes<DecodeBase64>, kBase64Groups,
             "wht base64-decode attachment.b64 -o attachment.pdf"),
        STEP("base64-encode-system", "", "BASE64编码A", B, B, BytesToBytes<Base64EncodeSystem>, kTriples,
             "wht base64-encode-system data.bin"),
        STEP("base64-decode-system", "", "BASE64编码B", B, B, BytesToBytes<Base64DecodeSystem>, kWhole,
             "wht base64-decode-system data.b64 -o data.bin"),
        STEP("simplified-to-traditional", "s2t", "简体一繁体", T, T, TextToText<SimplifiedToTraditional>, kWhole,
             "wht simplified-to-traditional article.txt -o article-tw.txt"),
        STEP("traditional-to-simplified", "t2s", "繁体一简体", T, T, TextToText<TraditionalToSimplified>, kWhole,
             "wht traditional-to-simplified article-tw.txt"),
        STEP("big5-to-simplified", "", "BIG5简体", B, B, GbkBytesToBytes<Big5ToSimplified>, kAfterLowChar,
             "wht big5-to-simplified big5.txt -o gbk.txt"),
        STEP("simplified-to-big5", "", "简体BIG5", B, B, GbkBytesToBytes<SimplifiedToBig5>, kAfterLowChar,
             "wht simplified-to-big5 gbk.txt -o big5.txt"),
        STEP("big5-to-gbk", "", "BIG5到繁体", B, B, GbkBytesToBytes<Big5ToGbk>, kAfterLowChar,
             "wht big5-to-gbk big5.txt -o gbk.txt"),
        STEP("gbk-to-big5", "", "繁体到BIG5", B, B, GbkBytesToBytes<GbkToBig5>, kAfterLowChar,
             "wht gbk-to-big5 gbk.txt -o big5.txt"),
        STEP("beijing-to-unix", "", "北京时间一格林威治", T, T, TextToText<BeijingTimeToUnixSeconds>, kWhole,
             "echo 2024-01-01 08:00:00 | wht beijing-to-unix"),
        STEP("unix-to-beijing", "", "格林威治一北京", T, T, TextToText<UnixSecondsToBeijingTime>, kWhole,
             "echo 1704067200 | wht unix-to-beijing"),
        STEP("script-escape", "escape", "ansi一usc2", T, T, UnitsToText<ScriptEscapeUnits>, kWhole,
             "printf 中文 | wht script-escape"),
        STEP("script-unescape", "unescape", "usc2一ansi", T, T, UnitsToUnits<ScriptUnescapeUnits>, kWhole,
             "echo %u4E2D%u6587 | wht script-unescape"),
        STEP("gbk-to-utf8", "", "GB2312一UTF8", B, B, GbkToUtf8, kAfterLowChar, "wht gbk-to-utf8 in.txt -o out.txt"),
        {"utf8-to-gbk", "", "UTF8一GB2312", B, T, Utf8ToText, Slicing::kAfterLowChar, kNoDigest, TextEncoding::kGbk,
         "wht utf8-to-gbk in.txt -o out.txt"},
        STEP("gbk-to-utf16", "", "Ansi一Unicode", B, B, GbkToUtf16, kAfterLowChar, "wht gbk-to-utf16 in.txt -o out.txt"),
        {"utf16-to-gbk", "", "Unicode一Ansi", B, T, Utf16ToText, Slicing::kUtf16Units, kNoDigest, TextEncoding::kGbk,
         "wht utf16-to-gbk in.txt -o out.txt"},
        STEP("char-refs-encode", "", "Ansi一Unicode_str", T, T, UnitsToText<UnitsToCharRefs>, kWhole,
             "printf 中文 | wht char-refs-encode"),
        STEP("char-refs-decode", "", "Unicode_str一Ansi", T, T, UnitsToUnits<CharRefsToUnits>, kWhole,
             "echo '&#20013;&#25991;' | wht char-refs-decode"),
        STEP("utf16-to-utf8", "", "Unicode一UTF8", B, B, BytesToBytes<Utf16BytesToUtf8>, kUtf16Units,
             "wht utf16-to-utf8 in.txt -o out.txt"),
        STEP("utf8-to-utf16", "", "UTF8一Unicode", B, B, Utf8ToUtf16, kAfterLowChar, "wht utf8-to-utf16 in.txt -o out.txt"),
        DIGEST("md2", "", "取MD2", kMd2, "wht md2 file.bin"),
        DIGEST("md4", "", "取MD4", kMd4, "wht md4 file.bin"),
        DIGEST("md5", "", "取MD5", kMd5, "wht md5 download.iso"),
        STEP("md5-utf8", "", "取MD5(中文)", T, T, UnitsToText<Md5Utf8HexUnits>, kWhole, "printf 中文 | wht md5-utf8"),
        DIGEST("sha1", "", "取sha1", kSha1, "wht sha1 download.iso"),
        DIGEST("sha256", "", "取sha256", kSha256, "wht sha256 download.iso"),
        DIGEST("sha512", "", "取sha512", kSha512, "wht sha512 download.iso"),
        DIGEST("crc32", "crc", "取crc32", kCrc32, "wht crc32 archive.zip"),
        STEP("one-click-encode", "encode-all", "一键编码(&B)", T, T, UnitsToUnits<OneClickEncodeUnits>, kWhole,
             "printf 中文 | wht one-click-encode"),
        STEP("one-click-decode", "decode-all", "一键解码(&J)", T, T, UnitsToUnits<OneClickDecodeUnits>, kWhole,
             "echo %E4%B8%AD%E6%96%87 | wht one-click-decode"),
        STEP("fix-mojibake", "mojibake", "乱码恢复", T, T, UnitsToUnits<MojibakeReportUnits>, kWhole,
             "wht fix-mojibake garbled.txt"),
        STEP("binary", "bin", "二进制", T, T, Calculator<2>, kWhole, "echo 1010 | wht binary"),
        STEP("octal", "oct", "八进制", T, T, Calculator<8>, kWhole, "echo 777 | wht octal"),
        STEP("decimal", "dec", "十进制", T, T, Calculator<10>, kWhole, "echo 255 | wht decimal"),
        STEP("hexadecimal", "hex", "十六进制", T, T, Calculator<16>, kWhole, "echo FF | wht hexadecimal"),
        STEP("text-to-digits", "", "进制转文本", T, T, Report<TextToDigitsReport>, kWhole, "printf 中文 | wht text-to-digits"),
        STEP("digits-to-text", "", "文本转进制", T, T, Report<DigitsToTextReport>, kWhole, "echo D6 D0 | wht digits-to-text"),
        STEP("upper-case", "upper", "字母转大写", T, T, TextToText<ToUpperCaseReport>, kWhole, "echo abc | wht upper-case"),
        STEP("lower-case", "lower", "字母转小写", T, T, TextToText<ToLowerCaseReport>, kWhole, "echo ABC | wht lower-case"),
        STEP("money-amount", "amount", "数字转大写(￥)", T, T, TextToText<DigitsToAmountReport>, kWhole,
             "echo 1234.56 | wht money-amount"),
    };
    return table;
}

const Conversion* FindConversion(const std::string& name) {
    for (const Conversion& c : Conversions()) {
        if (name == c.name) return &c;
        std::istringstream aliases(c.aliases);
        for (std::string a; aliases >> a;)
            if (a == name) return &c;
    }
    return nullptr;
}

}  // namespace wht_console
