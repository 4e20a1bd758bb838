#include "console/conversions.h"

#include <cstring>
#include <sstream>

#include "engine/base64.h"
#include "engine/gbk_to_utf8.h"
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
#include "engine/one_click.h"

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

// The window's GBK items read the box as GBK text and refuse a character GBK lacks. (A zero
// character never gets here: the runner refuses it for every text input.)
bool GbkText(const ByteSetVar& units, int64_t placesBefore, TextVar* text, StepResult* refusal) {
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

template <TextVar (*F)(const char*)>
StepResult GbkTextToText(const char* text, int64_t) {
    return Gbk(F(text));
}

template <ByteSetVar (*F)(const char*)>
StepResult GbkTextToBytes(const char* text, int64_t) {
    return Bytes(F(text));
}

// The window keeps its box for an empty input; here that is said, not written as nothing.
StepResult EmptyInput() { return Prompt(GbkToUnits(kEmptyInputPrompt)); }

template <bool (*F)(const char*, TextVar&)>
StepResult Report(const ByteSetVar& units, int64_t before) {
    TextVar text, output;
    StepResult refusal;
    if (!GbkText(units, before, &text, &refusal)) return refusal;
    if (!F(text, output)) return EmptyInput();
    return Gbk(output);
}

// The calculator's failures are its "\r\n转换失败：" lines; no result begins with a line break.
template <int32_t Base>
StepResult Calculator(const ByteSetVar& units, int64_t before) {
    TextVar text, output;
    StepResult refusal;
    if (!GbkText(units, before, &text, &refusal)) return refusal;
    if (!RunBaseCalculator(text, Base, output)) return EmptyInput();
    const char* o = output.c_str();
    if (o[0] == '\r' && o[1] == '\n') return Prompt(GbkToUnits(o + 2));
    return Gbk(output);
}

StepResult UpperCaseStep(const ByteSetVar& units, int64_t before) {
    TextVar text;
    StepResult refusal;
    if (!GbkText(units, before, &text, &refusal)) return refusal;
    if (!*text.c_str()) return EmptyInput();
    return Gbk(UpperCase(text));
}

StepResult MoneyAmount(const ByteSetVar& units, int64_t before) {
    TextVar text;
    StepResult refusal;
    if (!GbkText(units, before, &text, &refusal)) return refusal;
    if (!IsAllDigits(text)) return Prompt(GbkToUnits(kNotAllDigitsPrompt));
    return Gbk(DigitsToAmountReport(text));
}

// The window writes the earliest date's count for a text that is no date-time; a pipe needs
// to know that it got none.
StepResult BeijingToUnix(const ByteSetVar& units, int64_t before) {
    TextVar text;
    StepResult refusal;
    if (!GbkText(units, before, &text, &refusal)) return refusal;
    if (!IsDateTimeText(text)) return Prompt(GbkToUnits("提示：输入不是日期时间，例如 2024-01-01 08:00:00。"));
    return Gbk(BeijingTimeToUnixSeconds(text));
}

StepResult UnixToBeijing(const ByteSetVar& units, int64_t before) {
    TextVar text;
    StepResult refusal;
    if (!GbkText(units, before, &text, &refusal)) return refusal;
    if (!strpbrk(text.c_str(), "0123456789")) return Prompt(GbkToUnits("提示：输入里没有数字，要的是从1970年起的秒数。"));
    return Gbk(UnixSecondsToBeijingTime(text));
}

// The best candidate alone: what a pipe wants from a garbled file.
StepResult FixMojibake(const ByteSetVar& units, int64_t) {
    std::u16string garbled(ByteSetLength(units) / 2, u'\0');
    if (!garbled.empty()) memcpy(&garbled[0], units.data(), 2 * garbled.size());
    std::vector<MojibakeCandidate> found = RecoverMojibake(garbled);
    const std::u16string& best = found.empty() ? garbled : found.front().text;
    ByteSetVar out;
    if (!best.empty()) {
        out = ZeroByteSet(static_cast<int32_t>(2 * best.size()));
        memcpy(out.data(), best.data(), 2 * best.size());
    }
    return Units(std::move(out));
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

// BASE64 text from a file or a pipe comes in lines of any kind, and indented: every ASCII
// white space goes before the decoder, which itself skips only spaces and CR LF pairs.
ByteSetVar DecodeBase64Lines(const char* t) {
    size_t n = strlen(t);
    std::string kept;
    kept.reserve(n);
    for (size_t k = 0; k < n; ++k)
        if (t[k] != ' ' && t[k] != '\t' && t[k] != '\r' && t[k] != '\n' && t[k] != '\v' && t[k] != '\f') kept += t[k];
    return Base64Decode(kept.c_str());
}

int64_t Base64Direct(const uint8_t* in, size_t n, uint8_t* out) { return static_cast<int64_t>(Base64EncodeTo(in, n, out)); }

int64_t GbkDirect(const uint8_t* in, size_t n, uint8_t* out) { return n < kGbkTableWorthIt ? -1 : GbkBytesToUtf8(in, n, out); }

ByteSetVar Rc4Empty(const ByteSetVar& b) { return Rc4Crypt(b, ""); }
TextVar UrlEncodeGbk(const char* t) { return UrlEncodeBytes(t, false); }
TextVar UrlDecodeGbk(const char* t) { return UrlDecodeBytes(t, false); }
}  // namespace

const Direct kGbkAsUtf8 = {GbkToUtf8Room, GbkDirect};

StepResult UnitsAsTheyAre(const ByteSetVar& units, int64_t) { return Units(ByteSetLeft(units, ByteSetLength(units))); }

namespace {
const Form T = Form::kText, B = Form::kBytes, G = Form::kGbk, U8 = Form::kUtf8, U16 = Form::kUtf16;
const TextEncoding kDefaultOut = TextEncoding::kAuto;
const DigestKind kNoDigest = DigestKind::kCrc32;

#define STEP(name, alias, caption, reads, writes, step, slicing, example) \
    {name, alias, caption, reads, writes, step, Slicing::slicing, kNoDigest, kDefaultOut, example}
#define TEXTSTEP(name, alias, caption, reads, writes, step, textStep, slicing, example) \
    {name, alias, caption, reads, writes, step, Slicing::slicing, kNoDigest, kDefaultOut, example, Value::kWholeText, textStep}
#define VALUE(name, alias, caption, step, example) \
    {name, alias, caption, T, T, step, Slicing::kWhole, kNoDigest, kDefaultOut, example, Value::kOneLine}
#define CODEPAGE(name, caption, reads, writes, slicing, out, example) \
    {name, "", caption, reads, writes, UnitsAsTheyAre, Slicing::slicing, kNoDigest, out, example}
#define DIGEST(name, alias, caption, kind, example) \
    {name, alias, caption, B, T, nullptr, Slicing::kDigest, DigestKind::kind, kDefaultOut, example}
}  // namespace

const std::vector<Conversion>& Conversions() {
    static const std::vector<Conversion> table = {
        TEXTSTEP("url-encode-gbk", "urlencode", "URL加密(GBK)", T, T, TextToText<UrlEncodeGbk>, GbkTextToText<UrlEncodeGbk>,
                 kAfterLowChar, "wht url-encode-gbk --in utf-8 words.txt"),
        TEXTSTEP("url-decode-gbk", "urldecode", "URL解密(GBK)", T, T, TextToText<UrlDecodeGbk>, GbkTextToText<UrlDecodeGbk>,
                 kUrlEscapes, "wht url-decode-gbk access.log -o decoded.txt"),
        STEP("url-encode-utf8", "", "URL加密(UTF8)", T, T, UnitsToText<UrlEncodeUtf8Units>, kAfterLowChar,
             "printf 中文 | wht url-encode-utf8"),
        STEP("url-decode-utf8", "", "URL解密(UTF8)", T, T, UnitsToUnits<UrlDecodeUtf8Units>, kUrlEscapes,
             "wht url-decode-utf8 links.txt"),
        STEP("rc4-encrypt", "rc4", "RC4加密", B, B, BytesToBytes<Rc4Empty>, kWhole, "wht rc4-encrypt plain.bin -o sealed.bin"),
        STEP("rc4-decrypt", "", "RC4解密", B, B, BytesToBytes<Rc4Empty>, kWhole, "wht rc4-decrypt sealed.bin -o plain.bin"),
        {"base64-encode", "b64 base64", "BASE64加密", B, T, BytesToText<Base64Encode>, Slicing::kTriples, kNoDigest,
         kDefaultOut, "wht base64-encode photo.jpg -o photo.b64", Value::kWholeText, nullptr, {Base64Length, Base64Direct}},
        TEXTSTEP("base64-decode", "b64d unbase64", "BASE64解密", T, B, TextToBytes<DecodeBase64Lines>,
                 GbkTextToBytes<DecodeBase64Lines>, kBase64Groups, "wht base64-decode attachment.b64 -o attachment.pdf"),
        STEP("base64-encode-system", "", "BASE64编码A", B, B, BytesToBytes<Base64EncodeSystem>, kTriples,
             "wht base64-encode-system data.bin"),
        STEP("base64-decode-system", "", "BASE64编码B", B, B, BytesToBytes<Base64DecodeSystemBytes>, kWhole,
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
        VALUE("beijing-to-unix", "", "北京时间一格林威治", BeijingToUnix, "echo 2024-01-01 08:00:00 | wht beijing-to-unix"),
        VALUE("unix-to-beijing", "", "格林威治一北京", UnixToBeijing, "echo 1704067200 | wht unix-to-beijing"),
        STEP("script-escape", "escape", "ansi一usc2", T, T, UnitsToText<ScriptEscapeUnits>, kWhole,
             "printf 中文 | wht script-escape"),
        STEP("script-unescape", "unescape", "usc2一ansi", T, T, UnitsToUnits<ScriptUnescapeUnits>, kWhole,
             "echo %u4E2D%u6587 | wht script-unescape"),
        {"gbk-to-utf8", "", "GB2312一UTF8", G, U8, UnitsAsTheyAre, Slicing::kAfterLowChar, kNoDigest, kDefaultOut,
         "wht gbk-to-utf8 in.txt -o out.txt", Value::kWholeText, nullptr, kGbkAsUtf8},
        CODEPAGE("utf8-to-gbk", "UTF8一GB2312", U8, T, kAfterLowChar, TextEncoding::kGbk, "wht utf8-to-gbk in.txt -o out.txt"),
        CODEPAGE("gbk-to-utf16", "Ansi一Unicode", G, U16, kAfterLowChar, kDefaultOut, "wht gbk-to-utf16 in.txt -o out.txt"),
        CODEPAGE("utf16-to-gbk", "Unicode一Ansi", U16, T, kUtf16Units, TextEncoding::kGbk, "wht utf16-to-gbk in.txt -o out.txt"),
        STEP("char-refs-encode", "", "Ansi一Unicode_str", T, T, UnitsToText<UnitsToCharRefs>, kWhole,
             "printf 中文 | wht char-refs-encode"),
        STEP("char-refs-decode", "", "Unicode_str一Ansi", T, T, UnitsToUnits<CharRefsToUnits>, kWhole,
             "echo '&#20013;&#25991;' | wht char-refs-decode"),
        CODEPAGE("utf16-to-utf8", "Unicode一UTF8", U16, U8, kUtf16Units, kDefaultOut, "wht utf16-to-utf8 in.txt -o out.txt"),
        CODEPAGE("utf8-to-utf16", "UTF8一Unicode", U8, U16, kAfterLowChar, kDefaultOut, "wht utf8-to-utf16 in.txt -o out.txt"),
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
        STEP("fix-mojibake", "mojibake", "乱码恢复", T, T, FixMojibake, kWhole, "wht fix-mojibake garbled.txt > fixed.txt"),
        VALUE("binary", "bin", "二进制", Calculator<2>, "echo 1010 | wht binary"),
        VALUE("octal", "oct", "八进制", Calculator<8>, "echo 777 | wht octal"),
        VALUE("decimal", "dec", "十进制", Calculator<10>, "echo 255 | wht decimal"),
        VALUE("hexadecimal", "hex", "十六进制", Calculator<16>, "echo FF | wht hexadecimal"),
        STEP("text-to-digits", "", "进制转文本", T, T, Report<TextToDigitsReport>, kWhole, "printf 中文 | wht text-to-digits"),
        STEP("digits-to-text", "", "文本转进制", T, T, Report<DigitsToTextReport>, kWhole, "echo D6 D0 | wht digits-to-text"),
        STEP("upper-case", "upper", "字母转大写", T, T, UpperCaseStep, kWhole, "echo abc | wht upper-case"),
        STEP("lower-case", "lower", "字母转小写", T, T, TextToText<LowerCase>, kWhole, "echo ABC | wht lower-case"),
        VALUE("money-amount", "amount", "数字转大写(￥)", MoneyAmount, "echo 1234 | wht money-amount"),
    };
    return table;
}

const Conversion& MojibakeReport() {
    static const Conversion report = [] {
        Conversion c = *FindConversion("fix-mojibake");
        c.step = UnitsToUnits<MojibakeReportUnits>;
        return c;
    }();
    return report;
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
