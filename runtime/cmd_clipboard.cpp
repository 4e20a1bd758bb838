// The system clipboard as text. The program's texts are GBK; the clipboard also gets (and is
// read from) its UTF-16 form converted through code page 936 explicitly, so that copying and
// pasting Chinese text is right on a system whose own code page is another one.
#include <windows.h>

#include <cstring>
#include <string>

#include "command_args.h"
#include "commands_file.h"
#include "memory.h"

namespace {
HGLOBAL GlobalCopy(const void* data, size_t bytes) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    if (!h) return nullptr;
    void* p = GlobalLock(h);
    memcpy(p, data, bytes);
    GlobalUnlock(h);
    return h;
}
}  // namespace

namespace cmd {

LIBRARY_COMMAND(GetClipboardText) {
    ResultText(result, nullptr, 0);
    if (!OpenClipboard(nullptr)) return;
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
        if (const wchar_t* w = static_cast<const wchar_t*>(GlobalLock(h))) {
            int n = WideCharToMultiByte(936, 0, w, -1, nullptr, 0, nullptr, nullptr);
            if (n > 1) {
                char* text = static_cast<char*>(AllocMemory(n));
                WideCharToMultiByte(936, 0, w, -1, text, n, nullptr, nullptr);
                ResultText(result, text, static_cast<int32_t>(strlen(text)));
                FreeMemory(text);
            }
            GlobalUnlock(h);
        }
    } else if (HANDLE t = GetClipboardData(CF_TEXT)) {
        if (const char* s = static_cast<const char*>(GlobalLock(t))) {
            ResultText(result, s, static_cast<int32_t>(strlen(s)));
            GlobalUnlock(t);
        }
    }
    CloseClipboard();
}

LIBRARY_COMMAND(SetClipboardText) {
    ResultBool(result, false);
    const char* text = count > 0 ? ArgText(args[0]) : "";
    if (!OpenClipboard(nullptr)) return;
    EmptyClipboard();
    size_t n = strlen(text);
    bool ok = false;
    if (HGLOBAL h = GlobalCopy(text, n + 1)) {
        ok = SetClipboardData(CF_TEXT, h) != nullptr;
        if (!ok) GlobalFree(h);
    }
    int wn = MultiByteToWideChar(936, 0, text, -1, nullptr, 0);
    if (ok && wn > 0) {
        wchar_t* wide = static_cast<wchar_t*>(AllocMemory(wn * 2));
        MultiByteToWideChar(936, 0, text, -1, wide, wn);
        if (HGLOBAL w = GlobalCopy(wide, wn * 2)) {
            if (!SetClipboardData(CF_UNICODETEXT, w)) GlobalFree(w);
        }
        FreeMemory(wide);
        // The locale tells other programs how to read the GBK bytes of CF_TEXT.
        LCID chinese = MAKELCID(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), SORT_DEFAULT);
        if (HGLOBAL l = GlobalCopy(&chinese, sizeof(chinese))) {
            if (!SetClipboardData(CF_LOCALE, l)) GlobalFree(l);
        }
    }
    CloseClipboard();
    ResultBool(result, ok);
}

// The same with UTF-16 units: nothing is lost to a code page. CF_TEXT is read as GBK when
// the clipboard has no Unicode text; the system makes CF_TEXT for other programs itself.
LIBRARY_COMMAND(GetClipboardUnits) {
    ResultByteSet(result, nullptr, 0);
    if (!OpenClipboard(nullptr)) return;
    std::wstring text;
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
        if (const wchar_t* w = static_cast<const wchar_t*>(GlobalLock(h))) {
            text = w;
            GlobalUnlock(h);
        }
    } else if (HANDLE t = GetClipboardData(CF_TEXT)) {
        if (const char* s = static_cast<const char*>(GlobalLock(t))) {
            int n = MultiByteToWideChar(936, 0, s, -1, nullptr, 0);
            if (n > 1) {
                text.resize(n);
                MultiByteToWideChar(936, 0, s, -1, &text[0], n);
                text.resize(n - 1);
            }
            GlobalUnlock(t);
        }
    }
    CloseClipboard();
    std::string bytes(2 * text.size(), '\0');
    for (size_t i = 0; i < text.size(); ++i) {
        bytes[2 * i] = static_cast<char>(text[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(text[i] >> 8);
    }
    ResultByteSet(result, reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<int32_t>(bytes.size()));
}

LIBRARY_COMMAND(SetClipboardUnits) {
    ResultBool(result, false);
    int32_t length = 0;
    const uint8_t* bytes = count > 0 ? ArgBytes(args[0], &length) : nullptr;
    std::wstring text(length / 2, L'\0');
    for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<wchar_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    if (!OpenClipboard(nullptr)) return;
    EmptyClipboard();
    bool ok = false;
    if (HGLOBAL h = GlobalCopy(text.c_str(), (text.size() + 1) * sizeof(wchar_t))) {
        ok = SetClipboardData(CF_UNICODETEXT, h) != nullptr;
        if (!ok) GlobalFree(h);
    }
    CloseClipboard();
    ResultBool(result, ok);
}

}  // namespace cmd
