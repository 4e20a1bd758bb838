// The conversion, arithmetic, numeral and date-time library commands (see commands.h).
#pragma once
#include "commands.h"

namespace cmd {
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
