#include "ui/dpi.h"

namespace {
// Functions of Windows 10 (1607 on); older systems have one DPI for every monitor.
typedef UINT(WINAPI* GetDpiForWindowFunction)(HWND);
typedef int(WINAPI* GetSystemMetricsForDpiFunction)(int, UINT);
typedef BOOL(WINAPI* AdjustWindowRectExForDpiFunction)(RECT*, DWORD, BOOL, DWORD, UINT);

FARPROC User32Function(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? GetProcAddress(user32, name) : nullptr;
}

template <typename F>
F Resolve(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(User32Function(name)));
}

bool Plausible(int dpi) { return dpi >= 48 && dpi <= 960; }
}  // namespace

int SystemDpi() {
    HDC dc = GetDC(nullptr);
    int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : kDesignDpi;
    if (dc) ReleaseDC(nullptr, dc);
    return Plausible(dpi) ? dpi : kDesignDpi;
}

int WindowDpi(HWND hwnd) {
    static GetDpiForWindowFunction forWindow = Resolve<GetDpiForWindowFunction>("GetDpiForWindow");
    if (forWindow && hwnd) {
        int dpi = static_cast<int>(forWindow(hwnd));
        if (Plausible(dpi)) return dpi;
    }
    return SystemDpi();
}

int ScaleToDpi(int value, int dpi) { return dpi == kDesignDpi ? value : MulDiv(value, dpi, kDesignDpi); }

int ScaleFromDpi(int value, int dpi) { return dpi == kDesignDpi ? value : MulDiv(value, kDesignDpi, dpi); }

RECT ScaleRectToDpi(int left, int top, int width, int height, int dpi) {
    RECT rc;
    rc.left = ScaleToDpi(left, dpi);
    rc.top = ScaleToDpi(top, dpi);
    rc.right = ScaleToDpi(left + width, dpi);
    rc.bottom = ScaleToDpi(top + height, dpi);
    return rc;
}

int SystemMetricForDpi(int index, int dpi) {
    static GetSystemMetricsForDpiFunction forDpi = Resolve<GetSystemMetricsForDpiFunction>("GetSystemMetricsForDpi");
    return forDpi ? forDpi(index, static_cast<UINT>(dpi)) : GetSystemMetrics(index);
}

void AdjustWindowRectForDpi(RECT* rc, DWORD style, bool menu, DWORD exStyle, int dpi) {
    static AdjustWindowRectExForDpiFunction forDpi = Resolve<AdjustWindowRectExForDpiFunction>("AdjustWindowRectExForDpi");
    if (forDpi && forDpi(rc, style, menu ? TRUE : FALSE, exStyle, static_cast<UINT>(dpi))) return;
    // Only the system's frame is known: its margins scaled from the system's DPI.
    RECT frame = {0, 0, 0, 0};
    AdjustWindowRectEx(&frame, style, menu ? TRUE : FALSE, exStyle);
    const int system = SystemDpi();
    rc->left += MulDiv(frame.left, dpi, system);
    rc->top += MulDiv(frame.top, dpi, system);
    rc->right += MulDiv(frame.right, dpi, system);
    rc->bottom += MulDiv(frame.bottom, dpi, system);
}
