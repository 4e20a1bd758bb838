#include <windows.h>

#include <string>

#include "runtime/library.h"
#include "runtime/library_file.h"
#include "test_support.h"

namespace {
ByteSetVar Bytes(const std::string& s) {
    ByteSetVar b = ZeroByteSet(static_cast<int32_t>(s.size()));
    for (size_t i = 0; i < s.size(); ++i) b.set(static_cast<int32_t>(i + 1), static_cast<uint8_t>(s[i]));
    return b;
}
std::string Str(const ByteSetVar& b) { return std::string(reinterpret_cast<const char*>(b.data() ? b.data() : (uint8_t*)""), b.size()); }
}  // namespace

TEST_CASE("a memory file collects texts and reads them back") {
    CloseFile(OpenMemoryFile());  // the runtime's table of open files lives for the process
    LeakCheck leaks;
    FileNumber f = OpenMemoryFile();
    CHECK(FileLength(f) == 0);
    CHECK(WriteText(f, {TextArg("ab"), TextArg("cd")}));
    CHECK(FileLength(f) == 4);
    CHECK(SeekToStart(f));
    TextVar all = ReadText(f);
    CHECK(std::string(all) == "abcd");
    TextVar rest = ReadText(f);
    CHECK(rest.get() == nullptr);
    CloseFile(f);
    all = TextVar();
    CHECK(leaks.leaked() == 0);
}

TEST_CASE("numbers, truth values and dates are written in the runtime's text formats") {
    FileNumber f = OpenMemoryFile();
    CHECK(WriteText(f, {IntArg(-5), TextArg(","), DoubleArg(0.1), TextArg(","), BoolArg(true), TextArg(","),
                        DateTimeArg(44040.5), TextArg(""), {1, 0, kSubroutine}}));
    SeekToStart(f);
    TextVar t = ReadText(f);
    CHECK(std::string(t) == "-5,0.1,真,2020年7月28日12时");
    CloseFile(f);
}

TEST_CASE("reading text stops at zero, 0x1A and a lead byte before zero, leaving the stop unread") {
    struct Case {
        std::string content;
        const char* first;
        int positionAfter;
    } cases[] = {
        {std::string("ab\0c", 4), "ab", 2},
        {std::string("ab\x1A" "c", 4), "ab", 2},
        {std::string("a\xD6\0c", 4), "a", 2},
        {std::string("abc", 3), "abc", 3},
    };
    for (const Case& c : cases) {
        CAPTURE(Hex(c.content));
        FileNumber f = OpenMemoryFile();
        ByteSetVar b = Bytes(c.content);
        CHECK(WriteData(f, {&b}));
        SeekToStart(f);
        TextVar t = ReadText(f);
        CHECK(Hex(t.c_str()) == Hex(c.first));
        // What is left starts at the stopping byte.
        ByteSetVar left = ReadData(f, 100);
        CHECK(Hex(Str(left)) == Hex(c.content.substr(c.positionAfter)));
        CloseFile(f);
    }
}

TEST_CASE("a second ReadText after a zero byte gives the empty text") {
    FileNumber f = OpenMemoryFile();
    ByteSetVar b = Bytes(std::string("ab\0c", 4));
    WriteData(f, {&b});
    SeekToStart(f);
    TextVar first = ReadText(f);
    TextVar second = ReadText(f);
    CHECK(std::string(first) == "ab");
    CHECK(second.get() == nullptr);
    CloseFile(f);
}

TEST_CASE("byte data round trip, empty writes and lengths below one") {
    FileNumber f = OpenMemoryFile();
    ByteSetVar empty;
    CHECK(WriteData(f, {&empty}));
    CHECK(FileLength(f) == 0);
    std::string big(5000, 'x');
    big[4999] = 'y';
    ByteSetVar b = Bytes(big);
    CHECK(WriteData(f, {&b, &b}));
    CHECK(FileLength(f) == 10000);
    SeekToStart(f);
    ByteSetVar all = ReadData(f, FileLength(f));
    CHECK(Str(all) == big + big);
    SeekToStart(f);
    CHECK(ReadData(f, 0).empty());
    TextVar none = ReadText(f, 0);
    CHECK(none.get() == nullptr);
    CloseFile(f);
}

TEST_CASE("numbers that are not open files fail quietly") {
    FileNumber f = OpenMemoryFile();
    CloseFile(f);
    CHECK(FileLength(f) == -1);
    CHECK_FALSE(SeekToStart(f));
    CHECK_FALSE(WriteText(f, {TextArg("x")}));
    CHECK(ReadData(f, 5).empty());
    CHECK(FileLength(12345) == -1);
}

TEST_CASE("closing all files frees them") {
    CloseFile(OpenMemoryFile());
    LeakCheck leaks;
    FileNumber a = OpenMemoryFile(), b = OpenMemoryFile();
    WriteText(a, {TextArg("x")});
    CloseAllFiles();
    CHECK(FileLength(a) == -1);
    CHECK(FileLength(b) == -1);
    CHECK(leaks.leaked() == 0);
}

TEST_CASE("clipboard text round trip keeps GBK text on any system code page") {
    const char* texts[] = {"中文 abc", "", "ＡＢ\r\n繁體"};
    for (const char* text : texts) {
        CAPTURE(Hex(text));
        CHECK(SetClipboardText(text));
        TextVar back = GetClipboardText();
        CHECK(Hex(back.c_str()) == Hex(text));
        // Programs reading UTF-16 see the right characters.
        if (OpenClipboard(nullptr)) {
            HANDLE h = GetClipboardData(CF_UNICODETEXT);
            const wchar_t* w = h ? static_cast<const wchar_t*>(GlobalLock(h)) : nullptr;
            if (std::string(text) == "中文 abc") {
                REQUIRE(w != nullptr);
                CHECK(w[0] == 0x4E2D);
                CHECK(w[1] == 0x6587);
            }
            if (w) GlobalUnlock(h);
            CloseClipboard();
        }
    }
}
