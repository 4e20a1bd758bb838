// PicBox: the runtime's own picture-box window, drawing a decoded picture on its
// background colour.
#include <windows.h>

#include <algorithm>
#include <vector>

#include "runtime/command_args.h"
#include "ui/dpi.h"
#include "ui/picture_loader.h"
#include "ui/units/unit_common.h"

namespace {

enum PicProperty { kBorder = 0, kBackColour, kPicture, kDisplayMode, kPlayAnimation, kDataSource, kDataColumn };

const wchar_t kPicBoxClass[] = L"WenHuiTong.PictureBox";
const DWORD kBorderExMask = WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME | WS_EX_STATICEDGE;

// Area-average resampling of premultiplied pixels (averaging keeps them premultiplied).
void Resample(const uint32_t* src, int sw, int sh, uint32_t* dst, int dw, int dh) {
    for (int y = 0; y < dh; ++y) {
        int y0 = static_cast<int>(static_cast<int64_t>(y) * sh / dh);
        int y1 = std::max(y0 + 1, static_cast<int>(static_cast<int64_t>(y + 1) * sh / dh));
        for (int x = 0; x < dw; ++x) {
            int x0 = static_cast<int>(static_cast<int64_t>(x) * sw / dw);
            int x1 = std::max(x0 + 1, static_cast<int>(static_cast<int64_t>(x + 1) * sw / dw));
            uint32_t a = 0, r = 0, g = 0, b = 0, n = 0;
            for (int yy = y0; yy < y1; ++yy) {
                const uint32_t* row = src + static_cast<size_t>(yy) * sw;
                for (int xx = x0; xx < x1; ++xx) {
                    uint32_t px = row[xx];
                    a += px >> 24;
                    r += (px >> 16) & 0xff;
                    g += (px >> 8) & 0xff;
                    b += px & 0xff;
                    ++n;
                }
            }
            dst[static_cast<size_t>(y) * dw + x] =
                ((a / n) << 24) | ((r / n) << 16) | ((g / n) << 8) | (b / n);
        }
    }
}

void DrawBitmap(HDC dc, HBITMAP bitmap, bool alpha, int x, int y, int w, int h) {
    HDC src = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(src, bitmap);
    if (alpha) {
        BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        AlphaBlend(dc, x, y, w, h, src, 0, 0, w, h, blend);
    } else {
        BitBlt(dc, x, y, w, h, src, 0, 0, SRCCOPY);
    }
    SelectObject(src, old);
    DeleteDC(src);
}

class PicBoxUnit : public Unit {
public:
    ~PicBoxUnit() override {
        DestroyUnitWindow(this);
        DropScaled();
        FreePicture(&picture_);
    }

    bool Create(const UnitCreateParams& p) {
        if (!ReadPicBoxData(p.data, p.size, &d_)) return false;
        if (!RegisterUnitClass(kPicBoxClass, Procedure)) return false;
        HWND h = CreateUnitWindow(p, BorderExStyle(d_.Border), kPicBoxClass, std::string(), BorderStyle(d_.Border));
        if (!h) return false;
        BindUnit(this, h, p, kTypePicBox);
        SetPicture(d_.Picture);
        return true;
    }

    bool PropertyChanged(int k, const ArgRecord& v) override {
        switch (k) {
        case kBorder:
            d_.Border = ArgInt(v);
            ChangeExStyle(hwnd, kBorderExMask, BorderExStyle(d_.Border));
            ChangeStyle(hwnd, WS_BORDER, BorderStyle(d_.Border));
            DropScaled();
            break;
        case kBackColour: d_.BackColour = static_cast<uint32_t>(ArgInt(v)); break;
        case kPicture: SetPicture(ArgBlob(v)); break;
        case kDisplayMode: d_.DisplayMode = ArgInt(v); DropScaled(); break;
        case kPlayAnimation: d_.PlayAnimation = ArgInt(v); return true;
        case kDataSource: d_.DataSource = ArgString(v); return true;
        case kDataColumn: d_.DataColumn = ArgString(v); return true;
        default: return false;
        }
        InvalidateRect(hwnd, nullptr, TRUE);
        return true;
    }

    bool ReadProperty(int k, ArgRecord* r) override {
        switch (k) {
        case kBorder: ResultInt(r, d_.Border); return true;
        case kBackColour: ResultColour(r, d_.BackColour); return true;
        case kPicture: ResultBlob(r, d_.Picture); return true;
        case kDisplayMode: ResultInt(r, d_.DisplayMode); return true;
        case kPlayAnimation: ResultBool(r, d_.PlayAnimation != 0); return true;
        case kDataSource: ResultString(r, d_.DataSource); return true;
        case kDataColumn: ResultString(r, d_.DataColumn); return true;
        default: return false;
        }
    }

    void Paint(HDC dc, const RECT& client);

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    void SetPicture(const Blob& data) {
        d_.Picture = data;
        DropScaled();
        FreePicture(&picture_);
        if (!data.empty()) picture_ = LoadPicture(data);
    }
    void DropScaled() {
        if (scaled_) DeleteObject(scaled_);
        scaled_ = nullptr;
        scaledWidth_ = scaledHeight_ = 0;
    }
    HBITMAP Scaled(int w, int h);

    PicBoxData d_;
    UnitBrush brush_;
    Picture picture_;
    HBITMAP scaled_ = nullptr;
    int scaledWidth_ = 0, scaledHeight_ = 0;
};

HBITMAP PicBoxUnit::Scaled(int w, int h) {
    if (scaled_ && scaledWidth_ == w && scaledHeight_ == h) return scaled_;
    DropScaled();
    DIBSECTION ds;
    if (!GetObjectW(picture_.bitmap, sizeof ds, &ds) || !ds.dsBm.bmBits) return nullptr;
    PicturePixels target;  // only the DIB's size: the resampled pixels go straight into its bits
    target.width = w;
    target.height = h;
    target.pixels.assign(static_cast<size_t>(w) * h, 0xff000000u);
    uint32_t* bits = nullptr;
    scaled_ = CreatePremultipliedBitmap(target, &bits);
    if (!scaled_) return nullptr;
    Resample(static_cast<const uint32_t*>(ds.dsBm.bmBits), picture_.width, picture_.height, bits, w, h);
    scaledWidth_ = w;
    scaledHeight_ = h;
    return scaled_;
}

// Display modes: 0 own size at the top left, 1 stretched to the box, 2 centred, shrunk to
// fit (keeping its proportions) when larger than the box, 3 tiled.
void PicBoxUnit::Paint(HDC dc, const RECT& client) {
    FillRect(dc, &client, brush_.get(d_.BackColour));
    if (!picture_) return;
    const int cw = client.right - client.left, ch = client.bottom - client.top;
    // A picture's own size is the one it has on a 96-DPI display: it grows with the scale
    // like the box does, resampled from its own pixels.
    const int sw = picture_.width, sh = picture_.height;
    const int pw = ScaleToDpi(sw, dpi), ph = ScaleToDpi(sh, dpi);
    if (cw <= 0 || ch <= 0 || pw <= 0 || ph <= 0) return;
    int x = 0, y = 0, w = pw, h = ph;
    switch (d_.DisplayMode) {
    case 1: w = cw; h = ch; break;
    case 2:
        if (pw > cw || ph > ch) {
            if (static_cast<int64_t>(pw) * ch > static_cast<int64_t>(ph) * cw) {
                w = cw;
                h = std::max(1, static_cast<int>(static_cast<int64_t>(ph) * cw / pw));
            } else {
                h = ch;
                w = std::max(1, static_cast<int>(static_cast<int64_t>(pw) * ch / ph));
            }
        }
        x = (cw - w) / 2;
        y = (ch - h) / 2;
        break;
    default: break;
    }
    if (picture_.icon) {
        if (d_.DisplayMode == 3) {
            for (int ty = 0; ty < ch; ty += ph)
                for (int tx = 0; tx < cw; tx += pw) DrawIconEx(dc, tx, ty, picture_.icon, pw, ph, 0, nullptr, DI_NORMAL);
        } else {
            DrawIconEx(dc, x, y, picture_.icon, w, h, 0, nullptr, DI_NORMAL);
        }
        return;
    }
    if (d_.DisplayMode == 3) {
        HBITMAP tile = (pw == sw && ph == sh) ? picture_.bitmap : Scaled(pw, ph);
        if (!tile) return;
        for (int ty = 0; ty < ch; ty += ph)
            for (int tx = 0; tx < cw; tx += pw) DrawBitmap(dc, tile, picture_.hasAlpha, tx, ty, pw, ph);
        return;
    }
    HBITMAP bitmap = (w == sw && h == sh) ? picture_.bitmap : Scaled(w, h);
    if (bitmap) DrawBitmap(dc, bitmap, picture_.hasAlpha, x, y, w, h);
}

LRESULT CALLBACK PicBoxUnit::Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;  // painted whole, off screen
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT rc;
        GetClientRect(hwnd, &rc);
        PicBoxUnit* unit = static_cast<PicBoxUnit*>(UnitFromWindow(hwnd));
        if (unit && rc.right > 0 && rc.bottom > 0) {
            HDC memory = CreateCompatibleDC(dc);
            HBITMAP canvas = CreateCompatibleBitmap(dc, rc.right, rc.bottom);
            HGDIOBJ old = SelectObject(memory, canvas);
            unit->Paint(memory, rc);
            BitBlt(dc, 0, 0, rc.right, rc.bottom, memory, 0, 0, SRCCOPY);
            SelectObject(memory, old);
            DeleteObject(canvas);
            DeleteDC(memory);
        }
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_PRINTCLIENT: {
        RECT rc;
        GetClientRect(hwnd, &rc);
        if (PicBoxUnit* unit = static_cast<PicBoxUnit*>(UnitFromWindow(hwnd))) unit->Paint(reinterpret_cast<HDC>(wParam), rc);
        return 0;
    }
    case WM_SIZE:
        InvalidateRect(hwnd, nullptr, FALSE);
        break;
    default:
        break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

void* PicBoxTypeQuery(int interfaceNumber) { return UnitTypeQueryFor<PicBoxUnit>(interfaceNumber); }
