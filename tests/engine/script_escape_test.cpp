// Script escaping through the system's objects and through the program's own engine:
// both paths must give the same results.
#include <new>
#include <string>

#include <windows.h>

#include "engine/script_escape.h"
#include "engine/service_failure.h"
#include "runtime/library.h"
#include "runtime/memory.h"
#include "test_support.h"

namespace {
std::string Run(TextVar (*routine)(const char*), const char* text, ScriptPath path) {
    SetScriptPath(path);
    TextVar r = routine(text);
    SetScriptPath(ScriptPath::kObjectsWhenWorking);
    return r.c_str();
}
}  // namespace

TEST_CASE("ScriptEscape gives the ECMAScript escape forms on both paths") {
    struct Case {
        const char* text;
        const char* escaped;
    } cases[] = {
        {"a b", "a%20b"},
        {"'", "%u2019"},
        {"我", "%u6211"},
        {"@*_+-./~", "@*_+-./%7E"},
        {"\\n\\t\\\\", "%0A%09%5C"},
        {"\\x41\\u4E2D", "A%u4E2D"},
        {"\\x4", ""},     // too few hexadecimal digits: no script
        {"\\u00", ""},
        {"\\101\\61", "A1"},
        {"\\q", "q"},
        {"a\\", ""},        // the backslash takes the closing quote: no script
        {"", ""},
    };
    for (const Case& c : cases) {
        std::string shown = c.text;
        CAPTURE(shown);
        CHECK(Run(ScriptEscape, c.text, ScriptPath::kObjectsWhenWorking) == c.escaped);
        CHECK(Run(ScriptEscape, c.text, ScriptPath::kOwnOnly) == c.escaped);
    }
}

TEST_CASE("ScriptUnescape gives the ECMAScript unescape forms with its placeholders") {
    struct Case {
        const char* text;
        const char* unescaped;
    } cases[] = {
        {"%u6211%20\\u7231", "我 爱"},
        {"’", "'"},
        {"{$}", "\r\n"},
        {"a\r\nb", "a\r\nb"},
        {"\rx", "x"},
        {"%41%u0041%u004a", "AAJ"},
        {"%u12%zz%", "%u12%zz%"},
    };
    for (const Case& c : cases) {
        std::string shown = c.text;
        CAPTURE(shown);
        std::string viaObjects = Run(ScriptUnescape, c.text, ScriptPath::kObjectsWhenWorking);
        std::string own = Run(ScriptUnescape, c.text, ScriptPath::kOwnOnly);
        CHECK(Hex(viaObjects) == Hex(own));
        CHECK(Hex(own) == Hex(c.unescaped));
    }
}

TEST_CASE("both script paths agree on tricky inputs") {
    const char* inputs[] = {
        "'quoted' \"double\"", "\\'", "\\\\'", "a\\\\", "\\\\\\", "\\377\\400\\777", "\\7\\77\\1234",
        "\\x4", "\\xZZ", "\\x", "\\u00", "\\u", "\\uZZZZ", "\\b\\f\\r", "%uD83D%uDE00", "%u0400", "%u00e9",
        "%u4e2d%u6587", "%", "%%", "%u", "%u12", "%1", "%D6%D0", "中文abc", "ＡＢＣ　１", "\\u4e2d\\x20",
        "%uFFFF%uFFFE", "\\r\\n", "{$}{$}", "\\{$}",
    };
    for (const char* text : inputs) {
        std::string shown = text;
        CAPTURE(shown);
        CHECK(Hex(Run(ScriptEscape, text, ScriptPath::kObjectsWhenWorking)) ==
              Hex(Run(ScriptEscape, text, ScriptPath::kOwnOnly)));
        CHECK(Hex(Run(ScriptUnescape, text, ScriptPath::kObjectsWhenWorking)) ==
              Hex(Run(ScriptUnescape, text, ScriptPath::kOwnOnly)));
    }
}

TEST_CASE("the own engine reads the literal by the documented rules where Wine's engine differs") {
    // Wine's JScript drops a literal at an escaped zero, reads \8 and \08 as codes, keeps
    // \v as "v" and accepts line breaks in literals; the program's own engine does not.
    struct Case {
        const char* text;
        const char* escaped;
    } cases[] = {
        {"\\0", "%00"},
        {"\\08", "%008"},
        {"\\8\\9", "89"},
        {"\\v", "%0B"},
        {"a\r\nb", ""},
        {"a\nb", ""},
    };
    for (const Case& c : cases) {
        std::string shown = c.text;
        CAPTURE(shown);
        CHECK(Run(ScriptEscape, c.text, ScriptPath::kOwnOnly) == c.escaped);
    }
}

TEST_CASE("a failing unescape script falls back to the text's bytes read as UTF-16") {
    // "ab\" ends in a backslash: no script. Its bytes 61 62 5C are read as the one unit 0x6261
    // (the odd last byte is dropped).
    TextVar direct;
    {
        ByteSetVar raw = ToByteSet("ab\\");
        direct = OwnBytesAsUtf16Text(raw);
    }
    CHECK_FALSE(direct.empty());
    CHECK(Run(ScriptUnescape, "ab\\", ScriptPath::kObjectsWhenWorking) == std::string(direct));
    CHECK(Run(ScriptUnescape, "ab\\", ScriptPath::kOwnOnly) == std::string(direct));
}

TEST_CASE("bytes read as UTF-16 little-endian text") {
    struct Case {
        std::string bytes;
        const char* text;
    } cases[] = {
        {std::string("\x2D\x4E\x87\x65", 4), "中文"},
        {std::string("\xFF\xFE\x41\x00", 4), "A"},   // a leading byte-order mark is not text
        {std::string("\x41\x00\x42", 3), "A"},       // an odd last byte is not a unit
        {std::string("\x41\x00\x00\x00\x42\x00", 6), "A"},
        {std::string("\x00\x04", 2), "?"},           // U+0400 has no GBK form
    };
    LeakCheck leaks;
    for (const Case& c : cases) {
        CAPTURE(Hex(c.bytes));
        ByteSetVar full = ZeroByteSet(static_cast<int32_t>(c.bytes.size()));
        for (size_t i = 0; i < c.bytes.size(); ++i) full.set(static_cast<int32_t>(i + 1), static_cast<uint8_t>(c.bytes[i]));
        TextVar r = BytesAsUtf16Text(full);
        CHECK(Hex(r.c_str()) == Hex(c.text));
    }
    CHECK(leaks.leaked() == 0);
}

TEST_CASE("a zero unit ends the escaped text on both paths, the script around it intact") {
    const std::pair<std::wstring, const char*> cases[] = {
        {std::wstring(L"a\0b", 3), "a"},
        {std::wstring(L"'\0'", 3), "%u2019"},
        {std::wstring(L"\\\0x", 3), ""},
        {std::wstring(L"\u4E2D\0", 2), "%u4E2D"},
    };
    for (const auto& c : cases) {
        CAPTURE(c.second);
        for (ScriptPath path : {ScriptPath::kObjectsWhenWorking, ScriptPath::kOwnOnly}) {
            SetScriptPath(path);
            ByteSetVar units = U(c.first);
            CHECK(std::string(ScriptEscapeUnits(units).c_str()) == c.second);
        }
        SetScriptPath(ScriptPath::kObjectsWhenWorking);
    }
}

TEST_CASE("10,000 runs of each script routine in one process: every one right, nothing kept") {
    // Each run once made a new system engine, and the system ran out of them near run 1,900.
    TakeServiceFailure();
    LeakCheck leaks;
    int wrong = 0;
    auto started = GetTickCount();
    for (int i = 0; i < 10000; ++i) {
        if (std::string(ScriptEscape("a b").c_str()) != "a%20b") ++wrong;
        if (std::string(ScriptUnescape("%u6211%20b").c_str()) != "我 b") ++wrong;
    }
    double sharedMs = (GetTickCount() - started) / 20000.0;
    CHECK(wrong == 0);
    CHECK(TakeServiceFailure() == nullptr);
    CHECK(leaks.leaked() == 0);
    // The same with an engine made for each run, as before: for the figure only.
    started = GetTickCount();
    for (int i = 0; i < 100; ++i) {
        ReleaseScriptEngine();
        if (std::string(ScriptEscape("a b").c_str()) != "a%20b") ++wrong;
    }
    MESSAGE("ms per script run: shared engine " << sharedMs << ", fresh engine " << (GetTickCount() - started) / 100.0);
    CHECK(wrong == 0);
}

TEST_CASE("an escape too long for a text fails as an allocation does, taking nothing") {
    // Six units out for each unit in: from 178,956,971 units in, the result's length once
    // wrapped round to a small block that was then overrun.
    const int32_t n = 178956971;
    ByteSetVar units = ZeroByteSet(2 * n);
    for (int32_t i = 0; i < n; ++i) units.data()[2 * i] = 'a';
    SetScriptPath(ScriptPath::kOwnOnly);
    LeakCheck leaks;
    {
        AllocationFailureThrows refused;
        CHECK_THROWS_AS(ScriptEscapeUnits(units), std::bad_alloc);
    }
    CHECK(leaks.leaked() == 0);
    SetScriptPath(ScriptPath::kObjectsWhenWorking);
}
