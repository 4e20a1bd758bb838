// What the unit types share: creating their windows, fonts and brushes from stored data,
// and reading and writing property values.
#pragma once
#include <windows.h>

#include <string>

#include "ui/form_data.h"
#include "ui/unit_type.h"

// The type queries, registered by RegisterAllUnitTypes.
void* EditBoxTypeQuery(int interfaceNumber);
void* ButtonTypeQuery(int interfaceNumber);
void* RadioBoxTypeQuery(int interfaceNumber);
void* GroupBoxTypeQuery(int interfaceNumber);
void* PicBoxTypeQuery(int interfaceNumber);
void* TransLabelTypeQuery(int interfaceNumber);
void* StatusBarTypeQuery(int interfaceNumber);
void* SuperBtnTypeQuery(int interfaceNumber);
void* SupperMenuTypeQuery(int interfaceNumber);

// Every type's query answers interface 1 with a create function that makes a T and keeps it
// only when its Create(params) succeeds.
template <typename T>
Unit* CreateUnitOfType(const UnitCreateParams& params) {
    T* unit = new T;
    if (!unit->Create(params)) {
        delete unit;
        return nullptr;
    }
    return unit;
}
template <typename T>
void* UnitTypeQueryFor(int interfaceNumber) {
    return interfaceNumber == kUnitInterfaceCreate ? reinterpret_cast<void*>(&CreateUnitOfType<T>) : nullptr;
}

// A colour as drawn: the default stands for the current button face.
COLORREF DrawnColour(uint32_t colour);
// A vertical gradient from top to bottom over the rectangle.
void FillGradient(HDC dc, const RECT& rc, COLORREF top, COLORREF bottom);

// The font of units without one of their own: the stock GUI font as a Chinese system has it
// (9 points, GB2312 character set), so Chinese text has glyphs whatever the system's code page.
// One per DPI, kept for the process.
HFONT DefaultUnitFont(int dpi);
bool FaceInstalled(const wchar_t* face);
// The first installed of the common Chinese faces (SimSun first), or null.
const wchar_t* InstalledChineseFace();

// A font made from a stored LOGFONTA image (its face name read as code page 936), or the
// stock GUI font for an empty one, at the unit's DPI: the image's pixel height is the one
// of a 96-DPI display, so the font keeps its point size. Owns what it made.
class UnitFont {
public:
    UnitFont() {}
    ~UnitFont() { Reset(); }
    UnitFont(const UnitFont&) = delete;
    UnitFont& operator=(const UnitFont&) = delete;
    // False (font unchanged) when the image is neither empty nor a LOGFONTA.
    bool Set(const Blob& image);
    // Makes the font again at another DPI (before Set: the DPI Set makes it at).
    void SetDpi(int dpi);
    HFONT handle() const { return font_ ? font_ : DefaultUnitFont(dpi_); }
    const Blob& image() const { return image_; }

private:
    void Reset();
    HFONT font_ = nullptr;
    Blob image_;
    int dpi_ = 96;
};
// After the unit's DPI changed: its font at the new DPI, given to its window.
void RefreshUnitFont(Unit* unit, UnitFont* font);
bool LogFontFromImage(const Blob& image, LOGFONTW* out);

// A solid brush that follows a stored colour (the default one follows the system).
class UnitBrush {
public:
    ~UnitBrush();
    HBRUSH get(uint32_t colour);

private:
    HBRUSH brush_ = nullptr;
    COLORREF colour_ = 0;
};

// Edges of the stored border values shared by edit boxes and picture boxes.
DWORD BorderExStyle(int border);
DWORD BorderStyle(int border);

// Creates a unit's child window with the W function: the parameters' geometry, parent,
// control id and style bits, plus the type's own.
HWND CreateUnitWindow(const UnitCreateParams& params, DWORD exStyle, const wchar_t* className,
                      const std::string& text, DWORD style);
// Fills the unit's identity from the parameters, attaches it to its window and installs
// the common events.
void BindUnit(Unit* unit, HWND hwnd, const UnitCreateParams& params, uint32_t typeId);

// Destroys the unit's window when it still exists and still belongs to the unit (the
// framework may delete a unit before or after its window has gone).
void DestroyUnitWindow(Unit* unit);

// The picture of a button or radio box: an icon file gives an icon image, any other
// picture a bitmap composed over the button face.
class ButtonPicture {
public:
    ~ButtonPicture() { Clear(); }
    // Decodes the picture; the style bits for it (BS_ICON, BS_BITMAP or 0 when there is none).
    DWORD Load(const Blob& data);
    // Sets the style bits and the image on the control.
    void Apply(HWND button) const;
    void Clear();

private:
    HICON icon_ = nullptr;
    HBITMAP bitmap_ = nullptr;
};
const DWORD kButtonAlignMask = BS_CENTER | BS_VCENTER;
DWORD ButtonHAlign(int align);  // 0 left, 1 centre, 2 right
DWORD ButtonVAlign(int align);  // 0 top, 1 centre, 2 bottom

// Extra windows that belong to a unit (an edit box's spin control): their notifications are
// reflected to the unit.
void AttachUnitPart(Unit* owner, HWND part);
void DetachUnitPart(HWND part);
Unit* UnitOfPart(HWND part);

// Property values. Texts and blobs given to a unit are borrowed; results are fresh blocks.
std::string ArgString(const ArgRecord& value);
Blob ArgBlob(const ArgRecord& value);
void ResultString(ArgRecord* result, const std::string& text);
void ResultBlob(ArgRecord* result, const Blob& bytes);
void ResultColour(ArgRecord* result, uint32_t colour);
void ResultWindowText(ArgRecord* result, HWND hwnd);

// Replaces a window's style bits within mask and lets the frame follow.
void ChangeStyle(HWND hwnd, DWORD mask, DWORD bits);
void ChangeExStyle(HWND hwnd, DWORD mask, DWORD bits);

// Registers a window class of the runtime once (arrow cursor, no background brush).
bool RegisterUnitClass(const wchar_t* name, WNDPROC procedure, UINT classStyle = 0);

// Makes the area under a window repaint as well as the window: for units that paint only
// part of themselves over their parent.
void RedrawWithParent(HWND hwnd);
