// SuperBtn: a "BUTTON" window whose face the unit draws itself. The caption stays the window
// text, so the button reads like any other to accessibility tools.
#include "ui/units/super_button.h"

#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>

#include <algorithm>

#include "runtime/command_args.h"
#include "ui/dpi.h"
#include "ui/keyboard_navigation.h"
#include "ui/picture_loader.h"
#include "ui/units/unit_common.h"
#include "ui/wide_text.h"

namespace {

enum SuperBtnProperty {
    kBtnStyle = 0, kCheckBox, kChecked, kAlignStyle, kPressStyle, kDrawBorder, kDrawFocus, kPicOut, kTransColorOut,
    kPicIn, kTransColorIn, kPicDisabled, kTransColorDisabled, kFont, kCaption, kDefaultColor, kFgColorOut,
    kBkColorOut, kFgColorIn, kBkColorIn, kFgColorFocus, kBkColorFocus, kStandardSound, kOverSound, kClickSound,
    kToolTip, kDefaultStyle,
};

const UINT_PTR kSuperBtnSubclassId = 0x57485342;  // 'WHSB'
const int kGap = 3;  // between picture and caption: four-character captions fit a 72-pixel button
const int kFaceInset = 2;  // the frame around the content

// A picture ready to blend: transparent colour applied, premultiplied.
struct FacePicture {
    HBITMAP bitmap = nullptr;
    int width = 0, height = 0;
    ~FacePicture() { Clear(); }
    void Clear() {
        if (bitmap) DeleteObject(bitmap);
        bitmap = nullptr;
        width = height = 0;
    }
    explicit operator bool() const { return bitmap != nullptr; }
};

// The transparent colour makes matching pixels clear. The default means the top-left
// pixel's colour, for pictures without an alpha channel of their own.
void ApplyTransparentColour(PicturePixels* p, uint32_t colour) {
    if (p->pixels.empty()) return;
    uint32_t key;
    if (colour == kDefaultColour) {
        if (p->hasAlpha) return;
        key = p->pixels[0] & 0xffffff;
    } else {
        key = ((colour & 0xff) << 16) | (colour & 0xff00) | ((colour >> 16) & 0xff);  // COLORREF to RGB
    }
    for (uint32_t& px : p->pixels) {
        if ((px & 0xffffff) == key) px = 0;
    }
    p->hasAlpha = true;
}

// The generated disabled picture: grey, half as opaque.
void MakeDisabled(PicturePixels* p) {
    for (uint32_t& px : p->pixels) {
        uint32_t r = (px >> 16) & 0xff, g = (px >> 8) & 0xff, b = px & 0xff, a = px >> 24;
        uint32_t grey = (r * 30 + g * 59 + b * 11) / 100;
        grey = 128 + grey / 2;
        px = ((a / 2) << 24) | (grey << 16) | (grey << 8) | grey;
    }
    p->hasAlpha = true;
}

void Prepare(const Blob& data, uint32_t transparent, bool disabled, int dpi, FacePicture* out) {
    out->Clear();
    if (data.empty()) return;
    PicturePixels pixels;
    if (!DecodePicturePixelsAtDpi(data.data(), static_cast<uint32_t>(data.size()), dpi, &pixels)) return;
    ApplyTransparentColour(&pixels, transparent);
    if (disabled) MakeDisabled(&pixels);
    out->bitmap = CreatePremultipliedBitmap(pixels);
    if (out->bitmap) {
        out->width = pixels.width;
        out->height = pixels.height;
    }
}

COLORREF Mix(COLORREF a, COLORREF b) {
    return RGB((GetRValue(a) + GetRValue(b)) / 2, (GetGValue(a) + GetGValue(b)) / 2, (GetBValue(a) + GetBValue(b)) / 2);
}

typedef BOOL(WINAPI* PlaySoundFunction)(LPCWSTR, HMODULE, DWORD);
PlaySoundFunction SoundPlayer() {
    static PlaySoundFunction play = [] {
        HMODULE winmm = LoadLibraryW(L"winmm.dll");
        return winmm ? reinterpret_cast<PlaySoundFunction>(reinterpret_cast<void*>(GetProcAddress(winmm, "PlaySoundW"))) : nullptr;
    }();
    return play;
}

class SuperBtnUnit : public Unit {
public:
    ~SuperBtnUnit() override;
    bool Create(const UnitCreateParams& p);

    bool PropertyChanged(int k, const ArgRecord& value) override;
    bool ReadProperty(int k, ArgRecord* value) override;
    bool OnParentNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    void Paint(HDC dc, const RECT& rc, UINT state, bool hover);
    void MouseMoved();
    void MouseLeft();
    bool hover() const { return hover_; }
    bool isDefault() const { return d_.DefaultStyle == 1; }

private:
    void PreparePictures() {
        Prepare(d_.PicOut, d_.TransColorOut, false, dpi, &out_);
        Prepare(d_.PicIn, d_.TransColorIn, false, dpi, &in_);
        if (!d_.PicDisabled.empty()) {
            Prepare(d_.PicDisabled, d_.TransColorDisabled, false, dpi, &disabled_);
        } else {
            Prepare(d_.PicOut, d_.TransColorOut, true, dpi, &disabled_);
        }
    }
    void OnDpiChanged() override {
        RefreshUnitFont(this, &font_);
        PreparePictures();
        Redraw();
    }
    const FacePicture& PictureFor(bool disabled, bool over) const {
        if (disabled) return disabled_;
        if (over && in_) return in_;
        return out_;
    }
    void UpdateToolTip();
    // The given WAV data, else the standard sound when asked for.
    void Play(const Blob& sound) {
        PlaySoundFunction play = SoundPlayer();
        if (!play) return;
        if (!sound.empty()) {
            // Asynchronous play reads the unit's own copy; the destructor stops it first.
            playing_ = true;
            play(reinterpret_cast<LPCWSTR>(sound.data()), nullptr, SND_MEMORY | SND_ASYNC | SND_NODEFAULT);
        } else if (d_.StandardSound) {
            play(L"MenuCommand", nullptr, SND_ALIAS | SND_ASYNC | SND_NODEFAULT);
        }
    }
    void Clicked();
    void Redraw() { InvalidateRect(hwnd, nullptr, FALSE); }

    SuperBtnData d_;
    UnitFont font_;
    FacePicture out_, in_, disabled_;
    HWND tip_ = nullptr;
    bool hover_ = false;
    bool playing_ = false;
};

LRESULT CALLBACK SuperBtnSubclass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
    SuperBtnUnit* unit = static_cast<SuperBtnUnit*>(UnitFromWindow(hwnd));
    switch (msg) {
    case WM_MOUSEMOVE:
        if (unit) unit->MouseMoved();
        break;
    case WM_MOUSELEAVE:
        if (unit) unit->MouseLeft();
        break;
    case WM_ERASEBKGND:
        return 1;  // the face is drawn whole
    case WM_UPDATEUISTATE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        // The whole face follows the focus and the keyboard cues, not only the focus rectangle.
        if (unit) InvalidateRect(hwnd, nullptr, FALSE);
        break;
    case WM_GETDLGCODE:
        if (unit) return DLGC_BUTTON | (unit->isDefault() ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, SuperBtnSubclass, id);
        break;
    default:
        break;
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

bool SuperBtnUnit::Create(const UnitCreateParams& p) {
    if (!ReadSuperBtnData(p.data, p.size, &d_)) return false;
    font_.SetDpi(p.dpi);
    font_.Set(d_.font);  // a font that cannot be made leaves the default one
    HWND h = CreateUnitWindow(p, 0, L"BUTTON", d_.caption, BS_OWNERDRAW);
    if (!h) return false;
    BindUnit(this, h, p, kTypeSuperBtn);
    SetWindowSubclass(h, SuperBtnSubclass, kSuperBtnSubclassId, 0);
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font_.handle()), FALSE);
    PreparePictures();
    UpdateToolTip();
    return true;
}

SuperBtnUnit::~SuperBtnUnit() {
    if (playing_ && SoundPlayer()) SoundPlayer()(nullptr, nullptr, 0);  // stop before the data goes
    if (tip_ && IsWindow(tip_)) DestroyWindow(tip_);
    DestroyUnitWindow(this);
}

void SuperBtnUnit::UpdateToolTip() {
    std::wstring text = GbkToWide(d_.ToolTip.c_str());
    TOOLINFOW ti;
    memset(&ti, 0, sizeof ti);
    ti.cbSize = TTTOOLINFOW_V1_SIZE;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = GetParent(hwnd);
    ti.uId = reinterpret_cast<UINT_PTR>(hwnd);
    if (text.empty()) {
        if (tip_) SendMessageW(tip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
        return;
    }
    ti.lpszText = &text[0];
    if (!tip_) {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&icc);
        tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0,
                               0, 0, hwnd, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (!tip_) return;
        SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    } else if (!SendMessageW(tip_, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&ti))) {
        ti.lpszText = &text[0];
        SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    } else {
        ti.lpszText = &text[0];
        SendMessageW(tip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
    }
}

void SuperBtnUnit::MouseMoved() {
    if (hover_) return;
    hover_ = true;
    TRACKMOUSEEVENT tme = {sizeof tme, TME_LEAVE, hwnd, 0};
    TrackMouseEvent(&tme);
    if (d_.BtnStyle != 1 && IsWindowEnabled(hwnd)) Play(d_.OverSound);
    Redraw();
}

void SuperBtnUnit::MouseLeft() {
    hover_ = false;
    Redraw();
}

void SuperBtnUnit::Clicked() {
    Play(d_.ClickSound);
    if (d_.CheckBox) {
        d_.Checked = !d_.Checked;
        Redraw();
    }
    RaiseUnitEvent(windowId, unitId, 0);
}

bool SuperBtnUnit::OnParentNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (msg == WM_COMMAND && reinterpret_cast<HWND>(lParam) == hwnd) {
        // The control reports the second click of a quick pair as a double click.
        if (HIWORD(wParam) == BN_CLICKED || HIWORD(wParam) == BN_DOUBLECLICKED) {
            Clicked();
            *result = 0;
            return true;
        }
        return false;
    }
    if (msg == WM_DRAWITEM) {
        const DRAWITEMSTRUCT* d = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (d->hwndItem != hwnd) return false;
        RECT rc = d->rcItem;
        int w = rc.right - rc.left, h = rc.bottom - rc.top;
        if (w > 0 && h > 0) {
            HDC memory = CreateCompatibleDC(d->hDC);
            HBITMAP canvas = CreateCompatibleBitmap(d->hDC, w, h);
            HGDIOBJ old = SelectObject(memory, canvas);
            RECT local = {0, 0, w, h};
            Paint(memory, local, d->itemState, hover_);
            BitBlt(d->hDC, rc.left, rc.top, w, h, memory, 0, 0, SRCCOPY);
            SelectObject(memory, old);
            DeleteObject(canvas);
            DeleteDC(memory);
        }
        *result = TRUE;
        return true;
    }
    return false;
}

void FrameWith(HDC dc, const RECT& rc, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FrameRect(dc, &rc, brush);
    DeleteObject(brush);
}

// Styles: 0 flat (a thin line when DrawBorder is set, sunk when pressed), 1 raised 3-D
// edges, 2 rounded XP-like face with a gradient. Pictures: PicIn over the button, PicOut
// otherwise, PicDisabled (or a greyed PicOut) when disabled.
void SuperBtnUnit::Paint(HDC dc, const RECT& rc, UINT state, bool over) {
    const bool disabled = (state & ODS_DISABLED) != 0;
    const bool pressed = (state & ODS_SELECTED) != 0 || (d_.CheckBox && d_.Checked);
    const bool focused = (state & ODS_FOCUS) != 0;
    const bool hot = over && !disabled;

    COLORREF fg, bg;
    if (d_.DefaultColor) {
        COLORREF face = GetSysColor(COLOR_BTNFACE);
        fg = GetSysColor(COLOR_BTNTEXT);
        bg = (hot || pressed) && d_.BtnStyle != 1 ? Mix(face, GetSysColor(COLOR_WINDOW)) : face;
    } else if (hot || pressed) {
        fg = d_.FgColorIn & 0xffffff;
        bg = d_.BkColorIn & 0xffffff;
    } else if (focused) {
        fg = d_.FgColorFocus & 0xffffff;
        bg = d_.BkColorFocus & 0xffffff;
    } else {
        fg = d_.FgColorOut & 0xffffff;
        bg = d_.BkColorOut & 0xffffff;
    }
    if (disabled) fg = GetSysColor(COLOR_GRAYTEXT);

    const int inset = ScaleToDpi(kFaceInset, dpi), gap = ScaleToDpi(kGap, dpi);
    RECT face = rc;
    if (d_.BtnStyle == 2) {
        HBRUSH parentFace = GetSysColorBrush(COLOR_BTNFACE);
        FillRect(dc, &rc, parentFace);
        RECT inner = rc;
        InflateRect(&inner, -1, -1);
        COLORREF light = Mix(bg, RGB(255, 255, 255));
        if (pressed) {
            FillGradient(dc, inner, bg, light);
        } else {
            FillGradient(dc, inner, light, bg);
        }
        HPEN pen = CreatePen(PS_SOLID, 1, disabled ? GetSysColor(COLOR_GRAYTEXT) : RGB(0, 60, 116));
        HGDIOBJ oldPen = SelectObject(dc, pen);
        HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
        RoundRect(dc, rc.left, rc.top, rc.right, rc.bottom, 5, 5);
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
        DeleteObject(pen);
        if (hot && !pressed) {
            RECT glow = rc;
            InflateRect(&glow, -2, -2);
            FrameWith(dc, glow, RGB(255, 200, 60));
        }
        InflateRect(&face, -inset, -inset);
    } else {
        HBRUSH brush = CreateSolidBrush(bg);
        FillRect(dc, &rc, brush);
        DeleteObject(brush);
        if (d_.BtnStyle == 1) {
            RECT edge = rc;
            DrawEdge(dc, &edge, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
        } else if (d_.DrawBorder) {
            if (pressed) {
                RECT edge = rc;
                DrawEdge(dc, &edge, BDR_SUNKENOUTER, BF_RECT);
            } else {
                FrameWith(dc, rc, GetSysColor(hot ? COLOR_HIGHLIGHT : COLOR_BTNSHADOW));
            }
        }
        InflateRect(&face, -inset, -inset);
    }

    // Content: picture and caption arranged by AlignStyle, moved when pressed.
    int length = GetWindowTextLengthW(hwnd);
    std::wstring text(length + 1, L'\0');
    length = GetWindowTextW(hwnd, &text[0], length + 1);
    text.resize(length);
    HGDIOBJ oldFont = SelectObject(dc, font_.handle());
    UINT textFlags = DT_SINGLELINE | ((state & ODS_NOACCEL) ? DT_HIDEPREFIX : 0);
    SIZE ts = {0, 0};
    if (length > 0) {
        RECT measure = {0, 0, 0, 0};
        DrawTextW(dc, text.c_str(), length, &measure, textFlags | DT_CALCRECT);
        ts.cx = measure.right - measure.left;
        ts.cy = measure.bottom - measure.top;
    }
    const FacePicture& picture = PictureFor(disabled, hot);
    SIZE ps = {picture ? picture.width : 0, picture ? picture.height : 0};
    const int fw = face.right - face.left, fh = face.bottom - face.top;
    const bool both = ps.cx > 0 && ts.cx > 0;
    POINT pp = {0, 0}, tp = {0, 0};
    switch (both ? d_.AlignStyle : 3) {
    case 1: {  // picture above, caption below
        int total = ps.cy + gap + ts.cy;
        int top = face.top + std::max(0, (fh - total) / 2);
        pp = {face.left + (fw - ps.cx) / 2, top};
        tp = {face.left + (fw - ts.cx) / 2, top + ps.cy + gap};
        break;
    }
    case 0:    // picture left, caption right
    case 2: {  // caption left, picture right
        int total = ps.cx + gap + ts.cx;
        int left = face.left + std::max(0, (fw - total) / 2);
        if (d_.AlignStyle == 0) {
            pp = {left, face.top + (fh - ps.cy) / 2};
            tp = {left + ps.cx + gap, face.top + (fh - ts.cy) / 2};
        } else {
            tp = {left, face.top + (fh - ts.cy) / 2};
            pp = {left + ts.cx + gap, face.top + (fh - ps.cy) / 2};
        }
        break;
    }
    default:  // overlaid, or only one of the two
        pp = {face.left + (fw - ps.cx) / 2, face.top + (fh - ps.cy) / 2};
        tp = {face.left + (fw - ts.cx) / 2, face.top + (fh - ts.cy) / 2};
        break;
    }
    if (pressed && (state & ODS_SELECTED)) {
        // 从左到右 moves the content right and down, 从上到下 only down.
        int dx = d_.PressStyle == 1 ? 0 : 1, dy = 1;
        pp.x += dx, pp.y += dy, tp.x += dx, tp.y += dy;
    }
    HRGN clip = CreateRectRgnIndirect(&face);
    SelectClipRgn(dc, clip);
    if (picture) {
        HDC src = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(src, picture.bitmap);
        BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        AlphaBlend(dc, pp.x, pp.y, ps.cx, ps.cy, src, 0, 0, ps.cx, ps.cy, blend);
        SelectObject(src, old);
        DeleteDC(src);
    }
    if (length > 0) {
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, fg);
        RECT tr = {tp.x, tp.y, tp.x + ts.cx, tp.y + ts.cy};
        DrawTextW(dc, text.c_str(), length, &tr, textFlags);
    }
    SelectClipRgn(dc, nullptr);
    DeleteObject(clip);
    SelectObject(dc, oldFont);

    // Without DrawFocus a keyboard user would not see where the focus is: the mark then
    // shows once the keyboard has been used in the window.
    bool wantsFocus = (d_.BtnStyle == 1 || d_.DrawFocus) && !(state & ODS_NOFOCUSRECT);
    if (focused && (wantsFocus || KeyboardCuesShown(hwnd))) {
        RECT fr = rc;
        InflateRect(&fr, -(inset + 1), -(inset + 1));
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, RGB(255, 255, 255));
        DrawFocusRect(dc, &fr);
    }
}

bool SuperBtnUnit::PropertyChanged(int k, const ArgRecord& v) {
    int32_t n = ArgInt(v);
    uint32_t c = static_cast<uint32_t>(n);
    switch (k) {
    case kBtnStyle: d_.BtnStyle = n; break;
    case kCheckBox: d_.CheckBox = n; break;
    case kChecked: d_.Checked = ArgBool(v); break;
    case kAlignStyle: d_.AlignStyle = n; break;
    case kPressStyle: d_.PressStyle = n; break;
    case kDrawBorder: d_.DrawBorder = n; break;
    case kDrawFocus: d_.DrawFocus = n; break;
    case kPicOut: d_.PicOut = ArgBlob(v); PreparePictures(); break;
    case kTransColorOut: d_.TransColorOut = c; PreparePictures(); break;
    case kPicIn: d_.PicIn = ArgBlob(v); PreparePictures(); break;
    case kTransColorIn: d_.TransColorIn = c; PreparePictures(); break;
    case kPicDisabled: d_.PicDisabled = ArgBlob(v); PreparePictures(); break;
    case kTransColorDisabled: d_.TransColorDisabled = c; PreparePictures(); break;
    case kFont:
        if (font_.Set(ArgBlob(v))) {
            d_.font = font_.image();
            SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_.handle()), FALSE);
        }
        break;
    case kCaption:
        d_.caption = ArgString(v);
        SetWindowTextGbk(hwnd, d_.caption.c_str());
        break;
    case kDefaultColor: d_.DefaultColor = n; break;
    case kFgColorOut: d_.FgColorOut = c; break;
    case kBkColorOut: d_.BkColorOut = c; break;
    case kFgColorIn: d_.FgColorIn = c; break;
    case kBkColorIn: d_.BkColorIn = c; break;
    case kFgColorFocus: d_.FgColorFocus = c; break;
    case kBkColorFocus: d_.BkColorFocus = c; break;
    case kStandardSound: d_.StandardSound = n; return true;
    case kOverSound: d_.OverSound = ArgBlob(v); return true;
    case kClickSound: d_.ClickSound = ArgBlob(v); return true;
    case kToolTip: d_.ToolTip = ArgString(v); UpdateToolTip(); return true;
    case kDefaultStyle: d_.DefaultStyle = n; break;
    default: return false;
    }
    Redraw();
    return true;
}

bool SuperBtnUnit::ReadProperty(int k, ArgRecord* r) {
    switch (k) {
    case kBtnStyle: ResultInt(r, d_.BtnStyle); return true;
    case kCheckBox: ResultBool(r, d_.CheckBox != 0); return true;
    case kChecked: ResultBool(r, d_.Checked != 0); return true;
    case kAlignStyle: ResultInt(r, d_.AlignStyle); return true;
    case kPressStyle: ResultInt(r, d_.PressStyle); return true;
    case kDrawBorder: ResultBool(r, d_.DrawBorder != 0); return true;
    case kDrawFocus: ResultBool(r, d_.DrawFocus != 0); return true;
    case kPicOut: ResultBlob(r, d_.PicOut); return true;
    case kTransColorOut: ResultColour(r, d_.TransColorOut); return true;
    case kPicIn: ResultBlob(r, d_.PicIn); return true;
    case kTransColorIn: ResultColour(r, d_.TransColorIn); return true;
    case kPicDisabled: ResultBlob(r, d_.PicDisabled); return true;
    case kTransColorDisabled: ResultColour(r, d_.TransColorDisabled); return true;
    case kFont: ResultBlob(r, d_.font); return true;
    case kCaption: ResultWindowText(r, hwnd); return true;
    case kDefaultColor: ResultBool(r, d_.DefaultColor != 0); return true;
    case kFgColorOut: ResultColour(r, d_.FgColorOut); return true;
    case kBkColorOut: ResultColour(r, d_.BkColorOut); return true;
    case kFgColorIn: ResultColour(r, d_.FgColorIn); return true;
    case kBkColorIn: ResultColour(r, d_.BkColorIn); return true;
    case kFgColorFocus: ResultColour(r, d_.FgColorFocus); return true;
    case kBkColorFocus: ResultColour(r, d_.BkColorFocus); return true;
    case kStandardSound: ResultBool(r, d_.StandardSound != 0); return true;
    case kOverSound: ResultBlob(r, d_.OverSound); return true;
    case kClickSound: ResultBlob(r, d_.ClickSound); return true;
    case kToolTip: ResultString(r, d_.ToolTip); return true;
    case kDefaultStyle: ResultInt(r, d_.DefaultStyle); return true;
    default: return false;
    }
}

}  // namespace

bool PaintSuperButton(Unit* unit, HDC dc, const RECT& rc, UINT itemState, bool hover) {
    if (!unit || unit->typeId != kTypeSuperBtn) return false;
    static_cast<SuperBtnUnit*>(unit)->Paint(dc, rc, itemState, hover);
    return true;
}

void* SuperBtnTypeQuery(int interfaceNumber) { return UnitTypeQueryFor<SuperBtnUnit>(interfaceNumber); }
