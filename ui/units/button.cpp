// Button: a Win32 push button, with an icon or bitmap picture in place of its caption.
#include <windows.h>

#include "runtime/command_args.h"
#include "ui/units/unit_common.h"
#include "ui/wide_text.h"

namespace {

enum ButtonProperty { kPicture = 0, kButtonType, kCaption, kHAlign, kVAlign, kFont };

class ButtonUnit : public Unit {
public:
    ~ButtonUnit() override { DestroyUnitWindow(this); }

    bool Create(const UnitCreateParams& p) {
        if (!ReadButtonData(p.data, p.size, &d_)) return false;
        font_.SetDpi(p.dpi);
        font_.Set(d_.Font);  // a font that cannot be made leaves the default one
        DWORD pictureStyle = picture_.Load(d_.Picture);
        DWORD style = BS_MULTILINE | (d_.ButtonType == 1 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) |
                      ButtonHAlign(d_.HAlign) | ButtonVAlign(d_.VAlign) | pictureStyle;
        HWND h = CreateUnitWindow(p, 0, L"BUTTON", d_.Caption, style);
        if (!h) return false;
        BindUnit(this, h, p, kTypeButton);
        SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font_.handle()), FALSE);
        if (pictureStyle) picture_.Apply(h);
        return true;
    }

    bool IsDefaultButton() const { return d_.ButtonType == 1; }

    bool OnParentNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
        if (msg == WM_COMMAND && reinterpret_cast<HWND>(lParam) == hwnd && HIWORD(wParam) == BN_CLICKED) {
            RaiseUnitEvent(windowId, unitId, 0);
            *result = 0;
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
        case kButtonType:
            d_.ButtonType = ArgInt(v);
            SendMessageW(hwnd, BM_SETSTYLE, d_.ButtonType == 1 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
            return true;
        case kCaption:
            d_.Caption = ArgString(v);
            SetWindowTextGbk(hwnd, d_.Caption.c_str());
            return true;
        case kHAlign:
        case kVAlign:
            (k == kHAlign ? d_.HAlign : d_.VAlign) = ArgInt(v);
            ChangeStyle(hwnd, kButtonAlignMask, ButtonHAlign(d_.HAlign) | ButtonVAlign(d_.VAlign));
            return true;
        case kFont:
            if (font_.Set(ArgBlob(v))) {
                d_.Font = font_.image();
                SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_.handle()), TRUE);
            }
            return true;
        default:
            return false;
        }
    }

    bool ReadProperty(int k, ArgRecord* r) override {
        switch (k) {
        case kPicture: ResultBlob(r, d_.Picture); return true;
        case kButtonType: ResultInt(r, d_.ButtonType); return true;
        case kCaption: ResultWindowText(r, hwnd); return true;
        case kHAlign: ResultInt(r, d_.HAlign); return true;
        case kVAlign: ResultInt(r, d_.VAlign); return true;
        case kFont: ResultBlob(r, d_.Font); return true;
        default: return false;
        }
    }

    void OnDpiChanged() override { RefreshUnitFont(this, &font_); }

private:
    ButtonData d_;
    UnitFont font_;
    ButtonPicture picture_;
};

}  // namespace

void* ButtonTypeQuery(int interfaceNumber) { return UnitTypeQueryFor<ButtonUnit>(interfaceNumber); }
