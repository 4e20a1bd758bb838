// GroupBox: a Win32 group box that contains units. The units moved into it send their
// notifications to it, so it hands them on to their own units.
#include <windows.h>
#include <commctrl.h>

#include "runtime/command_args.h"
#include "ui/units/unit_common.h"
#include "ui/wide_text.h"

namespace {

enum GroupProperty { kCaption = 0, kTitleAlign, kTextColour, kBackColour, kFont };

DWORD TitleStyle(int align) { return align == 1 ? BS_CENTER : (align == 2 ? BS_RIGHT : BS_LEFT); }

const UINT_PTR kGroupSubclassId = 0x57484742;  // 'WHGB'

class GroupBoxUnit : public Unit {
public:
    ~GroupBoxUnit() override { DestroyUnitWindow(this); }

    bool Create(const UnitCreateParams& p);

    bool OnParentNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
        if ((msg == WM_CTLCOLORSTATIC || msg == WM_CTLCOLORBTN) && reinterpret_cast<HWND>(lParam) == hwnd) {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, DrawnColour(d_.TextColour));
            SetBkColor(dc, DrawnColour(d_.BackColour));
            *result = reinterpret_cast<LRESULT>(brush_.get(d_.BackColour));
            return true;
        }
        return false;
    }

    bool PropertyChanged(int k, const ArgRecord& v) override {
        switch (k) {
        case kCaption:
            d_.Caption = ArgString(v);
            SetWindowTextGbk(hwnd, d_.Caption.c_str());
            break;
        case kTitleAlign:
            d_.TitleAlign = ArgInt(v);
            ChangeStyle(hwnd, BS_CENTER, TitleStyle(d_.TitleAlign));
            break;
        case kTextColour: d_.TextColour = static_cast<uint32_t>(ArgInt(v)); break;
        case kBackColour: d_.BackColour = static_cast<uint32_t>(ArgInt(v)); break;
        case kFont:
            if (font_.Set(ArgBlob(v))) {
                d_.Font = font_.image();
                SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_.handle()), FALSE);
            }
            break;
        default:
            return false;
        }
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        return true;
    }

    bool ReadProperty(int k, ArgRecord* r) override {
        switch (k) {
        case kCaption: ResultWindowText(r, hwnd); return true;
        case kTitleAlign: ResultInt(r, d_.TitleAlign); return true;
        case kTextColour: ResultColour(r, d_.TextColour); return true;
        case kBackColour: ResultColour(r, d_.BackColour); return true;
        case kFont: ResultBlob(r, d_.Font); return true;
        default: return false;
        }
    }

    HBRUSH Background() { return brush_.get(d_.BackColour); }

    void OnDpiChanged() override { RefreshUnitFont(this, &font_); }

private:
    GroupBoxData d_;
    UnitFont font_;
    UnitBrush brush_;
};

LRESULT CALLBACK GroupSubclass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
    switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_HSCROLL:
    case WM_VSCROLL: {
        LRESULT result = 0;
        if (ReflectToChildUnit(hwnd, msg, wParam, lParam, &result)) return result;
        break;
    }
    case WM_ERASEBKGND: {
        // The control leaves its inside to its parent; as a container it paints it itself.
        GroupBoxUnit* unit = static_cast<GroupBoxUnit*>(UnitFromWindow(hwnd));
        if (!unit) break;
        RECT rc;
        GetClientRect(hwnd, &rc);
        FillRect(reinterpret_cast<HDC>(wParam), &rc, unit->Background());
        return 1;
    }
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, GroupSubclass, id);
        break;
    default:
        break;
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

bool GroupBoxUnit::Create(const UnitCreateParams& p) {
    if (!ReadGroupBoxData(p.data, p.size, &d_)) return false;
    font_.SetDpi(p.dpi);
    font_.Set(d_.Font);  // a font that cannot be made leaves the default one
    // Clipping its units keeps a repaint of the frame from painting over them; transparent
    // labels are not clipped, so they still get the background they draw on.
    HWND h = CreateUnitWindow(p, WS_EX_CONTROLPARENT, L"BUTTON", d_.Caption,
                              BS_GROUPBOX | TitleStyle(d_.TitleAlign) | WS_CLIPCHILDREN);
    if (!h) return false;
    BindUnit(this, h, p, kTypeGroupBox);
    SetWindowSubclass(h, GroupSubclass, kGroupSubclassId, 0);
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font_.handle()), FALSE);
    return true;
}

}  // namespace

void* GroupBoxTypeQuery(int interfaceNumber) { return UnitTypeQueryFor<GroupBoxUnit>(interfaceNumber); }
