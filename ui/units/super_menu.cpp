// SupperMenu: subclasses its window once and draws the window's menu bar and pop-up menus
// owner-drawn with its colours and font. Items keep their text, so the menus still read as
// text to accessibility tools.
#include "ui/units/super_menu.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "runtime/command_args.h"
#include "runtime/notify.h"
#include "ui/dpi.h"
#include "ui/units/unit_common.h"
#include "ui/wide_text.h"
#include "ui/window_registry.h"

const wchar_t kMenuExOldProcProperty[] = L"WenHuiTong-MenuEx-OldProc";
const wchar_t kMenuExMaskProperty[] = L"WenHuiTong-MenuEx-Mask";
const wchar_t kMenuExMenuShownProperty[] = L"WenHuiTong-MenuEx-MenuShown";
const wchar_t kMenuExActiveBarItemProperty[] = L"WenHuiTong-MenuEx-ActiveBarItem";

namespace {

enum MenuProperty { kTheme = 0, kColour0 = 1, kColour9 = 10, kImageList = 11, kCustomData, kExtra0, kExtra1, kFont };

// Colour roles: 0 side band, 1 separators, 2-3 highlight gradient (top, bottom), 4 pop-up
// background, 5 highlight border, 6 text, 7 disabled text, 8 highlighted text, 9 check box.
// Extra colour 0 is the menu bar, 1 an open bar item.
enum Role { kBand = 0, kSeparator, kHotTop, kHotBottom, kPopupBack, kHotBorder, kText, kGreyText, kHotText, kCheckBack };

const uint32_t kThemeOne[9] = {0xf7f8f9, 0xffefe3, 0xe4ae88, 0xc2eeff, 0xccf4ff, 0x9dd7ff, 0x800000, 0xcb8c6a, 0x8d8d8d};

const int kBandWidth = 24;
const uint32_t kMaskOwnerDrawn = 3;  // the bar and the pop-ups

// Item data the unit gives the items it turns owner-drawn: where the item stands.
const ULONG_PTR kTagMark = 0x4d450000, kTagBar = 0x8000;
bool IsTag(ULONG_PTR data) { return (data & 0xffff0000u) == kTagMark; }

const wchar_t kSuperMenuClass[] = L"WenHuiTong.SuperMenu";

class SupperMenuUnit;

struct MenuHost {
    HWND window;
    WNDPROC oldProc;
    SupperMenuUnit* unit;  // null once the unit has gone while the subclass stays
};
std::vector<MenuHost>& Hosts() {
    static std::vector<MenuHost> hosts;
    return hosts;
}
MenuHost* FindHost(HWND window) {
    for (MenuHost& h : Hosts())
        if (h.window == window) return &h;
    return nullptr;
}
void DropHost(HWND window) {
    std::vector<MenuHost>& hosts = Hosts();
    for (size_t i = 0; i < hosts.size(); ++i) {
        if (hosts[i].window == window) {
            hosts.erase(hosts.begin() + i);
            return;
        }
    }
}

void RemoveMenuProperties(HWND window) {
    RemovePropW(window, kMenuExOldProcProperty);
    RemovePropW(window, kMenuExMaskProperty);
    RemovePropW(window, kMenuExMenuShownProperty);
    RemovePropW(window, kMenuExActiveBarItemProperty);
}

struct ItemView {
    std::wstring text;
    UINT type = 0;
    HMENU submenu = nullptr;
};

// An item's type and text; an item the framework built owner-drawn has no text of its own
// but its description as data.
bool ReadItem(HMENU menu, int position, ItemView* out) {
    MENUITEMINFOW mi;
    memset(&mi, 0, sizeof mi);
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_SUBMENU | MIIM_DATA;
    if (!GetMenuItemInfoW(menu, position, TRUE, &mi)) return false;
    out->type = mi.fType;
    out->submenu = mi.hSubMenu;
    out->text.clear();
    if (mi.cch == 0 && (mi.fType & MFT_OWNERDRAW) && mi.dwItemData && !IsTag(mi.dwItemData)) {
        out->text = GbkToWide(reinterpret_cast<const MenuItemDrawInfo*>(mi.dwItemData)->text.c_str());
        return true;
    }
    if (mi.cch > 0) {
        std::wstring text(mi.cch + 1, L'\0');
        mi.dwTypeData = &text[0];
        mi.cch += 1;
        mi.fMask = MIIM_STRING;
        if (GetMenuItemInfoW(menu, position, TRUE, &mi)) out->text.assign(text.c_str());
    }
    return true;
}

// The position of the item a measure or draw request names, when its data is not ours.
int FindItem(HMENU menu, UINT id) {
    int n = GetMenuItemCount(menu);
    for (int i = 0; i < n; ++i) {
        MENUITEMINFOW mi;
        memset(&mi, 0, sizeof mi);
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_ID | MIIM_SUBMENU;
        if (GetMenuItemInfoW(menu, i, TRUE, &mi) &&
            (mi.wID == id || (mi.hSubMenu && reinterpret_cast<UINT_PTR>(mi.hSubMenu) == id)))
            return i;
    }
    return -1;
}

void MakeOwnerDrawn(HMENU menu, bool bar) {
    if (!menu || !IsMenu(menu)) return;
    int n = GetMenuItemCount(menu);
    for (int i = 0; i < n; ++i) {
        MENUITEMINFOW mi;
        memset(&mi, 0, sizeof mi);
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_FTYPE | MIIM_DATA;
        if (!GetMenuItemInfoW(menu, i, TRUE, &mi)) continue;
        ULONG_PTR tag = kTagMark | (bar ? kTagBar : 0) | (static_cast<ULONG_PTR>(i) & 0x7fff);
        bool ours = IsTag(mi.dwItemData);
        if ((mi.fType & MFT_OWNERDRAW) && (!ours || mi.dwItemData == tag)) continue;
        mi.fMask = MIIM_FTYPE;
        mi.fType |= MFT_OWNERDRAW;
        if (mi.dwItemData == 0 || ours) {
            mi.fMask |= MIIM_DATA;
            mi.dwItemData = tag;
        }
        SetMenuItemInfoW(menu, i, TRUE, &mi);
    }
}

// Gives back the plain items of a menu the unit no longer draws.
void MakePlain(HMENU menu) {
    if (!menu || !IsMenu(menu)) return;
    int n = GetMenuItemCount(menu);
    for (int i = 0; i < n; ++i) {
        MENUITEMINFOW mi;
        memset(&mi, 0, sizeof mi);
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_FTYPE | MIIM_DATA | MIIM_SUBMENU;
        if (!GetMenuItemInfoW(menu, i, TRUE, &mi) || !IsTag(mi.dwItemData)) continue;
        mi.fMask = MIIM_FTYPE | MIIM_DATA;
        mi.fType &= ~MFT_OWNERDRAW;
        mi.dwItemData = 0;
        SetMenuItemInfoW(menu, i, TRUE, &mi);
        if (mi.hSubMenu) MakePlain(mi.hSubMenu);
    }
}

void FillColour(HDC dc, const RECT& rc, COLORREF colour) {
    HBRUSH b = CreateSolidBrush(colour);
    FillRect(dc, &rc, b);
    DeleteObject(b);
}

void FrameColour(HDC dc, const RECT& rc, COLORREF colour) {
    HBRUSH b = CreateSolidBrush(colour);
    FrameRect(dc, &rc, b);
    DeleteObject(b);
}

LRESULT CALLBACK MenuHostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

LRESULT CALLBACK HiddenUnitProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    // Never shown, whoever asks.
    if (msg == WM_WINDOWPOSCHANGING) reinterpret_cast<WINDOWPOS*>(lParam)->flags &= ~SWP_SHOWWINDOW;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

class SupperMenuUnit : public Unit {
public:
    ~SupperMenuUnit() override;
    bool Create(const UnitCreateParams& p);
    void OnLoaded() override { Attach(GetParent(hwnd)); }
    // The menus are measured again with the font at the new DPI.
    void OnDpiChanged() override {
        BuildFont();
        Restyle();
    }

    bool PropertyChanged(int k, const ArgRecord& value) override;
    bool ReadProperty(int k, ArgRecord* value) override;

    // The subclassed window's menu messages; false passes the message on unanswered.
    bool HandleMenuMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
    void WindowDestroyed() { host_ = nullptr; }

private:
    void Attach(HWND window);
    void BuildFont();
    void Restyle();
    COLORREF Colour(int role) const { return d_.Colours[role] & 0xffffff; }
    COLORREF BarColour() const { return DrawnColour(d_.ExtraColours[0]); }
    bool Describe(UINT id, ULONG_PTR data, HMENU menu, ItemView* item, bool* bar) const;
    void Measure(MEASUREITEMSTRUCT* m);
    void Draw(const DRAWITEMSTRUCT* d);
    int Px(int designPixels) const { return ScaleToDpi(designPixels, dpi); }

    SupperMenuData d_;
    HFONT font_ = nullptr;
    HBRUSH barBrush_ = nullptr;
    HWND host_ = nullptr;  // the window this unit subclassed
};

bool SupperMenuUnit::Create(const UnitCreateParams& p) {
    if (!ReadSupperMenuData(p.data, p.size, &d_)) return false;
    if (!RegisterUnitClass(kSuperMenuClass, HiddenUnitProc)) return false;
    UnitCreateParams params = p;
    params.style &= ~(WS_VISIBLE | WS_TABSTOP);
    HWND h = CreateUnitWindow(params, 0, kSuperMenuClass, std::string(), WS_DISABLED);
    if (!h) return false;
    BindUnit(this, h, params, kTypeSupperMenu);
    BuildFont();
    Attach(p.parent);
    return true;
}

SupperMenuUnit::~SupperMenuUnit() {
    if (host_ && IsWindow(host_)) {
        MenuHost* host = FindHost(host_);
        MakePlain(GetMenu(host_));
        if (host && reinterpret_cast<WNDPROC>(GetWindowLongPtrW(host_, GWLP_WNDPROC)) == MenuHostProc) {
            SetWindowLongPtrW(host_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(host->oldProc));
            RemoveMenuProperties(host_);
            DropHost(host_);
        } else if (host) {
            host->unit = nullptr;  // someone subclassed above: stay, passing everything on
        }
        DrawMenuBar(host_);
    }
    for (MenuHost& h : Hosts())
        if (h.unit == this) h.unit = nullptr;
    if (font_) DeleteObject(font_);
    if (barBrush_) DeleteObject(barBrush_);
    DestroyUnitWindow(this);
}

void SupperMenuUnit::Attach(HWND window) {
    if (!window || !IsWindow(window) || host_) return;
    HMENU bar = GetMenu(window);
    if (!bar || !IsMenu(bar)) return;
    if (GetPropW(window, kMenuExOldProcProperty)) return;  // another one draws it already
    WNDPROC old = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(MenuHostProc)));
    if (!old) return;
    host_ = window;
    Hosts().push_back(MenuHost{window, old, this});
    SetPropW(window, kMenuExOldProcProperty, reinterpret_cast<HANDLE>(old));
    SetPropW(window, kMenuExMaskProperty, reinterpret_cast<HANDLE>(static_cast<uintptr_t>(kMaskOwnerDrawn)));
    Restyle();
    SendMessageW(window, kMenuExAttachedMessage, 0, 0);
}

void SupperMenuUnit::BuildFont() {
    if (font_) DeleteObject(font_);
    font_ = nullptr;
    NONCLIENTMETRICSW ncm;
    memset(&ncm, 0, sizeof ncm);
    ncm.cbSize = sizeof ncm;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
    LOGFONTW lf = ncm.lfMenuFont;
    // The system's menu font is the one for the system's DPI; a stored font's height is the
    // one for 96 DPI. Both at the window's DPI.
    lf.lfHeight = MulDiv(lf.lfHeight, dpi, SystemDpi());
    lf.lfWidth = 0;
    LOGFONTW stored;
    if (LogFontFromImage(d_.Font, &stored)) {
        lf = stored;
        lf.lfHeight = ScaleToDpi(lf.lfHeight, dpi);
        lf.lfWidth = ScaleToDpi(lf.lfWidth, dpi);
    } else if (!d_.FontFace.empty()) {
        std::wstring face = GbkToWide(d_.FontFace.c_str());
        lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
        lf.lfWeight = d_.FontWeight;
    }
    // A face this system lacks: a Chinese face (else the menu face) at the stored size and
    // weight, with the GB2312 character set, so the captions keep their glyphs.
    if (!FaceInstalled(lf.lfFaceName)) {
        const wchar_t* chinese = InstalledChineseFace();
        lstrcpynW(lf.lfFaceName, chinese ? chinese : ncm.lfMenuFont.lfFaceName, LF_FACESIZE);
        lf.lfCharSet = GB2312_CHARSET;
    }
    font_ = CreateFontIndirectW(&lf);
}

// Has the bar built owner-drawn again, so its items are measured anew: by the framework for
// its own windows, else by turning the items owner-drawn here. Then colours its empty part.
void SupperMenuUnit::Restyle() {
    if (!host_) return;
    if (!RuntimeNotify(kNotifyOwnerDrawMenus, windowId, reinterpret_cast<uintptr_t>(host_))) {
        MakePlain(GetMenu(host_));
        MakeOwnerDrawn(GetMenu(host_), true);
    }
    HMENU bar = GetMenu(host_);
    if (!bar) return;
    if (barBrush_) DeleteObject(barBrush_);
    barBrush_ = CreateSolidBrush(BarColour());
    MENUINFO mi;
    memset(&mi, 0, sizeof mi);
    mi.cbSize = sizeof mi;
    mi.fMask = MIM_BACKGROUND;
    mi.hbrBack = barBrush_;
    SetMenuInfo(bar, &mi);
    DrawMenuBar(host_);
}

// What an item shows. Items the unit made owner-drawn keep their own text; items the
// framework built owner-drawn carry its description as their data instead.
bool SupperMenuUnit::Describe(UINT id, ULONG_PTR data, HMENU menu, ItemView* item, bool* bar) const {
    HMENU menuBar = GetMenu(host_);
    if (data && !IsTag(data)) {
        const MenuItemDrawInfo* info = reinterpret_cast<const MenuItemDrawInfo*>(data);
        item->text = GbkToWide(info->text.c_str());
        item->type = MFT_OWNERDRAW | (info->separator ? MFT_SEPARATOR : 0);
        item->submenu = nullptr;
        *bar = info->inMenuBar;
        return true;
    }
    int position = -1;
    if (IsTag(data)) {
        position = static_cast<int>(data & 0x7fff);
        if (!menu) menu = (data & kTagBar) ? menuBar : static_cast<HMENU>(GetPropW(host_, kMenuExMenuShownProperty));
    } else if (menu) {
        position = FindItem(menu, id);
    } else {
        for (HMENU m : {static_cast<HMENU>(GetPropW(host_, kMenuExMenuShownProperty)), menuBar}) {
            if (m && IsMenu(m) && (position = FindItem(m, id)) >= 0) {
                menu = m;
                break;
            }
        }
    }
    if (!menu || position < 0 || !ReadItem(menu, position, item)) return false;
    *bar = menu == menuBar;
    return true;
}

void SupperMenuUnit::Measure(MEASUREITEMSTRUCT* m) {
    ItemView item;
    bool bar = false;
    if (!Describe(m->itemID, m->itemData, nullptr, &item, &bar)) {
        m->itemWidth = Px(60);
        m->itemHeight = Px(22);
        return;
    }
    if (!bar && (item.type & MFT_SEPARATOR)) {
        m->itemWidth = 0;
        m->itemHeight = Px(7);
        return;
    }
    HDC dc = GetDC(host_);
    HGDIOBJ old = SelectObject(dc, font_);
    std::wstring label = item.text, keys;
    size_t tab = label.find(L'\t');
    if (tab != std::wstring::npos) {
        keys = label.substr(tab + 1);
        label.resize(tab);
    }
    RECT r = {0, 0, 0, 0};
    DrawTextW(dc, label.c_str(), static_cast<int>(label.size()), &r, DT_SINGLELINE | DT_CALCRECT);
    RECT k = {0, 0, 0, 0};
    if (!keys.empty()) DrawTextW(dc, keys.c_str(), static_cast<int>(keys.size()), &k, DT_SINGLELINE | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(host_, dc);
    if (bar) {
        m->itemWidth = (r.right - r.left) + Px(12);
        m->itemHeight = std::max<UINT>(SystemMetricForDpi(SM_CYMENU, dpi) - 1, (r.bottom - r.top) + Px(4));
    } else {
        m->itemWidth =
            Px(kBandWidth) + Px(8) + (r.right - r.left) + (keys.empty() ? 0 : Px(24) + (k.right - k.left)) + Px(20);
        m->itemHeight = std::max<UINT>(Px(22), (r.bottom - r.top) + Px(8));
    }
}

void SupperMenuUnit::Draw(const DRAWITEMSTRUCT* d) {
    ItemView item;
    bool bar = false;
    if (!Describe(d->itemID, d->itemData, reinterpret_cast<HMENU>(d->hwndItem), &item, &bar)) return;
    HDC dc = d->hDC;
    RECT rc = d->rcItem;
    const bool disabled = (d->itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
    const bool hot = (d->itemState & (ODS_SELECTED | ODS_HOTLIGHT)) != 0 && !disabled;
    const UINT prefix = (d->itemState & ODS_NOACCEL) ? DT_HIDEPREFIX : 0;
    HGDIOBJ oldFont = SelectObject(dc, font_);
    SetBkMode(dc, TRANSPARENT);

    std::wstring label = item.text, keys;
    size_t tab = label.find(L'\t');
    if (tab != std::wstring::npos) {
        keys = label.substr(tab + 1);
        label.resize(tab);
    }

    if (bar) {
        bool open = (d->itemState & ODS_SELECTED) != 0;
        FillColour(dc, rc, open && d_.ExtraColours[1] != kDefaultColour ? DrawnColour(d_.ExtraColours[1]) : BarColour());
        if (hot) {
            RECT hl = rc;
            InflateRect(&hl, 0, -1);
            FillGradient(dc, hl, Colour(kHotTop), Colour(kHotBottom));
            FrameColour(dc, hl, Colour(kHotBorder));
        }
        SetTextColor(dc, disabled ? Colour(kGreyText) : (hot ? Colour(kHotText) : Colour(kText)));
        DrawTextW(dc, label.c_str(), static_cast<int>(label.size()), &rc,
                  DT_SINGLELINE | DT_CENTER | DT_VCENTER | prefix);
        SelectObject(dc, oldFont);
        return;
    }

    FillColour(dc, rc, Colour(kPopupBack));
    const int bandWidth = Px(kBandWidth);
    RECT band = {rc.left, rc.top, rc.left + bandWidth, rc.bottom};
    FillColour(dc, band, Colour(kBand));
    if (item.type & MFT_SEPARATOR) {
        RECT line = {rc.left + bandWidth + Px(4), (rc.top + rc.bottom) / 2, rc.right - Px(2), (rc.top + rc.bottom) / 2 + 1};
        FillColour(dc, line, Colour(kSeparator));
        SelectObject(dc, oldFont);
        return;
    }
    if (hot) {
        RECT hl = rc;
        InflateRect(&hl, -1, -1);
        FillGradient(dc, hl, Colour(kHotTop), Colour(kHotBottom));
        FrameColour(dc, hl, Colour(kHotBorder));
    }
    if (d->itemState & ODS_CHECKED) {
        const int side = Px(16);
        RECT box = {band.left + Px(4), rc.top + (rc.bottom - rc.top - side) / 2, band.left + Px(4) + side, 0};
        box.bottom = box.top + side;
        FillColour(dc, box, Colour(kCheckBack));
        FrameColour(dc, box, Colour(kHotBorder));
        HPEN pen = CreatePen(PS_SOLID, Px(2), Colour(kText));
        HGDIOBJ oldPen = SelectObject(dc, pen);
        POINT tick[3] = {{box.left + Px(3), box.top + Px(8)}, {box.left + Px(6), box.top + Px(11)},
                         {box.left + Px(12), box.top + Px(4)}};
        Polyline(dc, tick, 3);
        SelectObject(dc, oldPen);
        DeleteObject(pen);
    }
    SetTextColor(dc, disabled ? Colour(kGreyText) : (hot ? Colour(kHotText) : Colour(kText)));
    RECT text = {rc.left + bandWidth + Px(8), rc.top, rc.right - Px(20), rc.bottom};
    DrawTextW(dc, label.c_str(), static_cast<int>(label.size()), &text, DT_SINGLELINE | DT_VCENTER | prefix);
    if (!keys.empty())
        DrawTextW(dc, keys.c_str(), static_cast<int>(keys.size()), &text, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | prefix);
    SelectObject(dc, oldFont);
}

// The item whose mnemonic ("&x") matches a typed character, for owner-drawn items.
LRESULT MenuCharResult(HMENU menu, wchar_t typed) {
    wchar_t key = static_cast<wchar_t>(reinterpret_cast<UINT_PTR>(CharUpperW(reinterpret_cast<LPWSTR>(static_cast<UINT_PTR>(typed)))));
    int n = GetMenuItemCount(menu);
    for (int i = 0; i < n; ++i) {
        ItemView item;
        if (!ReadItem(menu, i, &item) || (item.type & MFT_SEPARATOR)) continue;
        for (size_t j = 0; j + 1 < item.text.size(); ++j) {
            if (item.text[j] != L'&') continue;
            if (item.text[j + 1] == L'&') {
                ++j;
                continue;
            }
            wchar_t c = static_cast<wchar_t>(reinterpret_cast<UINT_PTR>(
                CharUpperW(reinterpret_cast<LPWSTR>(static_cast<UINT_PTR>(item.text[j + 1])))));
            if (c == key) return MAKELRESULT(i, MNC_EXECUTE);
            break;
        }
    }
    return -1;
}

bool SupperMenuUnit::HandleMenuMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (msg) {
    case WM_MEASUREITEM: {
        MEASUREITEMSTRUCT* m = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (m->CtlType != ODT_MENU) return false;
        Measure(m);
        *result = TRUE;
        return true;
    }
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT* d = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (d->CtlType != ODT_MENU) return false;
        Draw(d);
        *result = TRUE;
        return true;
    }
    case WM_MENUCHAR: {
        HMENU menu = reinterpret_cast<HMENU>(lParam);
        if (!menu) return false;
        LRESULT r = MenuCharResult(menu, LOWORD(wParam));
        if (r == -1) return false;
        *result = r;
        return true;
    }
    default:
        return false;
    }
}

LRESULT CALLBACK MenuHostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    MenuHost* host = FindHost(hwnd);
    if (!host) {
        // Nothing left to pass the message to.
        MessageBoxW(nullptr, L"超级菜单组件找不到它所在的窗口。", L"错误", MB_ICONERROR | MB_OK);
        PostQuitMessage(0);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    WNDPROC old = host->oldProc;
    SupperMenuUnit* unit = host->unit;
    if (!unit) return CallWindowProcW(old, hwnd, msg, wParam, lParam);

    switch (msg) {
    case WM_INITMENU:
    case WM_NCPAINT:
    case kMenuExAttachedMessage:
        // The framework may have rebuilt the bar (a caption or flag was written).
        MakeOwnerDrawn(GetMenu(hwnd), true);
        break;
    case WM_INITMENUPOPUP: {
        LRESULT r = CallWindowProcW(old, hwnd, msg, wParam, lParam);
        HMENU popup = reinterpret_cast<HMENU>(wParam);
        MakeOwnerDrawn(popup, false);
        SetPropW(hwnd, kMenuExMenuShownProperty, popup);
        return r;
    }
    case WM_UNINITMENUPOPUP:
        if (GetPropW(hwnd, kMenuExMenuShownProperty) == reinterpret_cast<HANDLE>(wParam))
            RemovePropW(hwnd, kMenuExMenuShownProperty);
        break;
    case WM_MENUSELECT: {
        HMENU menu = reinterpret_cast<HMENU>(lParam);
        if (menu && menu == GetMenu(hwnd) && HIWORD(wParam) != 0xffff) {
            // Bar items open pop-ups, so the low word is their position (stored plus one).
            SetPropW(hwnd, kMenuExActiveBarItemProperty,
                     reinterpret_cast<HANDLE>(static_cast<uintptr_t>(LOWORD(wParam)) + 1));
        }
        break;
    }
    case WM_EXITMENULOOP:
        RemovePropW(hwnd, kMenuExMenuShownProperty);
        RemovePropW(hwnd, kMenuExActiveBarItemProperty);
        break;
    case WM_DESTROY: {
        RemoveMenuProperties(hwnd);
        unit->WindowDestroyed();
        LRESULT r = CallWindowProcW(old, hwnd, msg, wParam, lParam);
        // Step out of the chain when still on top, so the rest of the teardown goes straight on.
        if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC)) == MenuHostProc) {
            SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
            DropHost(hwnd);
        } else if (MenuHost* h = FindHost(hwnd)) {
            h->unit = nullptr;
        }
        return r;
    }
    case WM_NCDESTROY: {
        LRESULT r = CallWindowProcW(old, hwnd, msg, wParam, lParam);
        DropHost(hwnd);
        return r;
    }
    default: {
        LRESULT result = 0;
        if (unit->HandleMenuMessage(hwnd, msg, wParam, lParam, &result)) return result;
        break;
    }
    }
    return CallWindowProcW(old, hwnd, msg, wParam, lParam);
}

bool SupperMenuUnit::PropertyChanged(int k, const ArgRecord& v) {
    if (k == kTheme) {
        d_.Theme = ArgInt(v);
        if (d_.Theme == 0) {
            SupperMenuData defaults;
            std::copy(defaults.Colours, defaults.Colours + 10, d_.Colours);
        } else if (d_.Theme == 1) {
            std::copy(kThemeOne, kThemeOne + 9, d_.Colours);
        }
    } else if (k >= kColour0 && k <= kColour9) {
        d_.Colours[k - kColour0] = static_cast<uint32_t>(ArgInt(v));
    } else if (k == kImageList) {
        d_.ImageList = ArgBlob(v);
        return true;
    } else if (k == kCustomData) {
        d_.CustomData = ArgBlob(v);
        return true;
    } else if (k == kExtra0 || k == kExtra1) {
        d_.ExtraColours[k - kExtra0] = static_cast<uint32_t>(ArgInt(v));
    } else if (k == kFont) {
        Blob font = ArgBlob(v);
        if (!font.empty() && font.size() != kLogFontSize) return true;
        d_.Font = font;
        BuildFont();
    } else {
        return false;
    }
    Restyle();
    return true;
}

bool SupperMenuUnit::ReadProperty(int k, ArgRecord* r) {
    if (k == kTheme) {
        ResultInt(r, d_.Theme);
    } else if (k >= kColour0 && k <= kColour9) {
        ResultColour(r, d_.Colours[k - kColour0]);
    } else if (k == kImageList) {
        ResultBlob(r, d_.ImageList);
    } else if (k == kCustomData) {
        ResultBlob(r, d_.CustomData);
    } else if (k == kExtra0 || k == kExtra1) {
        ResultColour(r, d_.ExtraColours[k - kExtra0]);
    } else if (k == kFont) {
        ResultBlob(r, d_.Font);
    } else {
        return false;
    }
    return true;
}

}  // namespace

void* SupperMenuTypeQuery(int interfaceNumber) { return UnitTypeQueryFor<SupperMenuUnit>(interfaceNumber); }
