// The `window` unit type: record 0 of every window, the top-level window itself.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "ui/form_data.h"
#include "ui/unit_type.h"

class WindowUnit : public Unit {
public:
    ~WindowUnit() override;

    // Own properties from 8 on: 8 Title, 9 BorderStyle, 10 BackColour, 11 BackPicture,
    // 12 BackPictureMode, 13 BackMusic, 14 its pick value, 15 ControlBox, 16 MaxButton,
    // 17 MinButton, 18 Position, 19 Movable, 20 Icon, 21-23 flags, 24 text, 25 number,
    // 26 ShowInTaskbar, 27 flag, 28 Shape, 29 AlwaysOnTop, 30 flag, 31 WindowClassName.
    bool PropertyChanged(int k, const ArgRecord& value) override;
    bool ReadProperty(int k, ArgRecord* value) override;

    // How the loader shows the window: minimised or maximised as Position says.
    int ShowCommand() const;
    HBRUSH BackgroundBrush() const;

    // The window's outer size for its stored size (the one on a 96-DPI display) at the DPI:
    // the client area scaled, the frame the system's at that DPI.
    SIZE OuterSizeAtDpi(int dpi) const;
    // Gives the window the client size its stored size scales to at its DPI (the frame or
    // the menu bar may differ from what the system predicted).
    void FitClientToDpi();
    void OnDpiChanged() override { ApplyIcon(); }

    WindowData data;

private:
    friend Unit* CreateWindowUnit(const UnitCreateParams& params);
    void ApplyFrameStyles();
    void ApplyBackColour();
    void ApplyIcon();
    void ApplyMovable();

    int designWidth_ = 0, designHeight_ = 0;  // the stored outer size
    HBRUSH ownBrush_ = nullptr;
    HICON bigIcon_ = nullptr, smallIcon_ = nullptr;
};

// Window styles for the stored look: border style, caption, boxes, always on top.
void WindowFrameStyles(const WindowData& data, DWORD* style, DWORD* exStyle);
// The outer size of a window stored as width x height on a 96-DPI display, at the DPI: the
// client area scaled, the frame (with the menu bar when there is one) the system's at that DPI.
SIZE ScaledOuterSize(const WindowData& data, bool menu, int width, int height, int dpi);
// An icon of the given size from an ICO file image; null when the bytes are no icon.
HICON IconFromIconFile(const uint8_t* data, uint32_t size, int width, int height);

Unit* CreateWindowUnit(const UnitCreateParams& params);
// Registers the type for UnitTypeId 0x00010001 (called by RegisterAllUnitTypes).
void RegisterWindowUnitType();

// True while the may-close query is raised because the system session is ending (not for a
// close of the window): a handler that vetoes then leaves the program running.
bool SessionEndQueried();

// Window event raised when files are dropped on the window or any unit in it (the window
// accepts them once DragAcceptFiles was called for it). The handler reads the names here,
// in the order the system gave them; they stay until the next drop.
const int32_t kWindowEventFilesDropped = 20;
const std::vector<std::wstring>& DroppedFiles();
