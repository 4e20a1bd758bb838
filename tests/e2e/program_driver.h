// Drives the real program from another process through window messages, as a user's
// actions would reach it: texts set and read in UTF-16, clicks, menu commands, keys.
#pragma once
#include <windows.h>

#include <string>

// Control identifiers the window framework gives the main window's units (creation order:
// the window, then the unit records from the last to the first, 100 apart by 10).
namespace ids {
const int 分组框_编码处理 = 100, 编辑框_QZ输入 = 110, 编辑框_357输出 = 120;
const int 单选框_二进制 = 130, 单选框_八进制 = 140, 单选框_十进制 = 150, 单选框_十六进制 = 160;
const int 按钮_编码处理 = 190, 按钮_进制计算 = 200;
const int 超级按钮_加密解密 = 210, 超级按钮_文汇通1 = 220, 超级按钮_文汇通2 = 230, 超级按钮_取哈希值 = 240;
const int 超级按钮_交换上下 = 250, 超级按钮_一键解码 = 260;
const int 按钮_转大小写 = 280, 单选框_字母转大写 = 290, 单选框_字母转小写 = 300, 单选框_数字转大写 = 310;
const int 分组框_转大小写 = 320, 分组框_进制计算 = 330, 单选框_文本转进制 = 340, 单选框_进制转文本 = 360;
const int 按钮_编码处理1 = 370;
}  // namespace ids

// Menu command numbers, as the first release gave them; items added since come after.
int MenuCommand(const char* caption);

class ProgramDriver {
public:
    // Starts build/wenhuitong.exe (beside the tests' folder) and waits for its main window.
    bool Start();
    // Finds an already running program instead of starting one.
    bool Attach();
    void Stop();
    ~ProgramDriver();

    HWND main() const { return main_; }
    HWND Control(int id) const;

    // GBK texts in and out; the boxes hold UTF-16, converted through code page 936.
    void SetInput(const std::string& gbk);
    void SetInputWide(const std::wstring& text);
    std::wstring InputWide() const;
    std::wstring OutputWide() const;
    void Click(int id);
    void PostClick(int id);
    void Menu(const char* caption);
    void Key(int id, int virtualKey, wchar_t character);
    // A key stroke as the keyboard gives it, to the program's focus (the program's own loop
    // translates it), and waits until the program has taken it. Modifiers: MOD_SHIFT,
    // MOD_CONTROL, held for this key only.
    void PostKey(int virtualKey, int modifiers = 0);
    // A key pressed (or let go) and left so, once the program has read it.
    void HoldKey(int virtualKey, bool down);
    // A mouse click on a control, through the queue: it takes the focus as a click does.
    void PostMouseClick(int id);
    HWND Focus() const;
    bool Visible(int id) const;
    bool Checked(int id) const;
    bool Enabled(HWND w) const { return IsWindowEnabled(w) != 0; }
    // Waits until the program has handled everything sent so far.
    void Settle() const;
    // Waits until the program has taken that many more messages posted to it.
    void SettleQueue(int posted) const;

    // The status bar's line, as a screen reader reads it.
    std::wstring StatusText() const;

    DWORD processId() const { return pid_; }
    HANDLE process() const { return process_; }

private:
    void TakeForeground();
    HWND main_ = nullptr;
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
    DWORD attachedTo_ = 0;  // the program thread whose input this thread shares
};

// Puts the text on the clipboard as Unicode text; false when the clipboard cannot be opened.
bool SetClipboardText(const std::wstring& text);
// The clipboard's Unicode text, or empty.
std::wstring ClipboardText();

std::wstring Wide(const std::string& gbk);
std::string Gbk(const std::wstring& wide);
// A top-level window of the given process with the given class, or null.
HWND FindProcessWindow(DWORD pid, const wchar_t* className, bool visibleOnly);
// The display's DPI (the test prefix's LogPixels), which the program lays itself out at.
int DisplayDpi();

// The program under test, shared by the cases; started again when an earlier case ended it.
ProgramDriver& Program();
// The program in the state every case starts from: both boxes empty, the encoding group shown.
ProgramDriver& Fresh();
void CheckOutput(ProgramDriver& p, const std::string& expectedGbk);

template <typename F>
bool WaitFor(F condition, int milliseconds = 5000) {
    for (int waited = 0; waited < milliseconds; waited += 20) {
        if (condition()) return true;
        Sleep(20);
    }
    return condition();
}
