// StatusBar: a Win32 status-bar control. Its stored values are kept and answered; one more
// property, the line it shows, lets the program say what it is busy with.
#include <windows.h>
#include <commctrl.h>

#include "runtime/command_args.h"
#include "ui/units/unit_common.h"
#include "ui/wide_text.h"

namespace {

enum StatusProperty { kBackColour = 0, kPick9, kFlag10, kFont, kImageList, kPanels, kText };

class StatusBarUnit : public Unit {
public:
    ~StatusBarUnit() override { DestroyUnitWindow(this); }

    bool Create(const UnitCreateParams& p) {
        if (!ReadStatusBarData(p.data, p.size, &d_)) return false;
        font_.SetDpi(p.dpi);
        font_.Set(d_.Font);  // a font that cannot be made leaves the default one
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES};
        InitCommonControlsEx(&icc);
        HWND h = CreateUnitWindow(p, 0, STATUSCLASSNAMEW, std::string(), 0);
        if (!h) return false;
        BindUnit(this, h, p, kTypeStatusBar);
        SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font_.handle()), FALSE);
        ApplyColour();
        return true;
    }

    bool PropertyChanged(int k, const ArgRecord& v) override {
        switch (k) {
        case kBackColour: d_.BackColour = static_cast<uint32_t>(ArgInt(v)); ApplyColour(); return true;
        case kPick9: d_.Pick9 = ArgInt(v); return true;
        case kFlag10: d_.Flag10 = ArgInt(v); return true;
        case kFont:
            if (font_.Set(ArgBlob(v))) {
                d_.Font = font_.image();
                SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_.handle()), TRUE);
            }
            return true;
        case kImageList: d_.ImageList = ArgBlob(v); return true;
        case kPanels: d_.Panels = ArgBlob(v); return true;
        case kText:
            text_ = ArgString(v);
            SendMessageW(hwnd, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(GbkToWide(text_.c_str()).c_str()));
            // Shown at once: the program may be busy until its next turn of the message loop.
            UpdateWindow(hwnd);
            return true;
        default: return false;
        }
    }

    bool ReadProperty(int k, ArgRecord* r) override {
        switch (k) {
        case kBackColour: ResultColour(r, d_.BackColour); return true;
        case kPick9: ResultInt(r, d_.Pick9); return true;
        case kFlag10: ResultBool(r, d_.Flag10 != 0); return true;
        case kFont: ResultBlob(r, d_.Font); return true;
        case kImageList: ResultBlob(r, d_.ImageList); return true;
        case kPanels: ResultBlob(r, d_.Panels); return true;
        case kText: ResultString(r, text_); return true;
        default: return false;
        }
    }

    void OnDpiChanged() override {
        RefreshUnitFont(this, &font_);
        // The bar takes its height from the new font and its place from its parent.
        SendMessageW(hwnd, WM_SIZE, 0, 0);
    }

private:
    void ApplyColour() {
        SendMessageW(hwnd, SB_SETBKCOLOR, 0, d_.BackColour == kDefaultColour ? CLR_DEFAULT : (d_.BackColour & 0xffffff));
    }

    StatusBarData d_;
    UnitFont font_;
    std::string text_;
};

}  // namespace

void* StatusBarTypeQuery(int interfaceNumber) { return UnitTypeQueryFor<StatusBarUnit>(interfaceNumber); }
