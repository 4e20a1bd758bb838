// Typed calls of the memory-file and clipboard commands (see library.h).
#pragma once
#include <initializer_list>

#include "call_command.h"
#include "library_text.h"
#include "variables.h"

// A file number is the file object's address, so it is pointer-sized.
typedef intptr_t FileNumber;

FileNumber OpenMemoryFile();
void CloseFile(FileNumber file);
void CloseAllFiles();
bool SeekToStart(FileNumber file);
int32_t FileLength(FileNumber file);
bool WriteData(FileNumber file, std::initializer_list<const ByteSetVar*> pieces);
// Each value is written as text: ArgRecords of any kind (TextArg, IntArg, DoubleArg ...).
bool WriteText(FileNumber file, std::initializer_list<ArgRecord> values);
ByteSetVar ReadData(FileNumber file, int32_t length);
TextVar ReadText(FileNumber file, int32_t length = kOmit);
TextVar GetClipboardText();
bool SetClipboardText(const char* text);
// The clipboard's text as UTF-16 units (a byte set, low byte first), for texts GBK cannot hold.
ByteSetVar GetClipboardUnits();
bool SetClipboardUnits(const ByteSetVar& units);
