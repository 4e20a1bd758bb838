// Window loading and lifetime: a window definition of the form data becomes a live window
// with its units and menu bar, is shown (modally when asked) and is torn down again.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ui/window_registry.h"

// Loads a window: no parent or a parent window handle, modal or not. True on success,
// also when the window was already open (it is then only restored or activated).
bool LoadFormWindow(uint32_t windowId, HWND parent, bool modal);

// RuntimeNotify 2005: the request record, and the load as the LoadWindow command wants it:
// a modal window that is shown is run in a nested message loop until it has gone.
struct LoadWindowRequest {
    uint32_t windowId;
    uintptr_t parent;  // the parent's unit object (from RuntimeNotify 2006), or 0
    int32_t modal;
};
bool LoadWindowAndRun(uint32_t windowId, HWND parent, bool modal);

// The close request of a window: events 12 and then 1 may veto it; otherwise a modal
// window's disabled windows are enabled again as they were and the window is destroyed.
// True when the window was destroyed.
bool CloseFormWindow(FormWindow& window);
// Events 12, then 1: false when a handler vetoed.
bool QueryCloseWindow(const FormWindow& window);

// Called from record 0's window procedure.
void ReplayDisabledWindows(FormWindow& window);
// A window that a modal window keeps disabled was activated (from the taskbar, by Alt+Tab):
// the modal window comes to the front instead of staying hidden behind it. False when no
// open modal window disabled this one.
bool BringModalForward(HWND disabled);
void OnFormWindowDestroyed(HWND hwnd);  // WM_NCDESTROY of record 0's window
// Hands the focus to the control that had it last, else to the unit with the smallest
// TabOrder that can take the focus (ties: the first created).
void RestoreWindowFocus(FormWindow& window);

// Menus. The bar holds the first run of menu records without the hidden ones (and their
// sub-items); menu record k has command id 20000 + k. Owner-drawn items carry a
// MenuItemDrawInfo as item data, kept in `items`.
HMENU BuildMenuBar(FormWindow& window, bool ownerDrawn, MenuItemDrawList* items);
// A pop-up menu of the sub-items of menu record k; null when it has none.
HMENU BuildPopupMenu(FormWindow& window, int k, bool ownerDrawn, MenuItemDrawList* items);
// Replaces the live menu bar after a menu property changed (or owner drawing was asked for).
void RebuildMenuBar(FormWindow& window);
// Accelerators from the menu records with a shortcut; null when there are none.
HACCEL BuildAccelerators(const FormWindow& window);
// Entries of the shortcut table, by ShortcutIndex (1-based). False for 0 and unknown indexes.
bool ShortcutKey(uint32_t index, const char** name, BYTE* modifiers, WORD* virtualKey);

// The window moved to a monitor of another DPI (WM_DPICHANGED, after the window took its new
// rectangle): every unit goes to its stored place scaled to the DPI and makes its fonts and
// pictures again. Contents, selections and what is shown stay as they are.
void RelayoutWindowAtDpi(FormWindow& window, int dpi);
// The DPI a loaded window is laid out at; 96 when it is not loaded.
int FormWindowDpi(uint32_t windowId);

// Mouse cursors from MouseCursor data: null for the default cursor (number 0) and for data
// that names no cursor. The handle is the caller's to destroy.
HCURSOR CreateUnitCursor(const uint8_t* data, uint32_t size);

// RuntimeNotify 2037, from a window's super menu: rebuild the window's menus owner-drawn.
// First argument: the window (its handle, object or identifier). 1 when done.
const int32_t kNotifyOwnerDrawMenus = 2037;

// Installs the framework into the runtime: the unit types, the start-window loader, the
// property services, RuntimeNotify 2005-2008, 2031 and 2037, the error report's names, the
// message loop's alive query and its message filter (accelerators, keyboard navigation).
void InstallWindowFramework();
