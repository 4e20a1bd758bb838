#include "values.h"

int KindSize(TypeCode kind) {
    switch (KindOf(kind)) {
    case kByte: return 1;
    case kShort: return 2;
    case kInt: case kFloat: case kBool: return 4;
    case kText: case kByteSet: case kSubroutine: return sizeof(void*);
    case kLong: case kDouble: case kDateTime: return 8;
    default: return 0;
    }
}

int32_t ArrayElementCount(const void* block) {
    const int32_t* h = static_cast<const int32_t*>(block);
    int32_t n = 1;
    for (int32_t d = 0; d < h[0]; ++d) n *= h[1 + d];
    return h[0] > 0 ? n : 0;
}
