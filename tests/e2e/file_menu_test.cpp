// The 文件 menu through the real program: dropped and opened files, saved results, the
// digests of a generated file against Python's hashlib and zlib.
#include <windows.h>
#include <dlgs.h>
#include <shlobj.h>
#include <wincrypt.h>

#include <string>
#include <vector>

#include "program_driver.h"
#include "test_support.h"

namespace {
std::wstring TestFolder() {
    static std::wstring dir;
    if (dir.empty()) {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        dir = std::wstring(temp) + L"wht-files-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
        CreateDirectoryW(dir.c_str(), nullptr);
    }
    return dir;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD wrote;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr);
    CloseHandle(h);
}

std::string ReadBytes(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    std::string bytes(h == INVALID_HANDLE_VALUE ? 0 : GetFileSize(h, nullptr), '\0');
    DWORD got = 0;
    if (!bytes.empty()) ReadFile(h, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    return bytes.substr(0, got);
}

std::string Encode(const std::wstring& text, UINT codePage) {
    std::string s(4 * text.size(), '\0');
    s.resize(WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &s[0],
                                 static_cast<int>(s.size()), nullptr, nullptr));
    return s;
}

// As the shell hands a drop over: a DROPFILES block in the program's memory (GlobalLock takes
// a fixed block's own address), posted with WM_DROPFILES.
void DropFiles(ProgramDriver& p, const std::vector<std::wstring>& files) {
    std::wstring names;
    for (const std::wstring& f : files) names += f + L'\0';
    DROPFILES head = {};
    head.pFiles = sizeof(head);
    head.fWide = TRUE;
    std::string block(reinterpret_cast<const char*>(&head), sizeof(head));
    block.append(reinterpret_cast<const char*>(names.c_str()), 2 * (names.size() + 1));
    char* at = static_cast<char*>(VirtualAllocEx(p.process(), nullptr, block.size() + 64, MEM_COMMIT, PAGE_READWRITE));
    REQUIRE(WriteProcessMemory(p.process(), at + 64, block.data(), block.size(), nullptr));
    PostMessageW(p.main(), WM_DROPFILES, reinterpret_cast<WPARAM>(at + 64), 0);
}

bool StatusStarts(ProgramDriver& p, const std::wstring& head) {
    return WaitFor([&] { return p.StatusText().compare(0, head.size(), head) == 0; }, 20000);
}

// The program's file dialog answered as a user does: the name typed into its name box, a
// type chosen from its list, then its OK button; a question about replacing answered yes.
void AnswerDialog(ProgramDriver& p, const std::wstring& path, int type = 0) {
    HWND d = nullptr;
    REQUIRE(WaitFor([&] { return (d = FindProcessWindow(p.processId(), L"#32770", true)) != nullptr; }, 10000));
    // The name as typed into the focused name box.
    HWND name = nullptr;
    REQUIRE(WaitFor([&] { name = p.Focus(); return name && IsChild(d, name); }));
    for (wchar_t c : path) PostMessageW(name, WM_CHAR, c, 1);
    REQUIRE(WaitFor([&] { return SendMessageW(name, WM_GETTEXTLENGTH, 0, 0) == static_cast<LRESULT>(path.size()); }));
    if (type) {
        SendMessageW(GetDlgItem(d, cmb1), CB_SETCURSEL, type - 1, 0);
        for (WORD note : {CBN_SELCHANGE, CBN_SELENDOK})
            SendMessageW(d, WM_COMMAND, MAKEWPARAM(cmb1, note), reinterpret_cast<LPARAM>(GetDlgItem(d, cmb1)));
    }
    PostMessageW(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(d, IDOK)));
    struct Ask {
        DWORD pid;
        HWND dialog;
    } ask = {p.processId(), d};
    REQUIRE(WaitFor([&] {
        // The question about replacing: another dialog box of the program.
        EnumWindows([](HWND w, LPARAM a) -> BOOL {
            const Ask* q = reinterpret_cast<const Ask*>(a);
            DWORD pid = 0;
            wchar_t name[16] = L"";
            GetWindowThreadProcessId(w, &pid);
            GetClassNameW(w, name, 16);
            if (pid == q->pid && w != q->dialog && IsWindowVisible(w) && lstrcmpW(name, L"#32770") == 0)
                PostMessageW(w, WM_COMMAND, IDYES, 0);
            return TRUE;
        }, reinterpret_cast<LPARAM>(&ask));
        return !IsWindow(d);
    }, 10000));
}

void PutOutput(ProgramDriver& p, const std::wstring& text) {
    p.SetInputWide(text);
    p.Click(ids::超级按钮_交换上下);
}

void Save(ProgramDriver& p, const std::wstring& path, int type) {
    p.PostKey('S', MOD_CONTROL);
    AnswerDialog(p, path, type);
    REQUIRE(WaitFor([&] {
        std::wstring status = p.StatusText();
        return status.compare(0, 3, L"已保存") == 0 || status.compare(0, 3, L"提示：") == 0;
    }, 20000));
}

std::string SystemDigest(ALG_ID algorithm, const std::string& data) {
    HCRYPTPROV provider;
    HCRYPTHASH hash;
    BYTE value[16];
    DWORD n = sizeof(value);
    CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT);
    CryptCreateHash(provider, algorithm, 0, 0, &hash);
    CryptHashData(hash, reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()), 0);
    CryptGetHashParam(hash, HP_HASHVAL, value, &n, 0);
    CryptDestroyHash(hash);
    CryptReleaseContext(provider, 0);
    std::string hex;
    for (DWORD k = 0; k < n; ++k) hex += "0123456789abcdef"[value[k] >> 4], hex += "0123456789abcdef"[value[k] & 15];
    return hex;
}

const std::wstring kFileText = L"文件菜单 abc ü é 123 汇通";
}  // namespace

TEST_CASE("e2e.files: files of every encoding arrive as the same text; what cannot be opened changes nothing") {
    std::wstring utf16 = kFileText, swapped;
    for (wchar_t c : kFileText) swapped += static_cast<wchar_t>((c >> 8) | (c << 8));
    const struct {
        const wchar_t* name;
        std::string bytes;
        const wchar_t* status;  // after the name; empty: the output box's prompt begins with "提示："
    } rows[] = {
        {L"u8.txt", Encode(kFileText, CP_UTF8), L"（UTF-8，"},
        {L"bom.txt", "\xEF\xBB\xBF" + Encode(kFileText, CP_UTF8), L"（UTF-8 BOM，"},
        {L"gbk.txt", Encode(kFileText, 936), L"（GBK，"},
        {L"le.txt", "\xFF\xFE" + std::string(reinterpret_cast<const char*>(utf16.data()), 2 * utf16.size()), L"（UTF-16，"},
        {L"be.txt", "\xFE\xFF" + std::string(reinterpret_cast<const char*>(swapped.data()), 2 * swapped.size()), L"（UTF-16 BE，"},
        {L"missing.txt", "", L""},
        {L"", "", L""},  // the folder itself
    };
    for (const auto& row : rows) {
        CAPTURE(Gbk(row.name));
        ProgramDriver& p = Fresh();
        p.SetInputWide(L"原来的");
        std::wstring path = TestFolder() + row.name;
        if (!row.bytes.empty()) WriteBytes(path, row.bytes);
        DropFiles(p, {path, TestFolder() + L"u8.txt", TestFolder() + L"gbk.txt"});
        if (*row.status) {
            REQUIRE(StatusStarts(p, L"已打开 " + std::wstring(row.name) + row.status));
            CHECK(p.StatusText().find(L"另外 2 个文件没有打开") != std::wstring::npos);
            CHECK(p.InputWide() == kFileText);
        } else {
            REQUIRE(WaitFor([&] { return p.OutputWide().compare(0, 3, L"提示：") == 0; }));
            CHECK(p.InputWide() == L"原来的");
        }
    }
}

TEST_CASE("e2e.files: a saved result reads back byte for byte; a failed save leaves the old file") {
    const std::wstring kLong(5000, L'长');  // past the bounded view: the whole content is saved
    const struct {
        std::wstring shown;
        int type;  // 1 UTF-8, 2 UTF-8 BOM, 3 GBK
        std::string bytes;
        const wchar_t* status;
    } rows[] = {
        {kFileText + L"😀", 1, Encode(kFileText + L"😀", CP_UTF8), L"已保存 out.txt（UTF-8，"},
        {kFileText, 2, "\xEF\xBB\xBF" + Encode(kFileText, CP_UTF8), L"已保存 out.txt（UTF-8 BOM，"},
        {kFileText + kLong, 3, Encode(kFileText + kLong, 936), L"已保存 out.txt（GBK，10 KB）"},
        {L"😀", 3, "old", L"提示：第1个字符（U+1F600）不是GBK字符"},
    };
    std::wstring path = TestFolder() + L"out.txt";
    SUBCASE("each type of the list") {
        for (const auto& row : rows) {
            CAPTURE(row.type);
            ProgramDriver& p = Fresh();
            WriteBytes(path, "old");
            PutOutput(p, row.shown);
            Save(p, path, row.type);
            CHECK(StatusStarts(p, row.status));
            std::string saved = ReadBytes(path);
            CHECK(Hex(saved.substr(0, 40)) == Hex(row.bytes.substr(0, 40)));
            CHECK(saved == row.bytes);
        }
    }
    SUBCASE("bytes shown as GBK save as exactly those bytes") {
        ProgramDriver& p = Fresh();
        p.SetInput("gSD/gEE=");  // 81 20 FF 80 41: no GBK text gives these back
        p.Menu("BASE64解密");
        Save(p, path, 3);
        CHECK(Hex(ReadBytes(path)) == "81 20 FF 80 41");
    }
    SUBCASE("a read-only file stays as it was") {
        ProgramDriver& p = Fresh();
        WriteBytes(path, "old");
        PutOutput(p, kFileText);
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
        Save(p, path, 1);
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        CHECK(StatusStarts(p, L"提示：没能保存 out.txt："));
        CHECK(ReadBytes(path) == "old");
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((TestFolder() + L"wht*.tmp").c_str(), &found);
        CHECK(search == INVALID_HANDLE_VALUE);  // no half-written file is left beside it
        if (search != INVALID_HANDLE_VALUE) FindClose(search);
    }
}

TEST_CASE("e2e.files: the digests of a file equal Python's hashlib and zlib") {
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring dir(exe);
    dir = dir.substr(0, dir.find_last_of(L'\\') + 1);
    std::string data = ReadBytes(dir + L"hash_input.bin"), expected = ReadBytes(dir + L"hash_expected.txt");
    REQUIRE(data.size() == 3 * 1024 * 1024 + 12345);
    ProgramDriver& p = Fresh();
    PostMessageW(p.main(), WM_COMMAND, MenuCommand("文件哈希(&H)…"), 0);
    AnswerDialog(p, dir + L"hash_input.bin");
    REQUIRE(WaitFor([&] { return p.OutputWide().find(L"取sha512值") != std::wstring::npos; }, 60000));
    std::wstring out = p.OutputWide();
    CAPTURE(Gbk(out.substr(0, 60)));
    CHECK(out.find(L"文件： hash_input.bin\r\n大小： 3158073 字节（3.0 MB）\r\n") == 0);
    CHECK(out.find(L"取MD2值： " + Wide(SystemDigest(CALG_MD2, data)) + L"\r\n取MD4值： " +
                   Wide(SystemDigest(CALG_MD4, data)) + L"\r\n") != std::wstring::npos);
    std::wstring lines(expected.size(), L'\0');
    lines.resize(MultiByteToWideChar(CP_UTF8, 0, expected.data(), static_cast<int>(expected.size()), &lines[0],
                                     static_cast<int>(lines.size())));
    for (size_t at = 0, end; (end = lines.find(L"\r\n", at)) != std::wstring::npos; at = end + 2)
        CHECK(Gbk(out).find(Gbk(lines.substr(at, end + 2 - at))) != std::string::npos);
}
