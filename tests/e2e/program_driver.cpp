#include "program_driver.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {
const wchar_t kTitle[] = L"文汇通 v1.0";

// Every menu item's command id, as scripts that post WM_COMMAND know them: 20000 + the place
// here. The first 64 are the menu records of the first release in their order there; the
// items added since follow them, wherever they show.
const char* const kMenuCaptions[] = {
    "关于作者", "作者", "菜单_加密解密", "URL加密(GBK)", "URL解密(GBK)", "-", "URL加密(UTF8)", "URL解密(UTF8)", "-",
    "RC4加密", "RC4解密", "-", "BASE64加密", "BASE64解密", "-", "BASE64编码A", "BASE64编码B", "菜单_文汇通1",
    "简体一繁体", "繁体一简体", "-", "BIG5简体", "简体BIG5", "-", "BIG5到繁体", "繁体到BIG5", "-",
    "北京时间一格林威治", "格林威治一北京", "菜单_文汇通2", "ansi一usc2", "usc2一ansi", "-", "GB2312一UTF8",
    "UTF8一GB2312", "-", "Ansi一Unicode", "Unicode一Ansi", "Ansi一Unicode_str", "Unicode_str一Ansi", "-",
    "Unicode一UTF8", "UTF8一Unicode", "菜单_取哈希值", "取MD2", "取MD4", "取MD5", "取MD5(中文)", "取sha1",
    "取sha256", "取sha512", "取crc32", "菜单_一键解码", "一键编码(&B)", "一键解码(&J)", "菜单_快捷", "复制",
    "粘贴", "清空", "菜单_列表", "复制密文", "复制全部", "-", "双击可切换",
    "乱码恢复", "文件(&F)", "打开(&O)…", "保存结果(&S)…", "-", "文件哈希(&H)…",
};
const int kMenuCount = sizeof(kMenuCaptions) / sizeof(kMenuCaptions[0]);
static_assert(kMenuCount == 70, "70 menu items");

struct Search {
    int id;
    HWND found;
};

BOOL CALLBACK FindById(HWND w, LPARAM p) {
    Search* s = reinterpret_cast<Search*>(p);
    if (GetDlgCtrlID(w) == s->id) {
        s->found = w;
        return FALSE;
    }
    return TRUE;
}

struct ProcessSearch {
    DWORD pid;
    const wchar_t* className;
    bool visibleOnly;
    HWND found;
};

BOOL CALLBACK FindInProcess(HWND w, LPARAM p) {
    ProcessSearch* s = reinterpret_cast<ProcessSearch*>(p);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != s->pid) return TRUE;
    if (s->visibleOnly && !IsWindowVisible(w)) return TRUE;
    wchar_t name[64];
    GetClassNameW(w, name, 64);
    if (s->className && lstrcmpW(name, s->className) != 0) return TRUE;
    s->found = w;
    return FALSE;
}
}  // namespace

int MenuCommand(const char* caption) {
    for (int i = 0; i < kMenuCount; ++i)
        if (strcmp(kMenuCaptions[i], caption) == 0) return 20000 + i;
    return -1;
}

bool SetClipboardText(const std::wstring& text) {
    // The program may still hold the clipboard from a paste or a copy a moment ago.
    if (!WaitFor([] { return OpenClipboard(nullptr) != 0; }, 2000)) return false;
    EmptyClipboard();
    size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, bytes);
    memcpy(GlobalLock(g), text.c_str(), bytes);
    GlobalUnlock(g);
    SetClipboardData(CF_UNICODETEXT, g);
    CloseClipboard();
    return true;
}

std::wstring ClipboardText() {
    if (!WaitFor([] { return OpenClipboard(nullptr) != 0; }, 2000)) return L"";
    HANDLE h = GetClipboardData(CF_UNICODETEXT);
    std::wstring clip = h ? static_cast<const wchar_t*>(GlobalLock(h)) : L"";
    if (h) GlobalUnlock(h);
    CloseClipboard();
    return clip;
}

std::wstring ProgramDriver::StatusText() const {
    HWND status = FindWindowExW(main_, nullptr, L"msctls_statusbar32", nullptr);
    // A status bar never given a text answers WM_GETTEXT with stray characters under Wine;
    // its length is right.
    DWORD_PTR length = 0;
    SendMessageTimeoutW(status, SB_GETTEXTLENGTHW, 0, 0, SMTO_NORMAL, 5000, &length);
    if (LOWORD(length) == 0) return std::wstring();
    wchar_t text[128] = L"";
    DWORD_PTR got = 0;
    SendMessageTimeoutW(status, WM_GETTEXT, 128, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000, &got);
    return text;
}

std::wstring Wide(const std::string& gbk) {
    if (gbk.empty()) return std::wstring();
    int n = MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
    std::wstring w(n, L'\0');
    MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), &w[0], n);
    return w;
}

std::string Gbk(const std::wstring& wide) {
    if (wide.empty()) return std::string();
    int n = WideCharToMultiByte(936, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string s(n, '\0');
    WideCharToMultiByte(936, 0, wide.data(), static_cast<int>(wide.size()), &s[0], n, nullptr, nullptr);
    return s;
}

int DisplayDpi() {
    HDC dc = GetDC(nullptr);
    int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return dpi;
}

HWND FindProcessWindow(DWORD pid, const wchar_t* className, bool visibleOnly) {
    ProcessSearch s = {pid, className, visibleOnly, nullptr};
    EnumWindows(FindInProcess, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

bool ProgramDriver::Start() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path);
    dir = dir.substr(0, dir.find_last_of(L'\\'));        // build\tests
    dir = dir.substr(0, dir.find_last_of(L'\\'));        // build
    std::wstring exe = dir + L"\\wenhuitong.exe";
    std::wstring command = L"\"" + exe + L"\"";
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi;
    if (!CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    pid_ = pi.dwProcessId;
    for (int i = 0; i < 300 && !main_; ++i) {
        HWND w = FindWindowW(nullptr, kTitle);
        DWORD owner = 0;
        if (w) GetWindowThreadProcessId(w, &owner);
        if (w && owner == pid_ && IsWindowVisible(w)) main_ = w;
        else Sleep(50);
    }
    Settle();
    return main_ != nullptr;
}

bool ProgramDriver::Attach() {
    main_ = FindWindowW(nullptr, kTitle);
    if (main_) GetWindowThreadProcessId(main_, &pid_);
    attachedTo_ = 0;
    return main_ != nullptr;
}

void ProgramDriver::Stop() {
    if (attachedTo_) AttachThreadInput(GetCurrentThreadId(), attachedTo_, FALSE);
    attachedTo_ = 0;
    if (process_) {
        if (main_ && IsWindow(main_)) PostMessageW(main_, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process_, 10000) != WAIT_OBJECT_0) TerminateProcess(process_, 1);
        CloseHandle(process_);
    }
    process_ = nullptr;
    main_ = nullptr;
}

ProgramDriver::~ProgramDriver() { Stop(); }

HWND ProgramDriver::Control(int id) const {
    Search s = {id, nullptr};
    EnumChildWindows(main_, FindById, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

void ProgramDriver::SetInput(const std::string& gbk) {
    // As a user replaces the whole text by typing or pasting: a multi-line edit box reports
    // no change for WM_SETTEXT, but does for a replaced selection.
    SetInputWide(Wide(gbk));
}

void ProgramDriver::SetInputWide(const std::wstring& w) {
    HWND input = Control(ids::编辑框_QZ输入);
    SendMessageW(input, EM_SETSEL, 0, -1);
    SendMessageW(input, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(w.c_str()));
    Settle();
}

static std::wstring TextOf(HWND w) {
    int n = static_cast<int>(SendMessageW(w, WM_GETTEXTLENGTH, 0, 0));
    std::wstring s(n + 1, L'\0');
    int got = static_cast<int>(SendMessageW(w, WM_GETTEXT, n + 1, reinterpret_cast<LPARAM>(&s[0])));
    s.resize(got);
    return s;
}

std::wstring ProgramDriver::InputWide() const { return TextOf(Control(ids::编辑框_QZ输入)); }
std::wstring ProgramDriver::OutputWide() const { return TextOf(Control(ids::编辑框_357输出)); }

void ProgramDriver::Click(int id) {
    SendMessageW(Control(id), BM_CLICK, 0, 0);
    Settle();
}

void ProgramDriver::PostClick(int id) { PostMessageW(Control(id), BM_CLICK, 0, 0); }

void ProgramDriver::Menu(const char* caption) {
    SendMessageW(main_, WM_COMMAND, MAKEWPARAM(MenuCommand(caption), 0), 0);
    Settle();
}

void ProgramDriver::Key(int id, int virtualKey, wchar_t character) {
    HWND w = Control(id);
    SendMessageW(w, WM_KEYDOWN, virtualKey, 1);
    if (character) SendMessageW(w, WM_CHAR, character, 1);
    SendMessageW(w, WM_KEYUP, virtualKey, 0xC0000001);
    Settle();
}

HWND ProgramDriver::Focus() const {
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(main_, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

void ProgramDriver::SettleQueue(int posted) const {
    // The program answers a sent message between any two messages it takes from its queue
    // (two round trips may pass in one step of its loop), so twice the count of round trips
    // lets it take every posted message first.
    for (int i = 0; i < 2 * posted + 2; ++i) Settle();
}

void ProgramDriver::TakeForeground() {
    // Attached once for the program's life: each attach starts the shared key state afresh.
    DWORD program = GetWindowThreadProcessId(main_, nullptr);
    if (attachedTo_ != program && AttachThreadInput(GetCurrentThreadId(), program, TRUE)) attachedTo_ = program;
    HWND front = GetForegroundWindow();
    DWORD frontProcess = 0;
    if (front) GetWindowThreadProcessId(front, &frontProcess);
    if (frontProcess != pid_) SetForegroundWindow(main_);
}

void ProgramDriver::HoldKey(int virtualKey, bool down) {
    TakeForeground();
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = static_cast<WORD>(virtualKey);
    in.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &in, sizeof(in));
    // Taken once the key state the program shares with this thread says so.
    WaitFor([&] { return (GetKeyState(virtualKey) < 0) == down; }, 10000);
    Settle();
}

void ProgramDriver::PostKey(int virtualKey, int modifiers) {
    // Real input, as the keyboard gives it: the system queues each key with the key state it
    // comes with, so a held modifier goes with exactly the keys it was held for, however late
    // the program takes them. (Posting the keys while holding the modifier in the shared key
    // state raced the program: a slow program read the key after the modifier was let go.)
    TakeForeground();
    const struct {
        int flag, key;
    } held[] = {{MOD_CONTROL, VK_CONTROL}, {MOD_SHIFT, VK_SHIFT}};
    std::vector<INPUT> input;
    auto add = [&input](int key, bool up) {
        INPUT in = {};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = static_cast<WORD>(key);
        in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
        in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        input.push_back(in);
    };
    for (const auto& h : held)
        if (modifiers & h.flag) add(h.key, false);
    add(virtualKey, false);
    add(virtualKey, true);
    for (const auto& h : held)
        if (modifiers & h.flag) add(h.key, true);
    // The program has taken the key when, in the key state it shares with this thread, the
    // key's toggle bit has turned (its press was read) and the key and the modifiers are up
    // again (their releases, queued after the press, were read too).
    SHORT before = GetKeyState(virtualKey);
    SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
    if (!WaitFor([&] {
        SHORT now = GetKeyState(virtualKey);
        bool released = now >= 0;
        for (const auto& h : held)
            if (modifiers & h.flag) released = released && GetKeyState(h.key) >= 0;
        return ((now ^ before) & 1) && released;
    }, 10000)) fprintf(stderr, "driver: key %#x (modifiers %d) not taken by the program within 10 s\n", virtualKey, modifiers);
    Settle();
}

void ProgramDriver::PostMouseClick(int id) {
    HWND w = Control(id);
    PostMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    PostMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
    SettleQueue(2);
}

bool ProgramDriver::Visible(int id) const { return IsWindowVisible(Control(id)) != 0; }

bool ProgramDriver::Checked(int id) const { return SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void ProgramDriver::Settle() const {
    // A sent message returns only once the program's thread has taken it: one round trip
    // means every earlier message has been handled.
    DWORD_PTR result;
    if (main_) SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
}
