#include "library_file.h"

#include "commands_file.h"

namespace {
ArgRecord FileArg(FileNumber file) { return {static_cast<uintptr_t>(file), 0, kInt}; }

const int kMaxPieces = 32;

ArgRecord Call(LibraryCommand command, FileNumber file, std::initializer_list<ArgRecord> rest = {}) {
    ArgRecord records[kMaxPieces + 1];
    records[0] = FileArg(file);
    int n = 1;
    for (const ArgRecord& r : rest)
        if (n <= kMaxPieces) records[n++] = r;
    return CallCommand(command, n, records);
}
}  // namespace

FileNumber OpenMemoryFile() { return static_cast<FileNumber>(CallCommand(cmd::OpenMemoryFile, 0, nullptr).value); }
void CloseFile(FileNumber file) { Call(cmd::CloseFile, file); }
void CloseAllFiles() { CallCommand(cmd::CloseAllFiles, 0, nullptr); }
bool SeekToStart(FileNumber file) { return Call(cmd::SeekToStart, file).value != 0; }
int32_t FileLength(FileNumber file) { return static_cast<int32_t>(Call(cmd::FileLength, file).value); }

bool WriteData(FileNumber file, std::initializer_list<const ByteSetVar*> pieces) {
    ArgRecord records[kMaxPieces + 1];
    records[0] = FileArg(file);
    int n = 1;
    for (const ByteSetVar* p : pieces)
        if (n <= kMaxPieces) records[n++] = ByteSetArg(p ? p->block() : nullptr);
    return CallCommand(cmd::WriteData, n, records).value != 0;
}

bool WriteText(FileNumber file, std::initializer_list<ArgRecord> values) { return Call(cmd::WriteText, file, values).value != 0; }

ByteSetVar ReadData(FileNumber file, int32_t length) {
    return ByteSetVar(reinterpret_cast<ByteSet>(Call(cmd::ReadData, file, {IntArg(length)}).value));
}

TextVar ReadText(FileNumber file, int32_t length) {
    ArgRecord len = length == kOmit ? OmittedArg() : IntArg(length);
    return TextVar(reinterpret_cast<Text>(Call(cmd::ReadText, file, {len}).value));
}

TextVar GetClipboardText() { return TextVar(reinterpret_cast<Text>(CallCommand(cmd::GetClipboardText, 0, nullptr).value)); }

ByteSetVar GetClipboardUnits() {
    return ByteSetVar(reinterpret_cast<ByteSet>(CallCommand(cmd::GetClipboardUnits, 0, nullptr).value));
}

bool SetClipboardUnits(const ByteSetVar& units) {
    ArgRecord records[1] = {ByteSetArg(units.block())};
    return CallCommand(cmd::SetClipboardUnits, 1, records).value != 0;
}

bool SetClipboardText(const char* text) {
    ArgRecord records[1] = {TextArg(text)};
    return CallCommand(cmd::SetClipboardText, 1, records).value != 0;
}
