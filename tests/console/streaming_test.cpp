// A streamed conversion, cut into pieces of some megabytes, writes what the same conversion
// writes when it holds the whole input; files that fail leave nothing behind.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>

#include "console/run.h"
#include "console/slicing.h"
#include "test_support.h"

using namespace wht_console;

namespace {
std::string Slurp(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

std::string Run(const Conversion& c, const std::string& input, TextEncoding in, const std::string& path) {
    std::ofstream(path, std::ios::binary) << input;
    {
        Input file(path);
        Output out(path + ".out");
        RunOptions options;
        options.in = in;
        options.out = c.writes == Form::kText ? TextEncoding::kUtf8 : TextEncoding::kAuto;
        RunConversion(c, file, out, options);
        out.Commit();
    }
    return Slurp(path + ".out");
}

// Some megabytes of mixed text: GBK (or its UTF-8 form), ASCII words, line breaks.
std::string MixedText(size_t size, bool utf8, std::mt19937& r) {
    const char* pieces[] = {"中文", "繁體", "abc ", "1.5%, ", "\r\n", "+/=", "  "};
    const char* utf8Pieces[] = {"\xE4\xB8\xAD\xE6\x96\x87", "\xE7\xB9\x81\xE9\xAB\x94", "abc ", "1.5%, ", "\r\n", "+/=", "  "};
    std::string s;
    while (s.size() < size) s += (utf8 ? utf8Pieces : pieces)[r() % 7];
    return s;
}

std::string Percent(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    for (unsigned char c : bytes) {
        if (c == '\n' || c == ' ') s += c;
        else s += {'%', digits[c >> 4], digits[c & 15]};
    }
    return s;
}

std::string Base64Lines(size_t size, std::mt19937& r, bool lines) {
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string s;
    while (s.size() < size) {
        s += alphabet[r() % 64];
        if (lines && s.size() % 78 == 76) s += "\r\n";
    }
    return s + "QQ==";
}
}  // namespace

TEST_CASE("console: streamed conversions equal the whole") {
    std::mt19937 r(936);
    const size_t big = 6 << 20;  // a piece and a half
    std::string bytes(big, '\0');
    for (char& b : bytes) b = static_cast<char>(r());
    const std::string gbk = MixedText(big, false, r), utf8 = MixedText(big, true, r);
    const struct {
        const char* name;
        std::string input;
        TextEncoding in;
    } cases[] = {
        {"url-encode-gbk", gbk, TextEncoding::kGbk},
        {"url-encode-utf8", utf8, TextEncoding::kAuto},
        {"url-decode-gbk", Percent(gbk.substr(0, big / 3)), TextEncoding::kGbk},
        {"url-decode-utf8", Percent(utf8.substr(0, big / 3)), TextEncoding::kAuto},
        {"base64-encode", bytes, TextEncoding::kAuto},
        {"base64-encode-system", bytes.substr(0, big / 2), TextEncoding::kAuto},
        {"base64-decode", Base64Lines(big, r, true), TextEncoding::kAuto},
        {"base64-decode", Base64Lines(big, r, false), TextEncoding::kAuto},
        {"gbk-to-utf8", gbk, TextEncoding::kAuto},
        {"gbk-to-utf16", gbk, TextEncoding::kAuto},
        {"utf8-to-gbk", utf8, TextEncoding::kAuto},
        {"utf8-to-utf16", utf8, TextEncoding::kAuto},
        {"gbk-to-big5", gbk, TextEncoding::kAuto},
        {"simplified-to-big5", gbk, TextEncoding::kAuto},
        {"crc32", bytes, TextEncoding::kAuto},
    };
    const std::string path = "streaming-test.bin";
    for (const auto& t : cases) {
        CAPTURE(std::string(t.name));
        const Conversion* c = FindConversion(t.name);
        REQUIRE(c);
        Conversion whole = *c;
        whole.slicing = whole.slicing == Slicing::kDigest ? Slicing::kDigest : Slicing::kWhole;
        std::string streamed = Run(*c, t.input, t.in, path), held = Run(whole, t.input, t.in, path);
        CHECK(streamed.size() > 0);
        CHECK(streamed == held);
    }
    DeleteFileA(path.c_str());
    DeleteFileA((path + ".out").c_str());
}

TEST_CASE("console: where a long input may be cut") {
    const struct {
        Slicing slicing;
        std::string bytes;
        int unitSize;
        size_t cut;
    } cases[] = {
        {Slicing::kAfterLowChar, "ab\xD6\xD0;\xD6\xD0", 1, 5},
        {Slicing::kAfterLowChar, "\xD6\xD0\xD6\xD0", 1, 0},
        {Slicing::kUrlEscapes, "a/%2F%D6", 1, 2},
        {Slicing::kUrlEscapes, "%2F/x", 1, 4},
        {Slicing::kBase64Groups, "QUJD\r\nREVG\r", 1, 4},
        {Slicing::kBase64Groups, "QU\tJD\nREVG\nQUJD", 1, 10},
        // A group that stops early lends its places to the next: no cut on either side.
        {Slicing::kBase64Groups, "QUJDRA==QUJD", 1, 0},
        {Slicing::kBase64Groups, "QUJDRA==QUJDQUJD", 1, 12},
        {Slicing::kBase64Groups, "QQ==QUJ", 1, 0},
        {Slicing::kTriples, "abcdefgh", 1, 6},
        {Slicing::kUtf16Units, std::string("a\0\x3D\xD8", 4), 2, 2},
        {Slicing::kWhole, "a;b", 1, 0},
    };
    for (const auto& t : cases) {
        CAPTURE(t.bytes);
        CHECK(SafeCut(t.slicing, reinterpret_cast<const uint8_t*>(t.bytes.data()), t.bytes.size(), t.unitSize) == t.cut);
    }
}

TEST_CASE("console: a failed conversion leaves no file") {
    const std::string path = "refused-test.txt";
    std::ofstream(path, std::ios::binary) << "ok " << "\xF0\x9F\x98\x80";  // an emoji GBK lacks
    {
        Input file(path);
        Output out(path + ".out");
        RunOptions options;
        CHECK_THROWS_AS(RunConversion(*FindConversion("url-encode-gbk"), file, out, options), ConversionRefused);
    }
    CHECK(GetFileAttributesA((path + ".out").c_str()) == INVALID_FILE_ATTRIBUTES);
    // A read-only target stays as it was (Wine's rename would replace it).
    std::ofstream(path + ".ro") << "old";
    SetFileAttributesA((path + ".ro").c_str(), FILE_ATTRIBUTE_READONLY);
    {
        Input file(path);
        Output out(path + ".ro");
        RunOptions options;
        CHECK_THROWS_AS(out.CheckTarget(), FileError);
    }
    SetFileAttributesA((path + ".ro").c_str(), FILE_ATTRIBUTE_NORMAL);
    CHECK(Slurp(path + ".ro") == "old");
    DeleteFileA((path + ".ro").c_str());
    CHECK_THROWS_AS(Input("no-such-file.txt"), FileError);
    CHECK_THROWS_AS(Input("."), FileError);
    DeleteFileA(path.c_str());
}

namespace {
// Inputs in memory: a file (its size known, read again at will) or a pipe (neither).
class Source : public ByteSource {
public:
    Source(const std::string& s, bool file) : s_(s), file_(file) {}
    size_t Read(uint8_t* b, size_t n) override {
        size_t k = std::min(n, s_.size() - at_);
        memcpy(b, s_.data() + at_, k);
        at_ += k;
        return k;
    }
    int64_t size() const override { return file_ ? static_cast<int64_t>(s_.size()) : -1; }
    bool Rewind() override { return file_ && (at_ = 0, true); }

private:
    const std::string& s_;
    bool file_;
    size_t at_ = 0;
};

class Sink : public ByteSink {
public:
    void Write(const uint8_t* b, size_t n) override { got.append(reinterpret_cast<const char*>(b), n); }
    std::string got;
};

std::string Outcome(const Conversion& c, const std::string& input, bool file, const RunOptions& options) {
    Source in(input, file);
    Sink out;
    try {
        RunConversion(c, in, out, options);
        return "=" + out.got;
    } catch (const ConversionRefused& e) {
        return "refused: " + e.message;
    }
}

// The pieces that decide where a cut may fall: characters of every width, escapes of every
// kind, line breaks and spaces of every kind, zero bytes, marks.
std::string Generated(std::mt19937& r) {
    static const char* const pieces[] = {
        "a", "Z9", "-.", "\xD6\xD0", "\xA4\xA4", "\xB0\xA1", "\xE4\xB8\xAD", "\xF0\x9F\x98\x80", "\x81\x40",
        "%D6%D0", "%2", "%41", "%", "&#20013;", "&#", "\\u4E2D", "\r", "\n", "\r\n", " ", "\t", "  ",
        "QUJD", "QQ==", "=", "+/", "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF", "\x2D\x4E", "\x3D\xD8\x00\xDE", "\x80", "\xFF"};
    std::string s;
    for (size_t n = r() % 40; n > 0; --n) {
        uint32_t k = r() % (sizeof pieces / sizeof *pieces + 1);
        s += k < sizeof pieces / sizeof *pieces ? std::string(pieces[k]) : std::string(1, '\0');
    }
    return s;
}
}  // namespace

TEST_CASE("console: a piece boundary never changes a result, from a file or a pipe") {
    std::mt19937 r(20261210);
    std::vector<const Conversion*> streamed;
    for (const Conversion& c : Conversions())
        if (c.slicing != Slicing::kWhole) streamed.push_back(&c);
    const TextEncoding ins[] = {TextEncoding::kAuto, TextEncoding::kGbk, TextEncoding::kUtf8, TextEncoding::kUtf16Le};
    const TextEncoding outs[] = {TextEncoding::kUtf8, TextEncoding::kGbk, TextEncoding::kUtf16Le};
    int runs = 0, results = 0;
    for (int i = 0; i < 10000; ++i) {
        const Conversion& c = *streamed[i % streamed.size()];
        Conversion whole = c;
        if (c.slicing != Slicing::kDigest) whole.slicing = Slicing::kWhole;
        const std::string input = Generated(r);
        RunOptions options;
        options.in = ins[r() % 4];
        options.inBigEndian = options.in == TextEncoding::kUtf16Le && r() % 2;
        options.out = c.writes == Form::kText ? outs[r() % 3] : TextEncoding::kAuto;
        options.piece = 1 + r() % 24;
        const std::string expected = Outcome(whole, input, true, options);
        results += expected[0] == '=';
        for (bool file : {true, false}) {
            CAPTURE(std::string(c.name));
            CAPTURE(Hex(input));
            CAPTURE(file);
            CAPTURE(options.piece);
            CAPTURE(static_cast<int>(options.in));
            std::string got = Outcome(c, input, file, options);
            bool refused = got[0] == 'r', wasRefused = expected[0] == 'r';
            // A pipe cannot be read twice: the encoding is guessed from the first piece that
            // is not ASCII, and where the rest disagrees the input is refused, never half
            // converted. Of two reasons to refuse, the first met may differ; of two of the
            // same kind (the text up to the first digit), the places must agree.
            if (refused && ((!file && options.in == TextEncoding::kAuto) ||
                            (wasRefused && got.substr(0, got.find_first_of("0123456789")) !=
                                               expected.substr(0, expected.find_first_of("0123456789")))))
                continue;
            CHECK(Hex(got) == Hex(expected));
            ++runs;
        }
    }
    CHECK(results > 3000);  // most inputs convert: the comparison is of results, not of refusals
    MESSAGE(runs << " streamed runs compared, " << results << " of 10000 inputs converted");
}
