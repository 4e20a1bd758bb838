#include <windows.h>

#include <cstring>
#include <map>
#include <string>

#include "test_support.h"

namespace {
std::map<std::string, ChildCaseBody>& Registry() {
    static std::map<std::string, ChildCaseBody> cases;
    return cases;
}
}  // namespace

ChildCaseRegistrar::ChildCaseRegistrar(const char* name, ChildCaseBody body) { Registry()[name] = body; }

ChildCaseBody FindChildCase(const char* name) {
    auto it = Registry().find(name);
    return it == Registry().end() ? nullptr : it->second;
}

ChildRun RunChildCase(const char* name) {
    ChildRun run = {0x7fffffff, ""};
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command = std::string("\"") + self + "\" --child=" + name;

    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    HANDLE readEnd, writeEnd;
    // A child that cannot be started says why in the output the test compares.
    if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) return run.output = "CreatePipe failed: " + std::to_string(GetLastError()), run;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi;
    std::string mutableCommand = command;
    BOOL ok = CreateProcessA(nullptr, &mutableCommand[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    DWORD startError = ok ? 0 : GetLastError();
    CloseHandle(writeEnd);
    if (!ok) {
        CloseHandle(readEnd);
        run.output = "CreateProcess failed: " + std::to_string(startError);
        return run;
    }
    char buf[4096];
    DWORD got;
    while (ReadFile(readEnd, buf, sizeof(buf), &got, nullptr) && got > 0) run.output.append(buf, got);
    CloseHandle(readEnd);
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    run.exitCode = static_cast<int>(code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return run;
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

const char kPathSeparator[] = "\\";
const char kWhtBesideTests[] = "..\\wht.exe";

namespace {
std::wstring WidePath(const std::string& utf8) {
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring w(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1) MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &w[0], n);
    return w;
}
}  // namespace

std::string TestProgramFolder() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path, n);
    p = p.substr(0, p.find_last_of(L'\\') + 1);
    int m = WideCharToMultiByte(CP_UTF8, 0, p.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(m > 0 ? m - 1 : 0, '\0');
    if (m > 1) WideCharToMultiByte(CP_UTF8, 0, p.c_str(), -1, &utf8[0], m, nullptr, nullptr);
    return utf8;
}

int RunCommandLine(const std::string& commandLine) {
    std::wstring line = WidePath(commandLine);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 999;
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 999;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}

void MakeFolder(const std::string& path) { CreateDirectoryW(WidePath(path).c_str(), nullptr); }
void RemoveFile(const std::string& path) { DeleteFileW(WidePath(path).c_str()); }
