// The program's own implementations of the operating-system functions that the engine and
// runtime call, for a native host. The late-bound table (native/dll_binding.cpp) resolves
// its names to these; each takes the arguments as the engine passes them and behaves as
// the Windows function does in the ways the engine relies on.
#pragma once
#include <cstddef>
#include <cstdint>

const uint32_t kErrorInvalidParameter = 87;
const uint32_t kErrorInsufficientBuffer = 122;
const uint32_t kErrorMoreData = 234;
const uint32_t kErrorInvalidData = 13;
void NativeSetLastError(uint32_t code);
uint32_t NativeLastError();

// The code page that CP_ACP stands for: the program's own, GBK.
inline uint32_t NativeAnsiCodePage() { return 936; }

int32_t NativeMultiByteToWideChar(uint32_t cp, uint32_t flags, const char* s, int32_t n, char16_t* w,
                                  int32_t wn);
int32_t NativeWideCharToMultiByte(uint32_t cp, uint32_t flags, const char16_t* w, int32_t wn, char* s,
                                  int32_t n, const char* defaultChar, int32_t* usedDefault);

// CryptoAPI hashing over nettle (native/crypt_hash.cpp). Handles are pointers.
int32_t NativeCryptAcquireContextA(uintptr_t* provider, const char* container, const char* name,
                                   uint32_t type, uint32_t flags);
int32_t NativeCryptReleaseContext(uintptr_t provider, uint32_t flags);
int32_t NativeCryptCreateHash(uintptr_t provider, uint32_t algorithm, uintptr_t key, uint32_t flags,
                              uintptr_t* hash);
int32_t NativeCryptHashData(uintptr_t hash, const uint8_t* data, uint32_t length, uint32_t flags);
int32_t NativeCryptDestroyHash(uintptr_t hash);
int32_t NativeCryptGetHashParam(uintptr_t hash, uint32_t param, uint8_t* data, uint32_t* length,
                                uint32_t flags);

// The system BASE64 coder's forms (native/crypt_base64.cpp).
int32_t NativeCryptBinaryToStringA(const uint8_t* data, uint32_t count, uint32_t flags, char* out,
                                   uint32_t* size);
int32_t NativeCryptStringToBinaryA(const char* text, uint32_t count, uint32_t flags, uint8_t* out,
                                   uint32_t* size, uint32_t* skipped, uint32_t* usedFlags);

// Text services (native/system_text.cpp).
int32_t NativeLstrlenA(const char* s);
int32_t NativeLstrlenW(const char16_t* s);
char* NativeCharUpperA(char* s);
char* NativeCharLowerA(char* s);
int32_t NativeLCMapStringA(uint32_t locale, uint32_t flags, const char* source, int32_t length, char* target,
                           int32_t targetLength);
