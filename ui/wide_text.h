// Every text a unit shows goes to Windows in UTF-16, converted from code page 936
// explicitly, so windows read the same on any system locale.
#pragma once
#include <windows.h>

#include <string>

#include "runtime/values.h"

std::wstring GbkToWide(const char* text);
// A fresh Text (null when empty).
Text WideToGbk(const wchar_t* text, int length = -1);

// The window's text as a fresh Text, and setting it from a GBK text.
Text GetWindowTextGbk(HWND hwnd);
void SetWindowTextGbk(HWND hwnd, const char* text);
