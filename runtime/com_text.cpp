#include "com_text.h"

#include <windows.h>
#include <oleauto.h>

#include "memory.h"

BSTR GbkToBstr(const char* text) {
    int len = lstrlenA(text);
    int n = MultiByteToWideChar(936, 0, text, len, nullptr, 0);
    BSTR s = SysAllocStringLen(nullptr, n);
    if (s && n > 0) MultiByteToWideChar(936, 0, text, len, s, n);
    return s;
}

Text BstrToGbk(BSTR s) {
    int wlen = static_cast<int>(SysStringLen(s));
    if (!s || wlen == 0) return nullptr;
    int n = WideCharToMultiByte(936, 0, s, wlen, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return nullptr;
    char* t = static_cast<char*>(AllocMemory(n + 1));
    WideCharToMultiByte(936, 0, s, wlen, t, n, nullptr, nullptr);
    t[n] = 0;
    return t;
}
