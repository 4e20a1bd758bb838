// TransLabel: a label that paints only its text, over whatever lies behind it.
#include <windows.h>

#include "runtime/command_args.h"
#include "ui/units/unit_common.h"
#include "ui/wide_text.h"

namespace {

enum LabelProperty { kCaption = 0, kAlign, kFont, kTextColour, kPick12, kFlag13, kVerticalAlign };

const wchar_t kLabelClass[] = L"WenHuiTong.TransLabel";

class TransLabelUnit : public Unit {
public:
    ~TransLabelUnit() override { DestroyUnitWindow(this); }

    bool Create(const UnitCreateParams& p) {
        if (!ReadTransLabelData(p.data, p.size, &d_)) return false;
        font_.SetDpi(p.dpi);
        font_.Set(d_.Font);  // a font that cannot be made leaves the default one
        if (!RegisterUnitClass(kLabelClass, Procedure)) return false;
        HWND h = CreateUnitWindow(p, WS_EX_TRANSPARENT, kLabelClass, d_.Caption, 0);
        if (!h) return false;
        BindUnit(this, h, p, kTypeTransLabel);
        return true;
    }

    bool PropertyChanged(int k, const ArgRecord& v) override {
        switch (k) {
        case kCaption:
            d_.Caption = ArgString(v);
            SetWindowTextGbk(hwnd, d_.Caption.c_str());  // the window redraws what lies behind
            return true;
        case kAlign: d_.Pick9 = ArgInt(v); break;
        case kFont:
            if (!font_.Set(ArgBlob(v))) return true;
            d_.Font = font_.image();
            break;
        case kTextColour: d_.TextColour = static_cast<uint32_t>(ArgInt(v)); break;
        case kPick12: d_.Pick12 = ArgInt(v); return true;
        case kFlag13: d_.Flag13 = ArgInt(v); return true;
        case kVerticalAlign: d_.Pick14 = ArgInt(v); break;
        default: return false;
        }
        RedrawWithParent(hwnd);
        return true;
    }

    bool ReadProperty(int k, ArgRecord* r) override {
        switch (k) {
        case kCaption: ResultWindowText(r, hwnd); return true;
        case kAlign: ResultInt(r, d_.Pick9); return true;
        case kFont: ResultBlob(r, d_.Font); return true;
        case kTextColour: ResultColour(r, d_.TextColour); return true;
        case kPick12: ResultInt(r, d_.Pick12); return true;
        case kFlag13: ResultBool(r, d_.Flag13 != 0); return true;
        case kVerticalAlign: ResultInt(r, d_.Pick14); return true;
        default: return false;
        }
    }

    // The first pick value places the text across (0 left, 1 centre, 2 right; 3 as 0), the
    // last one up and down (0 top, 1 centre, 2 bottom). Lines break at words and at line breaks.
    void Paint(HDC dc) {
        RECT rc;
        GetClientRect(hwnd, &rc);
        int length = GetWindowTextLengthW(hwnd);
        if (length <= 0) return;
        std::wstring text(length + 1, L'\0');
        length = GetWindowTextW(hwnd, &text[0], length + 1);
        UINT flags = DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS;
        if (d_.Pick9 == 1) flags |= DT_CENTER;
        if (d_.Pick9 == 2) flags |= DT_RIGHT;
        HGDIOBJ old = SelectObject(dc, font_.handle());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, DrawnColour(d_.TextColour));
        if (d_.Pick14 == 1 || d_.Pick14 == 2) {
            RECT measure = rc;
            DrawTextW(dc, text.c_str(), length, &measure, flags | DT_CALCRECT);
            int free = (rc.bottom - rc.top) - (measure.bottom - measure.top);
            if (free > 0) rc.top += d_.Pick14 == 1 ? free / 2 : free;
        }
        DrawTextW(dc, text.c_str(), length, &rc, flags);
        SelectObject(dc, old);
    }

    void OnDpiChanged() override {
        font_.SetDpi(dpi);
        RedrawWithParent(hwnd);
    }

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        switch (msg) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            if (TransLabelUnit* unit = static_cast<TransLabelUnit*>(UnitFromWindow(hwnd))) unit->Paint(dc);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_PRINTCLIENT:
            if (TransLabelUnit* unit = static_cast<TransLabelUnit*>(UnitFromWindow(hwnd))) unit->Paint(reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_SETTEXT: {
            LRESULT r = DefWindowProcW(hwnd, msg, wParam, lParam);
            RedrawWithParent(hwnd);
            return r;
        }
        case WM_SHOWWINDOW:
        case WM_ENABLE:
            RedrawWithParent(hwnd);
            break;
        default:
            break;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }

    TransLabelData d_;
    UnitFont font_;
};

}  // namespace

void* TransLabelTypeQuery(int interfaceNumber) { return UnitTypeQueryFor<TransLabelUnit>(interfaceNumber); }
