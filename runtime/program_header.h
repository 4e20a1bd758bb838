// The program header: the fixed 13-word record that the runtime reads at start-up.
#pragma once
#include <cstdint>

// A runtime library's notification hook. At start-up it is called with
// (5, 1, the RuntimeNotify entry, 0) so the library can reach the core; on exit with 6.
typedef int32_t (*LibraryNotifyHook)(int32_t code, uint32_t first, uint32_t second, uint32_t third);

struct LibraryRecord {
    const char* name;
    LibraryNotifyHook hook;  // optional
};

struct ProgramHeader {
    int32_t buildKind;               // 0: 2 means stop in an attached debugger after a report
    int32_t word1;                   // 1
    int32_t word2;                   // 2: stored plus one
    uint32_t codeBase;               // 3: added to the form data's handler offsets
    uint8_t* constantArea;           // 4
    uint32_t constantAreaSize;       // 5
    const uint8_t* formData;         // 6
    uint32_t formDataSize;           // 7
    int32_t libraryCount;            // 8
    LibraryRecord* libraries;        // 9
    int32_t dllCommandCount;         // 10
    const char* const* dllLibraries; // 11: library file name of each late-bound function
    const char* const* dllFunctions; // 12: exported function name (or "#ordinal")
};
static_assert(sizeof(ProgramHeader) == 13 * 4, "the header is 13 words");

const int kRuntimeLibraryCount = 5;

// This program's own header.
ProgramHeader& TheProgramHeader();

// Filled in by the window framework before start-up: where its handler stubs begin, and the
// embedded form data.
void SetProgramCodeBase(uint32_t codeBase);
void SetProgramFormData(const uint8_t* data, uint32_t length);
// Installs the notification hook of runtime library `library` (0 to 4).
void SetLibraryNotifyHook(int library, LibraryNotifyHook hook);
