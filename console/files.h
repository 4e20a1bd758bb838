// The Windows side of the console's system layer: helpers that console/files.cpp shares
// with nothing but Windows code.
#pragma once
#include <windows.h>

#include <string>

#include "console/platform.h"

namespace wht_console {

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);
// The message the system gives for an error code, or a plain one for the common cases.
std::string SystemReason(DWORD error);
// True when the handle is a console window (not a file or a pipe).
bool IsConsoleHandle(HANDLE h);

}  // namespace wht_console
