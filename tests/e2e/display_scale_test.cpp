// The main window at the display's DPI (the suite runs once per DPI, each in a Wine prefix of
// its own): units where their 96-DPI places scale to, captions that fit, the status bar in
// the window, and contents that outlive a change of DPI.
#include <cstdlib>
#include <string>

#include "program_driver.h"
#include "test_support.h"

namespace {
const int k状态条1 = 180;

// The main window's units on a 96-DPI display, in their parent's client area, with the
// caption the unit shows (null: none) and the room beside it at 96 DPI: the chevron with its
// gap and the face's edges, or a radio box's round mark.
struct Place { int id, left, top, width, height; const wchar_t* caption; int beside; };
const int kChevron = 16 + 3 + 2 * 2, kMark = 16;
const Place kPlaces[] = {
    {ids::按钮_编码处理, 12, 8, 72, 24, L"编码处理", 0}, {ids::按钮_进制计算, 90, 8, 72, 24, L"进制计算", 0},
    {ids::按钮_转大小写, 169, 8, 72, 24, L"转大小写", 0}, {ids::按钮_编码处理1, 573, 8, 72, 24, L"清空", 0},
    {ids::编辑框_QZ输入, 1, 42, 648, 104, nullptr, 0}, {ids::编辑框_357输出, 1, 199, 656, 167, nullptr, 0},
    {ids::分组框_编码处理, 1, 147, 656, 39, nullptr, 0}, {ids::分组框_进制计算, 1, 147, 656, 40, nullptr, 0},
    {ids::分组框_转大小写, 1, 147, 656, 40, nullptr, 0}, {ids::超级按钮_加密解密, 7, 10, 72, 24, L"加密解密", kChevron},
    {ids::超级按钮_文汇通1, 96, 10, 80, 24, L"文汇通1", kChevron}, {ids::超级按钮_文汇通2, 191, 10, 80, 24, L"文汇通2", kChevron},
    {ids::超级按钮_取哈希值, 288, 10, 72, 24, L"取哈希值", kChevron}, {ids::超级按钮_交换上下, 373, 10, 72, 24, L"交换↑↓", 0},
    {ids::超级按钮_一键解码, 455, 10, 72, 24, L"一键解码", 0}, {ids::单选框_二进制, 77, 15, 60, 16, L"二进制", kMark},
    {ids::单选框_八进制, 140, 15, 61, 16, L"八进制", kMark}, {ids::单选框_十进制, 203, 15, 60, 16, L"十进制", kMark},
    {ids::单选框_十六进制, 261, 15, 72, 16, L"十六进制", kMark}, {ids::单选框_进制转文本, 438, 15, 80, 16, L"进制转文本", kMark},
    {ids::单选框_文本转进制, 523, 15, 80, 16, L"文本转进制", kMark}, {ids::单选框_字母转大写, 8, 16, 88, 16, L"字母转大写", kMark},
    {ids::单选框_字母转小写, 104, 16, 88, 16, L"字母转小写", kMark}, {ids::单选框_数字转大写, 200, 16, 112, 16, L"数字转大写(￥)", kMark},
};

RECT InParent(HWND h) {
    RECT r;
    GetWindowRect(h, &r);
    MapWindowPoints(nullptr, GetParent(h), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The caption's width at 9 points at the DPI in a Chinese face (a font handle does not
// cross to this process; Chinese glyphs are one em wide in every such face).
int CaptionWidth(const wchar_t* caption, int dpi) {
    HFONT font = CreateFontW(-MulDiv(9, dpi, 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0, L"");
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size = {0, 0};
    GetTextExtentPoint32W(dc, caption, lstrlenW(caption), &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);
    return size.cx;
}

// Every unit at its place scaled to the DPI (edges within 1 pixel; exact at 96), captions
// and chevrons inside their units, units of one parent that are apart at 96 DPI apart, the
// status bar along the bottom of the client area.
void CheckLayout(ProgramDriver& p, int dpi) {
    CAPTURE(dpi);
    const int slack = dpi == 96 ? 0 : 1;
    auto within = [&](LONG edge, int design) { return std::abs(edge - MulDiv(design, dpi, 96)) <= slack; };
    for (const Place& u : kPlaces) {
        CAPTURE(u.id);
        HWND h = p.Control(u.id);
        RECT r = InParent(h), overlap;
        CHECK((within(r.left, u.left) && within(r.top, u.top) && within(r.right, u.left + u.width) &&
               within(r.bottom, u.top + u.height)));
        if (u.caption) CHECK(CaptionWidth(u.caption, dpi) + MulDiv(u.beside, dpi, 96) <= r.right - r.left);
        for (const Place& o : kPlaces) {
            RECT a = {u.left, u.top, u.left + u.width, u.top + u.height}, b = {o.left, o.top, o.left + o.width, o.top + o.height};
            RECT other = InParent(p.Control(o.id));
            if (&o != &u && GetParent(p.Control(o.id)) == GetParent(h) && !IntersectRect(&overlap, &a, &b))
                CHECK_FALSE(IntersectRect(&overlap, &other, &r));
        }
    }
    RECT client, bar = InParent(p.Control(k状态条1));
    GetClientRect(p.main(), &client);
    CHECK((bar.left >= 0 && bar.right <= client.right + 2 && bar.bottom == client.bottom));
    // At the display's own DPI the client area is the 96-DPI one (657 x 390) scaled, and the
    // bar clear of the output box. (Under Wine the bar takes its least height from the
    // system's metrics, which a DPI change message leaves as they are.)
    if (dpi == DisplayDpi()) {
        CHECK(bar.top >= InParent(p.Control(ids::编辑框_357输出)).bottom);
        CHECK((client.right == MulDiv(657, dpi, 96) && client.bottom == MulDiv(390, dpi, 96)));
    }
}
}  // namespace

TEST_CASE("display scale: the window is laid out at the display's DPI") {
    ProgramDriver& p = Fresh();
    for (int group : {ids::按钮_进制计算, ids::按钮_转大小写, ids::按钮_编码处理}) {
        p.Click(group);
        CheckLayout(p, DisplayDpi());
    }
    p.Stop();  // the next case starts from a program just started
}

TEST_CASE("display scale: a change of DPI lays the window out again and keeps what it shows") {
    ProgramDriver& p = Fresh();
    const int dpi = DisplayDpi();
    p.SetInputWide(L"文汇通 DPI");
    p.Click(ids::按钮_转大小写);
    SendMessageW(p.Control(ids::编辑框_357输出), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"第二个框"));
    SendMessageW(p.Control(ids::编辑框_QZ输入), EM_SETSEL, 2, 5);
    // Each DPI in turn, then back: nothing drifts on the way. (Only those whose window the
    // screen can hold: a window is never made larger than the screen.)
    for (int to : {120, 192, 144, 96, dpi}) {
        CAPTURE(to);
        if (MulDiv(663, to, 96) > GetSystemMetrics(SM_CXSCREEN) || MulDiv(434, to, 96) > GetSystemMetrics(SM_CYSCREEN))
            continue;
        SendMessageW(p.main(), WM_DPICHANGED, MAKEWPARAM(to, to), 0);
        p.Settle();
        CheckLayout(p, to);
        CHECK((p.InputWide() == L"文汇通 DPI" && p.OutputWide() == L"第二个框"));
        CHECK(SendMessageW(p.Control(ids::编辑框_QZ输入), EM_GETSEL, 0, 0) == MAKELONG(2, 5));
        CHECK((p.Visible(ids::分组框_转大小写) && !p.Visible(ids::分组框_编码处理)));
    }
    p.Stop();
}
