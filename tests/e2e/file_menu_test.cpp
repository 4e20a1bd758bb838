// The 文件 menu through the real program: dropped files, saved results, the digests of a
// generated file against Python's hashlib and zlib (MD2 and MD4, which hashlib lacks, share
// the slice-fed path checked against the whole-data routines in the engine's tests).
#include <windows.h>
#include <dlgs.h>
#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

#include "program_driver.h"
#include "test_support.h"

namespace {
std::wstring TestFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring dir = temp + (L"wht-files-" + std::to_wstring(GetCurrentProcessId()) + L"\\");
    return CreateDirectoryW(dir.c_str(), nullptr), dir;
}
void WriteBytes(const std::wstring& path, const std::string& bytes) {
    FILE* f = _wfopen(path.c_str(), L"wb");
    fclose((fwrite(bytes.data(), 1, bytes.size(), f), f));
}
std::string ReadBytes(const std::wstring& path) {
    std::string bytes(64 << 20, '\0');
    FILE* f = _wfopen(path.c_str(), L"rb");
    bytes.resize(f ? fread(&bytes[0], 1, bytes.size(), f) : 0);
    return f && fclose(f), bytes;
}
std::string Encode(const std::wstring& text, UINT codePage) {
    std::string s(4 * text.size(), '\0');
    s.resize(WideCharToMultiByte(codePage, 0, text.data(), int(text.size()), &s[0], int(s.size()), nullptr, nullptr));
    return s;
}
bool StatusStarts(ProgramDriver& p, const std::wstring& head) {
    return WaitFor([&] { return p.StatusText().compare(0, head.size(), head) == 0; }, 20000);
}

// As the shell hands a drop over: a DROPFILES block in the program's memory (GlobalLock
// takes a fixed block's own address), posted with WM_DROPFILES.
void DropFiles(ProgramDriver& p, const std::wstring& names) {
    DROPFILES head = {sizeof(DROPFILES), {0, 0}, FALSE, TRUE};
    std::string block = std::string(reinterpret_cast<const char*>(&head), sizeof(head)) +
                        std::string(reinterpret_cast<const char*>(names.c_str()), 2 * names.size() + 2);
    char* at = static_cast<char*>(VirtualAllocEx(p.process(), nullptr, block.size() + 64, MEM_COMMIT, PAGE_READWRITE));
    REQUIRE(WriteProcessMemory(p.process(), at + 64, block.data(), block.size(), nullptr));
    PostMessageW(p.main(), WM_DROPFILES, reinterpret_cast<WPARAM>(at + 64), 0);
}

// The program's file dialog answered as a user does: the name typed into its focused name
// box, a type picked from its list, OK; a question about replacing the file answered yes.
HWND d;
BOOL CALLBACK AnswerYes(HWND w, LPARAM pid) {
    DWORD owner = 0;
    wchar_t kind[16] = L"";
    GetWindowThreadProcessId(w, &owner);
    GetClassNameW(w, kind, 16);
    if (owner == DWORD(pid) && w != d && IsWindowVisible(w) && !lstrcmpW(kind, L"#32770")) PostMessageW(w, WM_COMMAND, IDYES, 0);
    return TRUE;
}
void AnswerDialog(ProgramDriver& p, const std::wstring& path, int type = 0) {
    HWND name = nullptr;
    REQUIRE(WaitFor([&] { return (d = FindProcessWindow(p.processId(), L"#32770", true)) != nullptr; }, 10000));
    REQUIRE(WaitFor([&] { return (name = p.Focus()) && IsChild(d, name); }));
    for (wchar_t c : path) PostMessageW(name, WM_CHAR, c, 1);
    REQUIRE(WaitFor([&] { return SendMessageW(name, WM_GETTEXTLENGTH, 0, 0) == LRESULT(path.size()); }));
    HWND types = GetDlgItem(d, cmb1);
    if (type) SendMessageW(types, CB_SETCURSEL, type - 1, 0);
    for (WORD note : {CBN_SELCHANGE, CBN_SELENDOK}) SendMessageW(d, WM_COMMAND, MAKEWPARAM(cmb1, note), LPARAM(types));
    PostMessageW(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(d, IDOK)));
    REQUIRE(WaitFor([&] { return !EnumWindows(AnswerYes, p.processId()) || !IsWindow(d); }, 10000));
}

void Save(ProgramDriver& p, const std::wstring& shown, const std::wstring& path, int type) {
    if (!shown.empty()) p.SetInputWide(shown), p.Click(ids::超级按钮_交换上下);
    p.PostKey('S', MOD_CONTROL);
    AnswerDialog(p, path, type);
    REQUIRE(WaitFor([&] { return p.StatusText().find_first_of(L"已提") == 0; }, 20000));
}

const std::wstring kFileText = L"文件菜单 abc ü é 123 汇通";
}  // namespace

TEST_CASE("e2e.files: files of every encoding arrive as the same text; what cannot be opened changes nothing") {
    std::wstring swapped;
    for (wchar_t c : kFileText) swapped += wchar_t((c >> 8) | (c << 8));
    const std::string utf16(reinterpret_cast<const char*>(kFileText.data()), 2 * kFileText.size());
    const struct {
        const wchar_t* name;
        std::string bytes;
        const wchar_t* status;  // after the name; empty: a prompt in the output box
    } rows[] = {
        {L"u8.txt", Encode(kFileText, CP_UTF8), L"（UTF-8，"},
        {L"bom.txt", "\xEF\xBB\xBF" + Encode(kFileText, CP_UTF8), L"（UTF-8 BOM，"},
        {L"gbk.txt", Encode(kFileText, 936), L"（GBK，"},
        {L"le.txt", "\xFF\xFE" + utf16, L"（UTF-16，"},
        {L"be.txt", "\xFE\xFF" + std::string(reinterpret_cast<const char*>(swapped.data()), 2 * swapped.size()), L"（UTF-16 BE，"},
        {L"missing.txt", "", L""},
        {L"", "", L""},  // the folder itself
    };
    for (const auto& row : rows) {
        CAPTURE(Gbk(row.name));
        ProgramDriver& p = Fresh();
        p.SetInputWide(L"原来的");
        if (!row.bytes.empty()) WriteBytes(TestFolder() + row.name, row.bytes);
        DropFiles(p, TestFolder() + row.name + L'\0' + TestFolder() + L"u8.txt" + L'\0' + TestFolder() + L"gbk.txt");
        if (*row.status) {
            REQUIRE(StatusStarts(p, L"已打开 " + std::wstring(row.name) + row.status));
            CHECK(p.StatusText().find(L"另外 2 个文件没有打开") != std::wstring::npos);
        } else {
            REQUIRE(WaitFor([&] { return p.OutputWide().compare(0, 3, L"提示：") == 0; }));
        }
        CHECK(p.InputWide() == (*row.status ? kFileText : L"原来的"));
    }
    ProgramDriver& p = Fresh();  // Ctrl+O and the dialog give what a drop gives
    p.PostKey('O', MOD_CONTROL);
    AnswerDialog(p, TestFolder() + L"gbk.txt");
    REQUIRE(StatusStarts(p, L"已打开 gbk.txt（GBK，"));
    CHECK(p.InputWide() == kFileText);
}

TEST_CASE("e2e.files: a saved result reads back byte for byte; a failed save leaves the old file") {
    const std::wstring kLong(5000, L'长');  // past the bounded view: the whole content is saved
    const struct {
        std::wstring shown;
        const char* base64;  // instead: BASE64解密 shows these bytes as GBK
        int type;            // 1 UTF-8, 2 UTF-8 BOM, 3 GBK
        bool readOnly;
        std::string bytes;
        const wchar_t* status;
    } rows[] = {
        {kFileText + L"😀", "", 1, false, Encode(kFileText + L"😀", CP_UTF8), L"已保存 out.txt（UTF-8，"},
        {kFileText, "", 2, false, "\xEF\xBB\xBF" + Encode(kFileText, CP_UTF8), L"已保存 out.txt（UTF-8 BOM，"},
        {kFileText + kLong, "", 3, false, Encode(kFileText + kLong, 936), L"已保存 out.txt（GBK，10 KB）"},
        {L"", "gSD/gEE=", 3, false, "\x81\x20\xFF\x80\x41", L"已保存 out.txt（GBK，5 字节）"},  // no GBK text gives these back
        {L"😀", "", 3, false, "old", L"提示：第1个字符（U+1F600）不是GBK字符"},
        {kFileText, "", 1, true, "old", L"提示：没能保存 out.txt："},
    };
    const std::wstring path = TestFolder() + L"out.txt";
    for (const auto& row : rows) {
        CAPTURE(row.type);
        ProgramDriver& p = Fresh();
        WriteBytes(path, "old");
        if (row.readOnly) SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
        if (*row.base64) p.SetInput(row.base64), p.Menu("BASE64解密");
        Save(p, row.shown, path, row.type);
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        CHECK(StatusStarts(p, row.status));
        std::string saved = ReadBytes(path);
        CHECK((saved == row.bytes ? "" : Hex(saved.substr(0, 40))) == "");
    }
}

TEST_CASE("e2e.files: the digests of a file equal Python's hashlib and zlib") {
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring dir(exe);
    dir.resize(dir.find_last_of(L'\\') + 1);
    std::string expected = ReadBytes(dir + L"hash_expected.txt");
    ProgramDriver& p = Fresh();
    PostMessageW(p.main(), WM_COMMAND, MenuCommand("文件哈希(&H)…"), 0);
    AnswerDialog(p, dir + L"hash_input.bin");
    REQUIRE(WaitFor([&] { return p.OutputWide().find(L"取sha512值") != std::wstring::npos; }, 60000));
    std::string out = Gbk(p.OutputWide());
    CHECK(out.find(Gbk(L"文件： hash_input.bin\r\n大小： 3158073 字节（3.0 MB）\r\n")) == 0);
    std::wstring lines(expected.size(), L'\0');
    lines.resize(MultiByteToWideChar(CP_UTF8, 0, expected.data(), int(expected.size()), &lines[0], int(lines.size())));
    for (size_t at = 0, end; (end = lines.find(L"\r\n", at)) != std::wstring::npos; at = end + 2)
        CHECK(out.find(Gbk(lines.substr(at, end + 2 - at))) != std::string::npos);
    // Ctrl held while the file is let go: its digests, as the menu gives them.
    ProgramDriver& q = Fresh();
    q.HoldKey(VK_CONTROL, true);
    DropFiles(q, dir + L"hash_input.bin");
    q.SettleQueue(1);
    q.HoldKey(VK_CONTROL, false);
    CHECK(WaitFor([&] { return Gbk(q.OutputWide()) == out; }, 60000));
}
