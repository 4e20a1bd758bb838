// The library commands, each of the one form (result record, argument count, arguments).
// Program code never calls these directly: it goes through CallCommand (see library.h).
#pragma once
#include "values.h"

#define LIBRARY_COMMAND(name) void name(ArgRecord* result, int count, ArgRecord* args)

namespace cmd {
// Text commands.
LIBRARY_COMMAND(TextLength);
LIBRARY_COMMAND(TextLeft);
LIBRARY_COMMAND(TextRight);
LIBRARY_COMMAND(TextMiddle);
LIBRARY_COMMAND(CharFromCode);
LIBRARY_COMMAND(CharCode);
LIBRARY_COMMAND(FindText);
LIBRARY_COMMAND(ReplaceSubText);
LIBRARY_COMMAND(SplitText);
LIBRARY_COMMAND(ToUpper);
LIBRARY_COMMAND(ToLower);
LIBRARY_COMMAND(ToHalfWidth);
LIBRARY_COMMAND(TrimSpaces);
LIBRARY_COMMAND(RemoveSpaces);
LIBRARY_COMMAND(SpaceText);
LIBRARY_COMMAND(RepeatText);

// Byte-set commands.
LIBRARY_COMMAND(ByteSetLength);
LIBRARY_COMMAND(ByteSetLeft);
LIBRARY_COMMAND(ByteSetRight);
LIBRARY_COMMAND(ByteSetMiddle);
LIBRARY_COMMAND(FindByteSet);
LIBRARY_COMMAND(ReplaceSubByteSet);
LIBRARY_COMMAND(ZeroByteSet);
LIBRARY_COMMAND(RepeatByteSet);
LIBRARY_COMMAND(ByteSetData);
LIBRARY_COMMAND(ToByteSet);

// Conversions.
LIBRARY_COMMAND(ToText);
LIBRARY_COMMAND(ToHexText);
LIBRARY_COMMAND(ToNumber);
LIBRARY_COMMAND(ToInt);
LIBRARY_COMMAND(ToShort);
LIBRARY_COMMAND(ToByte);
LIBRARY_COMMAND(ToLong);
LIBRARY_COMMAND(ToDateTime);

// Arithmetic and bits.
LIBRARY_COMMAND(Power);
LIBRARY_COMMAND(IntDivide);
LIBRARY_COMMAND(Remainder);
LIBRARY_COMMAND(BitAnd);
LIBRARY_COMMAND(BitOr);
LIBRARY_COMMAND(BitXor);
LIBRARY_COMMAND(BitNot);
LIBRARY_COMMAND(ShiftLeft);
LIBRARY_COMMAND(ShiftRight);

// Numerals.
LIBRARY_COMMAND(NumberToChinese);
LIBRARY_COMMAND(NumberToAmount);

// Date-time.
LIBRARY_COMMAND(Now);
LIBRARY_COMMAND(MakeDateTime);
LIBRARY_COMMAND(AddToDateTime);
LIBRARY_COMMAND(DateTimeDiff);
LIBRARY_COMMAND(DateTimeToText);
}  // namespace cmd
