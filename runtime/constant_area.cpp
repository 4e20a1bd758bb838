#include "constant_area.h"

// One empty text (a single 0), then directly the empty byte set {int32 1, int32 0}.
uint8_t ConstantArea[1844] = {0, 1, 0, 0, 0, 0, 0, 0, 0};
const uint32_t kConstantAreaSize = sizeof(ConstantArea);
