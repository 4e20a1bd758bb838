// What the console program needs from the system it runs on: files by name, the standard
// streams, the terminal, its arguments and Ctrl+C. console/files.cpp has it for Windows;
// a POSIX host has its own implementation beside the rest of the native system layer.
// Everything above this header is the same on every host.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "console/write_behind.h"

namespace wht_console {

// A failure to read or write, with its message (UTF-8) ready for standard error.
struct FileError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Where bytes come from: a file, a pipe, or memory in tests.
class ByteSource {
public:
    virtual ~ByteSource() {}
    // Up to n bytes, fewer only at the end; 0 at the end.
    virtual size_t Read(uint8_t* buffer, size_t n) = 0;
    // The whole size when known (a regular file), else -1.
    virtual int64_t size() const { return -1; }
    // Back to the first byte, for a second reading; false where that cannot be (a pipe).
    virtual bool Rewind() { return false; }
};

// Where a result goes: a file, standard output, or memory in tests.
class ByteSink {
public:
    virtual ~ByteSink() {}
    virtual void Write(const uint8_t* bytes, size_t n) = 0;
    // Room for n bytes that a conversion writes its result into, then Used says how many
    // it wrote: a sink with a buffer of its own saves a copy of every piece.
    virtual uint8_t* Room(size_t n) {
        if (scratch_.size() < n) scratch_.resize(n);
        return scratch_.data();
    }
    virtual void Used(size_t n) { Write(scratch_.data(), n); }
    // A Windows console window takes text as UTF-16 units (WriteUnits); everything else
    // takes bytes.
    virtual bool IsConsole() const { return false; }
    virtual void WriteUnits(const uint8_t* units, size_t count) {}

private:
    std::vector<uint8_t> scratch_;
};

// Which file a name stands for, so that an output naming an input is seen for what it is
// whatever path spells it. known is false for standard input and names that do not exist.
struct FileIdentity {
    bool known = false;
    uint64_t device = 0, file = 0;
    bool operator==(const FileIdentity& o) const { return known && o.known && device == o.device && file == o.file; }
};
FileIdentity IdentityOf(const std::string& name);

class Input : public ByteSource {
public:
    // "-" is standard input. Throws FileError for a missing file, a folder, no permission.
    explicit Input(const std::string& name);
    ~Input() override;
    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;
    size_t Read(uint8_t* buffer, size_t n) override;
    int64_t size() const override { return size_; }
    bool Rewind() override;
    const std::string& name() const { return name_; }

private:
    std::string name_;
    intptr_t handle_ = -1;  // a HANDLE on Windows, a file descriptor elsewhere
    bool owned_ = false;
    int64_t size_ = -1;
};

class Output : public ByteSink {
public:
    // "" is standard output. A file is written under a temporary name beside its target and
    // takes the target's name only at Commit, so a failure leaves the old file as it was.
    explicit Output(const std::string& target);
    ~Output() override;  // an output never committed leaves nothing behind
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    bool IsConsole() const override { return console_; }
    // The file is made before the first byte goes to the writing thread.
    void Write(const uint8_t* bytes, size_t n) override {
        if (n == 0) return;
        OpenOnce();
        gather_.Put(bytes, n);
    }
    uint8_t* Room(size_t n) override {
        OpenOnce();
        return gather_.Room(n);
    }
    void Used(size_t n) override { gather_.Used(n); }
    void WriteUnits(const uint8_t* units, size_t count) override;
    // Throws FileError now when the target cannot be replaced (a read-only file, a folder,
    // a folder that does not exist), before any input is read.
    void CheckTarget();
    // The temporary file becomes the target; for standard output, the bytes are flushed.
    void Commit();

private:
    void Open();
    void OpenOnce() {
        if (!target_.empty() && handle_ == -1) Open();
    }
    void WriteNow(const uint8_t* bytes, size_t n);
    std::string target_, temporary_;
    intptr_t handle_ = -1;
    bool console_ = false;
    bool committed_ = false;
    // Small writes are gathered here: one system call for many pieces of a result, made
    // while the next pieces are converted.
    WriteBehind gather_;
};

// Set by Ctrl+C; every loop checks it and gives up, leaving no partial output.
extern std::atomic<bool> stopRequested;

// The arguments as UTF-8, the program's name first.
std::vector<std::string> CommandArguments(int argc, char** argv);
// Before anything else: Ctrl+C sets stopRequested; no system dialogs on a failure.
void PrepareProcess();
// True when standard error is a terminal (progress lines are shown there).
bool StandardErrorIsTerminal();
// A UTF-8 message line on standard error, a line break added.
void WriteError(const std::string& utf8Line);
// Text on standard output as it is (UTF-8), shown right on a console window of any code page.
void WriteText(const std::string& utf8);
// Text on standard error with no line break added (progress lines).
void WriteErrorRaw(const std::string& utf8);
bool IsDirectory(const std::string& name);
// The last part of a path, and a name inside a folder.
std::string BaseName(const std::string& path);
std::string JoinPath(const std::string& folder, const std::string& name);
// Ends the process at once with the status (a fatal report of the runtime).
[[noreturn]] void EndProcess(int status);

}  // namespace wht_console
