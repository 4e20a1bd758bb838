// The 文件 menu and dropped files: a file's text into the input box, the output box into a
// file, and the digests of a file of any size. Prompts about the input go to the output box;
// prompts about a save go to the status bar, so that the result to be saved stays in view.
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <deque>
#include <new>
#include <string>
#include <vector>

#include "engine/codepage.h"
#include "engine/digests.h"
#include "engine/progress.h"
#include "engine/text_file.h"
#include "runtime/library.h"
#include "shell/command_queue.h"
#include "shell/handlers.h"
#include "shell/main_window.h"
#include "runtime/replace_target.h"
#include "shell/unit_access.h"
#include "ui/wide_text.h"
#include "ui/window_registry.h"
#include "ui/window_unit.h"

namespace wht {
namespace {
// Read and written a slice at a time: memory stays bounded whatever the file's size, and
// the window turns between two slices.
const DWORD kFileSlice = 1024 * 1024;
// Digests are fed in pieces of a slice, so that the slowest of them (MD2) still leaves the
// window a turn every few tens of milliseconds.
const size_t kDigestPiece = 64 * 1024;
// A box holds UTF-16 units in one byte set, whose length counts in 32 bits.
const uint64_t kLargestOpen = 0x3FFFFFF0u;

// The folder of the last file chosen or dropped in this session; nothing is kept after it.
std::wstring g_lastFolder;
// Drops wait in order, like the commands that will open them.
struct Drop {
    std::vector<std::wstring> files;
    bool hash;
};
std::deque<Drop> g_drops;

HWND MainWindowHandle() {
    FormWindow* w = FindWindowById(kMainWindow);
    Unit* main = w && !w->records.empty() ? RecordObject(w->records[0]) : nullptr;
    return main ? main->hwnd : nullptr;
}

// The last part of the path; a folder's own name for a path that ends in a separator.
std::wstring FileName(std::wstring path) {
    while (path.size() > 1 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

void RememberFolder(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    if (slash != std::wstring::npos) g_lastFolder = path.substr(0, slash + 1);
}

std::wstring StartFolder() {
    if (!g_lastFolder.empty()) return g_lastFolder;
    // Never the system's list of recent folders: that is a memory of earlier sessions.
    wchar_t documents[MAX_PATH];
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, 0, documents))) return documents;
    return std::wstring();
}

std::string Gbk(const std::wstring& wide) {
    TextVar t(WideToGbk(wide.c_str(), static_cast<int>(wide.size())));
    return t.c_str();
}

ByteSetVar Units(const std::wstring& wide) {
    ByteSetVar units = ZeroByteSet(static_cast<int32_t>(2 * wide.size()));
    if (!wide.empty()) memcpy(units.data(), wide.data(), 2 * wide.size());
    return units;
}

// "12 字节", "12 KB", "1.5 MB", "6.0 GB".
std::string SizeText(uint64_t n) {
    char s[48];
    if (n < 1024) {
        wsprintfA(s, "%u 字节", static_cast<unsigned>(n));
    } else if (n < (1u << 20)) {
        wsprintfA(s, "%u KB", static_cast<unsigned>((n + 512) / 1024));
    } else {
        uint64_t unit = n < (1u << 30) ? (1u << 20) : (1u << 30);
        uint64_t tenths = (n * 10 + unit / 2) / unit;
        wsprintfA(s, "%u.%u %s", static_cast<unsigned>(tenths / 10), static_cast<unsigned>(tenths % 10),
                  unit == (1u << 20) ? "MB" : "GB");
    }
    return s;
}

// A prompt about a file in the output box: the name as the box shows it, any character.
void FilePrompt(const char* head, const std::wstring& path, const char* tail) {
    ByteSetVar h = GbkToUnits(head), name = Units(FileName(path)), t = GbkToUnits(tail);
    WriteOutputWide(JoinByteSets({&h, &name, &t}));
}

class FileHandle {
public:
    explicit FileHandle(HANDLE h) : h_(h) {}
    ~FileHandle() {
        if (ok()) CloseHandle(h_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool ok() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
};

// Opens a file to read, or says in the output box why it cannot be read. *size is its size.
HANDLE OpenToRead(const std::wstring& path, uint64_t* size) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        FilePrompt("提示：“", path, "”是文件夹，不是文件；请选一个文件。输入框的内容没有改动。");
        return INVALID_HANDLE_VALUE;
    }
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    LARGE_INTEGER n;
    if (h != INVALID_HANDLE_VALUE && GetFileSizeEx(h, &n)) {
        *size = static_cast<uint64_t>(n.QuadPart);
        return h;
    }
    char tail[160];
    wsprintfA(tail, "”读不了（系统错误 %u）。输入框的内容没有改动。", static_cast<unsigned>(GetLastError()));
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    FilePrompt("提示：文件“", path, tail);
    return INVALID_HANDLE_VALUE;
}

void TooLargePrompt(const std::wstring& path, uint64_t size) {
    std::string tail = "”有 " + SizeText(size) +
                       "，太大，放不进输入框。输入框的内容没有改动；文件哈希可以处理任意大小的文件。";
    FilePrompt("提示：文件“", path, tail.c_str());
}

// Reads up to count bytes; fewer only at the end of the file. False on a read error.
bool ReadSlice(HANDLE h, uint8_t* into, DWORD count, DWORD* got) {
    *got = 0;
    while (*got < count) {
        DWORD n = 0;
        if (!ReadFile(h, into + *got, count - *got, &n, nullptr)) return false;
        if (n == 0) break;
        *got += n;
    }
    return true;
}

// UTF-16 with the big-endian mark: swapped into the little-endian form the reader takes.
void SwapBigEndian(std::vector<uint8_t>& bytes) {
    if (bytes.size() < 2 || bytes[0] != 0xFE || bytes[1] != 0xFF) return;
    for (size_t k = 0; k + 1 < bytes.size(); k += 2) std::swap(bytes[k], bytes[k + 1]);
}

void OpenIntoInput(const std::wstring& path, size_t othersLeft) {
    RememberFolder(path);
    uint64_t size = 0;
    FileHandle file(OpenToRead(path, &size));
    if (!file.ok()) return;
    if (size > kLargestOpen) return TooLargePrompt(path, size);
    std::vector<uint8_t> bytes;
    try {
        bytes.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        return TooLargePrompt(path, size);
    }
    size_t done = 0;
    {
        ProgressStage reading(0.0, 0.5);
        while (done < bytes.size()) {
            DWORD want = static_cast<DWORD>(bytes.size() - done < kFileSlice ? bytes.size() - done : kFileSlice), got;
            if (!ReadSlice(file.get(), bytes.data() + done, want, &got)) {
                char tail[160];
                wsprintfA(tail, "”没能读完（系统错误 %u）。输入框的内容没有改动。", static_cast<unsigned>(GetLastError()));
                return FilePrompt("提示：文件“", path, tail);
            }
            done += got;
            if (got < want) break;  // the file became shorter while it was read
            ReportProgress(static_cast<int64_t>(done), static_cast<int64_t>(bytes.size()));
        }
    }
    bytes.resize(done);
    bool bigEndian = bytes.size() >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF;
    SwapBigEndian(bytes);
    ByteSetVar units;
    TextEncoding found = TextEncoding::kAuto;
    {
        ProgressStage decoding(0.5, 1.0);
        TextEncoding asked = bigEndian ? TextEncoding::kUtf16Le : TextEncoding::kAuto;
        if (!DecodeText(bytes.data(), bytes.size(), asked, &units, &found)) return TooLargePrompt(path, size);
    }
    std::vector<uint8_t>().swap(bytes);
    WriteInputWide(units);
    std::string status = "已打开 " + Gbk(FileName(path)) + "（" + (bigEndian ? "UTF-16 BE" : EncodingName(found)) +
                         "，" + SizeText(done) + "）";
    if (othersLeft > 0) {
        char rest[96];
        wsprintfA(rest, "；另外 %u 个文件没有打开（一次只开一个）", static_cast<unsigned>(othersLeft));
        status += rest;
    }
    ShowStatusPrompt(status.c_str());
}

// The one-click report's digest lines, in its order, with the file's name and size above.
void HashIntoOutput(const std::wstring& path) {
    RememberFolder(path);
    uint64_t size = 0;
    FileHandle file(OpenToRead(path, &size));
    if (!file.ok()) return;
    const DigestKind kinds[] = {DigestKind::kMd2, DigestKind::kMd4,    DigestKind::kMd5,   DigestKind::kSha1,
                                DigestKind::kCrc32, DigestKind::kSha256, DigestKind::kSha512};
    const char* const labels[] = {"取MD2值： ",   "取MD4值： ",    "取MD5值： ",   "取SHA1值： ",
                                  "取CRC32值： ", "取sha256值： ", "取sha512值： "};
    const int kCount = sizeof(kinds) / sizeof(kinds[0]);
    DigestStream md2(kinds[0]), md4(kinds[1]), md5(kinds[2]), sha1(kinds[3]), crc(kinds[4]), sha256(kinds[5]),
        sha512(kinds[6]);
    DigestStream* streams[kCount] = {&md2, &md4, &md5, &sha1, &crc, &sha256, &sha512};
    std::vector<uint8_t> slice(kFileSlice);
    uint64_t done = 0;
    for (;;) {
        DWORD got;
        if (!ReadSlice(file.get(), slice.data(), kFileSlice, &got)) {
            char tail[160];
            wsprintfA(tail, "”没能读完（系统错误 %u），没有算出摘要。", static_cast<unsigned>(GetLastError()));
            return FilePrompt("提示：文件“", path, tail);
        }
        for (size_t at = 0; at < got; at += kDigestPiece) {
            size_t n = got - at < kDigestPiece ? got - at : kDigestPiece;
            for (DigestStream* s : streams) s->Add(slice.data() + at, n);
            uint64_t read = done + at + n;
            ReportProgress(static_cast<int64_t>(read < size ? read : size), static_cast<int64_t>(size ? size : 1));
        }
        done += got;
        if (got < kFileSlice) break;
    }
    std::string head = "文件： ";
    std::string sizeLine = "\r\n大小： " + std::to_string(done) + " 字节（" + SizeText(done) + "）\r\n" +
                           "--------------------------------------------------\r\n";
    for (int k = 0; k < kCount; ++k) {
        TextVar value = streams[k]->Text();
        sizeLine += labels[k];
        sizeLine += value.c_str();
        sizeLine += "\r\n";
    }
    ByteSetVar h = GbkToUnits(head.c_str()), name = Units(FileName(path)), rest = GbkToUnits(sizeLine.c_str());
    WriteOutputWide(JoinByteSets({&h, &name, &rest}));
}

// The system's file dialog; false when the user cancelled it.
bool ChooseFile(bool save, const wchar_t* filter, DWORD* filterIndex, std::wstring* path) {
    std::vector<wchar_t> name(32768, L'\0');
    std::wstring folder = StartFolder();
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = MainWindowHandle();
    ofn.lpstrFilter = filter;
    ofn.nFilterIndex = filterIndex ? *filterIndex : 1;
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = static_cast<DWORD>(name.size());
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_DONTADDTORECENT |
                (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    ofn.lpstrDefExt = save ? L"txt" : nullptr;
    BOOL chosen;
    {
        // The dialog's own message loop is window work: nothing may unwind through it.
        NoCommandUnwinding modal;
        chosen = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    }
    if (!chosen) return false;
    *path = name.data();
    if (filterIndex) *filterIndex = ofn.nFilterIndex;
    RememberFolder(*path);
    return true;
}

const wchar_t kOpenFilter[] = L"文本文件 (*.txt)\0*.txt\0所有文件 (*.*)\0*.*\0";
const wchar_t kHashFilter[] = L"所有文件 (*.*)\0*.*\0";
// The save dialog's type list, in this order.
const wchar_t kSaveFilter[] = L"UTF-8 文本 (*.txt)\0*.txt\0UTF-8 BOM 文本 (*.txt)\0*.txt\0GBK 文本 (*.txt)\0*.txt\0";
const TextEncoding kSaveEncodings[] = {TextEncoding::kUtf8, TextEncoding::kUtf8Bom, TextEncoding::kGbk};
DWORD g_saveType = 1;

std::string SaveFailureReason(DWORD error) {
    switch (error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return "磁盘空间不够";
    case ERROR_ACCESS_DENIED: return "没有写入的权限，或文件是只读的，或正被别的程序使用";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return "文件正被别的程序使用";
    case ERROR_PATH_NOT_FOUND: return "文件夹不存在";
    default: {
        char s[48];
        wsprintfA(s, "系统错误 %u", static_cast<unsigned>(error));
        return s;
    }
    }
}

// The bytes into a new file beside the target, renamed over it only once they are all
// written: a failure on the way leaves the old file as it was. 0, or the system's error.
DWORD WriteWhole(const std::wstring& path, const uint8_t* bytes, size_t count) {
    size_t slash = path.find_last_of(L"\\/");
    std::wstring folder = slash == std::wstring::npos ? L"." : path.substr(0, slash + 1);
    if (DWORD refused = ReplaceRefusal(path.c_str())) return refused;
    wchar_t temporary[MAX_PATH + 16];
    if (!GetTempFileNameW(folder.c_str(), L"wht", 0, temporary)) return GetLastError();
    DWORD error = 0;
    {
        FileHandle file(CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, 0, nullptr));
        if (!file.ok()) error = GetLastError();
        for (size_t done = 0; !error && done < count;) {
            DWORD n = static_cast<DWORD>(count - done < kFileSlice ? count - done : kFileSlice), wrote = 0;
            if (!WriteFile(file.get(), bytes + done, n, &wrote, nullptr) || wrote != n)
                error = GetLastError() ? GetLastError() : ERROR_DISK_FULL;
            done += wrote;
            ReportProgress(static_cast<int64_t>(done), static_cast<int64_t>(count));
        }
        if (!error && !FlushFileBuffers(file.get())) error = GetLastError();
    }
    if (!error && !MoveFileExW(temporary, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = GetLastError();
    if (error) DeleteFileW(temporary);
    return error;
}

// The output box as bytes of the encoding; false, with the status bar saying why, when GBK
// cannot hold it. A result shown from GBK bytes (RC4, BASE64 of binary data) saves as
// exactly those bytes while the box still shows them.
bool OutputBytes(TextEncoding encoding, ByteSetVar* bytes) {
    ByteSetVar units = ReadOutputWide();
    if (encoding != TextEncoding::kGbk) {
        *bytes = EncodeText(units, encoding);
        return true;
    }
    TextVar shown = LastOutputGbk();
    if (!shown.empty()) {
        std::wstring asShown = GbkToWide(shown);
        if (asShown.size() * 2 == static_cast<size_t>(units.size()) &&
            memcmp(asShown.data(), units.data(), units.size()) == 0) {
            *bytes = ToByteSet(shown);
            return true;
        }
    }
    int32_t place;
    uint32_t code;
    if (FindNonGbkChar(units, &place, &code)) {
        char prompt[200];
        wsprintfA(prompt, "提示：第%d个字符（U+%04X）不是GBK字符，不能存成GBK；请选UTF-8。没有保存。",
                  static_cast<int>(place), static_cast<unsigned>(code));
        ShowStatusPrompt(prompt);
        return false;
    }
    *bytes = EncodeText(units, encoding);
    return true;
}

void SaveOutput() {
    std::wstring path;
    if (!ChooseFile(true, kSaveFilter, &g_saveType, &path)) return;
    DWORD type = g_saveType >= 1 && g_saveType <= 3 ? g_saveType : 1;
    TextEncoding encoding = kSaveEncodings[type - 1];
    ByteSetVar bytes;
    if (!OutputBytes(encoding, &bytes)) return;
    DWORD error = WriteWhole(path, bytes.data(), static_cast<size_t>(bytes.size()));
    std::string name = Gbk(FileName(path));
    std::string status = error ? "提示：没能保存 " + name + "：" + SaveFailureReason(error) + "。原来的文件没有改动。"
                               : "已保存 " + name + "（" + EncodingName(encoding) + "，" +
                                     SizeText(static_cast<uint64_t>(bytes.size())) + "）";
    ShowStatusPrompt(status.c_str());
}

void OpenDropped() {
    if (g_drops.empty()) return;
    Drop drop = g_drops.front();
    g_drops.pop_front();
    if (drop.hash)
        HashIntoOutput(drop.files[0]);
    else
        OpenIntoInput(drop.files[0], drop.files.size() - 1);
    if (drop.hash && drop.files.size() > 1) {
        char rest[96];
        wsprintfA(rest, "另外 %u 个文件没有算（一次只算一个）", static_cast<unsigned>(drop.files.size() - 1));
        ShowStatusPrompt(rest);
    }
}
}  // namespace

void AcceptDroppedFiles() {
    if (HWND main = MainWindowHandle()) DragAcceptFiles(main, TRUE);
}

// Ctrl held while the files are let go: their digests instead of their text. Held as this
// thread's input says, or as the keyboard says when the drag came from another program's
// window, whose keys this thread never read (Wine may answer that from a cache a few tens
// of milliseconds old).
void 主窗口_文件被拖入() {
    const std::vector<std::wstring>& files = DroppedFiles();
    if (files.empty()) return;
    bool control = GetKeyState(VK_CONTROL) < 0 || GetAsyncKeyState(VK_CONTROL) < 0;
    g_drops.push_back({files, control});
    RunCommand(OpenDropped);
}

void 菜单_打开_被选择() {
    RunCommand([] {
        std::wstring path;
        if (ChooseFile(false, kOpenFilter, nullptr, &path)) OpenIntoInput(path, 0);
    });
}

void 菜单_保存结果_被选择() { RunCommand(SaveOutput, PromptPlace::kStatusBar); }

void 菜单_文件哈希_被选择() {
    RunCommand([] {
        std::wstring path;
        if (ChooseFile(false, kHashFilter, nullptr, &path)) HashIntoOutput(path);
    });
}
}  // namespace wht
