// The handlers' typed access to unit properties, through the runtime's property services.
#pragma once
#include <cstdint>

#include "runtime/variables.h"

namespace wht {
TextVar ReadText(uint32_t unit, int32_t property);
void WriteText(uint32_t unit, int32_t property, const char* text);
int32_t ReadInt(uint32_t unit, int32_t property);
void WriteInt(uint32_t unit, int32_t property, int32_t value);
bool ReadBool(uint32_t unit, int32_t property);
void WriteBool(uint32_t unit, int32_t property, bool value);

// Byte-set properties: a fresh block read, a borrowed one written.
ByteSetVar ReadBytes(uint32_t unit, int32_t property);
void WriteBytes(uint32_t unit, int32_t property, const ByteSetVar& bytes);

// The two edit boxes' content as GBK text, and as UTF-16 units (all that they show).
TextVar ReadInput();
TextVar ReadOutput();
void WriteInput(const char* text);
void WriteOutput(const char* text);
ByteSetVar ReadInputWide();
ByteSetVar ReadOutputWide();
void WriteInputWide(const ByteSetVar& units);
void WriteOutputWide(const ByteSetVar& units);
// The GBK text last written by WriteOutput, empty after a write of units. The box may have
// been edited since: compare before trusting it.
TextVar LastOutputGbk();
}  // namespace wht
