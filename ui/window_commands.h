// The window commands: load a window, give a unit the keyboard focus, pop up a menu; and
// their typed calls for program code.
#pragma once
#include <cstdint>

#include "runtime/commands.h"
#include "runtime/library.h"

namespace cmd {
// window, parent window [opt], modal flag → bool. A modal load returns after the window closed.
LIBRARY_COMMAND(LoadWindow);
// unit → nothing. A unit that is not loaded is a fatal error.
LIBRARY_COMMAND(SetFocus);
// window, menu, x [opt], y [opt] (screen coordinates) → nothing.
LIBRARY_COMMAND(PopupMenu);
}  // namespace cmd

// A window, unit or menu item as program code names it.
struct UnitRef {
    uint32_t windowId;
    uint32_t unitId;  // a window's own record identifier (or 0) for the window itself
};
// The argument record of a window, unit or menu item: value the window identifier, extra
// the unit identifier, type code the unit's kind.
ArgRecord UnitArg(uint32_t windowId, uint32_t unitId, TypeCode kind);

bool LoadWindow(uint32_t windowId, bool modal, const UnitRef* parent = nullptr);
void SetUnitFocus(uint32_t windowId, uint32_t unitId);
// x, y: screen coordinates; kOmit for the cursor position + 3.
void PopupMenu(uint32_t windowId, UnitRef menu, int32_t x = kOmit, int32_t y = kOmit);
