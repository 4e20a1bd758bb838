#include "ui/keyboard_navigation.h"

#include <algorithm>

#include "ui/form_data.h"
#include "ui/unit_type.h"
#include "ui/window_registry.h"

namespace {
// Set on a top-level window once its keyboard cues are to be shown. Kept by the framework
// itself: not every system keeps the UI state that WM_CHANGEUISTATE asks for.
const wchar_t kCuesProperty[] = L"WenHuiTong.KeyboardCues";
HWND g_quietFocus = nullptr;

bool Held(int key) { return GetKeyState(key) < 0; }

uint32_t TypeOf(HWND w) {
    Unit* unit = UnitFromWindow(w);
    return unit ? unit->typeId : 0;
}

bool IsPushButton(HWND w) {
    uint32_t type = TypeOf(w);
    return type == kTypeButton || type == kTypeSuperBtn;
}

struct Collection {
    FormWindow* window;
    std::vector<HWND> stops;
};

// A unit is a tab stop when its record says so: a radio box loses its WS_TABSTOP style
// while unchecked, but every radio box here runs an action of its own.
BOOL CALLBACK CollectTabStop(HWND w, LPARAM p) {
    Collection* c = reinterpret_cast<Collection*>(p);
    FormRecord* r = c->window ? FindRecordByHandle(*c->window, w) : nullptr;
    bool stop = r ? (r->UnitFlags & kUnitTabStop) != 0 : (GetWindowLongW(w, GWL_STYLE) & WS_TABSTOP) != 0;
    if (stop && IsWindowVisible(w) && IsWindowEnabled(w)) c->stops.push_back(w);
    return TRUE;
}

RECT ScreenRect(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    return r;
}

// Moves the focus one tab stop on (or back) from the control that has it, round the end.
void Tab(HWND root, HWND focus, bool back) {
    std::vector<HWND> order = TabOrderOf(root);
    if (order.empty()) return;
    // The focus may sit in a part of a unit (a spin control): its unit's place counts.
    auto at = order.end();
    for (HWND w = focus; w && w != root && at == order.end(); w = GetParent(w))
        at = std::find(order.begin(), order.end(), w);
    size_t n = order.size(), next;
    if (at == order.end())
        next = back ? n - 1 : 0;
    else
        next = (static_cast<size_t>(at - order.begin()) + (back ? n - 1 : 1)) % n;
    FocusByKeyboard(order[next]);
}

// A push button answers Enter as it answers a click; the dialog manager would send the
// window an IDOK instead, which no unit takes.
void Press(HWND button) {
    HWND parent = GetParent(button);
    SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

bool IsNavigationKey(WPARAM key) {
    return key == VK_TAB || key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN;
}
}  // namespace

std::vector<HWND> TabOrderOf(HWND root) {
    Collection c = {FindWindowByHandle(root), {}};
    EnumChildWindows(root, CollectTabStop, reinterpret_cast<LPARAM>(&c));
    std::vector<HWND>& stops = c.stops;
    // A control inside a hidden or disabled container cannot take the focus either.
    stops.erase(std::remove_if(stops.begin(), stops.end(),
                               [root](HWND w) {
                                   for (HWND p = GetParent(w); p && p != root; p = GetParent(p))
                                       if (!IsWindowVisible(p) || !IsWindowEnabled(p)) return true;
                                   return false;
                               }),
                stops.end());
    std::stable_sort(stops.begin(), stops.end(), [](HWND a, HWND b) {
        RECT ra = ScreenRect(a), rb = ScreenRect(b);
        return ra.top != rb.top ? ra.top < rb.top : ra.left < rb.left;
    });
    // A row: the controls whose tops lie above the middle of the row's first control.
    for (size_t first = 0; first < stops.size();) {
        RECT head = ScreenRect(stops[first]);
        LONG middle = head.top + (head.bottom - head.top) / 2;
        size_t end = first + 1;
        while (end < stops.size() && ScreenRect(stops[end]).top < middle) ++end;
        std::stable_sort(stops.begin() + first, stops.begin() + end,
                         [](HWND a, HWND b) { return ScreenRect(a).left < ScreenRect(b).left; });
        first = end;
    }
    return stops;
}

void FocusByKeyboard(HWND control) {
    uint32_t type = TypeOf(control);
    if (type == kTypeRadioBox) {
        // An automatic radio box that gains the focus other than by the mouse reports a
        // click (and may check itself): passing over it must not run its conversion.
        LRESULT checked = SendMessageW(control, BM_GETCHECK, 0, 0);
        g_quietFocus = control;
        SetFocus(control);
        g_quietFocus = nullptr;
        if (SendMessageW(control, BM_GETCHECK, 0, 0) != checked) SendMessageW(control, BM_SETCHECK, checked, 0);
        return;
    }
    SetFocus(control);
    if (type == kTypeEditBox) SendMessageW(control, EM_SETSEL, 0, -1);
}

bool TakingFocusQuietly(HWND control) { return control && control == g_quietFocus; }

void HideKeyboardCues(HWND root) {
    RemovePropW(root, kCuesProperty);
    SendMessageW(root, WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
}

void ShowKeyboardCues(HWND root) {
    if (GetPropW(root, kCuesProperty)) return;
    SetPropW(root, kCuesProperty, reinterpret_cast<HANDLE>(1));
    SendMessageW(root, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    RedrawWindow(root, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

bool KeyboardCuesShown(HWND control) {
    HWND root = GetAncestor(control, GA_ROOT);
    return root && GetPropW(root, kCuesProperty) != nullptr;
}

bool HandleWindowKey(MSG* m) {
    HWND root = GetAncestor(m->hwnd, GA_ROOT);
    if (!root) return false;
    const WPARAM key = m->wParam;
    const bool down = m->message == WM_KEYDOWN;
    if (down && IsNavigationKey(key)) ShowKeyboardCues(root);

    // Tab would stay in a multi-line edit box as a tab character; Ctrl+Tab still types one.
    if ((down || m->message == WM_KEYUP) && key == VK_TAB && !Held(VK_CONTROL) && !Held(VK_MENU)) {
        if (down) Tab(root, GetFocus(), Held(VK_SHIFT));
        return true;
    }
    if (m->message == WM_CHAR && key == L'\t' && !Held(VK_CONTROL)) return true;

    uint32_t type = TypeOf(m->hwnd);
    if (type == kTypeEditBox) {
        // Not every edit control knows Ctrl+A; the character it would make is swallowed too.
        if (down && key == 'A' && Held(VK_CONTROL) && !Held(VK_MENU)) {
            SendMessageW(m->hwnd, EM_SETSEL, 0, -1);
            return true;
        }
        if (m->message == WM_CHAR && key == 1) return true;
    }
    if (down && key == VK_RETURN && IsPushButton(m->hwnd)) {
        Press(m->hwnd);
        return true;
    }
    return false;
}
