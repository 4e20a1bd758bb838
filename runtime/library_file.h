// Typed calls of the memory-file and clipboard commands (see library.h).
#pragma once
#include <initializer_list>

#include "call_command.h"
#include "library_text.h"
#include "variables.h"

int32_t OpenMemoryFile();
void CloseFile(int32_t file);
void CloseAllFiles();
bool SeekToStart(int32_t file);
int32_t FileLength(int32_t file);
bool WriteData(int32_t file, std::initializer_list<const ByteSetVar*> pieces);
// Each value is written as text: ArgRecords of any kind (TextArg, IntArg, DoubleArg ...).
bool WriteText(int32_t file, std::initializer_list<ArgRecord> values);
ByteSetVar ReadData(int32_t file, int32_t length);
TextVar ReadText(int32_t file, int32_t length = kOmit);
TextVar GetClipboardText();
bool SetClipboardText(const char* text);
