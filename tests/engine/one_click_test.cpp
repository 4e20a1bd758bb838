#include <string>
#include <vector>

#include "engine/base64.h"
#include "engine/big5.h"
#include "engine/char_refs.h"
#include "engine/codepage.h"
#include "engine/crc32_rc4.h"
#include "engine/digests.h"
#include "engine/script_escape.h"
#include "engine/url_codec.h"
#include "runtime/library.h"
#include "engine/one_click.h"
#include "test_support.h"

namespace {
const char kSeparator[] = "--------------------------------------------------";

// The report's lines, each without its CR LF; the report must end in CR LF.
std::vector<std::string> Lines(const std::string& report) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < report.size()) {
        size_t end = report.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(report.substr(start) + "<no line break>");
            break;
        }
        lines.push_back(report.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

void CheckLines(const std::string& report, const std::vector<std::string>& expected) {
    std::vector<std::string> lines = Lines(report);
    REQUIRE(lines.size() == expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        CAPTURE(i + 1);
        CHECK(Hex(lines[i]) == Hex(expected[i]));
    }
}

}  // namespace

TEST_CASE("the one-click encode report of \"a\"") {
    TextVar report = OneClickEncode("a");
    CheckLines(S(report), {
        "URL解码(GBK)： a",
        "URL解码(UTF8)： a",
        "RC4加密： c",
        "BASE64编码： YQ==",
        "ansi转usc2： a",
        "Ansi转Unicode： a",
        "Ansi转Unicode1： &#97",
        "GB2312转UTF8： a",
        "简体转BIG5： a",
        kSeparator,
        "取MD2值： 32ec01ec4a6dac72c0ab96fb34c0b5d1",
        "取MD4值： bde52cb31de33e46245e05fbdbd6fb24",
        "取MD5值： 0cc175b9c0f1b6a831c399e269772661",
        "取SHA1值： 86f7e437faa5a7fce15d1ddcb9eaeaea377667b8",
        "取CRC32值： E8B7BE43",
        "取sha256值： ca978112ca1bbdcafac231b39a23dc4da786eff8147c4e72b9807785afee48bb",
        "取sha512值： 1f40fc92da241694750979ee6cf582f2d5d7d28e18335de05abc54d0560e0f5302860c652bf08d560252aa5e74210546f369fbbbce8c12cfc7957b2652fe9a75",
    });
}

TEST_CASE("the one-click decode report of \"a\"") {
    TextVar report = OneClickDecode("a");
    CheckLines(S(report), {
        "URL解码(GBK)： a",
        "URL解码(UTF8)： a",
        "RC4解密： c",
        "BASE64解码： h",          // "a" then three places past the end read as "A"
        "usc2转ansi： a",
        "Unicode转Ansi： ",         // one byte is no UTF-16 unit
        "Unicode转Ansi1： ",
        "utf8转gb2312： a",
        "BIG5转简体： a",
        kSeparator,
        "取MD5值： 0cc175b9c0f1b6a831c399e269772661",
        "取MD4值： bde52cb31de33e46245e05fbdbd6fb24",
        "取MD2值： 32ec01ec4a6dac72c0ab96fb34c0b5d1",
        "取SHA1值： 86f7e437faa5a7fce15d1ddcb9eaeaea377667b8",
        "取CRC32值： E8B7BE43",
        "取sha256值： ca978112ca1bbdcafac231b39a23dc4da786eff8147c4e72b9807785afee48bb",
        "取sha512值： 1f40fc92da241694750979ee6cf582f2d5d7d28e18335de05abc54d0560e0f5302860c652bf08d560252aa5e74210546f369fbbbce8c12cfc7957b2652fe9a75",
    });
}

TEST_CASE("the one-click encode report of 中文abc") {
    TextVar report = OneClickEncode("中文abc");
    ByteSetVar b = ToByteSet("中文abc");
    TextVar rc4 = [&] { ByteSetVar r = Rc4Crypt(b, ""); return ToText(r); }();
    TextVar md2 = Md2Hex(b), md4 = Md4Hex(b);
    CheckLines(S(report), {
        "URL解码(GBK)： %D6%D0%CE%C4abc",
        "URL解码(UTF8)： %E4%B8%AD%E6%96%87abc",
        "RC4加密： " + S(rc4),
        "BASE64编码： 1tDOxGFiYw==",
        "ansi转usc2： %u4E2D%u6587abc",
        std::string("Ansi转Unicode： ") + "\x2D\x4E\x87\x65" "a",  // cut at the zero byte after "a"
        "Ansi转Unicode1： &#20013&#25991&#97&#98&#99",
        "GB2312转UTF8： \xE4\xB8\xAD\xE6\x96\x87" "abc",
        "简体转BIG5： \xA4\xA4\xA4\xE5" "abc",
        kSeparator,
        "取MD2值： " + S(md2),
        "取MD4值： " + S(md4),
        "取MD5值： ebef11822aaf0ae4e960c880640587d2",
        "取SHA1值： 35733b3984da25cf14b2e28f5f1a5ed0d49b86d0",
        "取CRC32值： 222E4215",
        "取sha256值： de91e542137ce05c69d3c688158b4045995fb5c557765c2d5c5dde388d30c228",
        "取sha512值： c97ca6c40f4b64f1ed6892c02dfedd44264b3e0ec15aa9dec76eab70db0e7c7acd338d6bfa6cf923e01ce062d154ec0830b51c08673b2dcded6fa1f21b97dae7",
    });
    CHECK(md2.c_str() != std::string());
    CHECK(md4.c_str() != std::string());
}

TEST_CASE("the one-click decode report of 中文abc, line by line from the routines") {
    const char* t = "中文abc";
    TextVar report = OneClickDecode(t);
    ByteSetVar b = ToByteSet(t);
    ByteSetVar rc4 = Rc4Crypt(b, "");
    ByteSetVar b64 = Base64Decode(t);
    std::vector<std::string> expected = {
        "URL解码(GBK)： " + S(UrlDecodeBytes(t, false)),
        "URL解码(UTF8)： " + S(UrlDecodeBytes(t, true)),
        "RC4解密： " + S(ToText(rc4)),
        "BASE64解码： " + S(ToText(b64)),
        "usc2转ansi： " + S(ScriptUnescape(t)),
        "Unicode转Ansi： " + S(Utf16BytesToAnsi(b)),
        "Unicode转Ansi1： " + S(BytesAsUtf16Text(b)),
        "utf8转gb2312： " + S(Utf8ToGbk(t)),
        "BIG5转简体： " + S(Big5ToSimplified(t)),
        kSeparator,
        "取MD5值： ebef11822aaf0ae4e960c880640587d2",
        "取MD4值： " + S(Md4Hex(b)),
        "取MD2值： " + S(Md2Hex(b)),
        "取SHA1值： 35733b3984da25cf14b2e28f5f1a5ed0d49b86d0",
        "取CRC32值： 222E4215",
        "取sha256值： de91e542137ce05c69d3c688158b4045995fb5c557765c2d5c5dde388d30c228",
        "取sha512值： c97ca6c40f4b64f1ed6892c02dfedd44264b3e0ec15aa9dec76eab70db0e7c7acd338d6bfa6cf923e01ce062d154ec0830b51c08673b2dcded6fa1f21b97dae7",
    };
    CheckLines(S(report), expected);
    // The UTF-16 reading of the GBK bytes D6D0 CEC4 6162 (the odd 63 dropped) is not empty.
    CHECK(Lines(S(report))[5] != "Unicode转Ansi： ");
}

TEST_CASE("an empty input still gives all seventeen lines") {
    CheckLines(S(OneClickEncode("")), {
        "URL解码(GBK)： ", "URL解码(UTF8)： ", "RC4加密： ", "BASE64编码： ", "ansi转usc2： ",
        "Ansi转Unicode： ", "Ansi转Unicode1： ", "GB2312转UTF8： ", "简体转BIG5： ", kSeparator,
        "取MD2值： 8350e5a3e24c153df2275c9f80692773",
        "取MD4值： 31d6cfe0d16ae931b73c59d7e0c089c0",
        "取MD5值： d41d8cd98f00b204e9800998ecf8427e",
        "取SHA1值： da39a3ee5e6b4b0d3255bfef95601890afd80709",
        "取CRC32值： ",
        "取sha256值： e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855",
        "取sha512值： cf83e1357eefb8bdf1542850d66d8007d620e4050b5715dc83f4a921d36ce9ce47d0d13c5d85f2b0ff8318d2877eec2f63b931bd47417a81a538327af927da3e",
    });
    CheckLines(S(OneClickDecode("")), {
        "URL解码(GBK)： ", "URL解码(UTF8)： ", "RC4解密： ", "BASE64解码： ", "usc2转ansi： ",
        "Unicode转Ansi： ", "Unicode转Ansi1： ", "utf8转gb2312： ", "BIG5转简体： ", kSeparator,
        "取MD5值： d41d8cd98f00b204e9800998ecf8427e",
        "取MD4值： 31d6cfe0d16ae931b73c59d7e0c089c0",
        "取MD2值： 8350e5a3e24c153df2275c9f80692773",
        "取SHA1值： da39a3ee5e6b4b0d3255bfef95601890afd80709",
        "取CRC32值： ",
        "取sha256值： e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855",
        "取sha512值： cf83e1357eefb8bdf1542850d66d8007d620e4050b5715dc83f4a921d36ce9ce47d0d13c5d85f2b0ff8318d2877eec2f63b931bd47417a81a538327af927da3e",
    });
}

TEST_CASE("a 100 KB input: every line from its routine, nothing leaked") {
    std::string input;
    while (input.size() < 100 * 1024) input += "中文abc 123%41\\u4e2d&#25105+/=";
    const char* t = input.c_str();
    LeakCheck leaks;
    {
        TextVar encode = OneClickEncode(t);
        TextVar decode = OneClickDecode(t);
        ByteSetVar b = ToByteSet(t);
        ByteSetVar rc4 = Rc4Crypt(b, "");
        ByteSetVar units = AnsiToUtf16Bytes(t, false);
        DigestBlockTexts block = DigestBlock(t);
        std::string digests = std::string(block.at(16)) + block.at(13) + block.at(12) + block.at(11) + block.at(14) +
                              block.at(15) + "取sha256值： " + S(Sha256Hex(b)) + "\r\n" + "取sha512值： " + S(Sha512Hex(b)) + "\r\n";
        std::string expected = "URL解码(GBK)： " + S(UrlEncodeBytes(t, false)) + "\r\n" +
                               "URL解码(UTF8)： " + S(UrlEncodeBytes(t, true)) + "\r\n" +
                               "RC4加密： " + S(ToText(rc4)) + "\r\n" +
                               "BASE64编码： " + S(Base64Encode(b)) + "\r\n" +
                               "ansi转usc2： " + S(ScriptEscape(t)) + "\r\n" +
                               "Ansi转Unicode： " + S(ToText(units)) + "\r\n" +
                               "Ansi转Unicode1： " + S(TextToCharRefs(t)) + "\r\n" +
                               "GB2312转UTF8： " + S(GbkToUtf8(t)) + "\r\n" +
                               "简体转BIG5： " + S(SimplifiedToBig5(t)) + "\r\n" + digests;
        CHECK(S(encode) == expected);
        CHECK(Lines(S(encode)).size() >= 17);
        CHECK(S(decode).find("BASE64解码： ") != std::string::npos);
        CHECK(S(decode).size() > 1000);
    }
    CHECK(leaks.leaked() == 0);
}

namespace {
std::wstring W(const char* gbk) { return W(GbkToUnits(gbk)); }
}  // namespace

TEST_CASE("the one-click reports of text beyond GBK, line by line") {
    const std::wstring note = L"提示：第2个字符“\U0001F600”（U+1F600）不是GBK字符，这项转换只能处理GBK文本。";
    ByteSetVar input = U(L"a\U0001F600");
    const std::wstring sep = L"--------------------------------------------------";
    const std::vector<std::wstring> encode = {
        L"URL解码(GBK)： " + note, L"URL解码(UTF8)： a%F0%9F%98%80", L"RC4加密： " + note, L"BASE64编码： " + note,
        L"ansi转usc2： a%uD83D%uDE00", L"Ansi转Unicode： a", L"Ansi转Unicode1： &#97&#55357&#56832",
        W("GB2312转UTF8： a\xF0\x9F\x98\x80"), L"简体转BIG5： " + note, sep, L"取MD2值： " + note, L"取MD4值： " + note,
        L"取MD5值： " + note, L"取SHA1值： " + note, L"取CRC32值： " + note, L"取sha256值： " + note, L"取sha512值： " + note,
    };
    const std::vector<std::wstring> decode = {
        L"URL解码(GBK)： " + note, L"URL解码(UTF8)： a\U0001F600", L"RC4解密： " + note, L"BASE64解码： " + note,
        L"usc2转ansi： a\U0001F600", L"Unicode转Ansi： " + note, L"Unicode转Ansi1： " + note, L"utf8转gb2312： " + note,
        L"BIG5转简体： " + note, sep, L"取MD5值： " + note, L"取MD4值： " + note, L"取MD2值： " + note,
        L"取SHA1值： " + note, L"取CRC32值： " + note, L"取sha256值： " + note, L"取sha512值： " + note,
    };
    for (bool isEncode : {true, false}) {
        std::wstring report = W(isEncode ? OneClickEncodeUnits(input) : OneClickDecodeUnits(input));
        const std::vector<std::wstring>& expected = isEncode ? encode : decode;
        std::wstring joined;
        for (const std::wstring& line : expected) joined += line + L"\r\n";
        for (size_t i = 0, at = 0; i < expected.size(); ++i) {
            CAPTURE(i + 1);
            size_t end = report.find(L"\r\n", at);
            CHECK((end == std::wstring::npos ? report.substr(at) : report.substr(at, end - at)) == Utf16(expected[i]));
            at = end == std::wstring::npos ? report.size() : end + 2;
        }
        CHECK(report == Utf16(joined));
    }
}

TEST_CASE("for GBK input the reports of units show what the GBK reports show") {
    // Lines 6 and 7 of the decode report read the GBK bytes as UTF-16, which for most texts
    // gives characters GBK cannot hold: the units report shows them, the GBK one has "?".
    for (const char* t : {"中文abc", "a", "", "%E4%B8%AD%20x"}) {
        CAPTURE(t);
        CHECK(W(OneClickEncodeUnits(GbkToUnits(t))) == W(S(OneClickEncode(t)).c_str()));
    }
    for (const char* t : {"a", ""}) CHECK(W(OneClickDecodeUnits(GbkToUnits(t))) == W(S(OneClickDecode(t)).c_str()));
}
