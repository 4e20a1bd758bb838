// Texts cross the automation bridge as UTF-16 strings, always through code page 936:
// the program's texts are GBK whatever the system's code page is.
#pragma once
#include <wtypes.h>

#include "values.h"

BSTR GbkToBstr(const char* text);
// A fresh Text (null for an empty string).
Text BstrToGbk(BSTR s);
