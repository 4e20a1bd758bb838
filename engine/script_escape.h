// Script escaping: the forms of the ECMAScript escape and unescape functions, done by the
// system's script engine ("ScriptControl", JScript), and the UTF-16 reading of bytes done by
// its stream object ("Adodb.Stream"). Where an object cannot be created or does not work,
// the program computes the same results itself.
#pragma once
#include "runtime/variables.h"

TextVar ScriptEscape(const char* text);
TextVar ScriptUnescape(const char* text);
// The bytes read as UTF-16 little-endian text, brought back to GBK.
TextVar BytesAsUtf16Text(const ByteSetVar& bytes);

// The same on UTF-16 units, which the three above wrap: a character beyond U+FFFF is
// escaped as its two surrogates (%uD83D%uDE00), and unescaping gives back any unit.
TextVar ScriptEscapeUnits(const ByteSetVar& units);
ByteSetVar ScriptUnescapeUnits(const ByteSetVar& units);
ByteSetVar BytesAsUtf16Units(const ByteSetVar& bytes);

// The program's own forms, used when the objects are missing; also reachable for tests.
// Each takes the text exactly as it would go into the script literal.
// ok is false when the literal would not compile (the script then gives nothing).
TextVar OwnScriptEscape(const char* literalText, bool* ok);
TextVar OwnScriptUnescape(const char* literalText, bool* ok);
TextVar OwnBytesAsUtf16Text(const ByteSetVar& bytes);

// Which path the routines take: the objects when they work (the normal case), or always
// the program's own (for tests on systems that have the objects).
enum class ScriptPath { kObjectsWhenWorking, kOwnOnly };
void SetScriptPath(ScriptPath path);
// The system script engine is made once and kept for the process; this lets it go (the exit
// path does, and a test that counts what is left behind).
void ReleaseScriptEngine();
