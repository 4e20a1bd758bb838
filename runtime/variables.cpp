#include "variables.h"

#include <cstring>
#include <initializer_list>

#include "error_report.h"

namespace {
// Routine id and place of the runtime's own index checks.
const int32_t kIndexCheckRoutine = 0;

void CheckIndex(int32_t index, int32_t count, int32_t place) {
    if (index < 1) RaiseRuntimeError(4, kIndexCheckRoutine, place);
    if (index > count) RaiseRuntimeError(1, kIndexCheckRoutine, place);
}
}  // namespace

uint8_t ByteSetVar::at(int32_t index) const {
    CheckIndex(index, size(), 1);
    return p_[8 + index - 1];
}

void ByteSetVar::set(int32_t index, uint8_t value) {
    CheckIndex(index, size(), 2);
    p_[8 + index - 1] = value;
}

const char* TextArrayVar::at(int32_t index) const {
    CheckIndex(index, count(), 3);
    const char* e = reinterpret_cast<char* const*>(ArrayElements(p_))[index - 1];
    return e ? e : "";
}

TextVar JoinTexts(std::initializer_list<const char*> parts) {
    size_t total = 0;
    for (const char* p : parts) total += p ? strlen(p) : 0;
    if (total == 0) return TextVar();
    char* out = static_cast<char*>(AllocMemory(static_cast<int32_t>(total + 1)));
    char* w = out;
    for (const char* p : parts) {
        size_t n = p ? strlen(p) : 0;
        memcpy(w, p, n);
        w += n;
    }
    *w = 0;
    return TextVar(out);
}
