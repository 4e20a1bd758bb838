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
// The program header points at these; start-up copies them into the runtime's slots.
extern const char* const kDllLibraryNames[kDllEntryCount];
extern const char* const kDllFunctionNames[kDllEntryCount];

// Fills the slots from a header's name tables (at most kDllEntryCount entries) and leaves
// every entry unbound, freeing modules bound before. Start-up does this; before start-up the
// first call does it with the program's own header.
void SetUpDllCommands(int count, const char* const* libraries, const char* const* functions);

// Binds entry n if needed and returns the function's address. A missing library or export
// is a fatal runtime error naming both; it never returns null.
void* BindDllCommand(int entry);

// The binding rule itself, for one (library, function) pair: "" searches the system
// libraries, a name with ":" is loaded as it is, any other name is tried in the program's
// directory and then through the system search; "#n" is ordinal n mod 65536. Returns the
// address and stores the loaded module in *module, or returns null having freed what it loaded.
void* BindDllFunction(const char* library, const char* function, void** module);
// Gives back a module BindDllFunction stored (null: nothing to give back).
void ReleaseDllModule(void* module);

// Calls entry n with the Windows calling convention: the function removes its own
// arguments and its result comes back unconverted.
template <typename R, typename... A>
R CallDllCommand(int entry, A... args) {
    typedef R(__stdcall * Function)(A...);
    return reinterpret_cast<Function>(BindDllCommand(entry))(args...);
}

// The service-table form: the caller pushes the function's own arguments, puts the entry
// number in EAX and calls this; it binds the entry and jumps to the function, which returns
// straight to the caller.
extern "C" void CallDllCommandThunk();

// Frees every bound module and empties the slots (the exit path calls this).
void FreeDllCommands();

// Where the table's slots stand, for tests: the cached address and module of entry n, or null.
void* DllCommandAddress(int entry);
void* DllCommandModule(int entry);
