// SupperMenu: a never-visible unit that takes over drawing its window's menu bar and
// pop-up menus.
#pragma once
#include <windows.h>

#include <cstdint>

// The window properties it sets on the window it draws for.
extern const wchar_t kMenuExOldProcProperty[];
extern const wchar_t kMenuExMaskProperty[];
extern const wchar_t kMenuExMenuShownProperty[];
extern const wchar_t kMenuExActiveBarItemProperty[];

// Asked of the framework once the window is subclassed: rebuild its menus owner-drawn
// (first: the window identifier, second: the window handle).
const int32_t kNotifyOwnerDrawMenus = 2037;
// Sent to the window after it has been subclassed.
const UINT kMenuExAttachedMessage = 0x8066;
