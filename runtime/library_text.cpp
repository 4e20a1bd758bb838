#include "library_text.h"

#include "commands_text.h"

namespace {
ArgRecord OptInt(int32_t v) { return v == kOmit ? OmittedArg() : IntArg(v); }

TextVar AdoptText(const ArgRecord& r) { return TextVar(reinterpret_cast<Text>(r.value)); }
ByteSetVar AdoptByteSet(const ArgRecord& r) { return ByteSetVar(reinterpret_cast<ByteSet>(r.value)); }

ArgRecord Bytes(const ByteSetVar& b) { return ByteSetArg(b.block()); }

template <size_t N>
ArgRecord Call(LibraryCommand command, ArgRecord (&records)[N]) {
    return CallCommand(command, static_cast<int>(N), records);
}
}  // namespace

int32_t TextLength(const char* text) {
    ArgRecord a[] = {TextArg(text)};
    return static_cast<int32_t>(Call(cmd::TextLength, a).value);
}

TextVar TextLeft(const char* text, int32_t n) {
    ArgRecord a[] = {TextArg(text), IntArg(n)};
    return AdoptText(Call(cmd::TextLeft, a));
}

TextVar TextRight(const char* text, int32_t n) {
    ArgRecord a[] = {TextArg(text), IntArg(n)};
    return AdoptText(Call(cmd::TextRight, a));
}

TextVar TextMiddle(const char* text, int32_t start, int32_t n) {
    ArgRecord a[] = {TextArg(text), IntArg(start), IntArg(n)};
    return AdoptText(Call(cmd::TextMiddle, a));
}

TextVar CharFromCode(int32_t code) {
    ArgRecord a[] = {IntArg(code)};
    return AdoptText(Call(cmd::CharFromCode, a));
}

int32_t CharCode(const char* text, int32_t position) {
    ArgRecord a[] = {TextArg(text), OptInt(position)};
    return static_cast<int32_t>(Call(cmd::CharCode, a).value);
}

int32_t FindText(const char* text, const char* sought, int32_t start, bool ignoreCase) {
    ArgRecord a[] = {TextArg(text), TextArg(sought), OptInt(start), BoolArg(ignoreCase)};
    return static_cast<int32_t>(Call(cmd::FindText, a).value);
}

TextVar ReplaceSubText(const char* text, const char* sought, const char* replacement, int32_t start,
                       int32_t count, bool caseSensitive) {
    ArgRecord a[] = {TextArg(text),  TextArg(sought), replacement ? TextArg(replacement) : OmittedArg(),
                     OptInt(start),  OptInt(count),   BoolArg(caseSensitive)};
    return AdoptText(Call(cmd::ReplaceSubText, a));
}

TextArrayVar SplitText(const char* text, const char* separator, int32_t maxCount) {
    ArgRecord a[] = {TextArg(text), separator ? TextArg(separator) : OmittedArg(), OptInt(maxCount)};
    return TextArrayVar(reinterpret_cast<void*>(Call(cmd::SplitText, a).value));
}

TextVar ToUpper(const char* text) {
    ArgRecord a[] = {TextArg(text)};
    return AdoptText(Call(cmd::ToUpper, a));
}

TextVar ToLower(const char* text) {
    ArgRecord a[] = {TextArg(text)};
    return AdoptText(Call(cmd::ToLower, a));
}

TextVar ToHalfWidth(const char* text) {
    ArgRecord a[] = {TextArg(text)};
    return AdoptText(Call(cmd::ToHalfWidth, a));
}

TextVar TrimSpaces(const char* text) {
    ArgRecord a[] = {TextArg(text)};
    return AdoptText(Call(cmd::TrimSpaces, a));
}

TextVar RemoveSpaces(const char* text) {
    ArgRecord a[] = {TextArg(text)};
    return AdoptText(Call(cmd::RemoveSpaces, a));
}

TextVar SpaceText(int32_t n) {
    ArgRecord a[] = {IntArg(n)};
    return AdoptText(Call(cmd::SpaceText, a));
}

TextVar RepeatText(int32_t count, const char* text) {
    ArgRecord a[] = {IntArg(count), TextArg(text)};
    return AdoptText(Call(cmd::RepeatText, a));
}

int32_t ByteSetLength(const ByteSetVar& bytes) {
    ArgRecord a[] = {Bytes(bytes)};
    return static_cast<int32_t>(Call(cmd::ByteSetLength, a).value);
}

ByteSetVar ByteSetLeft(const ByteSetVar& bytes, int32_t n) {
    ArgRecord a[] = {Bytes(bytes), IntArg(n)};
    return AdoptByteSet(Call(cmd::ByteSetLeft, a));
}

ByteSetVar ByteSetRight(const ByteSetVar& bytes, int32_t n) {
    ArgRecord a[] = {Bytes(bytes), IntArg(n)};
    return AdoptByteSet(Call(cmd::ByteSetRight, a));
}

ByteSetVar ByteSetMiddle(const ByteSetVar& bytes, int32_t start, int32_t n) {
    ArgRecord a[] = {Bytes(bytes), IntArg(start), IntArg(n)};
    return AdoptByteSet(Call(cmd::ByteSetMiddle, a));
}

int32_t FindByteSet(const ByteSetVar& bytes, const ByteSetVar& sought, int32_t start) {
    ArgRecord a[] = {Bytes(bytes), Bytes(sought), OptInt(start)};
    return static_cast<int32_t>(Call(cmd::FindByteSet, a).value);
}

ByteSetVar ReplaceSubByteSet(const ByteSetVar& bytes, const ByteSetVar& sought, const ByteSetVar* replacement,
                             int32_t start, int32_t count) {
    ArgRecord a[] = {Bytes(bytes), Bytes(sought), replacement ? Bytes(*replacement) : OmittedArg(),
                     OptInt(start), OptInt(count)};
    return AdoptByteSet(Call(cmd::ReplaceSubByteSet, a));
}

ByteSetVar ZeroByteSet(int32_t n) {
    ArgRecord a[] = {IntArg(n)};
    return AdoptByteSet(Call(cmd::ZeroByteSet, a));
}

ByteSetVar RepeatByteSet(int32_t count, const ByteSetVar& bytes) {
    ArgRecord a[] = {IntArg(count), Bytes(bytes)};
    return AdoptByteSet(Call(cmd::RepeatByteSet, a));
}

ArgRecord ByteSetData(const ByteSetVar& bytes, int32_t kindNumber, int32_t* position) {
    ArgRecord a[] = {Bytes(bytes), IntArg(kindNumber), position ? ByRefIntArg(position) : OmittedArg()};
    return Call(cmd::ByteSetData, a);
}

ByteSetVar ToByteSet(const char* text) {
    ArgRecord a[] = {TextArg(text)};
    return AdoptByteSet(Call(cmd::ToByteSet, a));
}

ByteSetVar ToByteSet(const ArgRecord& value) {
    ArgRecord a[] = {value};
    return AdoptByteSet(Call(cmd::ToByteSet, a));
}
