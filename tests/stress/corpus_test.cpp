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
    const std::vector<std::string> inputs = CorpusInputs();
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
