// Memory files and the clipboard as library commands.
#pragma once
#include "commands.h"

namespace cmd {
LIBRARY_COMMAND(OpenMemoryFile);
LIBRARY_COMMAND(CloseFile);
LIBRARY_COMMAND(CloseAllFiles);
LIBRARY_COMMAND(SeekToStart);
LIBRARY_COMMAND(FileLength);
LIBRARY_COMMAND(WriteData);
LIBRARY_COMMAND(WriteText);
LIBRARY_COMMAND(ReadData);
LIBRARY_COMMAND(ReadText);
LIBRARY_COMMAND(GetClipboardText);
LIBRARY_COMMAND(SetClipboardText);
LIBRARY_COMMAND(GetClipboardUnits);
LIBRARY_COMMAND(SetClipboardUnits);
}  // namespace cmd
