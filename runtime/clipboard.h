// The clipboard's Unicode text for the units that copy and paste in place, without a
// runtime value between: a large content is copied once, straight into the clipboard's block.
#pragma once
#include <cstddef>
#include <string>

// False when the block could not be made or the clipboard not be had; the clipboard then
// keeps what it had.
bool PutClipboardUnicode(const wchar_t* text, size_t count);
// False when the clipboard could not be had; an empty text when it holds none.
bool ReadClipboardUnicode(std::wstring* text);
// Whether the last clipboard command failed because another program held the clipboard.
bool ClipboardWasBusy();
