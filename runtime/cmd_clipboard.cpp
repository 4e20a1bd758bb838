// The system clipboard as text. The program's texts are GBK; the clipboard also gets (and is
// read from) its UTF-16 form converted through code page 936 explicitly, so that copying and
// pasting Chinese text is right on a system whose own code page is another one.
//
// The clipboard is shared by the whole desktop: it is opened only once the new data is made,
// emptied only when that data exists, and closed however the command ends (an allocation
// failure may unwind through here).
#include "clipboard.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "command_args.h"
#include "commands_file.h"
#include "memory.h"

namespace {
bool g_busy = false;

// Another program may hold the clipboard for a moment (a clipboard viewer reading what was
// just put there): a few short tries, as Windows programs commonly make.
class ClipboardSession {
public:
    ClipboardSession() {
        for (int attempt = 0; attempt < 10 && !open_; ++attempt) {
            open_ = OpenClipboard(nullptr) != 0;
            if (!open_) Sleep(10);
        }
        g_busy = !open_;
    }
    ~ClipboardSession() {
        if (open_) CloseClipboard();
    }
    bool open() const { return open_; }

private:
    bool open_ = false;
};

HGLOBAL GlobalCopy(const void* data, size_t bytes) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!h) return nullptr;
    memcpy(GlobalLock(h), data, bytes);
    GlobalUnlock(h);
    return h;
}

// Hands the blocks to the clipboard in one session, or frees them all when one could not be
// made or the clipboard cannot be had: what the user had there stays.
bool PutBlocks(std::initializer_list<std::pair<UINT, HGLOBAL>> blocks) {
    bool ok = true;
    for (const auto& b : blocks) ok = ok && b.second != nullptr;
    if (ok) {
        ClipboardSession session;
        ok = session.open() && EmptyClipboard();
        for (const auto& b : blocks) {
            if (ok && SetClipboardData(b.first, b.second)) continue;
            GlobalFree(b.second);
            ok = false;
        }
        return ok;
    }
    for (const auto& b : blocks)
        if (b.second) GlobalFree(b.second);
    return false;
}

// The clipboard's Unicode text, or its CF_TEXT read as GBK: handed to make() with its
// length in units while the clipboard is open, so it is copied once.
template <typename Make>
bool ReadUnits(Make make) {
    ClipboardSession session;
    if (!session.open()) return false;
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
        const wchar_t* w = static_cast<const wchar_t*>(GlobalLock(h));
        if (!w) return false;
        // The block may hold more than the text: the text ends at its zero unit.
        size_t limit = GlobalSize(h) / sizeof(wchar_t), n = 0;
        while (n < limit && w[n]) ++n;
        struct Unlock {
            HANDLE h;
            ~Unlock() { GlobalUnlock(h); }
        } unlock{h};
        make(w, n);
        return true;
    }
    if (HANDLE t = GetClipboardData(CF_TEXT)) {
        const char* s = static_cast<const char*>(GlobalLock(t));
        if (!s) return false;
        struct Unlock {
            HANDLE h;
            ~Unlock() { GlobalUnlock(h); }
        } unlock{t};
        std::wstring wide;
        int n = MultiByteToWideChar(936, 0, s, -1, nullptr, 0);
        if (n > 1) {
            wide.resize(n);
            MultiByteToWideChar(936, 0, s, -1, &wide[0], n);
            wide.resize(n - 1);
        }
        make(wide.data(), wide.size());
        return true;
    }
    make(L"", 0);
    return true;
}
}  // namespace

bool ClipboardWasBusy() { return g_busy; }

bool PutClipboardUnicode(const wchar_t* text, size_t count) {
    if (count >= SIZE_MAX / sizeof(wchar_t)) return false;
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, (count + 1) * sizeof(wchar_t));
    if (h) {
        wchar_t* w = static_cast<wchar_t*>(GlobalLock(h));
        memcpy(w, text, count * sizeof(wchar_t));
        w[count] = L'\0';
        GlobalUnlock(h);
    }
    g_busy = false;
    return PutBlocks({{CF_UNICODETEXT, h}});
}

bool ReadClipboardUnicode(std::wstring* text) {
    return ReadUnits([text](const wchar_t* w, size_t n) { text->assign(w, n); });
}

namespace cmd {

LIBRARY_COMMAND(GetClipboardText) {
    ResultText(result, nullptr, 0);
    ReadUnits([result](const wchar_t* w, size_t n) {
        if (n == 0 || n > INT32_MAX / 2) return;
        int length = static_cast<int>(n);
        int bytes = WideCharToMultiByte(936, 0, w, length, nullptr, 0, nullptr, nullptr);
        if (bytes <= 0) return;
        char* text = static_cast<char*>(AllocMemory(bytes + 1));
        WideCharToMultiByte(936, 0, w, length, text, bytes, nullptr, nullptr);
        text[bytes] = '\0';
        ResultText(result, text, static_cast<int32_t>(strlen(text)));
        FreeMemory(text);
    });
}

LIBRARY_COMMAND(SetClipboardText) {
    ResultBool(result, false);
    const char* text = count > 0 ? ArgText(args[0]) : "";
    size_t n = strlen(text);
    int wn = MultiByteToWideChar(936, 0, text, -1, nullptr, 0);
    HGLOBAL wide = wn > 0 ? GlobalAlloc(GMEM_MOVEABLE, static_cast<size_t>(wn) * sizeof(wchar_t)) : nullptr;
    if (wide) {
        MultiByteToWideChar(936, 0, text, -1, static_cast<wchar_t*>(GlobalLock(wide)), wn);
        GlobalUnlock(wide);
    }
    // The locale tells other programs how to read the GBK bytes of CF_TEXT.
    LCID chinese = MAKELCID(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), SORT_DEFAULT);
    g_busy = false;
    ResultBool(result, PutBlocks({{CF_TEXT, GlobalCopy(text, n + 1)},
                                  {CF_UNICODETEXT, wide},
                                  {CF_LOCALE, GlobalCopy(&chinese, sizeof(chinese))}}));
}

// The same with UTF-16 units: nothing is lost to a code page. CF_TEXT is read as GBK when
// the clipboard has no Unicode text; the system makes CF_TEXT for other programs itself.
LIBRARY_COMMAND(GetClipboardUnits) {
    ResultByteSet(result, nullptr, 0);
    ReadUnits([result](const wchar_t* w, size_t n) {
        if (n == 0) return;
        if (n > (INT32_MAX - 16) / 2) RaiseAllocationFailure(static_cast<int64_t>(n) * 2);
        uint8_t* bytes = NewByteSetBlock(static_cast<int32_t>(2 * n));
        uint8_t* d = ByteSetBytes(bytes);
        for (size_t i = 0; i < n; ++i) {
            d[2 * i] = static_cast<uint8_t>(w[i] & 0xFF);
            d[2 * i + 1] = static_cast<uint8_t>((w[i] >> 8) & 0xFF);
        }
        result->value = reinterpret_cast<uintptr_t>(bytes);
    });
}

LIBRARY_COMMAND(SetClipboardUnits) {
    int32_t length = 0;
    const uint8_t* bytes = count > 0 ? ArgBytes(args[0], &length) : nullptr;
    size_t n = static_cast<size_t>(length) / 2;
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, (n + 1) * sizeof(wchar_t));
    if (h) {
        wchar_t* w = static_cast<wchar_t*>(GlobalLock(h));
        for (size_t i = 0; i < n; ++i) w[i] = static_cast<wchar_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        w[n] = L'\0';
        GlobalUnlock(h);
    }
    g_busy = false;
    ResultBool(result, PutBlocks({{CF_UNICODETEXT, h}}));
}

}  // namespace cmd
