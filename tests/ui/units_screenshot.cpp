// One unit of each type in a window with a menu bar, captured from the screen into
// units_screenshot_<locale>.png in the working directory (the build's tests folder), so
// the drawing can be looked at.
#include <windows.h>

#include <string>

#include "test_support.h"
#include "ui/units/super_button.h"
#include "unit_test_support.h"

using namespace units_test;

namespace {
// Captures the open pop-up menu, then closes it: the menu's own loop must not wait.
POINT g_menuAt;
void CALLBACK CaptureMenu(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    RECT area = {g_menuAt.x - 4, g_menuAt.y - 4, g_menuAt.x + 236, g_menuAt.y + 156};
    char locale[16] = "zh";
    GetEnvironmentVariableA("WHT_LOCALE", locale, sizeof locale);
    WritePngFile((std::string("units_menu_") + locale + ".png").c_str(), CaptureScreen(area));
    EndMenu();
}
}  // namespace

TEST_CASE("units screenshot: every unit type drawn in one window") {
    EventRecorder events;
    OwnerDrawRequests requests;
    HMENU bar = CreateMenu();
    HMENU popup = CreatePopupMenu();
    AppendMenuW(popup, MF_STRING, 20001, L"作者");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), L"关于作者");
    HWND host = CreateHostWindow(L"文汇通 units", 520, 360, bar);
    REQUIRE(host);

    std::vector<Unit*> units;
    auto add = [&](Unit* u) {
        REQUIRE(u);
        units.push_back(u);
        return u;
    };
    SupperMenuData menuData;
    menuData.Font = LogFontBlob(-12, 400, 1, "Microsoft YaHei UI");
    menuData.FontFace = "Microsoft YaHei UI";
    add(CreateTestUnit(kTypeSupperMenu, SupperMenuBlob(menuData), host, 600, 304, 56, 32, 0x16780001, false));

    ButtonData button;
    button.Caption = "编码处理";
    add(CreateTestUnit(kTypeButton, ButtonBlob(button), host, 12, 8, 72, 24, 0x16780002));

    EditBoxData edit;
    edit.MultiLine = 1;
    edit.ScrollBars = 2;
    edit.Border = 3;
    edit.Content = "编辑框：GBK 文本 abc 123\r\n第二行";
    add(CreateTestUnit(kTypeEditBox, EditBoxBlob(edit), host, 1, 40, 500, 70, 0x16780003));

    SuperBtnData super;
    super.caption = "加密解密";
    super.AlignStyle = 2;
    super.PicOut = EncodePng(16, 16, ChevronPixels());
    Unit* chevronButton = add(CreateTestUnit(kTypeSuperBtn, SuperBtnBlob(super), host, 7, 118, 90, 24, 0x16780004));
    SuperBtnData plain;
    plain.caption = "交换↑↓";
    plain.AlignStyle = 2;
    add(CreateTestUnit(kTypeSuperBtn, SuperBtnBlob(plain), host, 105, 118, 72, 24, 0x16780005));

    GroupBoxData group;
    group.Caption = "分组框";
    Unit* box = add(CreateTestUnit(kTypeGroupBox, GroupBoxBlob(group), host, 1, 150, 330, 60, 0x16780006));
    TransLabelData label;
    label.Caption = "整数转进制：";
    Unit* inside[3];
    inside[0] = add(CreateTestUnit(kTypeTransLabel, TransLabelBlob(label), host, 6, 25, 80, 16, 0x16780007));
    RadioBoxData r1, r2;
    r1.Caption = "二进制";
    r1.Checked = 1;
    r2.Caption = "十六进制";
    inside[1] = add(CreateTestUnit(kTypeRadioBox, RadioBoxBlob(r1), host, 90, 25, 70, 16, 0x16780008));
    inside[2] = add(CreateTestUnit(kTypeRadioBox, RadioBoxBlob(r2), host, 170, 25, 80, 16, 0x16780009));
    for (Unit* u : inside) SetParent(u->hwnd, box->hwnd);

    PicBoxData pic;
    pic.DisplayMode = 2;
    pic.Picture = EncodeJpeg(216, 200, QuadrantPixels(216, 200), 90);
    add(CreateTestUnit(kTypePicBox, PicBoxBlob(pic), host, 340, 118, 160, 150, 0x1678000a));

    add(CreateTestUnit(kTypeStatusBar, StatusBarBlob(StatusBarData()), host, 0, 300, 520, 20, 0x1678000b));

    // The capture reads the screen: no window left over from another case may cover this one.
    SetWindowPos(host, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    RedrawWindow(host, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME | RDW_UPDATENOW);
    DrawMenuBar(host);
    Pump(700);

    RECT window;
    GetWindowRect(host, &window);
    Capture shot = CaptureScreen(window);
    char locale[16] = "zh";
    GetEnvironmentVariableA("WHT_LOCALE", locale, sizeof locale);
    std::string path = std::string("units_screenshot_") + locale + ".png";
    CHECK(WritePngFile(path.c_str(), shot));

    // The chevron sits right of the caption inside the super button.
    RECT b;
    GetWindowRect(chevronButton->hwnd, &b);
    int chevronLeft = -1, textRight = -1;
    for (int x = b.left; x < b.right; ++x)
        for (int y = b.top + 1; y < b.bottom - 2; ++y) {
            uint32_t px = shot.at(x - window.left, y - window.top);
            uint32_t below = shot.at(x - window.left, y + 1 - window.top);
            if (px == kChevronGrey && below == kChevronGrey && chevronLeft < 0) chevronLeft = x;
            if (px == 0x000000 && x > b.left + 3 && x < b.right - 3) textRight = x;
        }
    CHECK(chevronLeft > 0);
    CHECK(textRight > 0);
    CHECK(chevronLeft > textRight);

    // A pop-up menu of the window, drawn by the super menu.
    HMENU shown = CreatePopupMenu();
    AppendMenuW(shown, MF_STRING, 20010, L"URL加密(GBK)");
    AppendMenuW(shown, MF_STRING | MF_CHECKED, 20011, L"URL解密(GBK)");
    AppendMenuW(shown, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(shown, MF_STRING | MF_GRAYED, 20012, L"RC4加密");
    AppendMenuW(shown, MF_STRING, 20013, L"一键编码(&B)");
    g_menuAt = {b.left, b.bottom};
    SetTimer(nullptr, 0, 500, CaptureMenu);
    SetForegroundWindow(host);
    TrackPopupMenu(shown, TPM_LEFTALIGN | TPM_TOPALIGN, g_menuAt.x, g_menuAt.y, 0, host, nullptr);
    DestroyMenu(shown);
    CHECK(requests.count() >= 1);

    for (auto it = units.rbegin(); it != units.rend(); ++it) DeleteUnit(*it);
    DestroyWindow(host);
}
