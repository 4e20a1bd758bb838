#define DOCTEST_CONFIG_IMPLEMENT
#include <windows.h>

#include <cstring>

#include "runtime/error_report.h"
#include "test_support.h"

ChildCaseBody FindChildCase(const char* name);

namespace {
int WriteReportToStdout(const char* boxText) {
    DWORD written;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), boxText, lstrlenA(boxText), &written, nullptr);
    return 1;  // handled: no box
}
}  // namespace

int main(int argc, char** argv) {
    // Nothing under test may ever wait on a dialog.
    SetErrorReportHook(WriteReportToStdout);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    for (int i = 1; i < argc; ++i) {
        if (strncmp(argv[i], "--child=", 8) == 0) {
            ChildCaseBody body = FindChildCase(argv[i] + 8);
            if (!body) return 3;
            body();
            return 0;
        }
    }
    doctest::Context context(argc, argv);
    return context.run();
}
