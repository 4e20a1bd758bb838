#include "runtime/replace_target.h"

namespace wht {
DWORD ReplaceRefusal(const wchar_t* path) {
    DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return 0;
    return attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY) ? ERROR_ACCESS_DENIED : 0;
}
}  // namespace wht
