// The native test programs' entry and child-process cases: as tests/support has them for
// Windows, with fork and exec in place of CreateProcess.
#define DOCTEST_CONFIG_IMPLEMENT
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <string>

#include "runtime/error_report.h"
#include "test_support.h"

namespace {
std::map<std::string, ChildCaseBody>& Registry() {
    static std::map<std::string, ChildCaseBody> cases;
    return cases;
}

int WriteReportToStdout(const char* boxText) {
    fwrite(boxText, 1, strlen(boxText), stdout);
    fflush(stdout);
    return 1;  // handled: no box
}
}  // namespace

ChildCaseRegistrar::ChildCaseRegistrar(const char* name, ChildCaseBody body) { Registry()[name] = body; }

ChildRun RunChildCase(const char* name) {
    ChildRun run = {0x7fffffff, ""};
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return run.output = "pipe failed", run;
    fflush(nullptr);
    pid_t child = fork();
    if (child == 0) {
        dup2(pipeEnds[1], 1);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        std::string argument = std::string("--child=") + name;
        execl("/proc/self/exe", "test", argument.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeEnds[1]);
    char buffer[4096];
    ssize_t got;
    while ((got = read(pipeEnds[0], buffer, sizeof buffer)) > 0) run.output.append(buffer, static_cast<size_t>(got));
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    // An exit status is 8 bits here: -1 comes back as 255, and reads as -1 again.
    if (WIFEXITED(status)) run.exitCode = static_cast<int8_t>(WEXITSTATUS(status));
    return run;
}

int main(int argc, char** argv) {
    SetErrorReportHook(WriteReportToStdout);
    for (int i = 1; i < argc; ++i) {
        if (strncmp(argv[i], "--child=", 8) == 0) {
            auto it = Registry().find(argv[i] + 8);
            if (it == Registry().end()) return 3;
            it->second();
            return 0;
        }
    }
    doctest::Context context(argc, argv);
    return context.run();
}

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty()) out += ' ';
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

const char kPathSeparator[] = "/";
const char kWhtBesideTests[] = "../wht";

std::string TestProgramFolder() {
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    std::string p(path, n > 0 ? static_cast<size_t>(n) : 0);
    return p.substr(0, p.find_last_of('/') + 1);
}

int RunCommandLine(const std::string& commandLine) {
    int status = system(commandLine.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : 999;
}

void MakeFolder(const std::string& path) { mkdir(path.c_str(), 0777); }
void RemoveFile(const std::string& path) { unlink(path.c_str()); }
