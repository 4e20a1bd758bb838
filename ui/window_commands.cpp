#include "ui/window_commands.h"

#include <windows.h>

#include "runtime/command_args.h"
#include "runtime/notify.h"
#include "ui/window_loader.h"
#include "ui/window_registry.h"

namespace {
const int kCursorOffset = 3;

// Kinds and record 0 identifiers come from the definitions, so that the records carry
// what the command would see from program code.
const FormRecord* DefinitionOf(uint32_t windowId, uint32_t unitId) {
    FormWindow* w = FindWindowById(windowId);
    if (!w || w->definition.empty()) return nullptr;
    if (unitId == 0) return &w->definition[0];
    int i = FindRecordIndex(w->definition, unitId);
    return i < 0 ? nullptr : &w->definition[i];
}

ArgRecord WindowArg(uint32_t windowId) {
    const FormRecord* r = DefinitionOf(windowId, 0);
    return UnitArg(windowId, r ? r->id : 0, kTypeWindow);
}
}  // namespace

namespace cmd {
LIBRARY_COMMAND(LoadWindow) {
    ResultBool(result, false);
    if (count < 1) return;
    uintptr_t parent = 0;
    if (ArgGiven(args, count, 1)) {
        parent = static_cast<uintptr_t>(RuntimeNotify(kNotifyFindUnit, args[1].value, args[1].extra));
        if (!parent) return;
    }
    LoadWindowRequest request = {static_cast<uint32_t>(args[0].value), parent, ArgGiven(args, count, 2) && ArgBool(args[2]) ? 1 : 0};
    ResultBool(result, RuntimeNotify(kNotifyLoadWindow, reinterpret_cast<uintptr_t>(&request), 0) == 0);
}

LIBRARY_COMMAND(SetFocus) {
    if (count < 1) return;
    Unit* unit = reinterpret_cast<Unit*>(RuntimeNotify(kNotifyFindUnitStrict, args[0].value, args[0].extra));
    if (unit && unit->hwnd) ::SetFocus(unit->hwnd);
}

LIBRARY_COMMAND(PopupMenu) {
    if (count < 2) return;
    Unit* window = reinterpret_cast<Unit*>(RuntimeNotify(kNotifyFindUnitStrict, args[0].value, 0));
    if (args[1].value != args[0].value) return;
    FormWindow* w = FindWindowByObject(window);
    if (!w) return;
    int k = MenuIndexOf(*w, args[1].extra);
    if (k < 0) return;
    MenuItemDrawList items;
    HMENU menu = BuildPopupMenu(*w, k, RuntimeOf(*w).ownerDrawnMenus, &items);
    if (!menu) return;
    POINT cursor = {0, 0};
    GetCursorPos(&cursor);
    int x = ArgGiven(args, count, 2) ? ArgInt(args[2]) : cursor.x + kCursorOffset;
    int y = ArgGiven(args, count, 3) ? ArgInt(args[3]) : cursor.y + kCursorOffset;
    HWND hwnd = window->hwnd;
    uint32_t windowId = w->id, menuId = args[1].extra;
    if (FormRecord* item = MenuRecordAt(*w, k)) item->PopupMenus[1] = menu;
    // The menu closes when the user clicks elsewhere only if its owner is in front.
    SetForegroundWindow(hwnd);
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, x, y, 0, hwnd, nullptr);
    PostMessageW(hwnd, WM_NULL, 0, 0);
    // The menu's handlers have not run yet (the choice is posted), but the tracking loop
    // let other messages through: look the item up again.
    if (FormWindow* again = FindWindowById(windowId)) {
        int i = MenuIndexOf(*again, menuId);
        if (FormRecord* item = i < 0 ? nullptr : MenuRecordAt(*again, i))
            if (item->PopupMenus[1] == menu) item->PopupMenus[1] = nullptr;
    }
    DestroyMenu(menu);
}
}  // namespace cmd

ArgRecord UnitArg(uint32_t windowId, uint32_t unitId, TypeCode kind) { return {windowId, unitId, kind}; }

bool LoadWindow(uint32_t windowId, bool modal, const UnitRef* parent) {
    ArgRecord records[3] = {WindowArg(windowId), OmittedArg(), BoolArg(modal)};
    if (parent) {
        const FormRecord* r = DefinitionOf(parent->windowId, parent->unitId);
        records[1] = UnitArg(parent->windowId, parent->unitId, r ? r->UnitTypeId : kTypeWindow);
    }
    return CallCommand(cmd::LoadWindow, 3, records).value != 0;
}

void SetUnitFocus(uint32_t windowId, uint32_t unitId) {
    const FormRecord* r = DefinitionOf(windowId, unitId);
    ArgRecord records[1] = {UnitArg(windowId, unitId, r ? r->UnitTypeId : 0)};
    CallCommand(cmd::SetFocus, 1, records);
}

void PopupMenu(uint32_t windowId, UnitRef menu, int32_t x, int32_t y) {
    ArgRecord records[4] = {WindowArg(windowId), UnitArg(menu.windowId, menu.unitId, kTypeMenu),
                            x == kOmit ? OmittedArg() : IntArg(x), y == kOmit ? OmittedArg() : IntArg(y)};
    CallCommand(cmd::PopupMenu, 4, records);
}
