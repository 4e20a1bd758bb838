// CallCommand: the one entry through which program code calls a library command.
#pragma once
#include "values.h"

ArgRecord CallCommand(LibraryCommand command, int count, ArgRecord* args);

// Records for the arguments program code passes. Null texts and byte sets travel as the
// shared empty constants, as commands that read through the pointer expect.
ArgRecord IntArg(int32_t v);
ArgRecord BoolArg(bool v);
ArgRecord DoubleArg(double v);
ArgRecord LongArg(int64_t v);
ArgRecord DateTimeArg(double v);
ArgRecord TextArg(const char* text);
ArgRecord ByteSetArg(const uint8_t* bytes);
ArgRecord ByRefIntArg(int32_t* variable);
ArgRecord OmittedArg();
