// Shared by the test programs: child-process cases for fatal paths, leak checks, byte helpers.
#pragma once
#include <string>

#include "doctest/doctest.h"
#include "runtime/library.h"
#include "runtime/memory.h"
#include "runtime/variables.h"

// A case that ends the process (a fatal runtime error, an exit) runs in a child process:
// the child's report hook writes the box text to its standard output instead of showing a box.
typedef void (*ChildCaseBody)();
struct ChildCaseRegistrar {
    ChildCaseRegistrar(const char* name, ChildCaseBody body);
};
#define CHILD_CASE(name)                                              \
    static void child_case_##name();                                  \
    static ChildCaseRegistrar child_case_reg_##name(#name, child_case_##name); \
    static void child_case_##name()

struct ChildRun {
    int exitCode;        // -1 for a fatal runtime error
    std::string output;  // the report text(s) and anything else the child wrote
};
ChildRun RunChildCase(const char* name);

// Counts the heap blocks a piece of code leaves behind.
struct LeakCheck {
    long before = LiveBlockCount();
    long leaked() const { return LiveBlockCount() - before; }
};

// One row of a text routine's table, and a text's bytes for comparing.
struct TextRow {
    const char* input;
    const char* expected;
};
inline std::string S(const TextVar& t) { return t.c_str(); }

// A wide text as UTF-16 units: where wchar_t holds 32 bits (a native build), a character
// beyond U+FFFF becomes its two surrogates.
inline std::wstring Utf16(const std::wstring& text) {
    std::wstring w;
    for (wchar_t c : text) {
        uint32_t v = static_cast<uint32_t>(c);
        if (v > 0xFFFF) {
            w += static_cast<wchar_t>(0xD800 + ((v - 0x10000) >> 10));
            w += static_cast<wchar_t>(0xDC00 + ((v - 0x10000) & 0x3FF));
        } else {
            w += c;
        }
    }
    return w;
}

// UTF-16 units as the program passes them (a byte set, low byte first), and back.
inline ByteSetVar U(const std::wstring& text) {
    std::wstring w = Utf16(text);
    ByteSetVar b = ZeroByteSet(static_cast<int32_t>(2 * w.size()));
    for (size_t i = 0; i < w.size(); ++i) {
        b.set(static_cast<int32_t>(2 * i + 1), static_cast<uint8_t>(w[i] & 0xFF));
        b.set(static_cast<int32_t>(2 * i + 2), static_cast<uint8_t>(w[i] >> 8));
    }
    return b;
}
inline std::wstring W(const ByteSetVar& b) {
    std::wstring w(b.size() / 2, L'\0');
    for (size_t i = 0; i < w.size(); ++i) w[i] = static_cast<wchar_t>(b.data()[2 * i] | (b.data()[2 * i + 1] << 8));
    return w;
}

// Files and programs for the tests that run the console program, on either system: the test
// program's folder (with its separator), a command line run to its end (its exit status), a
// folder made, a file removed, and the console program's place beside the test programs.
std::string TestProgramFolder();
int RunCommandLine(const std::string& commandLine);
void MakeFolder(const std::string& path);
void RemoveFile(const std::string& path);
extern const char kPathSeparator[];
extern const char kWhtBesideTests[];

// Hexadecimal text of bytes, "41 42", for readable failure messages.
std::string Hex(const std::string& bytes);
