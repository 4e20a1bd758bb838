#include "ui/units/unit_common.h"

#include <cstring>
#include <vector>

#include "runtime/command_args.h"
#include "runtime/memory.h"
#include "ui/dpi.h"
#include "ui/picture_loader.h"
#include "ui/wide_text.h"

COLORREF DrawnColour(uint32_t colour) {
    return colour == kDefaultColour ? GetSysColor(COLOR_BTNFACE) : (colour & 0x00ffffff);
}

bool LogFontFromImage(const Blob& image, LOGFONTW* out) {
    if (image.size() != kLogFontSize) return false;
    const uint8_t* p = image.data();
    memset(out, 0, sizeof *out);
    LONG longs[5];
    memcpy(longs, p, sizeof longs);
    out->lfHeight = longs[0];
    out->lfWidth = longs[1];
    out->lfEscapement = longs[2];
    out->lfOrientation = longs[3];
    out->lfWeight = longs[4];
    out->lfItalic = p[20];
    out->lfUnderline = p[21];
    out->lfStrikeOut = p[22];
    out->lfCharSet = p[23];
    out->lfOutPrecision = p[24];
    out->lfClipPrecision = p[25];
    out->lfQuality = p[26];
    out->lfPitchAndFamily = p[27];
    // The face name is code page 936 whatever the system's code page.
    int length = 0;
    while (length < 32 && p[28 + length]) ++length;
    int n = MultiByteToWideChar(936, 0, reinterpret_cast<const char*>(p + 28), length, out->lfFaceName, LF_FACESIZE - 1);
    out->lfFaceName[n > 0 ? n : 0] = 0;
    return true;
}

namespace {
int CALLBACK NoteFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}
}  // namespace

bool FaceInstalled(const wchar_t* face) {
    if (!face || !face[0]) return false;
    LOGFONTW lf;
    memset(&lf, 0, sizeof lf);
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
    HDC dc = GetDC(nullptr);
    bool found = false;
    EnumFontFamiliesExW(dc, &lf, NoteFace, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, dc);
    return found;
}

const wchar_t* InstalledChineseFace() {
    static const wchar_t* chosen = [] {
        static const wchar_t* const faces[] = {L"SimSun", L"\u5b8b\u4f53", L"Microsoft YaHei", L"WenQuanYi Micro Hei",
                                               L"Noto Sans CJK SC"};
        for (const wchar_t* face : faces)
            if (FaceInstalled(face)) return face;
        return static_cast<const wchar_t*>(nullptr);
    }();
    return chosen;
}

HFONT DefaultUnitFont(int dpi) {
    struct Made {
        int dpi;
        HFONT font;
    };
    static std::vector<Made> made;
    for (const Made& m : made)
        if (m.dpi == dpi) return m.font;
    HFONT stock = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTW lf;
    if (!GetObjectW(stock, sizeof lf, &lf)) return stock;
    // The look of the GUI font on a Chinese system: 9 points in a Chinese face when one is
    // installed, else whatever face the system maps the GB2312 character set to.
    lf.lfHeight = -MulDiv(9, dpi, 72);
    lf.lfWidth = 0;
    lf.lfCharSet = GB2312_CHARSET;
    if (const wchar_t* face = InstalledChineseFace()) lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
    HFONT f = CreateFontIndirectW(&lf);
    if (!f) return stock;
    made.push_back({dpi, f});
    return f;
}

void UnitFont::Reset() {
    if (font_) DeleteObject(font_);
    font_ = nullptr;
}

bool UnitFont::Set(const Blob& image) {
    if (image.empty()) {
        Reset();
        image_.clear();
        return true;
    }
    LOGFONTW lf;
    if (!LogFontFromImage(image, &lf)) return false;
    lf.lfHeight = ScaleToDpi(lf.lfHeight, dpi_);
    lf.lfWidth = ScaleToDpi(lf.lfWidth, dpi_);
    // No face, or one this system lacks: the texts are Chinese, so a Chinese face rather than
    // whatever the system's code page would pick.
    if ((lf.lfCharSet == GB2312_CHARSET || lf.lfCharSet == DEFAULT_CHARSET) && !FaceInstalled(lf.lfFaceName)) {
        if (const wchar_t* face = InstalledChineseFace()) {
            lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
            lf.lfCharSet = GB2312_CHARSET;
        }
    }
    HFONT font = CreateFontIndirectW(&lf);
    if (!font) return false;
    Reset();
    font_ = font;
    image_ = image;
    return true;
}

void UnitFont::SetDpi(int dpi) {
    if (dpi == dpi_) return;
    dpi_ = dpi;
    if (!font_) return;
    Blob image = image_;
    Set(image);
}

void RefreshUnitFont(Unit* unit, UnitFont* font) {
    font->SetDpi(unit->dpi);
    if (unit->hwnd) SendMessageW(unit->hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font->handle()), TRUE);
}

UnitBrush::~UnitBrush() {
    if (brush_) DeleteObject(brush_);
}

HBRUSH UnitBrush::get(uint32_t colour) {
    COLORREF c = DrawnColour(colour);
    if (!brush_ || c != colour_) {
        if (brush_) DeleteObject(brush_);
        brush_ = CreateSolidBrush(c);
        colour_ = c;
    }
    return brush_;
}

DWORD BorderExStyle(int border) {
    switch (border) {
    case 1: return WS_EX_CLIENTEDGE;
    case 2: return WS_EX_DLGMODALFRAME;
    case 3: return WS_EX_STATICEDGE;
    case 4: return WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME;
    default: return 0;
    }
}

DWORD BorderStyle(int border) { return border == 5 ? WS_BORDER : 0; }

HWND CreateUnitWindow(const UnitCreateParams& params, DWORD exStyle, const wchar_t* className, const std::string& text,
                      DWORD style) {
    return CreateWindowExW(exStyle, className, GbkToWide(text.c_str()).c_str(),
                           WS_CHILD | WS_CLIPSIBLINGS | (params.style & ~WS_VISIBLE) | style, params.left, params.top,
                           params.width, params.height, params.parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(params.controlId)), GetModuleHandleW(nullptr),
                           nullptr);
}

void BindUnit(Unit* unit, HWND hwnd, const UnitCreateParams& params, uint32_t typeId) {
    unit->hwnd = hwnd;
    unit->windowId = params.windowId;
    unit->unitId = params.unitId;
    unit->typeId = typeId;
    unit->dpi = params.dpi;
    AttachUnitToWindow(unit, hwnd);
    InstallCommonEvents(unit);
}

std::string ArgString(const ArgRecord& value) {
    const char* text = ArgText(value);
    return text ? std::string(text) : std::string();
}

Blob ArgBlob(const ArgRecord& value) {
    int32_t length = 0;
    const uint8_t* bytes = ArgBytes(value, &length);
    if (!bytes || length <= 0) return Blob();
    return Blob(bytes, bytes + length);
}

void ResultString(ArgRecord* result, const std::string& text) {
    ResultText(result, text.data(), static_cast<int32_t>(text.size()));
}

void ResultBlob(ArgRecord* result, const Blob& bytes) {
    ResultByteSet(result, bytes.data(), static_cast<int32_t>(bytes.size()));
}

void ResultColour(ArgRecord* result, uint32_t colour) { ResultInt(result, static_cast<int32_t>(colour)); }

void ResultWindowText(ArgRecord* result, HWND hwnd) {
    Text text = GetWindowTextGbk(hwnd);
    result->value = reinterpret_cast<uintptr_t>(text);
    result->extra = 0;
    result->type = kText;
}

namespace {
void FrameChanged(HWND hwnd) {
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(hwnd, nullptr, TRUE);
}
}  // namespace

void ChangeStyle(HWND hwnd, DWORD mask, DWORD bits) {
    DWORD old = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
    SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG>((old & ~mask) | (bits & mask)));
    FrameChanged(hwnd);
}

void ChangeExStyle(HWND hwnd, DWORD mask, DWORD bits) {
    DWORD old = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE));
    SetWindowLongW(hwnd, GWL_EXSTYLE, static_cast<LONG>((old & ~mask) | (bits & mask)));
    FrameChanged(hwnd);
}

bool RegisterUnitClass(const wchar_t* name, WNDPROC procedure, UINT classStyle) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc;
    if (GetClassInfoExW(instance, name, &wc)) return true;
    memset(&wc, 0, sizeof wc);
    wc.cbSize = sizeof wc;
    wc.style = classStyle;
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = nullptr;
    wc.lpszClassName = name;
    return RegisterClassExW(&wc) != 0;
}

void RedrawWithParent(HWND hwnd) {
    HWND parent = GetParent(hwnd);
    if (!parent) {
        InvalidateRect(hwnd, nullptr, TRUE);
        return;
    }
    RECT rc;
    GetWindowRect(hwnd, &rc);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
    RedrawWindow(parent, &rc, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void DestroyUnitWindow(Unit* unit) {
    HWND hwnd = unit->hwnd;
    if (!hwnd || !IsWindow(hwnd) || UnitFromWindow(hwnd) != unit) return;
    DetachUnitFromWindow(hwnd);
    DestroyWindow(hwnd);
}

void ButtonPicture::Clear() {
    if (icon_) DestroyIcon(icon_);
    if (bitmap_) DeleteObject(bitmap_);
    icon_ = nullptr;
    bitmap_ = nullptr;
}

DWORD ButtonPicture::Load(const Blob& data) {
    Clear();
    if (data.empty()) return 0;
    const uint32_t size = static_cast<uint32_t>(data.size());
    if (DetectPictureFormat(data.data(), size) == PictureFormat::Ico) {
        Picture picture = LoadPicture(data);
        icon_ = picture.icon;
        return icon_ ? BS_ICON : 0;
    }
    PicturePixels pixels;
    if (!DecodePicturePixels(data.data(), size, &pixels)) return 0;
    bitmap_ = CreateBitmapOnColour(pixels, GetSysColor(COLOR_BTNFACE));
    return bitmap_ ? BS_BITMAP : 0;
}

void ButtonPicture::Apply(HWND button) const {
    DWORD bits = icon_ ? BS_ICON : (bitmap_ ? BS_BITMAP : 0);
    ChangeStyle(button, BS_ICON | BS_BITMAP, bits);
    if (icon_) {
        SendMessageW(button, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon_));
    } else {
        SendMessageW(button, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap_));
    }
}

DWORD ButtonHAlign(int align) {
    switch (align) {
    case 0: return BS_LEFT;
    case 1: return BS_CENTER;
    case 2: return BS_RIGHT;
    default: return 0;
    }
}

DWORD ButtonVAlign(int align) {
    switch (align) {
    case 0: return BS_TOP;
    case 1: return BS_VCENTER;
    case 2: return BS_BOTTOM;
    default: return 0;
    }
}

void FillGradient(HDC dc, const RECT& rc, COLORREF top, COLORREF bottom) {
    TRIVERTEX v[2] = {
        {rc.left, rc.top, static_cast<COLOR16>(GetRValue(top) << 8), static_cast<COLOR16>(GetGValue(top) << 8),
         static_cast<COLOR16>(GetBValue(top) << 8), 0},
        {rc.right, rc.bottom, static_cast<COLOR16>(GetRValue(bottom) << 8), static_cast<COLOR16>(GetGValue(bottom) << 8),
         static_cast<COLOR16>(GetBValue(bottom) << 8), 0},
    };
    GRADIENT_RECT g = {0, 1};
    GradientFill(dc, v, 2, &g, 1, GRADIENT_FILL_RECT_V);
}
