// The console program against the window's routines: the corpus's inputs through wht.exe,
// one run per conversion with every input as a file, each result compared with what the
// window's routine gives. Runs only when WHT_CONSOLE is set (ctest's console.<locale>).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "console/conversions.h"
#include "engine/codepage.h"
#include "engine/service_failure.h"
#include "engine/text_file.h"
#include "generated_inputs.h"
#include "test_support.h"

using wht_console::Conversion;
using wht_console::Form;

namespace {
int RunWht(const std::string& arguments) {
    return RunCommandLine("\"" + TestProgramFolder() + kWhtBesideTests + "\" " + arguments);
}

// A conversion refused (its prompt on standard error) leaves no file: "<refused>".
const char kRefused[] = "<refused>";
std::string ReadAll(const std::string& path) {
    std::ifstream f(path.c_str(), std::ios::binary);
    if (!f) return kRefused;
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path.c_str(), std::ios::binary) << bytes;
}

// Text the input box can hold as it is: its GBK bytes come back from the box unchanged.
bool BoxKeeps(const std::string& gbk) {
    TextVar text = MakeText(gbk);
    TextVar back = UnitsToGbk(GbkToUnits(text));
    return BytesOf(back.c_str()) == gbk;
}

const Conversion* ByCaption(const char* caption) {
    for (const Conversion& c : wht_console::Conversions())
        if (std::string(c.caption) == caption) return &c;
    return nullptr;
}
}  // namespace

TEST_CASE("console: every conversion gives the window's result") {
    if (!getenv("WHT_CONSOLE")) return;
    const std::vector<std::string> inputs = CorpusInputs();
    const std::string dir = TestProgramFolder() + (GetACP() == 936 ? "console-zh" : "console-en") + kPathSeparator;
    MakeFolder(dir);
    MakeFolder(dir + "out");
    // What the window's box can hold ends at a zero byte.
    for (size_t i = 0; i < inputs.size(); ++i) WriteAll(dir + std::to_string(i), BytesOf(MakeText(inputs[i]).c_str()));
    int compared = 0;
    for (const RoutineEntry& e : Routines()) {
        if (std::string(e.name) == "NonGbkPrompt") continue;
        const std::string caption = e.name;
        CAPTURE(caption);
        const Conversion* c = ByCaption(e.name);
        REQUIRE(c);
        std::string arguments = std::string(c->name) + " -o \"" + dir + "out\"";
        if (c->reads == Form::kText) arguments += " --in gbk";
        if (c->writes == Form::kText) arguments += e.unitsOut ? " --out utf-16le" : " --out gbk";
        if (std::string(c->name) == "fix-mojibake") arguments += " --all";  // the window's report
        std::vector<size_t> taken;
        for (size_t i = 0; i < inputs.size(); ++i) {
            if (UsesScriptEngine(e) && i % kScriptEngineStride != 0) continue;
            // Text conversions read what the box would hold; bytes are taken as they come.
            if (c->reads == Form::kText && !BoxKeeps(inputs[i])) continue;
            taken.push_back(i);
            arguments += " \"" + dir + std::to_string(i) + "\"";
        }
        for (size_t i : taken) RemoveFile(dir + "out" + kPathSeparator + std::to_string(i));
        RunWht(arguments);
        int differences = 0;
        for (size_t i : taken) {
            std::string input = inputs[i];
            // BASE64 read from a file skips every white space, lone line breaks and tabs too.
            if (std::string(c->name) == "base64-decode")
                input.erase(std::remove_if(input.begin(), input.end(), [](char ch) { return strchr(" \t\r\n\v\f", ch) && ch; }),
                            input.end());
            TextVar text = MakeText(input);
            TakeServiceFailure();
            std::string expected = e.run ? e.run(text) : e.runUnits(GbkToUnits(text));
            // The window keeps its box for an empty input; the console says so.
            if (expected == "<kept>") expected = kRefused;
            // A system service that failed under the routine makes the window show a prompt.
            if (TakeServiceFailure()) expected = kRefused;
            // What the window says in place of a result is a refusal on the console.
            if (expected.rfind("提示：", 0) == 0 || expected.rfind("\r\n转换失败：", 0) == 0) expected = kRefused;
            // ... and so is a time made of what is not one: the earliest date's count, or 1970
            // for a text without a digit.
            if ((std::string(c->name) == "beijing-to-unix" && expected == "-59011488000") ||
                (std::string(c->name) == "unix-to-beijing" && !strpbrk(text.c_str(), "0123456789")))
                expected = kRefused;
            const std::string& bytes = inputs[i];
            if ((c->reads == Form::kUtf8 && !IsValidUtf8(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size())) ||
                (c->reads == Form::kUtf16 && bytes.size() % 2))
                expected = kRefused;
            // A digest is a line.
            if (c->slicing == wht_console::Slicing::kDigest && expected != kRefused) expected += "\n";
            std::string got = ReadAll(dir + "out" + kPathSeparator + std::to_string(i));
            // The window shows a byte result up to its first zero byte; a file has them all.
            bool same = c->writes != Form::kText && !e.unitsOut
                            ? got.compare(0, expected.size(), expected) == 0 &&
                                  (got.size() == expected.size() || got[expected.size()] == 0)
                            : got == expected;
            if (!same && ++differences <= 3)
                MESSAGE(std::string(c->name) << " on input " << i << ": expected " << PlainHex(expected).substr(0, 80) << ", got "
                                << PlainHex(got).substr(0, 80));
            ++compared;
        }
        CHECK(differences == 0);
    }
    printf("console: %d results compared\n", compared);
}
