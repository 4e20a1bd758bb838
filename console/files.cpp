#include "console/files.h"

#include <shellapi.h>

#include <cstring>
#include <vector>

#include "runtime/replace_target.h"

namespace wht_console {

std::atomic<bool> stopRequested(false);

namespace {
const DWORD kWriteSlice = 16 << 20;
// Results are gathered to a megabyte before they go to the system: under Wine each write
// costs a round trip of its own, small beside a megabyte's copy; 16 MB were slower (the
// system copies from a buffer no longer in the processor's cache).
const size_t kGather = 1 << 20;

HANDLE H(intptr_t h) { return reinterpret_cast<HANDLE>(h); }

void WriteHandle(HANDLE h, const void* p, size_t n, const std::string& what) {
    const char* bytes = static_cast<const char*>(p);
    while (n > 0) {
        DWORD part = n > kWriteSlice ? kWriteSlice : static_cast<DWORD>(n), written = 0;
        if (!WriteFile(h, bytes, part, &written, nullptr) || written == 0)
            throw FileError("没能写入" + what + "：" + SystemReason(GetLastError()));
        bytes += written;
        n -= written;
    }
}

void WriteConsoleUnits(HANDLE h, const wchar_t* units, size_t count) {
    while (count > 0) {
        DWORD part = count > 8192 ? 8192 : static_cast<DWORD>(count), written = 0;
        if (!WriteConsoleW(h, units, part, &written, nullptr) || written == 0) return;
        units += written;
        count -= written;
    }
}

void WriteUtf8To(HANDLE h, const std::string& utf8) {
    if (IsConsoleHandle(h)) {
        std::wstring wide = Widen(utf8);
        WriteConsoleUnits(h, wide.data(), wide.size());
    } else {
        DWORD written;
        WriteFile(h, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    }
}

BOOL WINAPI OnControl(DWORD type) {
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) return FALSE;
    stopRequested = true;
    return TRUE;
}
}  // namespace

std::wstring Widen(const std::string& utf8) {
    if (utf8.empty()) return std::wstring();
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], n);
    return wide;
}

std::string Narrow(const std::wstring& wide) {
    if (wide.empty()) return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &utf8[0], n, nullptr, nullptr);
    return utf8;
}

std::string SystemReason(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return "找不到这个文件";
    case ERROR_ACCESS_DENIED: return "没有权限";
    case ERROR_SHARING_VIOLATION: return "文件正被别的程序占用";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return "磁盘已满";
    case ERROR_NO_DATA:
    case ERROR_BROKEN_PIPE: return "管道已关闭";
    default: break;
    }
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string reason = text ? Narrow(text) : "错误 " + std::to_string(error);
    LocalFree(text);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ')) reason.pop_back();
    return reason;
}

bool IsConsoleHandle(HANDLE h) {
    DWORD mode;
    return GetFileType(h) == FILE_TYPE_CHAR && GetConsoleMode(h, &mode);
}

std::vector<std::string> CommandArguments(int, char**) {
    // The wide command line: names in any script, whatever the console's code page.
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) args.push_back(Narrow(argv[i]));
    LocalFree(argv);
    return args;
}

void PrepareProcess() {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetConsoleCtrlHandler(OnControl, TRUE);
}

bool StandardErrorIsTerminal() { return IsConsoleHandle(GetStdHandle(STD_ERROR_HANDLE)); }
void WriteError(const std::string& utf8Line) { WriteUtf8To(GetStdHandle(STD_ERROR_HANDLE), utf8Line + "\n"); }
void WriteErrorRaw(const std::string& utf8) { WriteUtf8To(GetStdHandle(STD_ERROR_HANDLE), utf8); }
void WriteText(const std::string& utf8) { WriteUtf8To(GetStdHandle(STD_OUTPUT_HANDLE), utf8); }
void EndProcess(int status) { ExitProcess(static_cast<UINT>(status)); }

bool IsDirectory(const std::string& name) {
    DWORD a = GetFileAttributesW(Widen(name).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string BaseName(const std::string& path) {
    size_t slash = path.find_last_of("/\\:");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) return folder + name;
    return folder + "\\" + name;
}

FileIdentity IdentityOf(const std::string& name) {
    FileIdentity id;
    if (name == "-" || name.empty()) return id;
    HANDLE h = CreateFileW(Widen(name).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return id;
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(h, &info)) {
        id.known = true;
        id.device = info.dwVolumeSerialNumber;
        id.file = static_cast<uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
    }
    CloseHandle(h);
    return id;
}

Input::Input(const std::string& name) : name_(name) {
    if (name == "-") {
        handle_ = reinterpret_cast<intptr_t>(GetStdHandle(STD_INPUT_HANDLE));
        return;
    }
    if (IsDirectory(name)) throw FileError(name + " 是文件夹，不是文件");
    // Delete sharing: a result written onto this very file is renamed over it at the end.
    HANDLE h = CreateFileW(Widen(name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw FileError("没能打开 " + name + "：" + SystemReason(GetLastError()));
    handle_ = reinterpret_cast<intptr_t>(h);
    owned_ = true;
    LARGE_INTEGER size;
    if (GetFileType(h) == FILE_TYPE_DISK && GetFileSizeEx(h, &size)) size_ = size.QuadPart;
}

bool Input::Rewind() {
    LARGE_INTEGER zero;
    zero.QuadPart = 0;
    return size_ >= 0 && SetFilePointerEx(H(handle_), zero, nullptr, FILE_BEGIN);
}

Input::~Input() {
    if (owned_) CloseHandle(H(handle_));
}

size_t Input::Read(uint8_t* buffer, size_t n) {
    size_t total = 0;
    while (total < n) {
        DWORD part = n - total > kWriteSlice ? kWriteSlice : static_cast<DWORD>(n - total), got = 0;
        if (!ReadFile(H(handle_), buffer + total, part, &got, nullptr)) {
            DWORD e = GetLastError();
            if (e == ERROR_BROKEN_PIPE || e == ERROR_HANDLE_EOF) break;
            throw FileError("没能读取 " + name_ + "：" + SystemReason(e));
        }
        if (got == 0) break;
        total += got;
    }
    return total;
}

Output::Output(const std::string& target)
    : target_(target), gather_(kGather, [this](const uint8_t* bytes, size_t n) { WriteNow(bytes, n); }) {
    if (target.empty()) {
        HANDLE h = GetStdHandle(STD_OUTPUT_HANDLE);
        handle_ = reinterpret_cast<intptr_t>(h);
        console_ = IsConsoleHandle(h);
    }
}

void Output::CheckTarget() {
    if (target_.empty()) return;
    if (DWORD refused = wht::ReplaceRefusal(Widen(target_).c_str()))
        throw FileError("没能写入 " + target_ + "：" + SystemReason(refused));
}

void Output::Open() {
    CheckTarget();
    // A device (NUL, CON, a named pipe) is written as it is: there is no file to replace.
    HANDLE device = CreateFileW(Widen(target_).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (device != INVALID_HANDLE_VALUE) {
        if (GetFileType(device) != FILE_TYPE_DISK) {
            handle_ = reinterpret_cast<intptr_t>(device);
            return;
        }
        CloseHandle(device);
    }
    // Beside the target, so that the rename stays on one volume and never copies.
    temporary_ = target_ + ".wht-" + std::to_string(GetCurrentProcessId()) + ".tmp";
    HANDLE h = CreateFileW(Widen(temporary_).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        temporary_.clear();
        throw FileError("没能写入 " + target_ + "：" + SystemReason(GetLastError()));
    }
    handle_ = reinterpret_cast<intptr_t>(h);
}

Output::~Output() {
    gather_.Stop();
    if (target_.empty() || committed_) return;
    if (handle_ != -1) CloseHandle(H(handle_));
    if (!temporary_.empty()) DeleteFileW(Widen(temporary_).c_str());
}

void Output::WriteNow(const uint8_t* bytes, size_t n) {
    WriteHandle(H(handle_), bytes, n, target_.empty() ? "标准输出" : " " + target_);
}

void Output::WriteUnits(const uint8_t* units, size_t count) {
    std::vector<wchar_t> wide(count);
    for (size_t k = 0; k < count; ++k) wide[k] = static_cast<wchar_t>(units[2 * k] | units[2 * k + 1] << 8);
    WriteConsoleUnits(H(handle_), wide.data(), count);
}

void Output::Commit() {
    gather_.Flush();
    gather_.Stop();
    if (target_.empty()) return;
    if (handle_ == -1) Open();  // an empty result is an empty file
    // No flush to the disk here: under Wine it costs tens of milliseconds a file, and a
    // batch of small files is what this program is for.
    CloseHandle(H(handle_));
    handle_ = -1;
    if (temporary_.empty()) {  // a device, written as it is
        committed_ = true;
        return;
    }
    if (!MoveFileExW(Widen(temporary_).c_str(), Widen(target_).c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DWORD e = GetLastError();
        DeleteFileW(Widen(temporary_).c_str());
        throw FileError("没能写入 " + target_ + "：" + SystemReason(e));
    }
    committed_ = true;
}

}  // namespace wht_console
