// Results are written beside their target and renamed over it when complete. Both the
// window and the console ask here first whether the target may be replaced at all.
#pragma once

#include <windows.h>

namespace wht {
// ERROR_ACCESS_DENIED for a read-only file or a folder, else 0. Windows refuses to rename
// over either; Wine replaces a read-only file anyway, which its read-only mark is there to
// prevent.
DWORD ReplaceRefusal(const wchar_t* path);
}  // namespace wht
