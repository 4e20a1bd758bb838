// The program header: the fixed 13-field record that the runtime reads at start-up. Its
// fields are 32-bit words on i686; on x86_64 those that hold addresses are pointer-sized.
#pragma once
#include <cstddef>
#include <cstdint>

// A runtime library's notification hook. At start-up it is called with
// (5, 1, the RuntimeNotify entry, 0) so the library can reach the core; on exit with 6.
typedef intptr_t (*LibraryNotifyHook)(int32_t code, uintptr_t first, uintptr_t second, uintptr_t third);

struct LibraryRecord {
    const char* name;
    LibraryNotifyHook hook;  // optional
};

struct ProgramHeader {
    int32_t buildKind;               // 0: 2 means stop in an attached debugger after a report
    int32_t word1;                   // 1
    int32_t word2;                   // 2: stored plus one
    uintptr_t codeBase;              // 3: added to the form data's handler offsets
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
#define WHT_AT(i686, x86_64) (sizeof(void*) == 4 ? (i686) : (x86_64))
static_assert(offsetof(ProgramHeader, codeBase) == WHT_AT(12, 16) && offsetof(ProgramHeader, constantArea) == WHT_AT(16, 24) &&
              offsetof(ProgramHeader, formData) == WHT_AT(24, 40) && offsetof(ProgramHeader, libraryCount) == WHT_AT(32, 52) &&
              offsetof(ProgramHeader, libraries) == WHT_AT(36, 56) && offsetof(ProgramHeader, dllFunctions) == WHT_AT(48, 80) &&
              sizeof(ProgramHeader) == WHT_AT(13 * 4, 88), "the header's layout");
#undef WHT_AT

const int kRuntimeLibraryCount = 5;

// This program's own header.
ProgramHeader& TheProgramHeader();

// Filled in by the window framework before start-up: where its handler stubs begin, and the
// embedded form data.
void SetProgramCodeBase(uintptr_t codeBase);
void SetProgramFormData(const uint8_t* data, uint32_t length);
// Installs the notification hook of runtime library `library` (0 to 4).
void SetLibraryNotifyHook(int library, LibraryNotifyHook hook);
