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

TextVar Line(const char* label, const char* value) { return JoinTexts({label, value, "\r\n"}); }

struct Report {
    TextVar lines[17];
    TextVar join() const {
        return JoinTexts({lines[0], lines[1], lines[2], lines[3], lines[4], lines[5], lines[6], lines[7], lines[8],
                          lines[9], lines[10], lines[11], lines[12], lines[13], lines[14], lines[15], lines[16]});
    }
};

// Lines 10 to 17: the separator, the block's five digest lines in the report's order, then
// SHA-256 and SHA-512.
void DigestLines(Report& report, const DigestBlockTexts& block, const int order[5], const ByteSetVar& b) {
    report.lines[9] = JoinTexts({block.at(kSeparatorLine)});
    for (int i = 0; i < 5; ++i) report.lines[10 + i] = JoinTexts({block.at(order[i])});
    TextVar sha256 = Sha256Hex(b);
    TextVar sha512 = Sha512Hex(b);
    report.lines[15] = Line("取sha256值： ", sha256);
    report.lines[16] = Line("取sha512值： ", sha512);
}
}  // namespace

TextVar OneClickEncode(const char* t) {
    ByteSetVar b = ToByteSet(t);
    DigestBlockTexts block = DigestBlock(t);
    Report report;
    {
        TextVar v = UrlEncodeBytes(t, false);
        report.lines[0] = Line("URL解码(GBK)： ", v);
    }
    {
        TextVar v = UrlEncodeBytes(t, true);
        report.lines[1] = Line("URL解码(UTF8)： ", v);
    }
    {
        ByteSetVar rc4 = Rc4Crypt(b, "");
        TextVar v = ToText(rc4);
        report.lines[2] = Line("RC4加密： ", v);
    }
    {
        TextVar v = Base64Encode(b);
        report.lines[3] = Line("BASE64编码： ", v);
    }
    {
        TextVar v = ScriptEscape(t);
        report.lines[4] = Line("ansi转usc2： ", v);
    }
    {
        ByteSetVar units = AnsiToUtf16Bytes(t, false);
        TextVar v = ToText(units);
        report.lines[5] = Line("Ansi转Unicode： ", v);
    }
    {
        TextVar v = TextToCharRefs(t);
        report.lines[6] = Line("Ansi转Unicode1： ", v);
    }
    {
        TextVar v = GbkToUtf8(t);
        report.lines[7] = Line("GB2312转UTF8： ", v);
    }
    {
        TextVar v = SimplifiedToBig5(t);
        report.lines[8] = Line("简体转BIG5： ", v);
    }
    static const int order[5] = {kMd2Line, kMd4Line, kMd5Line, kSha1Line, kCrc32Line};
    DigestLines(report, block, order, b);
    return report.join();
}

TextVar OneClickDecode(const char* t) {
    ByteSetVar b = ToByteSet(t);
    DigestBlockTexts block = DigestBlock(t);
    Report report;
    {
        TextVar v = UrlDecodeBytes(t, false);
        report.lines[0] = Line("URL解码(GBK)： ", v);
    }
    {
        TextVar v = UrlDecodeBytes(t, true);
        report.lines[1] = Line("URL解码(UTF8)： ", v);
    }
    {
        ByteSetVar rc4 = Rc4Crypt(b, "");
        TextVar v = ToText(rc4);
        report.lines[2] = Line("RC4解密： ", v);
    }
    {
        ByteSetVar decoded = Base64Decode(t);
        TextVar v = ToText(decoded);
        report.lines[3] = Line("BASE64解码： ", v);
    }
    {
        TextVar v = ScriptUnescape(t);
        report.lines[4] = Line("usc2转ansi： ", v);
    }
    {
        TextVar v = Utf16BytesToAnsi(b);
        report.lines[5] = Line("Unicode转Ansi： ", v);
    }
    {
        TextVar v = BytesAsUtf16Text(b);
        report.lines[6] = Line("Unicode转Ansi1： ", v);
    }
    {
        TextVar v = Utf8ToGbk(t);
        report.lines[7] = Line("utf8转gb2312： ", v);
    }
    {
        TextVar v = Big5ToSimplified(t);
        report.lines[8] = Line("BIG5转简体： ", v);
    }
    static const int order[5] = {kMd5Line, kMd4Line, kMd2Line, kSha1Line, kCrc32Line};
    DigestLines(report, block, order, b);
    return report.join();
}
