// The receiving half of the pair: a bare window that takes WM_SETTEXT and tells how many
// units arrived. Nothing of the program is in it, so what the pair shows is Wine's own.
#include <windows.h>

namespace {
LRESULT g_arrived = -1;  // units of the last WM_SETTEXT; -1 before any

LRESULT CALLBACK Receive(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SETTEXT:
        g_arrived = lParam ? lstrlenW(reinterpret_cast<const wchar_t*>(lParam)) : 0;
        return TRUE;
    case WM_APP:  // how many units the last text had
        return g_arrived;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = Receive;
    wc.hInstance = instance;
    wc.lpszClassName = L"SetTextReceiver";
    RegisterClassW(&wc);
    CreateWindowW(L"SetTextReceiver", L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr, instance, nullptr);
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) DispatchMessageW(&m);
    return 0;
}
