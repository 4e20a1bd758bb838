// Simplified and traditional Chinese characters within GBK text.
#pragma once
#include "runtime/variables.h"

// Each character replaced by its other form where it has one; the byte length never
// changes, and single-byte characters stay as they are.
TextVar SimplifiedToTraditional(const char* text);
TextVar TraditionalToSimplified(const char* text);

// Where the mapping comes from. Automatic: the system's LCMapStringA when it has a script
// mapping (probed once), the program's own table when it does not (as under Wine).
enum class ScriptMapping { kAutomatic, kSystem, kTable };
void SetScriptMapping(ScriptMapping mapping);
// The source the conversions use now: kSystem or kTable.
ScriptMapping ActiveScriptMapping();
// Whether LCMapStringA changes a simplified character into a traditional one.
bool SystemHasScriptMapping();
