#include "unit_test_support.h"

#include <cstring>

#include <png.h>
// jpeglib.h wants FILE and size_t declared first.
#include <cstdio>
#include <jpeglib.h>

#include "runtime/notify.h"
#include "ui/window_loader.h"

namespace units_test {

namespace {

class Writer {
public:
    Writer& u32(uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
        return *this;
    }
    Writer& i32(int32_t v) { return u32(static_cast<uint32_t>(v)); }
    Writer& u16(uint16_t v) {
        bytes.push_back(static_cast<uint8_t>(v));
        bytes.push_back(static_cast<uint8_t>(v >> 8));
        return *this;
    }
    Writer& blob(const Blob& b) {
        u32(static_cast<uint32_t>(b.size()));
        bytes.insert(bytes.end(), b.begin(), b.end());
        return *this;
    }
    Writer& text(const std::string& s) { return blob(Blob(s.begin(), s.end())); }
    Blob bytes;
};

}  // namespace

Blob EditBoxBlob(const EditBoxData& d) {
    Writer w;
    w.u32(d.version).i32(d.Border).u32(d.TextColour).u32(d.BackColour).i32(d.HideSelection).i32(d.MaxLength);
    w.i32(d.MultiLine).i32(d.ScrollBars).i32(d.Alignment).i32(d.InputMode).u16(d.PasswordChar);
    w.i32(d.CaseConversion).i32(d.SpinMode).i32(d.SpinMin).i32(d.SpinMax).i32(d.SelStart).i32(d.SelLength);
    w.blob(d.Font).text(d.Content);
    if (d.version >= 2) w.text(d.DataSource).text(d.DataColumn);
    return w.bytes;
}

Blob PicBoxBlob(const PicBoxData& d) {
    Writer w;
    w.u32(d.version).i32(d.Border).u32(d.BackColour).i32(d.DisplayMode).i32(d.PlayAnimation).blob(d.Picture);
    if (d.version >= 2) w.text(d.DataSource).text(d.DataColumn);
    return w.bytes;
}

Blob GroupBoxBlob(const GroupBoxData& d) {
    Writer w;
    w.u32(d.version).i32(d.TitleAlign).u32(d.TextColour).u32(d.BackColour).blob(d.Font).text(d.Caption);
    return w.bytes;
}

Blob ButtonBlob(const ButtonData& d) {
    Writer w;
    w.u32(d.version).i32(d.ButtonType).i32(d.HAlign).i32(d.VAlign).blob(d.Picture).blob(d.Font).text(d.Caption);
    return w.bytes;
}

Blob RadioBoxBlob(const RadioBoxData& d) {
    Writer w;
    w.u32(d.version).i32(d.PushLike).i32(d.Flat).i32(d.LeftText).i32(d.HAlign).i32(d.VAlign).u32(d.TextColour);
    w.u32(d.BackColour).i32(d.Checked).blob(d.Picture).blob(d.Font).text(d.Caption);
    return w.bytes;
}

Blob StatusBarBlob(const StatusBarData& d) {
    Writer w;
    w.u32(d.version).u32(d.BackColour).i32(d.Pick9).i32(d.Flag10).blob(d.Font).blob(d.ImageList).blob(d.Panels);
    return w.bytes;
}

Blob TransLabelBlob(const TransLabelData& d) {
    Writer w;
    w.u32(d.version).i32(d.Pick9).u32(d.TextColour).i32(d.Pick12).i32(d.Pick14).i32(d.Flag13).blob(d.Font);
    w.text(d.Caption);
    return w.bytes;
}

Blob SuperBtnBlob(const SuperBtnData& d) {
    Writer w;
    w.u32(d.version).i32(d.BtnStyle).i32(d.CheckBox).i32(d.Checked).i32(d.AlignStyle).i32(d.PressStyle);
    w.i32(d.DrawBorder).i32(d.DrawFocus).u32(d.TransColorIn).u32(d.TransColorOut).i32(d.DefaultColor);
    w.i32(d.StandardSound).i32(d.DefaultStyle).u32(d.FgColorOut).u32(d.BkColorOut).u32(d.FgColorIn);
    w.u32(d.BkColorIn).u32(d.FgColorFocus).u32(d.BkColorFocus).blob(d.PicIn).blob(d.PicOut).blob(d.font);
    w.blob(d.OverSound).blob(d.ClickSound).text(d.caption).text(d.ToolTip);
    if (d.version >= 2) w.u32(d.TransColorDisabled).blob(d.PicDisabled);
    return w.bytes;
}

Blob SupperMenuBlob(const SupperMenuData& d) {
    Writer w;
    w.u32(d.version);
    for (int i = 0; i < 6; ++i) w.u32(d.Colours[i]);
    w.i32(d.Theme);
    for (int i = 6; i < 10; ++i) w.u32(d.Colours[i]);
    w.blob(d.ImageList).blob(d.CustomData);
    if (d.version >= 2) w.u32(d.ExtraColours[0]).u32(d.ExtraColours[1]);
    if (d.version >= 3) w.blob(d.Font);
    if (d.version >= 4) w.text(d.FontFace).i32(d.FontWeight);
    return w.bytes;
}

Blob LogFontBlob(int height, int weight, int charset, const char* face) {
    LOGFONTA lf;
    memset(&lf, 0, sizeof lf);
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfCharSet = static_cast<BYTE>(charset);
    lstrcpynA(lf.lfFaceName, face, LF_FACESIZE);
    const uint8_t* p = reinterpret_cast<const uint8_t*>(&lf);
    return Blob(p, p + sizeof lf);
}

Blob EncodePng(int width, int height, const std::vector<uint32_t>& pixels) {
    png_image image;
    memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = PNG_FORMAT_BGRA;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr)) return Blob();
    Blob out(size);
    if (!png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, nullptr)) return Blob();
    out.resize(size);
    return out;
}

Blob EncodeJpeg(int width, int height, const std::vector<uint32_t>& pixels, int quality) {
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = width;
    info.image_height = height;
    info.input_components = 4;
    info.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = reinterpret_cast<JSAMPROW>(const_cast<uint32_t*>(&pixels[static_cast<size_t>(info.next_scanline) * width]));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    Blob out(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    free(buffer);
    return out;
}

Blob MakeIco32(int size, uint32_t argb) {
    Writer w;
    const uint32_t andStride = ((size + 31) / 32) * 4;
    const uint32_t bytes = 40 + size * size * 4 + andStride * size;
    w.u16(0).u16(1).u16(1);
    w.bytes.push_back(static_cast<uint8_t>(size));
    w.bytes.push_back(static_cast<uint8_t>(size));
    w.bytes.push_back(0);
    w.bytes.push_back(0);
    w.u16(1).u16(32).u32(bytes).u32(22);
    w.u32(40).i32(size).i32(size * 2).u16(1).u16(32).u32(0).u32(0).u32(0).u32(0).u32(0).u32(0);
    for (int i = 0; i < size * size; ++i) w.u32(argb);
    for (uint32_t i = 0; i < andStride * size; ++i) w.bytes.push_back(0);
    return w.bytes;
}

Blob MakeBmp24(int width, int height, const std::vector<uint32_t>& pixels) {
    const uint32_t stride = ((width * 3 + 3) / 4) * 4;
    Writer w;
    w.bytes.push_back('B');
    w.bytes.push_back('M');
    w.u32(14 + 40 + stride * height).u32(0).u32(14 + 40);
    w.u32(40).i32(width).i32(height).u16(1).u16(24).u32(0).u32(stride * height).u32(0).u32(0).u32(0).u32(0);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            uint32_t px = pixels[static_cast<size_t>(y) * width + x];
            w.bytes.push_back(static_cast<uint8_t>(px));
            w.bytes.push_back(static_cast<uint8_t>(px >> 8));
            w.bytes.push_back(static_cast<uint8_t>(px >> 16));
        }
        for (uint32_t pad = width * 3; pad < stride; ++pad) w.bytes.push_back(0);
    }
    return w.bytes;
}

std::vector<uint32_t> ChevronPixels() {
    std::vector<uint32_t> px(16 * 16, 0);
    // Two strokes meeting at the bottom, two pixels thick, with soft ends.
    for (int i = 0; i <= 5; ++i) {
        for (int t = 0; t < 2; ++t) {
            int y = 5 + i + t;
            uint32_t alpha = (i == 0) ? 0x80000000u : 0xff000000u;
            px[y * 16 + 2 + i] = alpha | kChevronGrey;
            px[y * 16 + 13 - i] = alpha | kChevronGrey;
        }
    }
    return px;
}

std::vector<uint32_t> QuadrantPixels(int width, int height) {
    std::vector<uint32_t> px(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            bool right = x >= width / 2, bottom = y >= height / 2;
            uint32_t c = !bottom ? (right ? 0x2060c0 : 0xd03020) : (right ? 0xf0c020 : 0x30a040);
            px[static_cast<size_t>(y) * width + x] = 0xff000000u | c;
        }
    return px;
}

// ---- Host window, units ---------------------------------------------------------------

namespace {
LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_HSCROLL:
    case WM_VSCROLL: {
        LRESULT result = 0;
        if (ReflectToChildUnit(hwnd, msg, wParam, lParam, &result)) return result;
        break;
    }
    default:
        break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

int g_nextControlId = 100;
}  // namespace

HWND CreateHostWindow(const wchar_t* title, int width, int height, HMENU menu) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = HostProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = L"WhtUnitsTestHost";
        RegisterClassW(&wc);
        registered = true;
    }
    // A pop-up without a caption: no window manager is asked about it, so nothing waits on
    // one when it goes.
    HWND h = CreateWindowExW(WS_EX_TOPMOST, L"WhtUnitsTestHost", title, WS_POPUP | WS_BORDER | WS_CLIPCHILDREN, 20, 20,
                             width, height, nullptr, menu, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(h, SW_SHOWNOACTIVATE);
    UpdateWindow(h);
    return h;
}

Unit* CreateTestUnit(uint32_t type, const Blob& data, HWND parent, int left, int top, int width, int height,
                     uint32_t unitId, bool show) {
    RegisterAllUnitTypes();
    UnitCreateFunction create = FindUnitCreateFunction(type);
    if (!create) return nullptr;
    FormRecord record;
    record.id = unitId;
    record.UnitTypeId = type;
    record.Left = left;
    record.Top = top;
    record.Width = width;
    record.Height = height;
    record.UnitData = data;
    UnitCreateParams p = {};
    p.record = &record;
    p.data = data.data();
    p.size = static_cast<uint32_t>(data.size());
    p.style = WS_TABSTOP;
    p.parent = parent;
    p.controlId = g_nextControlId;
    g_nextControlId += 10;
    p.left = left;
    p.top = top;
    p.width = width;
    p.height = height;
    p.windowId = kTestWindowId;
    p.unitId = unitId;
    Unit* unit = create(p);
    if (unit && show) ShowWindow(unit->hwnd, SW_SHOWNA);
    return unit;
}

void DeleteUnit(Unit* unit) {
    if (!unit) return;
    HWND h = unit->hwnd;
    delete unit;
    if (IsWindow(h)) DestroyWindow(h);
}

void Pump(int milliseconds) {
    DWORD end = GetTickCount() + milliseconds;
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (milliseconds) Sleep(10);
    } while (static_cast<int>(end - GetTickCount()) > 0);
}

// ---- Events ---------------------------------------------------------------------------

namespace {
std::vector<RaisedEvent> g_events;
int32_t g_answerEvent = 0x7fffffff, g_answerValue = 0;
int g_ownerDrawRequests = 0;

intptr_t RecordEvent(int32_t, uintptr_t first, uintptr_t) {
    EventNotification* n = reinterpret_cast<EventNotification*>(static_cast<uintptr_t>(first));
    RaisedEvent e;
    e.window = n->window;
    e.unit = n->unit;
    e.number = n->eventNumber;
    e.args.assign(n->arguments, n->arguments + n->argumentCount);
    g_events.push_back(e);
    if (n->eventNumber == g_answerEvent) {
        n->hasResult = 1;
        n->result = g_answerValue;
    }
    return 1;
}

intptr_t CountOwnerDraw(int32_t, uintptr_t, uintptr_t) {
    ++g_ownerDrawRequests;
    return 0;
}
}  // namespace

EventRecorder::EventRecorder() {
    g_events.clear();
    g_answerEvent = 0x7fffffff;
    RegisterNotifyHandler(kNotifyRaiseEvent, RecordEvent);
}

EventRecorder::~EventRecorder() {
    g_events.clear();
    InstallWindowFramework();
}

void EventRecorder::Answer(int32_t eventNumber, int32_t result) {
    g_answerEvent = eventNumber;
    g_answerValue = result;
}

int EventRecorder::Count(uint32_t unit, int32_t number) const {
    int n = 0;
    for (const RaisedEvent& e : g_events)
        if (e.unit == unit && e.number == number && e.window == kTestWindowId) ++n;
    return n;
}

const std::vector<RaisedEvent>& EventRecorder::events() const { return g_events; }
void EventRecorder::Clear() { g_events.clear(); }

OwnerDrawRequests::OwnerDrawRequests() {
    g_ownerDrawRequests = 0;
    RegisterNotifyHandler(2037, CountOwnerDraw);
}
OwnerDrawRequests::~OwnerDrawRequests() { InstallWindowFramework(); }
int OwnerDrawRequests::count() const { return g_ownerDrawRequests; }

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string s(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &s[0], n, nullptr, nullptr);
    return s;
}

std::wstring WindowTextW(HWND hwnd) {
    int n = GetWindowTextLengthW(hwnd);
    std::wstring w(n + 1, L'\0');
    n = GetWindowTextW(hwnd, &w[0], n + 1);
    w.resize(n);
    return w;
}

// ---- Pixels ---------------------------------------------------------------------------

namespace {
Capture ReadDib(HDC dc, HBITMAP bitmap, int width, int height) {
    Capture c;
    c.width = width;
    c.height = height;
    c.pixels.assign(static_cast<size_t>(width) * height, 0);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    GetDIBits(dc, bitmap, 0, height, c.pixels.data(), &bi, DIB_RGB_COLORS);
    for (uint32_t& px : c.pixels) px &= 0xffffff;
    return c;
}
}  // namespace

Capture CaptureScreen(const RECT& r) {
    int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    Capture c = ReadDib(screen, bitmap, w, h);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return c;
}

Capture RenderOffscreen(int width, int height, uint32_t background, void (*draw)(HDC, const RECT&, void*),
                        void* context) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    RECT rc = {0, 0, width, height};
    HBRUSH brush = CreateSolidBrush(RGB((background >> 16) & 0xff, (background >> 8) & 0xff, background & 0xff));
    FillRect(memory, &rc, brush);
    DeleteObject(brush);
    draw(memory, rc, context);
    GdiFlush();
    SelectObject(memory, old);
    Capture c = ReadDib(screen, bitmap, width, height);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return c;
}

bool WritePngFile(const char* path, const Capture& capture) {
    std::vector<uint32_t> opaque(capture.pixels);
    for (uint32_t& px : opaque) px |= 0xff000000u;
    Blob png = EncodePng(capture.width, capture.height, opaque);
    if (png.empty()) return false;
    HANDLE f = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(f, png.data(), static_cast<DWORD>(png.size()), &written, nullptr) && written == png.size();
    CloseHandle(f);
    return ok;
}

}  // namespace units_test
