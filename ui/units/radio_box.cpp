// RadioBox: an auto radio button, exclusive among the radio boxes of its container.
#include <windows.h>

#include "runtime/command_args.h"
#include "ui/keyboard_navigation.h"
#include "ui/units/unit_common.h"
#include "ui/wide_text.h"

namespace {

enum RadioProperty {
    kPicture = 0, kPushLike, kFlat, kCaption, kLeftText, kHAlign, kVAlign, kTextColour, kBackColour, kFont, kChecked,
};

DWORD RadioStyle(const RadioBoxData& d) {
    DWORD s = BS_AUTORADIOBUTTON | BS_MULTILINE | ButtonHAlign(d.HAlign) | ButtonVAlign(d.VAlign);
    if (d.PushLike) s |= BS_PUSHLIKE;
    if (d.Flat) s |= BS_FLAT;
    if (d.LeftText) s |= BS_LEFTTEXT;
    return s;
}

// Unchecks every other radio box that sits in the same container.
void UncheckSiblings(HWND self) {
    HWND parent = GetParent(self);
    if (!parent) return;
    for (HWND h = GetWindow(parent, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
        if (h == self) continue;
        Unit* other = UnitFromWindow(h);
        if (other && other->typeId == kTypeRadioBox && SendMessageW(h, BM_GETCHECK, 0, 0) != BST_UNCHECKED)
            SendMessageW(h, BM_SETCHECK, BST_UNCHECKED, 0);
    }
}

class RadioBoxUnit : public Unit {
public:
    ~RadioBoxUnit() override { DestroyUnitWindow(this); }

    bool Create(const UnitCreateParams& p) {
        if (!ReadRadioBoxData(p.data, p.size, &d_)) return false;
        font_.SetDpi(p.dpi);
        font_.Set(d_.Font);  // a font that cannot be made leaves the default one
        DWORD pictureStyle = picture_.Load(d_.Picture);
        HWND h = CreateUnitWindow(p, 0, L"BUTTON", d_.Caption, RadioStyle(d_) | pictureStyle);
        if (!h) return false;
        BindUnit(this, h, p, kTypeRadioBox);
        SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font_.handle()), FALSE);
        if (pictureStyle) picture_.Apply(h);
        SendMessageW(h, BM_SETCHECK, d_.Checked ? BST_CHECKED : BST_UNCHECKED, 0);
        return true;
    }

    bool OnParentNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
        if (reinterpret_cast<HWND>(lParam) != hwnd) return false;
        if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
            if (TakingFocusQuietly(hwnd)) {
                *result = 0;
                return true;
            }
            // The control's own grouping depends on group styles and skips hidden siblings;
            // the container decides here.
            UncheckSiblings(hwnd);
            SendMessageW(hwnd, BM_SETCHECK, BST_CHECKED, 0);
            RaiseUnitEvent(windowId, unitId, 0);
            *result = 0;
            return true;
        }
        if (msg == WM_CTLCOLORSTATIC || msg == WM_CTLCOLORBTN) {
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
        case kPicture:
            d_.Picture = ArgBlob(v);
            picture_.Load(d_.Picture);
            picture_.Apply(hwnd);
            return true;
        case kPushLike: d_.PushLike = ArgInt(v); break;
        case kFlat: d_.Flat = ArgInt(v); break;
        case kLeftText: d_.LeftText = ArgInt(v); break;
        case kHAlign: d_.HAlign = ArgInt(v); break;
        case kVAlign: d_.VAlign = ArgInt(v); break;
        case kCaption:
            d_.Caption = ArgString(v);
            SetWindowTextGbk(hwnd, d_.Caption.c_str());
            return true;
        case kTextColour:
        case kBackColour:
            (k == kTextColour ? d_.TextColour : d_.BackColour) = static_cast<uint32_t>(ArgInt(v));
            InvalidateRect(hwnd, nullptr, TRUE);
            return true;
        case kFont:
            if (font_.Set(ArgBlob(v))) {
                d_.Font = font_.image();
                SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_.handle()), TRUE);
            }
            return true;
        case kChecked: {
            bool checked = ArgBool(v);
            if (checked) UncheckSiblings(hwnd);
            SendMessageW(hwnd, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
            return true;
        }
        default:
            return false;
        }
        ChangeStyle(hwnd, BS_PUSHLIKE | BS_FLAT | BS_LEFTTEXT | kButtonAlignMask, RadioStyle(d_));
        return true;
    }

    bool ReadProperty(int k, ArgRecord* r) override {
        switch (k) {
        case kPicture: ResultBlob(r, d_.Picture); return true;
        case kPushLike: ResultBool(r, d_.PushLike != 0); return true;
        case kFlat: ResultBool(r, d_.Flat != 0); return true;
        case kCaption: ResultWindowText(r, hwnd); return true;
        case kLeftText: ResultBool(r, d_.LeftText != 0); return true;
        case kHAlign: ResultInt(r, d_.HAlign); return true;
        case kVAlign: ResultInt(r, d_.VAlign); return true;
        case kTextColour: ResultColour(r, d_.TextColour); return true;
        case kBackColour: ResultColour(r, d_.BackColour); return true;
        case kFont: ResultBlob(r, d_.Font); return true;
        case kChecked: ResultBool(r, SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED); return true;
        default: return false;
        }
    }

    void OnDpiChanged() override { RefreshUnitFont(this, &font_); }

private:
    RadioBoxData d_;
    UnitFont font_;
    UnitBrush brush_;
    ButtonPicture picture_;
};

}  // namespace

void* RadioBoxTypeQuery(int interfaceNumber) { return UnitTypeQueryFor<RadioBoxUnit>(interfaceNumber); }
