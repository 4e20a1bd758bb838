// SuperBtn: an owner-drawn push button with per-state colours and pictures.
#pragma once
#include <windows.h>

#include "ui/unit_type.h"

// Draws a super button's face as it looks in an owner-draw state (ODS_*) with the mouse
// over it or not. False when the unit is not a super button.
bool PaintSuperButton(Unit* unit, HDC dc, const RECT& rc, UINT itemState, bool hover);
