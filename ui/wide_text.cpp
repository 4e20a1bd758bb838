#include "ui/wide_text.h"

#include "runtime/memory.h"

std::wstring GbkToWide(const char* text) {
    if (!text || !*text) return std::wstring();
    int n = MultiByteToWideChar(936, 0, text, -1, nullptr, 0);
    std::wstring w(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1) MultiByteToWideChar(936, 0, text, -1, &w[0], n);
    return w;
}

Text WideToGbk(const wchar_t* text, int length) {
    if (!text || length == 0 || (length < 0 && !*text)) return nullptr;
    if (length < 0) length = lstrlenW(text);
    int n = WideCharToMultiByte(936, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return nullptr;
    char* t = static_cast<char*>(AllocMemory(n + 1));
    WideCharToMultiByte(936, 0, text, length, t, n, nullptr, nullptr);
    t[n] = 0;
    return t;
}

Text GetWindowTextGbk(HWND hwnd) {
    int n = GetWindowTextLengthW(hwnd);
    if (n <= 0) return nullptr;
    std::wstring w(n + 1, L'\0');
    int got = GetWindowTextW(hwnd, &w[0], n + 1);
    return WideToGbk(w.c_str(), got);
}

void SetWindowTextGbk(HWND hwnd, const char* text) { SetWindowTextW(hwnd, GbkToWide(text).c_str()); }
