// Times every menu item and radio box through the real program's windows: the input goes
// in as a paste, the item is chosen as the user chooses it, and the time runs until the
// output box has the result and the status bar is quiet again. Decoders get the encoder's
// output (swapped into the input box), as a user would feed them.
// Prints one line per item and size: item, size in KB, seconds, how the result begins.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <string>
#include <vector>

#include "program_driver.h"

namespace {
struct Item {
    const char* name;     // a menu item's caption, or a radio box's name
    int radio;            // the radio box's control; 0 for a menu item
    const char* encoder;  // run first, its output swapped into the input box; or null
};
const Item kItems[] = {
    {"URL加密(GBK)", 0, nullptr}, {"URL解密(GBK)", 0, "URL加密(GBK)"},
    {"URL加密(UTF8)", 0, nullptr}, {"URL解密(UTF8)", 0, "URL加密(UTF8)"},
    {"RC4加密", 0, nullptr}, {"RC4解密", 0, "RC4加密"},
    {"BASE64加密", 0, nullptr}, {"BASE64解密", 0, "BASE64加密"},
    {"BASE64编码A", 0, nullptr}, {"BASE64编码B", 0, "BASE64编码A"},
    {"简体一繁体", 0, nullptr}, {"繁体一简体", 0, nullptr},
    {"BIG5简体", 0, "繁体到BIG5"}, {"简体BIG5", 0, nullptr},
    {"BIG5到繁体", 0, "繁体到BIG5"}, {"繁体到BIG5", 0, nullptr},
    {"ansi一usc2", 0, nullptr}, {"usc2一ansi", 0, "ansi一usc2"},
    {"GB2312一UTF8", 0, nullptr}, {"UTF8一GB2312", 0, "GB2312一UTF8"},
    {"Ansi一Unicode", 0, nullptr}, {"Unicode一Ansi", 0, "Ansi一Unicode"},
    {"Ansi一Unicode_str", 0, nullptr}, {"Unicode_str一Ansi", 0, "Ansi一Unicode_str"},
    {"Unicode一UTF8", 0, nullptr}, {"UTF8一Unicode", 0, "Unicode一UTF8"},
    {"取MD2", 0, nullptr}, {"取MD4", 0, nullptr}, {"取MD5", 0, nullptr}, {"取MD5(中文)", 0, nullptr},
    {"取sha1", 0, nullptr}, {"取sha256", 0, nullptr}, {"取sha512", 0, nullptr}, {"取crc32", 0, nullptr},
    {"一键编码(&B)", 0, nullptr}, {"一键解码(&J)", 0, nullptr},
    {"进制转文本", ids::单选框_进制转文本, nullptr}, {"字母转大写", ids::单选框_字母转大写, nullptr},
    {"字母转小写", ids::单选框_字母转小写, nullptr}, {"数字转大写", ids::单选框_数字转大写, nullptr},
};

void Paste(ProgramDriver& p, const std::wstring& text) {
    SetClipboardText(text);
    p.Menu("粘贴");
}

// Chooses the item and waits until its result is in the output box; seconds, or -1.
double Run(ProgramDriver& p, const Item& item, bool encoder) {
    const wchar_t kMarker[] = L"\x2027";
    SendMessageW(p.Control(ids::编辑框_357输出), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kMarker));
    LARGE_INTEGER f, a, b;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&a);
    if (encoder || !item.radio) PostMessageW(p.main(), WM_COMMAND, MenuCommand(encoder ? item.encoder : item.name), 0);
    else p.PostClick(item.radio);
    bool done = WaitFor([&] { return p.OutputWide() != kMarker && p.StatusText().empty(); }, 300000);
    QueryPerformanceCounter(&b);
    return done ? double(b.QuadPart - a.QuadPart) / double(f.QuadPart) : -1.0;
}
}  // namespace

// Arguments: --kb=N (repeatable) for the input sizes in KB, 256 and 2048 when none is
// given; any other, the only items to run, by their place in the list from 0.
int main(int argc, char** argv) {
    std::vector<int> sizesKb;
    std::vector<int> chosen;
    for (int a = 1; a < argc; ++a) {
        if (strncmp(argv[a], "--kb=", 5) == 0) sizesKb.push_back(atoi(argv[a] + 5));
        else chosen.push_back(atoi(argv[a]));
    }
    if (sizesKb.empty()) sizesKb = {256, 2048};
    ProgramDriver p;
    if (!p.Start()) return 2;
    for (int kb : sizesKb) {
        std::wstring input;
        // "中文abc 123 ": 12 bytes of GBK a piece.
        while (input.size() * 12 / 9 < static_cast<size_t>(kb) * 1024) input += L"中文abc 123 ";
        for (const Item& item : kItems) {
            int place = static_cast<int>(&item - kItems);
            if (!chosen.empty() && std::find(chosen.begin(), chosen.end(), place) == chosen.end()) continue;
            bool digits = item.radio == ids::单选框_数字转大写;
            Paste(p, digits ? std::wstring(kb * 1024 / 64, L'7') : input);
            if (item.radio) p.Click(ids::按钮_转大小写);
            else p.Click(ids::按钮_编码处理);
            if (item.encoder) {
                if (Run(p, item, true) < 0) return 3;
                p.Click(ids::超级按钮_交换上下);
            }
            double seconds = Run(p, item, false);
            // How the result begins, so a prompt is not taken for a result.
            std::wstring begins = p.OutputWide().substr(0, 12);
            for (wchar_t& c : begins)
                if (c == L'\t' || c == L'\r' || c == L'\n') c = L' ';
            printf("%s\t%d\t%.3f\t%s\n", item.name, kb, seconds, Gbk(begins).c_str());
            fflush(stdout);
        }
    }
    p.Stop();
    return 0;
}
