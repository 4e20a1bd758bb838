// The program's own table of late-bound operating-system functions. An entry is bound on
// its first call and cached; engine code reaches these functions only through this table.
#pragma once
#include <cstdint>

enum DllEntry : int {
    kDllCryptBinaryToStringA = 0,
    kDllWideCharToMultiByte = 1,
    kDllMultiByteToWideChar = 2,
    kDllCryptAcquireContextA = 3,
    kDllCryptReleaseContext = 4,
    kDllCryptCreateHash = 5,
    kDllCryptHashData = 6,
    kDllCryptDestroyHash = 7,
    kDllCryptGetHashParam = 8,
    kDllGetProcessHeap = 9,
    kDllHeapAlloc = 10,
    kDllRtlFillMemory = 11,
    kDllCryptAcquireContextA2 = 12,
    kDllCryptCreateHash2 = 13,
    kDllCryptReleaseContext2 = 14,
    kDllCryptHashData2 = 15,
    kDllCryptGetHashParam2 = 16,
    kDllLstrlenW = 17,
    kDllRtlMoveMemory = 18,
    kDllHeapFree = 19,
    kDllCoInitialize = 20,
    kDllCoUninitialize = 21,
    kDllLCMapStringA = 22,
    kDllCharUpperA = 23,
    kDllLstrlenA = 24,
    kDllCryptStringToBinaryA = 25,
    kDllCharLowerA = 26,
    kDllEntryCount = 27,
};

// The names as the program stores them: library file and exported function of each entry.
extern const char* const kDllLibraryNames[kDllEntryCount];
extern const char* const kDllFunctionNames[kDllEntryCount];

// Binds entry n if needed and returns the function's address. A missing library or export
// is a fatal runtime error naming both; it never returns null.
void* BindDllCommand(int entry);

// Calls entry n with the Windows calling convention: the function removes its own
// arguments and its result comes back unconverted.
template <typename R, typename... A>
R CallDllCommand(int entry, A... args) {
    typedef R(__stdcall * Function)(A...);
    return reinterpret_cast<Function>(BindDllCommand(entry))(args...);
}

// Frees every bound module and empties the slots (the exit path calls this).
void FreeDllCommands();

// Where the table's slots stand, for tests: the cached address of entry n, or null.
void* DllCommandAddress(int entry);
