// The console's system layer (console/platform.h) on a POSIX host: files and the standard
// streams by descriptor, a result written beside its target and renamed over it at the end,
// SIGINT and SIGTERM asking the loops to stop, and a closed pipe on standard output ending
// the program as it ends cat: by SIGPIPE, quietly.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

#include "console/platform.h"

namespace wht_console {

std::atomic<bool> stopRequested(false);

namespace {
// Buffers of a megabyte: large enough that a system call costs nothing beside its copy,
// small enough that the writing thread starts early, the last write (which nothing
// overlaps) is short, and the system copies from a buffer still in the processor's cache
// (4 MB were measurably slower).
const size_t kGather = 1 << 20;

std::string SystemReason(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR: return "找不到这个文件";
    case EACCES:
    case EPERM:
    case EROFS: return "没有权限";
    case ENOSPC:
    case EDQUOT: return "磁盘已满";
    case EPIPE: return "管道已关闭";
    case EISDIR: return "是文件夹，不是文件";
    default: return strerror(error);
    }
}

void OnStop(int) { stopRequested = true; }

// A reader of standard output has gone: end as a program killed by SIGPIPE does.
[[noreturn]] void EndByClosedPipe() {
    signal(SIGPIPE, SIG_DFL);
    raise(SIGPIPE);
    _exit(128 + SIGPIPE);
}

// All n bytes, or a FileError naming what was written.
void WriteAll(int fd, const uint8_t* bytes, size_t n, const std::string& what, bool standardOutput) {
    while (n > 0) {
        ssize_t written = write(fd, bytes, n);
        if (written < 0 && errno == EINTR) continue;
        if (written < 0 && errno == EPIPE && standardOutput) EndByClosedPipe();
        if (written <= 0) throw FileError("没能写入" + what + "：" + SystemReason(written < 0 ? errno : ENOSPC));
        bytes += written;
        n -= static_cast<size_t>(written);
    }
}

// Messages go out as they can: a closed standard error is no reason to fail a conversion.
void WriteQuietly(int fd, const std::string& text) {
    const char* p = text.data();
    size_t n = text.size();
    while (n > 0) {
        ssize_t written = write(fd, p, n);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return;
        p += written;
        n -= static_cast<size_t>(written);
    }
}
}  // namespace

std::vector<std::string> CommandArguments(int argc, char** argv) { return std::vector<std::string>(argv, argv + argc); }

void PrepareProcess() {
    struct sigaction stop = {};
    stop.sa_handler = OnStop;
    sigemptyset(&stop.sa_mask);
    // No SA_RESTART: a read waiting on a pipe returns, and the loop sees the request.
    sigaction(SIGINT, &stop, nullptr);
    sigaction(SIGTERM, &stop, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

bool StandardErrorIsTerminal() { return isatty(2) == 1; }
void WriteError(const std::string& utf8Line) { WriteQuietly(2, utf8Line + "\n"); }
void WriteErrorRaw(const std::string& utf8) { WriteQuietly(2, utf8); }
void WriteText(const std::string& utf8) {
    try {
        WriteAll(1, reinterpret_cast<const uint8_t*>(utf8.data()), utf8.size(), "标准输出", true);
    } catch (const FileError&) {
    }
}
void EndProcess(int status) { _exit(status); }

bool IsDirectory(const std::string& name) {
    struct stat s;
    return stat(name.c_str(), &s) == 0 && S_ISDIR(s.st_mode);
}

std::string BaseName(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

FileIdentity IdentityOf(const std::string& name) {
    FileIdentity id;
    struct stat s;
    if (name == "-" || name.empty() || stat(name.c_str(), &s) != 0) return id;
    id.known = true;
    id.device = static_cast<uint64_t>(s.st_dev);
    id.file = static_cast<uint64_t>(s.st_ino);
    return id;
}

Input::Input(const std::string& name) : name_(name) {
    int fd = 0;
    if (name != "-") {
        do fd = open(name.c_str(), O_RDONLY | O_CLOEXEC);
        while (fd < 0 && errno == EINTR);
        if (fd < 0) throw FileError("没能打开 " + name + "：" + SystemReason(errno));
        owned_ = true;
    }
    handle_ = fd;
    struct stat s;
    if (fstat(fd, &s) == 0) {
        if (S_ISDIR(s.st_mode)) {
            if (owned_) close(fd);
            owned_ = false;
            throw FileError(name + " 是文件夹，不是文件");
        }
        if (S_ISREG(s.st_mode)) {
            size_ = s.st_size;
            posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
        }
    }
}

Input::~Input() {
    if (owned_) close(static_cast<int>(handle_));
}

bool Input::Rewind() { return size_ >= 0 && lseek(static_cast<int>(handle_), 0, SEEK_SET) == 0; }

size_t Input::Read(uint8_t* buffer, size_t n) {
    size_t total = 0;
    while (total < n) {
        ssize_t got = read(static_cast<int>(handle_), buffer + total, n - total);
        if (got < 0 && errno == EINTR) {
            if (stopRequested) break;
            continue;
        }
        if (got < 0) throw FileError("没能读取 " + name_ + "：" + SystemReason(errno));
        if (got == 0) break;
        total += static_cast<size_t>(got);
    }
    return total;
}

Output::Output(const std::string& target)
    : target_(target), gather_(kGather, [this](const uint8_t* bytes, size_t n) { WriteNow(bytes, n); }) {
    if (target.empty()) handle_ = 1;
}

void Output::WriteNow(const uint8_t* bytes, size_t n) {
    WriteAll(static_cast<int>(handle_), bytes, n, target_.empty() ? "标准输出" : " " + target_, target_.empty());
}

// A read-only file or a folder is refused, as on Windows; so is a folder that does not
// exist or cannot take the temporary file.
void Output::CheckTarget() {
    if (target_.empty()) return;
    struct stat s;
    if (stat(target_.c_str(), &s) == 0) {
        if (S_ISDIR(s.st_mode)) throw FileError("没能写入 " + target_ + "：" + SystemReason(EISDIR));
        // A file without its write permission is read-only for everyone here, root too, who
        // may write anything: the mark is there to keep it.
        if (!(s.st_mode & S_IWUSR)) throw FileError("没能写入 " + target_ + "：" + SystemReason(EACCES));
        if (access(target_.c_str(), W_OK) != 0) throw FileError("没能写入 " + target_ + "：" + SystemReason(errno));
    }
    size_t slash = target_.find_last_of('/');
    std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target_.substr(0, slash);
    if (access(folder.c_str(), W_OK | X_OK) != 0) throw FileError("没能写入 " + target_ + "：" + SystemReason(errno));
}

void Output::Open() {
    CheckTarget();
    // A device or a pipe (/dev/null, /dev/stdout, a named pipe) is written as it is: a file
    // renamed over it would take its place.
    struct stat target;
    if (stat(target_.c_str(), &target) == 0 && !S_ISREG(target.st_mode)) {
        int fd = open(target_.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0) throw FileError("没能写入 " + target_ + "：" + SystemReason(errno));
        handle_ = fd;
        return;
    }
    // Beside the target, so that the rename stays on one file system and never copies.
    temporary_ = target_ + ".wht-" + std::to_string(getpid()) + ".tmp";
    int fd = open(temporary_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        int e = errno;
        temporary_.clear();
        throw FileError("没能写入 " + target_ + "：" + SystemReason(e));
    }
    // A file replaced keeps its permissions.
    struct stat s;
    if (stat(target_.c_str(), &s) == 0) fchmod(fd, s.st_mode & 07777);
    handle_ = fd;
}

Output::~Output() {
    gather_.Stop();
    if (target_.empty() || committed_) return;
    if (handle_ != -1) close(static_cast<int>(handle_));
    if (!temporary_.empty()) unlink(temporary_.c_str());
}

// A terminal here takes UTF-8 like any other output; units only come for a Windows console.
void Output::WriteUnits(const uint8_t* units, size_t count) {}

void Output::Commit() {
    gather_.Flush();
    gather_.Stop();
    if (target_.empty()) return;
    if (handle_ == -1) Open();  // an empty result is an empty file
    int fd = static_cast<int>(handle_);
    handle_ = -1;
    if (close(fd) != 0 || (!temporary_.empty() && rename(temporary_.c_str(), target_.c_str()) != 0)) {
        int e = errno;
        if (!temporary_.empty()) unlink(temporary_.c_str());
        throw FileError("没能写入 " + target_ + "：" + SystemReason(e));
    }
    committed_ = true;
}

}  // namespace wht_console
