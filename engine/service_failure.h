// A system service that a conversion stands on (the script engine, a code page, a digest
// provider) can fail; the routine then has no true result to give. It notes the failure
// here, and whoever shows the result says so instead of showing an empty or wrong one.
#pragma once
#include <cstdint>

// what names the service in the program's words, e.g. "系统的脚本引擎"; the first failure
// noted since the last take is kept.
void NoteServiceFailure(const char* what);
// A code page the system could not convert with (one that is not installed, say).
void NoteCodePageFailure(uint32_t codePage);
// The service noted since the last call, or null; the note is cleared.
const char* TakeServiceFailure();
