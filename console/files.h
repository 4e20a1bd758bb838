// Where the console program reads and writes: files by their wide names, standard input and
// output, and the console window itself. A result file is written under a temporary name
// beside its target and takes the target's name only when it is complete.
#pragma once
#include <windows.h>

#include <cstdint>
#include <stdexcept>
#include <string>

namespace wht_console {

// A failure to read or write, with its message (UTF-8) ready for standard error.
struct FileError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);
// The message the system gives for an error code, or a plain one for the common cases.
std::string SystemReason(DWORD error);

class Input {
public:
    // "-" is standard input. Throws FileError for a missing file, a folder, no permission.
    explicit Input(const std::string& name);
    ~Input();
    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;
    // Up to n bytes; 0 at the end.
    size_t Read(uint8_t* buffer, size_t n);
    // The whole size when known (a file), else -1.
    int64_t size() const { return size_; }
    const std::string& name() const { return name_; }

private:
    std::string name_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    bool owned_ = false;
    int64_t size_ = -1;
};

class Output {
public:
    // "" is standard output.
    explicit Output(const std::string& target);
    ~Output();  // an output never committed leaves nothing behind
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    // Standard output that is a console window: text goes through WriteUnits.
    bool IsConsole() const { return console_; }
    void Write(const uint8_t* bytes, size_t n);
    void WriteUnits(const uint8_t* units, size_t count);
    // The temporary file becomes the target.
    void Commit();

private:
    void Open();
    std::string target_;
    std::wstring temporary_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    bool console_ = false;
    bool committed_ = false;
};

// True when the handle is a console window (not a file or a pipe).
bool IsConsoleHandle(HANDLE h);
// A UTF-8 message line on standard error, shown right on a console window of any code page.
void WriteError(const std::string& utf8Line);
// Text on standard output: UTF-8 to a file or pipe, wide characters onto a console window.
void WriteText(const std::string& utf8);
bool IsDirectory(const std::string& name);
// The last part of a path.
std::string BaseName(const std::string& path);

}  // namespace wht_console
