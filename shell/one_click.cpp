#include "shell/one_click.h"

#include "engine/base64.h"
#include "engine/big5.h"
#include "engine/char_refs.h"
#include "engine/codepage.h"
#include "engine/crc32_rc4.h"
#include "engine/digests.h"
#include "engine/script_escape.h"
#include "engine/url_codec.h"
#include "runtime/library.h"

namespace {
// DigestBlock's places: the MD5, MD4, MD2, SHA-1 and CRC-32 lines and the separator.
enum { kMd5Line = 11, kMd4Line = 12, kMd2Line = 13, kSha1Line = 14, kCrc32Line = 15, kSeparatorLine = 16 };

// One conversion line: its label and its value from the text t or its bytes b.
typedef TextVar (*LineValue)(const char* t, const ByteSetVar& b);
struct LineSpec {
    const char* label;
    LineValue value;
};
const int kConversionLines = 9, kDigestLines = 5;

TextVar Rc4Text(const char*, const ByteSetVar& b) {
    ByteSetVar r = Rc4Crypt(b, "");
    return ToText(r);
}

const LineSpec kEncodeLines[kConversionLines] = {
    {"URL解码(GBK)： ", [](const char* t, const ByteSetVar&) { return UrlEncodeBytes(t, false); }},
    {"URL解码(UTF8)： ", [](const char* t, const ByteSetVar&) { return UrlEncodeBytes(t, true); }},
    {"RC4加密： ", Rc4Text},
    {"BASE64编码： ", [](const char*, const ByteSetVar& b) { return Base64Encode(b); }},
    {"ansi转usc2： ", [](const char* t, const ByteSetVar&) { return ScriptEscape(t); }},
    {"Ansi转Unicode： ", [](const char* t, const ByteSetVar&) { ByteSetVar u = AnsiToUtf16Bytes(t, false); return ToText(u); }},
    {"Ansi转Unicode1： ", [](const char* t, const ByteSetVar&) { return TextToCharRefs(t); }},
    {"GB2312转UTF8： ", [](const char* t, const ByteSetVar&) { return GbkToUtf8(t); }},
    {"简体转BIG5： ", [](const char* t, const ByteSetVar&) { return SimplifiedToBig5(t); }},
};
const int kEncodeDigestOrder[kDigestLines] = {kMd2Line, kMd4Line, kMd5Line, kSha1Line, kCrc32Line};

const LineSpec kDecodeLines[kConversionLines] = {
    {"URL解码(GBK)： ", [](const char* t, const ByteSetVar&) { return UrlDecodeBytes(t, false); }},
    {"URL解码(UTF8)： ", [](const char* t, const ByteSetVar&) { return UrlDecodeBytes(t, true); }},
    {"RC4解密： ", Rc4Text},
    {"BASE64解码： ", [](const char* t, const ByteSetVar&) { ByteSetVar d = Base64Decode(t); return ToText(d); }},
    {"usc2转ansi： ", [](const char* t, const ByteSetVar&) { return ScriptUnescape(t); }},
    {"Unicode转Ansi： ", [](const char*, const ByteSetVar& b) { return Utf16BytesToAnsi(b); }},
    {"Unicode转Ansi1： ", [](const char*, const ByteSetVar& b) { return BytesAsUtf16Text(b); }},
    {"utf8转gb2312： ", [](const char* t, const ByteSetVar&) { return Utf8ToGbk(t); }},
    {"BIG5转简体： ", [](const char* t, const ByteSetVar&) { return Big5ToSimplified(t); }},
};
const int kDecodeDigestOrder[kDigestLines] = {kMd5Line, kMd4Line, kMd2Line, kSha1Line, kCrc32Line};

TextVar Line(const char* label, const char* value) { return JoinTexts({label, value, "\r\n"}); }

// Nine conversion lines, the separator, the digest block's five lines in the report's
// order, then SHA-256 and SHA-512: seventeen lines, each ending in CR LF.
TextVar Report(const char* t, const LineSpec (&lines)[kConversionLines], const int (&order)[kDigestLines]) {
    ByteSetVar b = ToByteSet(t);
    DigestBlockTexts block = DigestBlock(t);
    TextVar report[17];
    for (int i = 0; i < kConversionLines; ++i) {
        TextVar value = lines[i].value(t, b);
        report[i] = Line(lines[i].label, value);
    }
    report[9] = JoinTexts({block.at(kSeparatorLine)});
    for (int i = 0; i < kDigestLines; ++i) report[10 + i] = JoinTexts({block.at(order[i])});
    TextVar sha256 = Sha256Hex(b);
    TextVar sha512 = Sha512Hex(b);
    report[15] = Line("取sha256值： ", sha256);
    report[16] = Line("取sha512值： ", sha512);
    return JoinTexts({report[0], report[1], report[2], report[3], report[4], report[5], report[6], report[7],
                      report[8], report[9], report[10], report[11], report[12], report[13], report[14], report[15],
                      report[16]});
}
}  // namespace

TextVar OneClickEncode(const char* text) { return Report(text, kEncodeLines, kEncodeDigestOrder); }
TextVar OneClickDecode(const char* text) { return Report(text, kDecodeLines, kDecodeDigestOrder); }
