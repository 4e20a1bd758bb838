// The text commands. Arguments are borrowed; every result is a fresh, exactly sized block,
// and an empty result is null.
#include <climits>
#include <cstring>
#include <vector>

#include "byte_search.h"
#include "command_args.h"
#include "commands_text.h"
#include "gbk_text.h"
#include "memory.h"

namespace {
const uint8_t* Bytes(const char* s) { return reinterpret_cast<const uint8_t*>(s); }

int32_t Length(const char* s) { return static_cast<int32_t>(strlen(s)); }

// Length, but never scanning past limit bytes: a caller that only needs a prefix need not
// walk a megabyte text to its end.
int32_t LengthUpTo(const char* s, int64_t limit) {
    if (limit <= 0) return 0;
    return static_cast<int32_t>(strnlen(s, limit > INT32_MAX ? INT32_MAX : static_cast<size_t>(limit)));
}

void SetText(ArgRecord* r, char* block) { *r = {reinterpret_cast<uintptr_t>(block), 0, kText}; }

int32_t OptionalInt(const ArgRecord* args, int count, int i, int32_t otherwise) {
    return ArgGiven(args, count, i) ? ArgInt(args[i]) : otherwise;
}

bool OptionalBool(const ArgRecord* args, int count, int i, bool otherwise) {
    return ArgGiven(args, count, i) ? ArgBool(args[i]) : otherwise;
}

const char* TextAt(const ArgRecord* args, int count, int i) { return i < count ? ArgText(args[i]) : ""; }

bool IsSpaceAt(const uint8_t* s, int32_t i, int32_t len) {
    return s[i] == 0x20 || (s[i] == 0xA1 && i + 1 < len && s[i + 1] == 0xA1);
}
}  // namespace

namespace cmd {

LIBRARY_COMMAND(TextLength) { ResultInt(result, Length(TextAt(args, count, 0))); }

LIBRARY_COMMAND(TextLeft) {
    const char* s = TextAt(args, count, 0);
    int32_t n = OptionalInt(args, count, 1, 0);
    ResultText(result, s, LengthUpTo(s, n));
}

LIBRARY_COMMAND(TextRight) {
    const char* s = TextAt(args, count, 0);
    int32_t n = OptionalInt(args, count, 1, 0);
    int32_t len = Length(s);
    if (n <= 0) n = 0;
    if (n > len) n = len;
    ResultText(result, s + len - n, n);
}

LIBRARY_COMMAND(TextMiddle) {
    const char* s = TextAt(args, count, 0);
    int32_t start = OptionalInt(args, count, 1, 0);
    int32_t n = OptionalInt(args, count, 2, 0);
    if (start < 1 || n <= 0) {
        SetText(result, nullptr);
        return;
    }
    int32_t avail = LengthUpTo(s, static_cast<int64_t>(start) - 1 + n);
    if (start > avail) {
        SetText(result, nullptr);
        return;
    }
    ResultText(result, s + start - 1, avail - (start - 1));
}

LIBRARY_COMMAND(CharFromCode) {
    char c = static_cast<char>(OptionalInt(args, count, 0, 0));
    ResultText(result, &c, c ? 1 : 0);
}

LIBRARY_COMMAND(CharCode) {
    const char* s = TextAt(args, count, 0);
    int32_t pos = OptionalInt(args, count, 1, 1);
    int32_t code = 0;
    if (pos >= 1 && LengthUpTo(s, pos) >= pos) code = static_cast<int8_t>(s[pos - 1]);
    ResultInt(result, code);
}

LIBRARY_COMMAND(FindText) {
    const char* s = TextAt(args, count, 0);
    const char* sought = TextAt(args, count, 1);
    int32_t begin = 0;
    if (ArgGiven(args, count, 2)) {
        int32_t start = ArgInt(args[2]);
        begin = start > 1 ? start - 1 : 0;
    }
    bool ignoreCase = OptionalBool(args, count, 3, false);
    int32_t len = Length(s);
    int32_t found = -1;
    if (begin < len) {
        int32_t m = Length(sought);
        if (m == 0) {
            found = 1;
        } else {
            PatternSearch search(Bytes(sought), m, true, ignoreCase);
            int32_t p = search.Find(Bytes(s), begin, len);
            found = p < 0 ? -1 : p + 1;
        }
    }
    ResultInt(result, found);
}

LIBRARY_COMMAND(ReplaceSubText) {
    const char* text = TextAt(args, count, 0);
    const char* sought = TextAt(args, count, 1);
    const char* replacement = TextAt(args, count, 2);
    int32_t start = OptionalInt(args, count, 3, 1);
    int32_t begin = start > 1 ? start - 1 : 0;
    bool limited = ArgGiven(args, count, 4);
    int32_t limit = limited ? ArgInt(args[4]) : 0;
    bool caseSensitive = OptionalBool(args, count, 5, true);

    const uint8_t* s = Bytes(text);
    int32_t len = Length(text);
    int32_t m = Length(sought);
    if (len == 0 || m == 0 || begin >= len || (limited && limit == 0)) {
        ResultText(result, text, len);
        return;
    }
    // A negative count never comes due.
    if (limit < 0) limited = false;
    int32_t r = Length(replacement);

    BlockBuilder out(0, len);
    out.Append(s, begin);
    PatternSearch search(Bytes(sought), m, true, !caseSensitive);
    int32_t pos = begin, done = 0;
    while (len - pos >= m) {
        int32_t p = search.Find(s, pos, len);
        if (p < 0) {
            // The walk copies character by character to the end; one that reaches a lone
            // lead byte at the very end drops it.
            if (m == 1 && IsLeadByte(s[len - 1]) && IsCharBoundary(s, pos, len - 1)) {
                out.Append(s + pos, len - 1 - pos);
                pos = len;
            }
            break;
        }
        out.Append(s + pos, p - pos);
        out.Append(replacement, r);
        pos = p + m;
        if (limited && ++done == limit) break;
    }
    out.Append(s + pos, len - pos);
    SetText(result, out.TakeText());
}

LIBRARY_COMMAND(SplitText) {
    const char* text = TextAt(args, count, 0);
    const char* separator = ArgGiven(args, count, 1) ? ArgText(args[1]) : ",";
    bool limited = ArgGiven(args, count, 2);
    int32_t maxCount = limited ? ArgInt(args[2]) : 0;
    if (maxCount < 0) maxCount = 0;

    const uint8_t* s = Bytes(text);
    int32_t len = Length(text);
    int32_t m = Length(separator);
    std::vector<char*> pieces;
    auto piece = [&pieces](const uint8_t* from, int32_t n) {
        char* t = nullptr;
        if (n > 0) {
            t = NewTextBlock(n);
            memcpy(t, from, n);
        }
        pieces.push_back(t);
    };
    if (len > 0 && !(limited && maxCount == 0)) {
        if (m == 0) {
            piece(s, len);
        } else {
            PatternSearch search(Bytes(separator), m, true, false);
            int32_t pos = 0;
            bool usedUp = false;
            while (pos < len) {
                int32_t p = search.Find(s, pos, len);
                if (p < 0) break;
                piece(s + pos, p - pos);
                pos = p + m;
                if (limited && static_cast<int32_t>(pieces.size()) == maxCount) {
                    usedUp = true;
                    break;
                }
            }
            if (!usedUp && pos < len) piece(s + pos, len - pos);
        }
    }
    int32_t n = static_cast<int32_t>(pieces.size());
    // Header {1, n}, then one pointer-sized slot per text.
    const int64_t slot = sizeof(char*);
    int32_t* block = static_cast<int32_t*>(AllocMemory(CheckedBlockSize(8 + slot * n)));
    block[0] = 1;
    block[1] = n;
    if (n > 0) memcpy(ArrayElements(block), pieces.data(), sizeof(char*) * static_cast<size_t>(n));
    *result = {reinterpret_cast<uintptr_t>(block), 0, kText | kPointerFlag};
}

namespace {
void ChangeCase(ArgRecord* result, const char* text, uint8_t from, uint8_t to) {
    int32_t len = Length(text);
    if (len == 0) {
        SetText(result, nullptr);
        return;
    }
    char* out = NewTextBlock(len);
    memcpy(out, text, len);
    uint8_t* s = reinterpret_cast<uint8_t*>(out);
    for (int32_t i = 0; i < len; ++i) {
        if (s[i] >= from && s[i] <= from + 25) {
            s[i] = static_cast<uint8_t>(s[i] - from + to);
        } else if (IsLeadByte(s[i])) {
            ++i;  // its trail byte is never a letter
        }
    }
    SetText(result, out);
}

// Fills out (room for len bytes) and hands it over trimmed to the bytes written.
void TakeWritten(ArgRecord* result, char* out, int32_t written) {
    if (written == 0) {
        FreeMemory(out);
        SetText(result, nullptr);
        return;
    }
    out = static_cast<char*>(ReallocMemory(out, written + 1));
    out[written] = 0;
    SetText(result, out);
}
}  // namespace

LIBRARY_COMMAND(ToUpper) { ChangeCase(result, TextAt(args, count, 0), 'a', 'A'); }

LIBRARY_COMMAND(ToLower) { ChangeCase(result, TextAt(args, count, 0), 'A', 'a'); }

LIBRARY_COMMAND(ToHalfWidth) {
    const char* text = TextAt(args, count, 0);
    int32_t len = Length(text);
    if (len == 0) {
        SetText(result, nullptr);
        return;
    }
    char* out = static_cast<char*>(AllocMemory(len + 1));
    TakeWritten(result, out, ToHalfWidthBytes(text, len, out));
}

LIBRARY_COMMAND(TrimSpaces) {
    const char* text = TextAt(args, count, 0);
    const uint8_t* s = Bytes(text);
    int32_t len = Length(text);
    int32_t i = 0;
    while (i < len && IsSpaceAt(s, i, len)) i += s[i] == 0x20 ? 1 : 2;
    int32_t first = i;
    int32_t runStart = -1;  // where the current run of spaces began
    while (i < len) {
        if (IsSpaceAt(s, i, len)) {
            if (runStart < 0) runStart = i;
            i += s[i] == 0x20 ? 1 : 2;
        } else if (IsLeadByte(s[i])) {
            if (i + 1 >= len) break;  // a lone lead byte at the end is dropped
            runStart = -1;
            i += 2;
        } else {
            runStart = -1;
            ++i;
        }
    }
    int32_t end = runStart >= 0 ? runStart : i;
    ResultText(result, text + first, end - first);
}

LIBRARY_COMMAND(RemoveSpaces) {
    const char* text = TextAt(args, count, 0);
    const uint8_t* s = Bytes(text);
    int32_t len = Length(text);
    if (len == 0) {
        SetText(result, nullptr);
        return;
    }
    char* out = static_cast<char*>(AllocMemory(len + 1));
    int32_t w = 0;
    for (int32_t i = 0; i < len;) {
        if (IsSpaceAt(s, i, len)) {
            i += s[i] == 0x20 ? 1 : 2;
        } else if (IsLeadByte(s[i])) {
            if (i + 1 >= len) break;  // a lone lead byte at the end is dropped
            out[w++] = static_cast<char>(s[i]);
            out[w++] = static_cast<char>(s[i + 1]);
            i += 2;
        } else {
            out[w++] = static_cast<char>(s[i++]);
        }
    }
    TakeWritten(result, out, w);
}

LIBRARY_COMMAND(SpaceText) {
    int32_t n = OptionalInt(args, count, 0, 0);
    if (n < 1) {
        SetText(result, nullptr);
        return;
    }
    char* out = static_cast<char*>(AllocMemory(CheckedBlockSize(static_cast<int64_t>(n) + 1)));
    memset(out, ' ', n);
    out[n] = 0;
    SetText(result, out);
}

LIBRARY_COMMAND(RepeatText) {
    int32_t times = OptionalInt(args, count, 0, 0);
    const char* text = TextAt(args, count, 1);
    int32_t len = Length(text);
    if (times <= 0 || len == 0) {
        SetText(result, nullptr);
        return;
    }
    int64_t total = static_cast<int64_t>(times) * len;
    char* out = static_cast<char*>(AllocMemory(CheckedBlockSize(total + 1)));
    // Doubling copies: a few large memcpy calls instead of one per repetition.
    memcpy(out, text, len);
    int64_t filled = len;
    while (filled < total) {
        int64_t n = filled < total - filled ? filled : total - filled;
        memcpy(out + filled, out, static_cast<size_t>(n));
        filled += n;
    }
    out[total] = 0;
    SetText(result, out);
}

}  // namespace cmd
