// Text beyond GBK through the Unicode routines' UTF-16 entries and exits, and the check that
// finds what GBK cannot hold. One row per input; decoders are checked by round trips.
#include <cstring>
#include <string>

#include "engine/char_refs.h"
#include "engine/codepage.h"
#include "engine/digests.h"
#include "engine/script_escape.h"
#include "engine/url_codec.h"
#include "runtime/library.h"
#include "test_support.h"

namespace {
std::wstring Wide(const char* ascii) { return std::wstring(ascii, ascii + strlen(ascii)); }
std::string Units(const std::wstring& w) {
    std::string s;
    for (wchar_t c : Utf16(w)) s += Hex(std::string(1, static_cast<char>(c >> 8))) + Hex(std::string(1, static_cast<char>(c & 0xFF))) + " ";
    return s;
}

struct Row {
    const wchar_t* input;
    int place;             // of the first character GBK cannot hold
    uint32_t code;
    const char* url;       // UTF-8 percent form
    const char* escaped;   // ECMAScript escape
    const char* refs;
    const char* md5;       // of the UTF-8 bytes
    const wchar_t* back;   // what decoding the UTF-8 forms gives, when not the input
};
const Row kRows[] = {
    {L"\U0001F600", 1, 0x1F600, "%F0%9F%98%80", "%uD83D%uDE00", "&#55357&#56832", "2a02eac39d716a70ecf37579185927b6", nullptr},
    {L"\uD55C\uAD6D", 1, 0xD55C, "%ED%95%9C%EA%B5%AD", "%uD55C%uAD6D", "&#54620&#44397", "afd6d52f9854f4fd442136e78a027f62", nullptr},
    {L"e\u0301", 2, 0x301, "e%CC%81", "e%u0301", "&#101&#769", "5526861fbb1e71a1bda6ac364310a807", nullptr},
    {L"\u00A0", 1, 0xA0, "%C2%A0", "%A0", "&#160", "8df6fbcc43d31d99e5112eb009ed8a2d", nullptr},
    // A lone surrogate has no UTF-8 form: it becomes U+FFFD there, and stays itself elsewhere.
    {L"a\xD83D" L"b", 2, 0xD83D, "a%EF%BF%BDb", "a%uD83Db", "&#97&#55357&#98", "ff6405018d5ab2642e35fdba389b7c51", L"a\uFFFDb"},
    {L"中\U0001F600?", 2, 0x1F600, "%E4%B8%AD%F0%9F%98%80%3F", "%u4E2D%uD83D%uDE00%3F", "&#20013&#55357&#56832&#63",
     "c2d467141e510d8ac6f209458fea604a", nullptr},
};
}  // namespace

TEST_CASE("text beyond GBK through every Unicode routine") {
    LeakCheck leaks;
    for (const Row& r : kRows) {
        CAPTURE(Units(r.input));
        ByteSetVar in = U(r.input);
        int32_t place = 0;
        uint32_t code = 0;
        CHECK(FindNonGbkChar(in, &place, &code));
        CHECK(place == r.place);
        CHECK(code == r.code);
        std::wstring back = r.back ? r.back : r.input;

        CHECK(S(UrlEncodeUtf8Units(in)) == r.url);
        CHECK(Units(W(UrlDecodeUtf8Units(U(Wide(r.url))))) == Units(back));
        CHECK(S(UnitsToCharRefs(in)) == r.refs);
        CHECK(Units(W(CharRefsToUnits(U(Wide(r.refs))))) == Units(r.input));
        CHECK(S(Md5Utf8HexUnits(in)) == r.md5);
        TextVar utf8 = UnitsToUtf8(in);
        CHECK(Units(W(Utf8ToUnits(utf8))) == Units(back));
        ByteSetVar bytes = UnitsToUtf16Bytes(in, false);
        CHECK(Units(W(Utf16BytesToUnits(bytes))) == Units(r.input));
        for (ScriptPath path : {ScriptPath::kObjectsWhenWorking, ScriptPath::kOwnOnly}) {
            SetScriptPath(path);
            CHECK(S(ScriptEscapeUnits(in)) == r.escaped);
            CHECK(Units(W(ScriptUnescapeUnits(U(Wide(r.escaped))))) == Units(r.input));
        }
        SetScriptPath(ScriptPath::kObjectsWhenWorking);
    }
    CHECK(leaks.leaked() == 0);
}

TEST_CASE("characters outside escapes, and references beyond U+FFFF") {
    CHECK(Units(W(UrlDecodeUtf8Units(U(L"\U0001F600%41中")))) == Units(L"\U0001F600A中"));
    struct Case {
        const char* refs;
        const wchar_t* text;
    } cases[] = {
        {"&#128512;", L"\U0001F600"},
        {"&#1114111", L"\U0010FFFF"},
        {"&#1114177", L"A"},  // beyond U+10FFFF: the low 16 bits, as before
        {"&#65536&#0&#65", L"\U00010000"},
    };
    for (const Case& c : cases) {
        CAPTURE(c.refs);
        CHECK(Units(W(CharRefsToUnits(U(Wide(c.refs))))) == Units(c.text));
    }
    // The script's literal rules still apply around characters beyond GBK.
    CHECK(S(ScriptEscapeUnits(U(L"\\\U0001F600\\n"))) == "%uD83D%uDE00%0A");
}

TEST_CASE("text GBK holds has nothing to name; the prompt names the first character that is not") {
    int32_t place = 0;
    uint32_t code = 0;
    std::wstring gbk = L"中文 abc?\u20AC\u00E9\u3000";
    for (int i = 0; i < 4000; ++i) gbk += L"中a";  // past one slice of the check
    CHECK_FALSE(FindNonGbkChar(U(gbk), &place, &code));
    CHECK(NonGbkPrompt(U(gbk)).empty());
    std::wstring late = gbk + L"\uD55C";
    CHECK(FindNonGbkChar(U(late), &place, &code));
    CHECK(place == static_cast<int32_t>(late.size()));
    CHECK(Units(W(NonGbkPrompt(U(L"ab\U0001F600")))) == Units(L"提示：第3个字符“\U0001F600”（U+1F600）不是GBK字符，这项转换只能处理GBK文本。"));
    CHECK(Units(W(NonGbkPrompt(U(L"\xDE00")))) == Units(L"提示：第1个字符（U+DE00）不是GBK字符，这项转换只能处理GBK文本。"));
}
