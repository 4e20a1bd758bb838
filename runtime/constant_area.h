// The program's block of constants. It begins with the shared empty text and the shared
// empty byte set; program code passes these in place of null to commands that read through
// the pointer, and nothing inside the block is ever freed.
#pragma once
#include <cstdint>

extern uint8_t ConstantArea[];
extern const uint32_t kConstantAreaSize;

inline char* EmptyTextConstant() { return reinterpret_cast<char*>(&ConstantArea[0]); }
inline uint8_t* EmptyByteSetConstant() { return &ConstantArea[1]; }
