// The window registry: the form data's windows with what the framework keeps for each one
// while it is loaded, and the lookups that loading, dispatch and property access share.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ui/form_data.h"
#include "ui/unit_type.h"

// The item data of an owner-drawn menu item (MEASUREITEMSTRUCT / DRAWITEMSTRUCT itemData
// points to one). It lives as long as the menu it belongs to.
struct MenuItemDrawInfo {
    uint32_t menuId = 0;     // the menu record
    std::string text;        // code page 936: the caption, then "\t" and the shortcut name
    bool separator = false;  // caption "-"
    bool inMenuBar = false;  // a top-level item of the menu bar
    bool hasSubItems = false;
    bool disabled = false;
    bool checked = false;
};
typedef std::vector<std::unique_ptr<MenuItemDrawInfo>> MenuItemDrawList;

// Kept per loaded window beside the unit objects in the records' ObjectSlots.
struct WindowRuntime {
    HMENU menuBar = nullptr;
    HACCEL accelerators = nullptr;
    bool modal = false;
    bool modalReplayed = false;
    // The other top-level windows a modal load disabled, each with its enabled state before.
    std::vector<std::pair<HWND, bool>> disabledWindows;
    bool loaded = false;
    HWND parent = nullptr;       // as given to the load
    bool ownerDrawnMenus = false;  // asked for by the window's super menu (notify 2037)
    MenuItemDrawList barItems;
    HWND lastFocus = nullptr;    // the control that had the focus when the window was left
};

// Linear lookups; null when absent.
FormWindow* FindWindowById(uint32_t windowId);
FormWindow* FindWindowByHandle(HWND hwnd);          // record 0's live window
FormWindow* FindWindowByObject(const void* object);  // record 0's ObjectSlot
// A window named by its identifier, its window object or its window handle.
FormWindow* FindWindowByReference(uintptr_t reference);

// The window's record 0 unit; null when not loaded.
Unit* WindowObject(const FormWindow& window);
HWND WindowHandle(const FormWindow& window);
// Loaded and alive: record 0 holds a window object whose handle still exists.
bool IsWindowAlive(const FormWindow& window);
bool IsAnyWindowAlive();

// The record of a unit identifier: 0 (or record 0's own identifier) is record 0.
FormRecord* FindUnitRecord(FormWindow& window, uint32_t unitId);
Unit* RecordObject(const FormRecord& record);
// The unit of a live window handle (a unit window or record 0's window) in one window.
FormRecord* FindRecordByHandle(FormWindow& window, HWND hwnd);

// The window's menu: the first contiguous run of menu records. A record with a CommandId
// answers to it; the others count up from 20000 in record order, so items added with ids of
// their own, wherever they stand, leave the ids of the others where they were.
const int kFirstMenuCommand = 20000;
int MenuRecordCount(const FormWindow& window);
FormRecord* MenuRecordAt(FormWindow& window, int k);
int MenuIndexOf(const FormWindow& window, uint32_t menuId);  // -1 when not in the menu
UINT MenuCommandOf(const FormWindow& window, int k);          // 0 when k is not in the menu
FormRecord* MenuRecordOfCommand(FormWindow& window, UINT command);

WindowRuntime& RuntimeOf(const FormWindow& window);
void ForgetRuntime(uint32_t windowId);

// Unit objects of destroyed windows are deleted a little later, when no window procedure
// of theirs can still be on the stack (the next message through the loop, the next load).
void RetireUnit(Unit* unit);
void DeleteRetiredUnits();
