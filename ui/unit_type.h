// The contract between the window framework and the unit types: how a unit is created from
// its record, how it answers the property services, and how it raises events.
#pragma once
#include <windows.h>

#include <cstdint>
#include <initializer_list>

#include "runtime/values.h"
#include "ui/form_data.h"

// What the loader hands a unit type's create function.
struct UnitCreateParams {
    const FormRecord* record;  // identifier, geometry, flags, parent id
    const uint8_t* data;       // the record's UnitData (may be empty)
    uint32_t size;
    DWORD style;               // WS_DISABLED / WS_TABSTOP from UnitFlags; never WS_VISIBLE
    HWND parent;               // the window for units; for record 0 the parent or owner (or null)
    int controlId;             // 100, 110, ... in creation order; 0 for record 0
    int left, top, width, height;
    uint32_t windowId;
    uint32_t unitId;
    HMENU menu;                // record 0 only: the menu bar built by the loader, or null
    HACCEL accelerators;       // record 0 only
    int dpi = 96;              // the window's DPI; left .. height are already at it
};

// A created unit. The framework owns it from loading until its window is destroyed; it
// deletes the object after the unit's window handle is gone.
class Unit {
public:
    virtual ~Unit() {}

    HWND hwnd = nullptr;
    uint32_t windowId = 0;
    uint32_t unitId = 0;
    uint32_t typeId = 0;
    int dpi = 96;  // the DPI the unit is laid out at

    // Interface 4: apply a new value of own property k (property number - 8). Texts arrive
    // borrowed. False when the unit has no such property.
    virtual bool PropertyChanged(int k, const ArgRecord& value) { return false; }
    // Interface 6: read own property k. A Text or ByteSet result is a fresh block owned by
    // the caller. False when the unit has no such property.
    virtual bool ReadProperty(int k, ArgRecord* value) { return false; }
    // The kind own property k is written in, where the unit knows it without reading the
    // value (a large content need not be read just to be replaced). False: read it to see.
    virtual bool PropertyKind(int k, TypeCode* kind) { return false; }
    // Interface 8: true for keys the unit handles itself (keyboard navigation leaves them).
    virtual bool WantsKey(int virtualKey) { return false; }

    // The loader's private messages: 0x806F after all units exist and are re-parented,
    // 0x8076 after the window is shown.
    virtual void OnLoaded() {}
    virtual void OnShown() {}
    // The window moved to a monitor of another DPI (already in `dpi`): the loader has placed
    // the unit's window; the unit makes its fonts, pictures and parts again at the new scale.
    virtual void OnDpiChanged() {}

    // Notifications that Windows sends to a control's parent (WM_COMMAND, WM_NOTIFY,
    // WM_DRAWITEM, WM_MEASUREITEM, WM_CTLCOLOR*), handed back to the control's own unit.
    // Return true with *result set when handled.
    virtual bool OnParentNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) { return false; }
};

typedef Unit* (*UnitCreateFunction)(const UnitCreateParams& params);

// Interface numbers of the type query (only 1 is asked of the type itself; 4, 6 and 8 are
// the Unit methods above).
const int kUnitInterfaceCreate = 1;
typedef void* (*UnitTypeQuery)(int interfaceNumber);

void RegisterUnitType(uint32_t unitTypeId, UnitTypeQuery query);
// The type's create function, or null for a type without one.
UnitCreateFunction FindUnitCreateFunction(uint32_t unitTypeId);
// Registers every unit type the program uses (idempotent).
void RegisterAllUnitTypes();

// The unit object behind a unit's (or window's) window handle; null for other windows.
Unit* UnitFromWindow(HWND hwnd);
void AttachUnitToWindow(Unit* unit, HWND hwnd);
void DetachUnitFromWindow(HWND hwnd);

// Hands a parent-bound notification to the unit of the child window it concerns.
// Containers (the window, group boxes) call this from their window procedure.
bool ReflectToChildUnit(HWND parent, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

// The event record of the simple form (RuntimeNotify 2008).
struct EventNotification {
    uint32_t window;
    uint32_t unit;  // 0: the window itself
    int32_t eventNumber;
    int32_t argumentCount;
    int32_t arguments[5];
    int32_t hasResult;
    int32_t result;
};

// Raises an event through RuntimeNotify 2008. Returns true when a handler returned a
// result, stored in *result.
bool RaiseUnitEvent(uint32_t windowId, uint32_t unitId, int32_t eventNumber,
                    std::initializer_list<int32_t> arguments = {}, int32_t* result = nullptr);

// Subclasses a unit's window so that it raises the common events -1 to -12 (mouse, focus,
// keys, wheel) and acts on their results as the event tables say.
void InstallCommonEvents(Unit* unit);
