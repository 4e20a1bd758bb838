// Unit property access by (window, unit, property number): the two services of the
// runtime's service table through which program code reads and writes its units.
#pragma once
#include <cstdint>

#include "runtime/variables.h"

// Common properties of every unit and window; a type's own ones follow from 8.
enum CommonProperty : int32_t {
    kPropertyLeft = 0,
    kPropertyTop = 1,
    kPropertyWidth = 2,
    kPropertyHeight = 3,
    kPropertyTag = 4,
    kPropertyVisible = 5,
    kPropertyDisabled = 6,
    kPropertyMousePointer = 7,
    kFirstOwnProperty = 8,
};
// The four properties of a menu item.
enum MenuProperty : int32_t {
    kMenuPropertyCaption = 0,
    kMenuPropertyChecked = 1,
    kMenuPropertyDisabled = 2,
    kMenuPropertyVisible = 3,
};

// Low word: the value, or (pointer-sized) a fresh Text / ByteSet block that the caller owns (null when
// empty); high word: the second half of 8-byte values. The window must be loaded.
uint64_t ReadUnitProperty(uint32_t windowId, uint32_t unitId, int32_t property, uint32_t extra);
// Texts and byte sets are borrowed. A menu item's change rebuilds the window's menu bar.
void WriteUnitProperty(uint32_t windowId, uint32_t unitId, int32_t property, uint32_t extra, uintptr_t low,
                       uint32_t high);

// Installs both as the service table's entries.
void InstallUnitPropertyAccess();

// Typed access for program code, through the service table (extra -1).
TextVar ReadUnitText(uint32_t windowId, uint32_t unitId, int32_t property);
int32_t ReadUnitInt(uint32_t windowId, uint32_t unitId, int32_t property);
bool ReadUnitBool(uint32_t windowId, uint32_t unitId, int32_t property);
void WriteUnitText(uint32_t windowId, uint32_t unitId, int32_t property, const char* text);
void WriteUnitInt(uint32_t windowId, uint32_t unitId, int32_t property, int32_t value);
void WriteUnitBool(uint32_t windowId, uint32_t unitId, int32_t property, bool value);
