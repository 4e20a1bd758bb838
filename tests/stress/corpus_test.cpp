// The differential corpus: a few hundred generated inputs through every routine, written
// to corpus-<locale>.txt beside the test program, one "routine input output" line each (all
// three as hexadecimal bytes). Other tests compare the files of the two builds and locales
// and check them against independent implementations. Runs only when WHT_CORPUS is set.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "engine/base64.h"
#include "engine/codepage.h"
#include "generated_inputs.h"
#include "test_support.h"

namespace {
const uint64_t kCorpusSeed = 936950;
// The script engine's routines take every fifth input: under Wine each of its runs keeps
// address space that a 32-bit process has little of.
const int kScriptEngineStride = 5;

std::vector<std::string> Corpus() {
    Random r(kCorpusSeed);
    std::vector<std::string> inputs;
    const Family families[] = {Family::kPlain,        Family::kBase64, Family::kPercent, Family::kCharRefs,
                               Family::kScriptEscape, Family::kDigits, Family::kNumber,  Family::kDateTime};
    for (int i = 0; i < 160; ++i) inputs.push_back(GeneratedInput(r, families[i % 8], 1024));
    for (int i = 0; i < 40; ++i) inputs.push_back(ValidGbk(r, PickLength(r, 200), static_cast<int>(r.Below(101))));
    // Well-formed input for the decoders, so that the oracles have something to decode.
    for (int i = 0; i < 40; ++i) {
        ByteSetVar b = MakeBytes(RandomBytes(r, PickLength(r, 200), true));
        inputs.push_back(BytesOf(Base64Encode(b).c_str()));
    }
    for (int i = 0; i < 40; ++i) {
        std::string text = ValidGbk(r, 1 + r.Below(24), 30), refs;
        wchar_t wide[64];
        int n = MultiByteToWideChar(936, 0, text.data(), static_cast<int>(text.size()), wide, 64);
        for (int k = 0; k < n; ++k) refs += "&#" + std::to_string(static_cast<unsigned>(wide[k])) + ";";
        inputs.push_back(refs);
    }
    for (int i = 0; i < 40; ++i) {
        std::string text = ValidGbk(r, PickLength(r, 60), 30), encoded;
        wchar_t wide[256];
        char utf8[1024];
        int n = MultiByteToWideChar(936, 0, text.data(), static_cast<int>(text.size()), wide, 256);
        int m = WideCharToMultiByte(CP_UTF8, 0, wide, n, utf8, sizeof utf8, nullptr, nullptr);
        static const char digits[] = "0123456789ABCDEF";
        for (int k = 0; k < m; ++k) {
            uint8_t c = static_cast<uint8_t>(utf8[k]);
            encoded += '%';
            encoded += digits[c >> 4];
            encoded += digits[c & 15];
        }
        inputs.push_back(encoded);
    }
    return inputs;
}

bool UsesScriptEngine(const RoutineEntry& e) { return e.weight >= 50; }

std::string CorpusPath() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string p(path);
    p = p.substr(0, p.find_last_of('\\') + 1);
    return p + (GetACP() == 936 ? "corpus-zh.txt" : "corpus-en.txt");
}
}  // namespace

TEST_CASE("corpus") {
    if (!getenv("WHT_CORPUS")) return;
    const std::vector<std::string> inputs = Corpus();
    FILE* out = fopen(CorpusPath().c_str(), "wb");
    REQUIRE(out);
    int lines = 0;
    for (const RoutineEntry& e : Routines()) {
        for (size_t i = 0; i < inputs.size(); ++i) {
            if (UsesScriptEngine(e) && i % kScriptEngineStride != 0) continue;
            TextVar text = MakeText(inputs[i]);
            std::string output = e.run ? e.run(text) : e.runUnits(GbkToUnits(text));
            fprintf(out, "%s %s %s\n", PlainHex(e.name).c_str(), PlainHex(BytesOf(text.c_str())).c_str(),
                    PlainHex(output).c_str());
            ++lines;
        }
    }
    CHECK(fclose(out) == 0);
    printf("corpus: %d inputs, %d routines, %d results in %s\n", static_cast<int>(inputs.size()),
           static_cast<int>(Routines().size()), lines, CorpusPath().c_str());
}
