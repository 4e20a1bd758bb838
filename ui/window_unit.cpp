#include "ui/window_unit.h"

#include <cstring>
#include <string>
#include <vector>

#include <shellapi.h>

#include "runtime/command_args.h"
#include "ui/dpi.h"
#include "ui/event_dispatch.h"
#include "ui/wide_text.h"
#include "ui/window_loader.h"
#include "ui/window_registry.h"

namespace {
// Set while the may-close query asks on behalf of the ending session: an answer of no
// cancels the shutdown, after which the program goes on as before.
bool g_sessionEndQueried = false;
}  // namespace

bool SessionEndQueried() { return g_sessionEndQueried; }

namespace {
std::vector<std::wstring> g_droppedFiles;

// The names go out of the system's block at once: the handler may run a long command, and
// the block is freed before it does.
void OnDropFiles(WindowUnit* unit, HDROP drop) {
    g_droppedFiles.clear();
    UINT count = DragQueryFileW(drop, 0xFFFFFFFFu, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring name(length + 1, L'\0');
        name.resize(DragQueryFileW(drop, i, &name[0], length + 1));
        if (!name.empty()) g_droppedFiles.push_back(name);
    }
    DragFinish(drop);
    FormWindow* w = FindWindowByObject(unit);
    if (w && !g_droppedFiles.empty()) RaiseFrameworkEvent(w->id, 0, kWindowEventFilesDropped);
}
}  // namespace

const std::vector<std::wstring>& DroppedFiles() { return g_droppedFiles; }

namespace {
const wchar_t kDefaultClass[] = L"WenhuitongForm";
const UINT kMsgWindowLoaded = 0x8004;
const UINT kMsgBringModalForward = 0x8005;
const UINT kMenuCommandsIgnoredFrom = 57600;

LRESULT CALLBACK FrameWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

bool RegisterFrameClass(const wchar_t* name) {
    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof(existing);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (GetClassInfoExW(instance, name, &existing)) return existing.lpfnWndProc == FrameWindowProc;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;  // the double-click event
    wc.lpfnWndProc = FrameWindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // the arrow
    wc.lpszClassName = name;
    return RegisterClassExW(&wc) != 0;
}

bool Resizable(int borderStyle) { return borderStyle == 1 || borderStyle == 3 || borderStyle == 5; }

// Reads of the window's own properties: the kinds they are declared with.
enum class Kind { Int, Bool, Text, Bytes };
Kind KindOfProperty(int k) {
    switch (k) {
    case 0: case 16: case 23:
        return Kind::Text;
    case 3: case 5: case 12:
        return Kind::Bytes;
    case 7: case 8: case 9: case 11: case 13: case 14: case 15: case 18: case 19: case 21: case 22:
        return Kind::Bool;
    default:
        return Kind::Int;
    }
}

// The int32 fields behind the numeric and flag properties; null for the others.
int32_t* NumberField(WindowData& d, int k) {
    switch (k) {
    case 1: return &d.BorderStyle;
    case 2: return reinterpret_cast<int32_t*>(&d.BackColour);
    case 4: return &d.BackPictureMode;
    case 6: return &d.MusicMode;
    case 7: return &d.ControlBox;
    case 8: return &d.MaxButton;
    case 9: return &d.MinButton;
    case 10: return &d.Position;
    case 11: return &d.Movable;
    case 13: return &d.Flag21;
    case 14: return &d.Flag22;
    case 15: return &d.Flag23;
    case 17: return &d.Number25;
    case 18: return &d.ShowInTaskbar;
    case 19: return &d.Flag27;
    case 20: return &d.Shape;
    case 21: return &d.AlwaysOnTop;
    case 22: return &d.Flag30;
    default: return nullptr;
    }
}

Blob* BytesField(WindowData& d, int k) {
    switch (k) {
    case 3: return &d.BackPicture;
    case 5: return &d.BackMusic;
    case 12: return &d.Icon;
    default: return nullptr;
    }
}

std::string* TextField(WindowData& d, int k) {
    switch (k) {
    case 0: return &d.Title;
    case 16: return &d.Text24;
    case 23: return &d.WindowClassName;
    default: return nullptr;
    }
}

LRESULT OnMenuCommand(HWND hwnd, Unit* unit, WPARAM wParam, LPARAM lParam) {
    UINT c = LOWORD(wParam);
    if (c >= kMenuCommandsIgnoredFrom) return 0;
    if (c < static_cast<UINT>(kFirstMenuCommand)) return DefWindowProcW(hwnd, WM_COMMAND, wParam, lParam);
    FormWindow* w = FindWindowByObject(unit);
    FormRecord* item = w ? MenuRecordOfCommand(*w, c) : nullptr;
    if (item) RaiseFrameworkEvent(w->id, item->id, 0);
    return 0;
}

bool IsReflected(UINT message) {
    switch (message) {
    case WM_NOTIFY: case WM_DRAWITEM: case WM_MEASUREITEM: case WM_COMPAREITEM: case WM_DELETEITEM:
    case WM_CTLCOLORBTN: case WM_CTLCOLOREDIT: case WM_CTLCOLORSTATIC: case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORMSGBOX: case WM_CTLCOLORDLG: case WM_HSCROLL: case WM_VSCROLL:
        return true;
    default:
        return false;
    }
}

LRESULT CALLBACK FrameWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowUnit* unit = reinterpret_cast<WindowUnit*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        unit = static_cast<WindowUnit*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(unit));
        if (unit) unit->hwnd = hwnd;
    }
    if (!unit) return DefWindowProcW(hwnd, message, wParam, lParam);
    LRESULT result = 0;
    switch (message) {
    case WM_COMMAND:
        if (lParam) {
            if (ReflectToChildUnit(hwnd, message, wParam, lParam, &result)) return result;
            break;
        }
        return OnMenuCommand(hwnd, unit, wParam, lParam);
    case WM_CLOSE: {
        FormWindow* w = FindWindowByObject(unit);
        if (w)
            CloseFormWindow(*w);
        else
            DestroyWindow(hwnd);
        return 0;
    }
    case WM_QUERYENDSESSION: {
        FormWindow* w = FindWindowByObject(unit);
        int32_t answer;
        g_sessionEndQueried = true;
        bool vetoed = w && RaiseFrameworkEvent(w->id, 0, 1, &answer) && answer == 0;
        g_sessionEndQueried = false;
        return vetoed ? FALSE : TRUE;
    }
    case WM_ERASEBKGND: {
        RECT rc;
        GetClientRect(hwnd, &rc);
        FillRect(reinterpret_cast<HDC>(wParam), &rc, unit->BackgroundBrush());
        return 1;
    }
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT) {
            FormWindow* w = FindWindowByObject(unit);
            FormRecord* r = w ? FindRecordByHandle(*w, reinterpret_cast<HWND>(wParam)) : nullptr;
            if (r && r->CursorSlot) {
                SetCursor(static_cast<HCURSOR>(r->CursorSlot));
                return TRUE;
            }
        }
        break;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            FormWindow* w = FindWindowByObject(unit);
            HWND focus = GetFocus();
            if (w && focus && IsChild(hwnd, focus)) RuntimeOf(*w).lastFocus = focus;
        } else if (!IsWindowEnabled(hwnd)) {
            // Once the activation is over: a modal window that keeps this one disabled
            // comes forward.
            PostMessageW(hwnd, kMsgBringModalForward, 0, 0);
        }
        break;
    case kMsgBringModalForward:
        if (!IsWindowEnabled(hwnd) && GetActiveWindow() == hwnd) BringModalForward(hwnd);
        return 0;
    case WM_SETFOCUS:
        if (FormWindow* w = FindWindowByObject(unit)) RestoreWindowFocus(*w);
        return 0;
    case kMsgWindowLoaded:
        return 0;
    case WM_DROPFILES:
        OnDropFiles(unit, reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_DPICHANGED: {
        const int dpi = HIWORD(wParam);
        FormWindow* w = FindWindowByObject(unit);
        if (!w || dpi < 48 || dpi > 960) return 0;
        RECT target;
        if (lParam) {
            target = *reinterpret_cast<const RECT*>(lParam);
        } else {
            // No suggestion: the window keeps its top-left corner.
            GetWindowRect(hwnd, &target);
            SIZE size = unit->OuterSizeAtDpi(dpi);
            target.right = target.left + size.cx;
            target.bottom = target.top + size.cy;
        }
        SetWindowPos(hwnd, nullptr, target.left, target.top, target.right - target.left, target.bottom - target.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        // A frame or menu bar other than the suggestion foresaw (a bar that now wraps) would
        // cut the client area short: the size follows the client area the DPI asks for.
        unit->dpi = dpi;
        unit->FitClientToDpi();
        RelayoutWindowAtDpi(*w, dpi);
        return 0;
    }
    case WM_DESTROY:
        if (FormWindow* w = FindWindowByObject(unit)) ReplayDisabledWindows(*w);
        break;
    case WM_NCDESTROY:
        result = DefWindowProcW(hwnd, message, wParam, lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        OnFormWindowDestroyed(hwnd);
        return result;
    default:
        if (IsReflected(message) && ReflectToChildUnit(hwnd, message, wParam, lParam, &result)) return result;
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
}  // namespace

void WindowFrameStyles(const WindowData& d, DWORD* style, DWORD* exStyle) {
    DWORD s = WS_CLIPCHILDREN, ex = 0;
    switch (d.BorderStyle) {
    case 0: s |= WS_POPUP; break;
    case 1: s |= WS_CAPTION | WS_THICKFRAME; break;
    case 3: s |= WS_CAPTION | WS_THICKFRAME; ex |= WS_EX_TOOLWINDOW; break;
    case 4: s |= WS_CAPTION; ex |= WS_EX_TOOLWINDOW; break;
    case 5: s |= WS_CAPTION | WS_THICKFRAME; ex |= WS_EX_CLIENTEDGE; break;
    case 6: s |= WS_CAPTION; ex |= WS_EX_CLIENTEDGE; break;
    default: s |= WS_CAPTION; break;
    }
    if (d.BorderStyle != 0) {
        if (d.ControlBox) s |= WS_SYSMENU;
        if (d.MinButton) s |= WS_MINIMIZEBOX;
        if (d.MaxButton) s |= WS_MAXIMIZEBOX;
        // Without a title and a control box nothing would go into the caption bar: the
        // window keeps only its frame (a pop-up window, since an overlapped one always
        // gets a caption).
        if (d.Title.empty() && !d.ControlBox) s = (s & ~WS_CAPTION) | WS_POPUP | WS_BORDER;
    }
    if (d.AlwaysOnTop) ex |= WS_EX_TOPMOST;
    *style = s;
    *exStyle = ex;
}

SIZE ScaledOuterSize(const WindowData& d, bool menu, int width, int height, int dpi) {
    SIZE size = {width, height};
    if (dpi == kDesignDpi) return size;
    DWORD style, ex;
    WindowFrameStyles(d, &style, &ex);
    RECT frame = {0, 0, 0, 0};
    AdjustWindowRectForDpi(&frame, style, menu, ex, kDesignDpi);
    RECT rc = {0, 0, ScaleToDpi(width - (frame.right - frame.left), dpi), ScaleToDpi(height - (frame.bottom - frame.top), dpi)};
    AdjustWindowRectForDpi(&rc, style, menu, ex, dpi);
    size.cx = rc.right - rc.left;
    size.cy = rc.bottom - rc.top;
    return size;
}

HICON IconFromIconFile(const uint8_t* data, uint32_t size, int width, int height) {
    if (!data || size < 6) return nullptr;
    uint16_t reserved, type, count;
    memcpy(&reserved, data, 2);
    memcpy(&type, data + 2, 2);
    memcpy(&count, data + 4, 2);
    if (reserved != 0 || type != 1 || count == 0 || size < 6u + 16u * count) return nullptr;
    // The image closest in width to the size asked for; 0 in the directory means 256.
    int best = -1, bestDistance = 0;
    for (int i = 0; i < count; ++i) {
        const uint8_t* e = data + 6 + 16 * i;
        int w = e[0] ? e[0] : 256;
        uint32_t bytes, offset;
        memcpy(&bytes, e + 8, 4);
        memcpy(&offset, e + 12, 4);
        if (offset > size || bytes > size - offset || bytes == 0) continue;
        int distance = w > width ? w - width : width - w;
        if (best < 0 || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    if (best < 0) return nullptr;
    const uint8_t* e = data + 6 + 16 * best;
    uint32_t bytes, offset;
    memcpy(&bytes, e + 8, 4);
    memcpy(&offset, e + 12, 4);
    return CreateIconFromResourceEx(const_cast<PBYTE>(data + offset), bytes, TRUE, 0x00030000, width, height,
                                    LR_DEFAULTCOLOR);
}

WindowUnit::~WindowUnit() {
    if (ownBrush_) DeleteObject(ownBrush_);
    if (bigIcon_) DestroyIcon(bigIcon_);
    if (smallIcon_) DestroyIcon(smallIcon_);
}

int WindowUnit::ShowCommand() const {
    if (data.Position == 2) return SW_SHOWMINIMIZED;
    if (data.Position == 3 && Resizable(data.BorderStyle)) return SW_SHOWMAXIMIZED;
    return SW_SHOW;
}

HBRUSH WindowUnit::BackgroundBrush() const { return ownBrush_ ? ownBrush_ : GetSysColorBrush(COLOR_BTNFACE); }

void WindowUnit::ApplyBackColour() {
    if (ownBrush_) DeleteObject(ownBrush_);
    ownBrush_ = data.BackColour == kDefaultColour ? nullptr : CreateSolidBrush(data.BackColour & 0x00FFFFFF);
    if (hwnd) InvalidateRect(hwnd, nullptr, TRUE);
}

void WindowUnit::ApplyIcon() {
    HICON big = nullptr, small = nullptr;
    if (!data.Icon.empty()) {
        uint32_t n = static_cast<uint32_t>(data.Icon.size());
        big = IconFromIconFile(data.Icon.data(), n, SystemMetricForDpi(SM_CXICON, dpi), SystemMetricForDpi(SM_CYICON, dpi));
        small = IconFromIconFile(data.Icon.data(), n, SystemMetricForDpi(SM_CXSMICON, dpi),
                                 SystemMetricForDpi(SM_CYSMICON, dpi));
    }
    if (hwnd) {
        SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
        SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    }
    if (bigIcon_) DestroyIcon(bigIcon_);
    if (smallIcon_) DestroyIcon(smallIcon_);
    bigIcon_ = big;
    smallIcon_ = small;
}

SIZE WindowUnit::OuterSizeAtDpi(int atDpi) const {
    return ScaledOuterSize(data, hwnd && GetMenu(hwnd), designWidth_, designHeight_, atDpi);
}

void WindowUnit::FitClientToDpi() {
    if (!hwnd || IsIconic(hwnd) || IsZoomed(hwnd)) return;
    DWORD style, ex;
    WindowFrameStyles(data, &style, &ex);
    RECT frame = {0, 0, 0, 0};
    AdjustWindowRectForDpi(&frame, style, GetMenu(hwnd) != nullptr, ex, kDesignDpi);
    const int wantWidth = ScaleToDpi(designWidth_ - (frame.right - frame.left), dpi);
    const int wantHeight = ScaleToDpi(designHeight_ - (frame.bottom - frame.top), dpi);
    RECT client, outer;
    GetClientRect(hwnd, &client);
    GetWindowRect(hwnd, &outer);
    const int dx = wantWidth - client.right, dy = wantHeight - client.bottom;
    if (dx == 0 && dy == 0) return;
    SetWindowPos(hwnd, nullptr, 0, 0, outer.right - outer.left + dx, outer.bottom - outer.top + dy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void WindowUnit::ApplyMovable() {
    if (!hwnd) return;
    GetSystemMenu(hwnd, TRUE);  // back to the standard system menu
    if (!data.Movable) {
        HMENU system = GetSystemMenu(hwnd, FALSE);
        if (system) DeleteMenu(system, SC_MOVE, MF_BYCOMMAND);
    }
}

void WindowUnit::ApplyFrameStyles() {
    if (!hwnd) return;
    DWORD style, ex;
    WindowFrameStyles(data, &style, &ex);
    const DWORD keptStyle = WS_VISIBLE | WS_DISABLED | WS_MINIMIZE | WS_MAXIMIZE;
    DWORD current = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
    SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG>((style & ~keptStyle) | (current & keptStyle)));
    DWORD currentEx = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE));
    // Top-most is changed through the z-order, and a container mark stays.
    DWORD keptEx = WS_EX_TOPMOST | WS_EX_CONTROLPARENT;
    SetWindowLongW(hwnd, GWL_EXSTYLE, static_cast<LONG>((ex & ~keptEx) | (currentEx & keptEx)));
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    ApplyMovable();
}

bool WindowUnit::ReadProperty(int k, ArgRecord* value) {
    if (k < 0 || k > 23) return false;
    switch (KindOfProperty(k)) {
    case Kind::Text:
        if (k == 0 && hwnd) {
            *value = {reinterpret_cast<uintptr_t>(GetWindowTextGbk(hwnd)), 0, kText};
        } else {
            const std::string& s = *TextField(data, k);
            ResultText(value, s.data(), static_cast<int32_t>(s.size()));
        }
        return true;
    case Kind::Bytes: {
        const Blob& b = *BytesField(data, k);
        ResultByteSet(value, b.data(), static_cast<int32_t>(b.size()));
        return true;
    }
    case Kind::Bool:
        ResultBool(value, *NumberField(data, k) != 0);
        return true;
    case Kind::Int:
        ResultInt(value, *NumberField(data, k));
        return true;
    }
    return false;
}

bool WindowUnit::PropertyChanged(int k, const ArgRecord& value) {
    if (k < 0 || k > 23) return false;
    switch (KindOfProperty(k)) {
    case Kind::Text:
        *TextField(data, k) = ArgText(value);
        if (k == 0 && hwnd) SetWindowTextGbk(hwnd, data.Title.c_str());
        break;
    case Kind::Bytes: {
        int32_t n = 0;
        const uint8_t* bytes = ArgBytes(value, &n);
        BytesField(data, k)->assign(bytes, bytes + n);
        break;
    }
    case Kind::Bool:
        *NumberField(data, k) = ArgBool(value) ? 1 : 0;
        break;
    case Kind::Int:
        *NumberField(data, k) = ArgInt(value);
        break;
    }
    switch (k) {
    case 1: case 7: case 8: case 9:
        ApplyFrameStyles();
        break;
    case 0:
        // A title can bring the caption back (or take it away) for a window without a control box.
        if (!data.ControlBox) ApplyFrameStyles();
        break;
    case 2:
        ApplyBackColour();
        break;
    case 11:
        ApplyMovable();
        break;
    case 12:
        ApplyIcon();
        break;
    case 21:
        if (hwnd)
            SetWindowPos(hwnd, data.AlwaysOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        break;
    default:
        break;  // kept: stored and read back
    }
    return true;
}

Unit* CreateWindowUnit(const UnitCreateParams& p) {
    WindowUnit* unit = new WindowUnit;
    if (!ReadWindowData(p.data, p.size, &unit->data)) {
        delete unit;
        return nullptr;
    }
    unit->windowId = p.windowId;
    unit->unitId = p.unitId;
    unit->typeId = kTypeWindow;
    unit->dpi = p.dpi;
    unit->designWidth_ = p.width;
    unit->designHeight_ = p.height;

    std::wstring className = GbkToWide(unit->data.WindowClassName.c_str());
    // A class of that name that is not ours (a system class) would give a window without
    // this procedure: the default class serves instead.
    if (className.empty() || !RegisterFrameClass(className.c_str())) {
        className = kDefaultClass;
        RegisterFrameClass(kDefaultClass);
    }
    DWORD style, ex;
    WindowFrameStyles(unit->data, &style, &ex);
    style |= p.style & WS_DISABLED;
    SIZE size = ScaledOuterSize(unit->data, p.menu != nullptr, p.width, p.height, p.dpi);
    int x = p.left, y = p.top;
    if (unit->data.Position == 1) {
        RECT work;
        if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0))
            SetRect(&work, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        x = work.left + (work.right - work.left - size.cx) / 2;
        y = work.top + (work.bottom - work.top - size.cy) / 2;
    }
    unit->ApplyBackColour();
    HWND hwnd = CreateWindowExW(ex, className.c_str(), GbkToWide(unit->data.Title.c_str()).c_str(), style, x, y,
                                size.cx, size.cy, p.parent, p.menu, GetModuleHandleW(nullptr), unit);
    if (!hwnd) {
        delete unit;
        return nullptr;
    }
    unit->hwnd = hwnd;
    unit->ApplyMovable();
    unit->ApplyIcon();
    AttachUnitToWindow(unit, hwnd);
    InstallCommonEvents(unit);
    return unit;
}

namespace {
void* WindowTypeQuery(int interfaceNumber) {
    return interfaceNumber == kUnitInterfaceCreate ? reinterpret_cast<void*>(&CreateWindowUnit) : nullptr;
}
}  // namespace

void RegisterWindowUnitType() { RegisterUnitType(kTypeWindow, WindowTypeQuery); }
