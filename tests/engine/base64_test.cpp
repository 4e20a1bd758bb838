// BASE64: the own coder's tables, the system coder, and the message pump during decoding.
#include <windows.h>

#include <cstring>
#include <string>

#include "engine/base64.h"
#include "engine/progress.h"
#include "runtime/command_args.h"
#include "runtime/library.h"
#include "runtime/message_loop.h"
#include "test_support.h"

namespace {
ByteSetVar B64Bytes(const std::string& bytes) {
    ByteSetVar b(bytes.empty() ? nullptr : NewByteSetBlock(static_cast<int32_t>(bytes.size())));
    if (!bytes.empty()) memcpy(b.data(), bytes.data(), bytes.size());
    return b;
}
std::string B64Str(const ByteSetVar& b) {
    return b.empty() ? std::string() : std::string(reinterpret_cast<const char*>(b.data()), b.size());
}
template <size_t N>
std::string B64Raw(const char (&s)[N]) {
    return std::string(s, N - 1);
}

struct Case {
    std::string input;
    std::string expected;
};

std::string PseudoRandomBytes(int length, unsigned seed) {
    std::string s;
    for (int i = 0; i < length; ++i) {
        seed = seed * 1103515245u + 12345u;
        s += static_cast<char>(seed >> 16);
    }
    return s;
}
}  // namespace

TEST_CASE("base64: own encoder") {
    const Case cases[] = {
        {"", ""},
        {"a", "YQ=="},
        {"ab", "YWI="},
        {"abc", "YWJj"},
        {"中文", "1tDOxA=="},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
        {B64Raw("\0"), "AA=="},
        {B64Raw("\0\0\0"), "AAAA"},
        {"\xFF\xFF\xFF", "////"},
        {B64Raw("\0\xFB\xFF"), "APv/"},
        {"\xFB\xEF\xBE", "++++"},
        {std::string(60, 'x'), "eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4"},
    };
    for (const Case& c : cases) {
        CAPTURE(Hex(c.input));
        LeakCheck leaks;
        CHECK(std::string(Base64Encode(B64Bytes(c.input)).c_str()) == c.expected);
        CHECK(leaks.leaked() == 0);
    }
}

TEST_CASE("base64: own decoder") {
    const Case cases[] = {
        {"", ""},
        {"YWJj", "abc"},
        {"YW Jj", "abc"},
        {"YW\r\nJj", "abc"},
        {" Y W\xA1\xA1J j ", "abc"},                   // ASCII and full-width spaces
        {"YWI=", "ab"},
        {"YQ==", "a"},
        {"YWJjZA", B64Raw("abcd\0\0")},                // missing places count as "A"
        {"YWJjZA==", "abcd"},
        {"YWJj=", "ab"},                               // a lone "=" starting a group drops four bytes
        {"YWJj*", "ab"},                               // so does any stray character there
        {"Y*Jj", ""},                                  // never below empty
        {"=", ""},
        {"====", ""},
        {"A", B64Raw("\0\0\0")},
        {"AGE=", B64Raw("\0a")},
        {"YQAA", B64Raw("a\0\0")},                     // trailing zero bytes stay
        {"Zm9vYmFy", "foobar"},
        // Characters outside the alphabet keep their code; the group's later places keep
        // the values of the group before.
        {"YW\nJj", B64Raw("ab\x80\x8C\0\0")},
        {"YW\tJj", B64Raw("ab\x40\x8C\0\0")},
        {"YW\r\r\nJj", B64Raw("ac\x40\x8C\0\0")},      // only the CR LF pair goes
        {"YWJjY*==YWJj", "abcb\xA2" "cabc"},
        {"Y\xD6WJYWJj", B64Raw("\x6D\x60\0abc")},      // a high byte counts as 214, not -42
        {"YWJjZGVm*", "abcde"},
    };
    for (const Case& c : cases) {
        CAPTURE(Hex(c.input));
        LeakCheck leaks;
        {
            ByteSetVar decoded = Base64Decode(c.input.c_str());
            CHECK(Hex(B64Str(decoded)) == Hex(c.expected));
            // What the output box shows: the bytes up to the first zero byte.
            CHECK(std::string(ToText(decoded).c_str()) == std::string(c.expected.c_str()));
        }
        CHECK(leaks.leaked() == 0);
    }
}

TEST_CASE("base64: system coder") {
    const Case encode[] = {
        {"", ""},
        {"a", "YQ=="},
        {"abc", "YWJj"},
        {"中文", "1tDOxA=="},
        {B64Raw("a\0"), "YQA="},
    };
    for (const Case& c : encode) {
        CAPTURE(Hex(c.input));
        CHECK(B64Str(Base64EncodeSystem(B64Bytes(c.input))) == c.expected);
    }
    const Case decode[] = {
        {"", ""},
        {"YWJj", "abc"},
        {"1tDOxA==", "中文"},
        {"YWJjAA==", "abc"},          // the trailing zero goes with the terminator
        {"@@@@", ""},                 // rejected by the system
    };
    for (const Case& c : decode) {
        CAPTURE(c.input);
        LeakCheck leaks;
        CHECK(Hex(B64Str(Base64DecodeSystem(B64Bytes(c.input)))) == Hex(c.expected));
        CHECK(leaks.leaked() == 0);
    }
}

TEST_CASE("base64: both coders agree, and decoding undoes encoding") {
    for (int length = 0; length <= 200; length += (length < 40 ? 1 : 37)) {
        CAPTURE(length);
        ByteSetVar data = B64Bytes(PseudoRandomBytes(length, 7u + length));
        TextVar own = Base64Encode(data);
        ByteSetVar system = Base64EncodeSystem(data);
        CHECK(B64Str(system) == std::string(own.c_str()));
        CHECK(B64Str(system).find_first_of("\r\n") == std::string::npos);
        CHECK(Hex(B64Str(Base64Decode(own))) == Hex(B64Str(data)));
        CHECK(Hex(B64Str(Base64DecodeSystem(system))) == Hex(B64Str(StripTrailingZeros(data))));
    }
}

TEST_CASE("base64: trailing zeros") {
    const Case cases[] = {
        {"", ""},
        {B64Raw("\0"), ""},
        {B64Raw("\0\0\0"), ""},
        {B64Raw("a\0\0"), "a"},
        {B64Raw("\0a"), B64Raw("\0a")},
        {B64Raw("a\0b\0"), B64Raw("a\0b")},
    };
    for (const Case& c : cases) {
        CAPTURE(Hex(c.input));
        CHECK(Hex(B64Str(StripTrailingZeros(B64Bytes(c.input)))) == Hex(c.expected));
    }
}

namespace {
const UINT kPing = WM_APP + 17;
int g_pings = 0;
std::string g_nested;

LRESULT CALLBACK PingProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == kPing) {
        ++g_pings;
        // A handler that runs inside a decode may decode too.
        if (wparam == 1) g_nested = B64Str(Base64Decode("bmVzdGVk"));
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

HWND PingWindow() {
    static HWND window = nullptr;
    if (!window) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = PingProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "Base64PingTest";
        RegisterClassA(&wc);
        window = CreateWindowA("Base64PingTest", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    }
    return window;
}
}  // namespace

TEST_CASE("base64: window messages run during a decode") {
    HWND window = PingWindow();
    REQUIRE(window != nullptr);
    // The decode reports its progress; a listener that pumps messages, as the window's does,
    // lets them through.
    SetProgressListener([](int32_t) { ProcessEvents(); });
    struct {
        std::string text;
        WPARAM kind;
    } cases[] = {
        {"YWJj", 0},
        {"", 0},
        {std::string(4 * 5000, 'Q'), 1},   // a long decode, re-entered by a decoding handler
    };
    for (const auto& c : cases) {
        CAPTURE(c.text.size());
        g_pings = 0;
        g_nested.clear();
        PostMessageA(window, kPing, c.kind, 0);
        ByteSetVar decoded = Base64Decode(c.text.c_str());
        // An empty text has no group to decode and so no turn of the pump.
        CHECK(g_pings == (c.text.empty() ? 0 : 1));
        CHECK(decoded.size() == static_cast<int32_t>(c.text.size() / 4 * 3));
        if (c.kind == 1) {
            CHECK(g_nested == "nested");
            CHECK(decoded.at(1) == 0x41);
            CHECK(decoded.at(decoded.size()) == 0x10);
        }
        MSG msg;
        while (PeekMessageA(&msg, window, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    SetProgressListener(nullptr);
}

TEST_CASE("base64: cost of the message pump in a 1 MB decode" * doctest::skip()) {
    // Not a check: prints the figures that set how often the decoder turns the pump.
    ByteSetVar data = B64Bytes(PseudoRandomBytes(786432, 3u));
    TextVar encoded = Base64Encode(data);
    LARGE_INTEGER f, t0, t1, t2;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t0);
    ByteSetVar decoded = Base64Decode(encoded);
    QueryPerformanceCounter(&t1);
    int32_t groups = TextLength(encoded) / 4;
    for (int32_t g = 0; g < groups; ++g) ProcessEvents();
    QueryPerformanceCounter(&t2);
    CHECK(B64Str(decoded) == B64Str(data));
    MESSAGE("decode of " << TextLength(encoded) << " characters: "
                         << 1000.0 * (t1.QuadPart - t0.QuadPart) / f.QuadPart << " ms; " << groups
                         << " pump turns alone: " << 1000.0 * (t2.QuadPart - t1.QuadPart) / f.QuadPart
                         << " ms");
}

TEST_CASE("base64: the one-pass cleaning of ASCII text drops what the space and CR LF commands drop") {
    // A full-width space anywhere sends the text through the commands themselves; it is
    // dropped, so both ways must decode alike. Spaces, CRs and LFs in every arrangement.
    const char pieces[] = {'\r', '\n', ' ', 'Q', 'x', '='};
    for (unsigned seed = 1; seed <= 400; ++seed) {
        std::string text;
        unsigned x = seed;
        for (int k = 0; k < 3 + static_cast<int>(seed % 23); ++k) {
            x = x * 1103515245u + 12345u;
            text += pieces[(x >> 16) % 6];
        }
        CAPTURE(Hex(text));
        CHECK(Hex(B64Str(Base64Decode(text.c_str()))) == Hex(B64Str(Base64Decode((text + "\xA1\xA1").c_str()))));
    }
}

TEST_CASE("base64: long texts across progress blocks, with line breaks and stray characters") {
    ByteSetVar data = B64Bytes(PseudoRandomBytes(200003, 11u));
    std::string encoded = Base64Encode(data).c_str();
    CHECK(B64Str(Base64EncodeSystem(data)) == encoded);
    std::string broken;
    for (size_t i = 0; i < encoded.size(); i += 76) broken += encoded.substr(i, 76) + "\r\n";
    CHECK(B64Str(Base64Decode(broken.c_str())) == B64Str(data));
    // A stray character far in ends its group; the groups after it decode as before.
    std::string stray = encoded;
    stray[150000] = '*';
    std::string decoded = B64Str(Base64Decode(stray.c_str()));
    REQUIRE(decoded.size() == 200003);
    CHECK(decoded.substr(0, 112500) == B64Str(data).substr(0, 112500));
    CHECK(decoded.substr(112503) == B64Str(data).substr(112503));
}

namespace {
// The decoder's reading, group by group, of a text without spaces and line breaks: a
// character outside the alphabet ends its group with its own code in its place, the later
// places keep the group before's, and only the last group's end shortens the result.
std::string ReferenceDecode(const std::string& text) {
    static const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    size_t groups = (text.size() + 3) / 4;
    std::string out;
    int q[4] = {0, 0, 0, 0}, stop = 5;
    for (size_t g = 0; g < groups; ++g) {
        for (stop = 1; stop <= 4; ++stop) {
            size_t at = 4 * g + stop - 1;
            unsigned char c = at < text.size() ? text[at] : 0;
            size_t place = c ? alphabet.find(static_cast<char>(c)) : 0;
            q[stop - 1] = place == std::string::npos ? c : static_cast<int>(place);
            if (place == std::string::npos) break;
        }
        out += static_cast<char>(q[0] * 4 | q[1] / 16);
        out += static_cast<char>(q[1] * 16 | q[2] / 4);
        out += static_cast<char>(q[2] * 64 | q[3]);
    }
    int keep = static_cast<int>(out.size()) - (stop < 5 ? 5 - stop : 0);
    return out.substr(0, keep > 0 ? keep : 0);
}
}  // namespace

TEST_CASE("base64: any byte at any place of sixteen-character steps decodes as group by group") {
    std::string valid = Base64Encode(B64Bytes(PseudoRandomBytes(36, 5u))).c_str();
    for (int code = 1; code < 256; ++code) {
        if (code == ' ' || code == '\r' || code == '\n' || code == 0xA1) continue;
        for (size_t at = 0; at + 1 < valid.size(); at += (at < 20 ? 1 : 7)) {
            std::string text = valid;
            text[at] = static_cast<char>(code);
            CAPTURE(code);
            CAPTURE(at);
            CHECK(Hex(B64Str(Base64Decode(text.c_str()))) == Hex(ReferenceDecode(text)));
            CHECK(Hex(B64Str(Base64Decode(text.substr(0, at + 2).c_str()))) == Hex(ReferenceDecode(text.substr(0, at + 2))));
        }
    }
}
