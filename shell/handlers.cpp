// The main window's handlers: read the input box, run one conversion, write the output box.
#include "shell/handlers.h"

#include <new>

#include "engine/base64.h"
#include "engine/base_calculator.h"
#include "engine/beijing_time.h"
#include "engine/big5.h"
#include "engine/case_amount.h"
#include "engine/char_refs.h"
#include "engine/chinese_script.h"
#include "engine/codepage.h"
#include "engine/crc32_rc4.h"
#include "engine/digests.h"
#include "engine/digits.h"
#include "engine/mojibake.h"
#include "engine/progress.h"
#include "engine/script_escape.h"
#include "engine/url_codec.h"
#include "runtime/clipboard.h"
#include "runtime/library.h"
#include "runtime/library_file.h"
#include "runtime/memory.h"
#include "shell/command_queue.h"
#include "shell/main_window.h"
#include "engine/one_click.h"
#include "shell/unit_access.h"
#include "ui/dpi.h"
#include "ui/event_dispatch.h"
#include "ui/window_commands.h"
#include "ui/window_loader.h"
#include "ui/window_unit.h"

namespace wht {
namespace {
const int32_t kEnterKey = 13;

const char kClipboardBusyPaste[] = "提示：剪贴板正被别的程序占用，没能粘贴。输入框的内容没有改动；请稍后再试。";
const char kClipboardEmptyPaste[] = "提示：剪贴板里没有文字，输入框的内容没有改动。";
const char kClipboardBusyCopy[] = "提示：剪贴板正被别的程序占用，没能复制；剪贴板里还是原来的内容。请稍后再试。";
const char kClipboardFailedCopy[] = "提示：内存不够，没能复制；剪贴板里还是原来的内容。";

// Reading the input as GBK is the first tenth of a conversion's progress, the conversion
// itself the rest.
const double kReadingShare = 0.1;
class ConversionStage : public ProgressStage {
public:
    ConversionStage() : ProgressStage(kReadingShare, 1.0) {}
};

// The input as GBK text, for the conversions that work on GBK text or its bytes. When the
// input holds a character GBK cannot hold, the output box gets the prompt that names it
// instead: a result computed from "?" in its place would be a wrong one.
bool ReadGbkInput(TextVar* text) {
    ProgressStage reading(0.0, kReadingShare);
    ByteSetVar units = ReadInputWide();
    ByteSetVar prompt = NonGbkPrompt(units);
    if (!prompt.empty()) {
        WriteOutputWide(prompt);
        return false;
    }
    *text = UnitsToGbk(units);
    return true;
}

// The conversion patterns of the menus: input as text or bytes, output as is or as text.
void TextToText(TextVar (*routine)(const char*)) {
    TextVar input;
    if (!ReadGbkInput(&input)) return;
    ConversionStage stage;
    TextVar result = routine(input);
    WriteOutput(result);
}

void BytesToText(TextVar (*routine)(const ByteSetVar&)) {
    TextVar input;
    if (!ReadGbkInput(&input)) return;
    ByteSetVar bytes = ToByteSet(input);
    ConversionStage stage;
    TextVar result = routine(bytes);
    WriteOutput(result);
}

void BytesToBytesAsText(ByteSetVar (*routine)(const ByteSetVar&)) {
    TextVar input;
    if (!ReadGbkInput(&input)) return;
    ByteSetVar bytes = ToByteSet(input);
    ConversionStage stage;
    ByteSetVar result = routine(bytes);
    TextVar shown = ToText(result);
    WriteOutput(shown);
}

void TextToBytesAsText(ByteSetVar (*routine)(const char*)) {
    TextVar input;
    if (!ReadGbkInput(&input)) return;
    ConversionStage stage;
    ByteSetVar result = routine(input);
    TextVar shown = ToText(result);
    WriteOutput(shown);
}

// The Unicode patterns: the input box's units in, and out as GBK text (ASCII or bytes) or
// as units; or GBK text or its bytes in and units out.
void UnitsToText(TextVar (*routine)(const ByteSetVar&)) {
    ByteSetVar input = ReadInputWide();
    TextVar result = routine(input);
    WriteOutput(result);
}

void UnitsToUnits(ByteSetVar (*routine)(const ByteSetVar&)) {
    ByteSetVar input = ReadInputWide();
    ByteSetVar result = routine(input);
    WriteOutputWide(result);
}

void TextToUnits(ByteSetVar (*routine)(const char*)) {
    TextVar input;
    if (!ReadGbkInput(&input)) return;
    ConversionStage stage;
    ByteSetVar result = routine(input);
    WriteOutputWide(result);
}

void BytesToUnits(ByteSetVar (*routine)(const ByteSetVar&)) {
    TextVar input;
    if (!ReadGbkInput(&input)) return;
    ByteSetVar bytes = ToByteSet(input);
    ConversionStage stage;
    ByteSetVar result = routine(bytes);
    WriteOutputWide(result);
}

void Rc4() {
    TextVar input;
    if (!ReadGbkInput(&input)) return;
    ByteSetVar bytes = ToByteSet(input);
    ConversionStage stage;
    ByteSetVar result = Rc4Crypt(bytes, "");
    TextVar shown = ToText(result);
    WriteOutput(shown);
}

// Exactly one of the three group boxes is visible.
void ShowGroup(uint32_t shown) {
    const uint32_t groups[3] = {k分组框_编码处理, k分组框_进制计算, k分组框_转大小写};
    WriteBool(shown, kPropVisible, true);
    for (uint32_t g : groups)
        if (g != shown) WriteBool(g, kPropVisible, false);
}

void ClearBoxes() {
    WriteInput("");
    WriteOutput("");
}

// The menu opens below the encoding group, k pixels from its left edge. k and the 48 pixels
// down are lengths of a 96-DPI display: at another scale they grow with the window.
void PopUp(uint32_t menu, int32_t k) {
    const int dpi = FormWindowDpi(kMainWindow);
    int32_t x = ReadInt(kMainWindowRecord, kPropLeft) + ReadInt(k分组框_编码处理, kPropLeft) + ScaleToDpi(k, dpi);
    int32_t y = ReadInt(kMainWindowRecord, kPropTop) + ReadInt(k分组框_编码处理, kPropTop) +
                ReadInt(k分组框_编码处理, kPropHeight) + ScaleToDpi(48, dpi);
    PopupMenu(kMainWindow, UnitRef{kMainWindow, menu}, x, y);
}

// The first checked base radio box, in the order 2, 8, 10, 16; 0 when none is.
int32_t CheckedBase() {
    const struct {
        uint32_t unit;
        int32_t base;
    } radios[4] = {{k单选框_二进制, 2}, {k单选框_八进制, 8}, {k单选框_十进制, 10}, {k单选框_十六进制, 16}};
    for (const auto& r : radios)
        if (ReadBool(r.unit, kPropChecked)) return r.base;
    return 0;
}

void RunCalculator() {
    TextVar input;
    if (!ReadGbkInput(&input)) return;
    TextVar output;
    if (RunBaseCalculator(input, CheckedBase(), output)) WriteOutput(output);
}

void BaseRadioClicked() {
    RunCalculator();
    SetUnitFocus(kMainWindow, k编辑框_QZ输入);
    WriteInt(k编辑框_QZ输入, kPropSelStart, -1);
}

void Report(bool (*report)(const char*, TextVar&)) {
    TextVar input;
    if (!ReadGbkInput(&input)) return;
    ConversionStage stage;
    TextVar output;
    if (report(input, output)) WriteOutput(output);
}

TextVar UrlEncodeGbk(const char* t) { return UrlEncodeBytes(t, false); }
TextVar UrlDecodeGbk(const char* t) { return UrlDecodeBytes(t, false); }
ByteSetVar DecodeBase64(const char* t) { return Base64Decode(t); }
TextVar AnsiToUnicode(const ByteSetVar& u) {
    ByteSetVar bytes = UnitsToUtf16Bytes(u, false);
    return ToText(bytes);
}

// The units without their CR LF pairs; false when there is none. A lone CR or LF stays.
bool RemoveLineBreaks(const ByteSetVar& units, ByteSetVar* joined) {
    const uint8_t* p = units.data();
    int32_t n = ByteSetLength(units) / 2;
    auto at = [p](int32_t k) { return p[2 * k] | (p[2 * k + 1] << 8); };
    int32_t k = 0;
    while (k + 1 < n && !(at(k) == '\r' && at(k + 1) == '\n')) ++k;
    if (k + 1 >= n) return false;
    *joined = ZeroByteSet(2 * n);
    uint8_t* w = joined->data();
    int32_t used = 0;
    for (k = 0; k < n; ++k) {
        if (k + 1 < n && at(k) == '\r' && at(k + 1) == '\n') {
            ++k;
            continue;
        }
        w[used++] = p[2 * k];
        w[used++] = p[2 * k + 1];
    }
    *joined = ByteSetLeft(*joined, used);
    return true;
}
}  // namespace

void 主窗口_创建完毕() {
    WriteBool(k分组框_转大小写, kPropVisible, false);
    WriteBool(k分组框_进制计算, kPropVisible, false);
    AcceptDroppedFiles();
}

// While a command runs (a conversion letting messages through), the window stays until it
// is done: destroying the boxes under it ended in the fatal error box.
void 主窗口_可否被关闭() {
    if (CommandRunning()) {
        // An ending session is only asked: it may yet be cancelled, and then the program
        // goes on with its command.
        if (!SessionEndQueried()) CloseWhenIdle();
        SetEventResult(0);
        return;
    }
    CloseAllFiles();
}

void 按钮_编码处理_被单击() { ShowGroup(k分组框_编码处理); }
void 按钮_进制计算_被单击() { ShowGroup(k分组框_进制计算); }
void 按钮_转大小写_被单击() { ShowGroup(k分组框_转大小写); }
void 按钮_编码处理1_被单击() { RunCommand([] { ClearBoxes(); }); }

void 超级按钮_加密解密_被单击() { PopUp(k菜单_加密解密, 0); }
void 超级按钮_文汇通1_被单击() { PopUp(k菜单_文汇通1, 100); }
void 超级按钮_文汇通2_被单击() { PopUp(k菜单_文汇通2, 200); }
void 超级按钮_取哈希值_被单击() { PopUp(k菜单_取哈希值, 300); }
void 超级按钮_一键解码_被单击() { PopUp(k菜单_一键解码, 470); }

// Both boxes change, or neither: when the output box cannot take the input's text, the
// input box gets its own text back and the status bar says why.
void 超级按钮_交换上下_被单击() {
    RunCommand([] {
        ByteSetVar a = ReadInputWide();
        ByteSetVar b = ReadOutputWide();
        WriteInputWide(b);
        try {
            WriteOutputWide(a);
        } catch (...) {
            NoCommandUnwinding restoring;
            WriteInputWide(a);
            throw;
        }
    }, PromptPlace::kStatusBar);
}

void 编辑框_QZ输入_按下某键(int keyCode, int) {
    if (keyCode == kEnterKey) RunCommand(RunCalculator);
}

void 编辑框_QZ输入_内容被改变() {
    // The joined text written below changes the content again: it has no line break left,
    // and reading a large content a second time would only find that out.
    static bool joining = false;
    if (joining) return;
    // Runs inside the edit control's notification, where no exception may pass. Without the
    // memory to join the lines, the text stays as it came: nothing is lost, and the command
    // that wrote it goes on.
    NoCommandUnwinding inWindowWork;
    struct Joining {
        Joining() { joining = true; }
        ~Joining() { joining = false; }
    };
    try {
        AllocationFailureThrows skipped;
        ByteSetVar input = ReadInputWide();
        ByteSetVar joined;
        if (!RemoveLineBreaks(input, &joined)) return;
        Joining writing;
        WriteInputWide(joined);
    } catch (const std::bad_alloc&) {
        return;
    }
    WriteInt(k编辑框_QZ输入, kPropSelStart, -1);
}

void 单选框_二进制_被单击() { RunCommand([] { BaseRadioClicked(); }); }
void 单选框_八进制_被单击() { RunCommand([] { BaseRadioClicked(); }); }
void 单选框_十进制_被单击() { RunCommand([] { BaseRadioClicked(); }); }
void 单选框_十六进制_被单击() { RunCommand([] { BaseRadioClicked(); }); }
void 单选框_进制转文本_被单击() { RunCommand([] { Report(TextToDigitsReport); }); }
void 单选框_文本转进制_被单击() { RunCommand([] { Report(DigitsToTextReport); }); }
void 单选框_字母转大写_被单击() { RunCommand([] { TextToText(ToUpperCaseReport); }); }
void 单选框_字母转小写_被单击() { RunCommand([] { TextToText(ToLowerCaseReport); }); }
void 单选框_数字转大写_被单击() { RunCommand([] { TextToText(DigitsToAmountReport); }); }

void 菜单_作者_被选择() {
    RunCommand([] {
        // The about window's own message loop is window work: nothing may unwind through it.
        NoCommandUnwinding modal;
        LoadWindow(kAboutWindow, true);
    });
}

void 菜单_URL加密GBK_被选择() { RunCommand([] { TextToText(UrlEncodeGbk); }); }
void 菜单_URL解密GBK_被选择() { RunCommand([] { TextToText(UrlDecodeGbk); }); }
void 菜单_URL加密UTF8_被选择() { RunCommand([] { UnitsToText(UrlEncodeUtf8Units); }); }
void 菜单_URL解密UTF8_被选择() { RunCommand([] { UnitsToUnits(UrlDecodeUtf8Units); }); }
void 菜单_RC4加密_被选择() { RunCommand([] { Rc4(); }); }
void 菜单_RC4解密_被选择() { RunCommand([] { Rc4(); }); }
void 菜单_BASE64加密_被选择() { RunCommand([] { BytesToText(Base64Encode); }); }
void 菜单_BASE64解密_被选择() { RunCommand([] { TextToBytesAsText(DecodeBase64); }); }
void 菜单_BASE64编码A_被选择() { RunCommand([] { BytesToBytesAsText(Base64EncodeSystem); }); }
void 菜单_BASE64编码B_被选择() { RunCommand([] { BytesToBytesAsText(Base64DecodeSystem); }); }

void 菜单_简体一繁体_被选择() { RunCommand([] { TextToText(SimplifiedToTraditional); }); }
void 菜单_繁体一简体_被选择() { RunCommand([] { TextToText(TraditionalToSimplified); }); }
void 菜单_BIG5简体_被选择() { RunCommand([] { TextToText(Big5ToSimplified); }); }
void 菜单_简体BIG5_被选择() { RunCommand([] { TextToText(SimplifiedToBig5); }); }
void 菜单_BIG5到繁体_被选择() { RunCommand([] { TextToText(Big5ToGbk); }); }
void 菜单_繁体到BIG5_被选择() { RunCommand([] { TextToText(GbkToBig5); }); }
void 菜单_北京时间一格林威治_被选择() { RunCommand([] { TextToText(BeijingTimeToUnixSeconds); }); }
void 菜单_格林威治一北京_被选择() { RunCommand([] { TextToText(UnixSecondsToBeijingTime); }); }

void 菜单_ansi一usc2_被选择() { RunCommand([] { UnitsToText(ScriptEscapeUnits); }); }
void 菜单_usc2一ansi_被选择() { RunCommand([] { UnitsToUnits(ScriptUnescapeUnits); }); }
void 菜单_GB2312一UTF8_被选择() { RunCommand([] { UnitsToText(UnitsToUtf8); }); }
void 菜单_UTF8一GB2312_被选择() { RunCommand([] { TextToUnits(Utf8ToUnits); }); }
void 菜单_Ansi一Unicode_被选择() { RunCommand([] { UnitsToText(AnsiToUnicode); }); }
void 菜单_Unicode一Ansi_被选择() { RunCommand([] { BytesToUnits(Utf16BytesToUnits); }); }
void 菜单_Ansi一Unicode_str_被选择() { RunCommand([] { UnitsToText(UnitsToCharRefs); }); }
void 菜单_Unicode_str一Ansi_被选择() { RunCommand([] { UnitsToUnits(CharRefsToUnits); }); }
void 菜单_Unicode一UTF8_被选择() { RunCommand([] { BytesToBytesAsText(Utf16BytesToUtf8); }); }
void 菜单_UTF8一Unicode_被选择() { RunCommand([] { BytesToBytesAsText(Utf8BytesToUtf16); }); }

void 菜单_取MD2_被选择() { RunCommand([] { BytesToText(Md2Hex); }); }
void 菜单_取MD4_被选择() { RunCommand([] { BytesToText(Md4Hex); }); }
void 菜单_取MD5_被选择() { RunCommand([] { BytesToText(Md5Hex); }); }
void 菜单_取MD5中文_被选择() { RunCommand([] { UnitsToText(Md5Utf8HexUnits); }); }
void 菜单_取sha1_被选择() { RunCommand([] { BytesToText(Sha1Hex); }); }
void 菜单_取sha256_被选择() { RunCommand([] { BytesToText(Sha256Hex); }); }
void 菜单_取sha512_被选择() { RunCommand([] { BytesToText(Sha512Hex); }); }
void 菜单_取crc32_被选择() { RunCommand([] { BytesToText(Crc32Hex); }); }

void 菜单_一键编码_被选择() { RunCommand([] { UnitsToUnits(OneClickEncodeUnits); }); }
void 菜单_一键解码_被选择() { RunCommand([] { UnitsToUnits(OneClickDecodeUnits); }); }
// Works on the box's units: garbled text is mostly made of characters GBK cannot hold.
void 菜单_乱码恢复_被选择() { RunCommand([] { UnitsToUnits(MojibakeReportUnits); }); }

// The output box stays as it is whatever happens: a prompt goes to the status bar.
void 菜单_复制_被选择() {
    RunCommand([] {
        ByteSetVar output = ReadOutputWide();
        if (!SetClipboardUnits(output)) ShowStatusPrompt(ClipboardWasBusy() ? kClipboardBusyCopy : kClipboardFailedCopy);
    }, PromptPlace::kStatusBar);
}

void 菜单_粘贴_被选择() {
    RunCommand([] {
        ByteSetVar pasted = GetClipboardUnits();
        if (pasted.empty())
            WriteOutput(ClipboardWasBusy() ? kClipboardBusyPaste : kClipboardEmptyPaste);
        else
            WriteInputWide(pasted);
    });
}

void 菜单_清空_被选择() { RunCommand([] { ClearBoxes(); }); }
}  // namespace wht
