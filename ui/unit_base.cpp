// The unit side of the framework contract: the type registry, the link from a window
// handle to its unit, notification reflection, raising events and the common events.
#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>

#include <vector>

#include "runtime/notify.h"
#include "ui/unit_type.h"
#include "ui/units/unit_common.h"

namespace {

struct TypeEntry {
    uint32_t id;
    UnitTypeQuery query;
};
std::vector<TypeEntry>& TypeTable() {
    static std::vector<TypeEntry> table;
    return table;
}

// Window properties by atom: looked up on every message, so no string search each time.
ATOM PropertyAtom(const wchar_t* name) {
    ATOM atom = GlobalFindAtomW(name);
    return atom ? atom : GlobalAddAtomW(name);
}
LPCWSTR UnitProperty() {
    static ATOM atom = PropertyAtom(L"WenHuiTong.Unit");
    return reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(atom));
}
LPCWSTR PartProperty() {
    static ATOM atom = PropertyAtom(L"WenHuiTong.UnitPart");
    return reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(atom));
}

const UINT_PTR kCommonEventsId = 0x57484345;  // 'WHCE'

int32_t ShiftState() {
    int32_t state = 0;
    if (GetKeyState(VK_CONTROL) < 0) state |= 1;
    if (GetKeyState(VK_SHIFT) < 0) state |= 2;
    if (GetKeyState(VK_MENU) < 0) state |= 4;
    return state;
}

// The program sees characters as code page 936 codes: a lead byte in the high half of
// a double-byte character. 0 when the character has no such code.
int32_t CharToGbkCode(wchar_t ch) {
    if (ch < 0x80) return ch;
    if (ch >= 0xd800 && ch <= 0xdfff) return 0;
    char bytes[4];
    BOOL lossy = FALSE;
    int n = WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, &ch, 1, bytes, sizeof bytes, nullptr, &lossy);
    if (n <= 0 || lossy) return 0;
    if (n == 1) return static_cast<uint8_t>(bytes[0]);
    return (static_cast<uint8_t>(bytes[0]) << 8) | static_cast<uint8_t>(bytes[1]);
}

wchar_t GbkCodeToChar(int32_t code) {
    if (code > 0 && code < 0x80) return static_cast<wchar_t>(code);
    char bytes[2];
    int n = 0;
    if (code > 0xff) {
        bytes[n++] = static_cast<char>((code >> 8) & 0xff);
        bytes[n++] = static_cast<char>(code & 0xff);
    } else {
        bytes[n++] = static_cast<char>(code & 0xff);
    }
    wchar_t ch = 0;
    if (MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, bytes, n, &ch, 1) != 1) return 0;
    return ch;
}

bool Raise(Unit* unit, int32_t event, std::initializer_list<int32_t> args, int32_t* result) {
    return RaiseUnitEvent(unit->windowId, unit->unitId, event, args, result);
}

LRESULT CALLBACK CommonEventsProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
    if (msg == WM_NCDESTROY) {
        // A destroyed window no longer leads to its unit.
        RemoveWindowSubclass(hwnd, CommonEventsProc, id);
        LRESULT r = DefSubclassProc(hwnd, msg, wParam, lParam);
        DetachUnitFromWindow(hwnd);
        return r;
    }
    Unit* unit = UnitFromWindow(hwnd);
    if (!unit) return DefSubclassProc(hwnd, msg, wParam, lParam);

    int32_t mouseEvent = 0;
    switch (msg) {
    case WM_LBUTTONDOWN: mouseEvent = -1; break;
    case WM_LBUTTONUP: mouseEvent = -2; break;
    case WM_LBUTTONDBLCLK: mouseEvent = -3; break;
    case WM_RBUTTONDOWN: mouseEvent = -4; break;
    case WM_RBUTTONUP: mouseEvent = -5; break;
    case WM_MOUSEMOVE: mouseEvent = -6; break;
    default: break;
    }
    int32_t r = 0;
    if (mouseEvent) {
        bool answered = Raise(unit, mouseEvent, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), ShiftState()}, &r);
        if (!IsWindow(hwnd)) return 0;
        if (answered && r == 0) return 0;
        return DefSubclassProc(hwnd, msg, wParam, lParam);
    }
    switch (msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        // After the control has taken or given up the focus, as its own notification would.
        LRESULT lr = DefSubclassProc(hwnd, msg, wParam, lParam);
        if (UnitFromWindow(hwnd) == unit) Raise(unit, msg == WM_SETFOCUS ? -7 : -8, {}, nullptr);
        return lr;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        bool down = msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN;
        bool answered = Raise(unit, down ? -9 : -10, {static_cast<int32_t>(wParam), ShiftState()}, &r);
        if (!IsWindow(hwnd)) return 0;
        if (answered && r == 0) return 0;
        // A multi-line edit box that has met the dialog manager answers Esc by asking its
        // parent to close: the window would go, and the text with it.
        if (wParam == VK_ESCAPE && unit->typeId == kTypeEditBox) return 0;
        break;
    }
    case WM_CHAR: {
        int32_t code = CharToGbkCode(static_cast<wchar_t>(wParam));
        if (!code) break;
        bool answered = Raise(unit, -11, {code}, &r);
        if (!IsWindow(hwnd)) return 0;
        if (code == VK_ESCAPE && unit->typeId == kTypeEditBox) return 0;
        if (answered) {
            if (r == 0) return 0;
            wchar_t replaced = GbkCodeToChar(r);
            if (!replaced) return 0;
            wParam = replaced;
        }
        break;
    }
    case WM_MOUSEWHEEL: {
        bool answered = Raise(unit, -12, {GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA, ShiftState()}, &r);
        if (!IsWindow(hwnd)) return 0;
        if (answered && r == 0) return 0;
        break;
    }
    default: break;
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

// The control a parent-bound notification concerns.
HWND NotifyingChild(HWND parent, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
        return reinterpret_cast<HWND>(lParam);  // null for menus and accelerators
    case WM_NOTIFY:
        return lParam ? reinterpret_cast<NMHDR*>(lParam)->hwndFrom : nullptr;
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT* d = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        return d && d->CtlType != ODT_MENU ? d->hwndItem : nullptr;
    }
    case WM_MEASUREITEM: {
        const MEASUREITEMSTRUCT* m = reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam);
        return m && m->CtlType != ODT_MENU ? GetDlgItem(parent, static_cast<int>(m->CtlID)) : nullptr;
    }
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_HSCROLL:
    case WM_VSCROLL:
        return reinterpret_cast<HWND>(lParam);
    default:
        return nullptr;
    }
}

}  // namespace

void RegisterUnitType(uint32_t unitTypeId, UnitTypeQuery query) {
    for (TypeEntry& e : TypeTable()) {
        if (e.id == unitTypeId) {
            e.query = query;
            return;
        }
    }
    TypeTable().push_back(TypeEntry{unitTypeId, query});
}

UnitCreateFunction FindUnitCreateFunction(uint32_t unitTypeId) {
    for (const TypeEntry& e : TypeTable()) {
        if (e.id == unitTypeId) return e.query ? reinterpret_cast<UnitCreateFunction>(e.query(kUnitInterfaceCreate)) : nullptr;
    }
    return nullptr;
}

Unit* UnitFromWindow(HWND hwnd) { return hwnd ? static_cast<Unit*>(GetPropW(hwnd, UnitProperty())) : nullptr; }

void AttachUnitToWindow(Unit* unit, HWND hwnd) {
    if (hwnd) SetPropW(hwnd, UnitProperty(), unit);
}

void DetachUnitFromWindow(HWND hwnd) {
    if (hwnd) RemovePropW(hwnd, UnitProperty());
}

void AttachUnitPart(Unit* owner, HWND part) {
    if (part) SetPropW(part, PartProperty(), owner);
}
void DetachUnitPart(HWND part) {
    if (part) RemovePropW(part, PartProperty());
}
Unit* UnitOfPart(HWND part) { return part ? static_cast<Unit*>(GetPropW(part, PartProperty())) : nullptr; }

bool ReflectToChildUnit(HWND parent, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    HWND child = NotifyingChild(parent, msg, wParam, lParam);
    if (!child || child == parent || !IsWindow(child)) return false;
    Unit* unit = UnitFromWindow(child);
    if (!unit) unit = UnitOfPart(child);
    if (!unit) return false;
    LRESULT r = 0;
    if (!unit->OnParentNotify(msg, wParam, lParam, &r)) return false;
    if (result) *result = r;
    return true;
}

bool RaiseUnitEvent(uint32_t windowId, uint32_t unitId, int32_t eventNumber, std::initializer_list<int32_t> arguments,
                    int32_t* result) {
    EventNotification n;
    n.window = windowId;
    n.unit = unitId;
    n.eventNumber = eventNumber;
    n.argumentCount = 0;
    for (int32_t& a : n.arguments) a = 0;
    for (int32_t a : arguments) {
        if (n.argumentCount == 5) break;
        n.arguments[n.argumentCount++] = a;
    }
    n.hasResult = 0;
    n.result = 0;
    RuntimeNotify(kNotifyRaiseEvent, reinterpret_cast<uintptr_t>(&n), 0);
    if (!n.hasResult) return false;
    if (result) *result = n.result;
    return true;
}

void InstallCommonEvents(Unit* unit) {
    if (unit && unit->hwnd) SetWindowSubclass(unit->hwnd, CommonEventsProc, kCommonEventsId, 0);
}
