// The text and byte-set library commands (see commands.h).
#pragma once
#include "commands.h"

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

}  // namespace cmd
