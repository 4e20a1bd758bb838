#include "engine/gbk_runs.h"

#include "runtime/dll_commands.h"
#include "runtime/library.h"

void TextBuilder::Append(TextVar piece) {
    for (size_t k = 0;; ++k) {
        if (k == levels_.size()) {
            levels_.push_back(std::move(piece));
            held_.push_back(true);
            return;
        }
        if (!held_[k]) {
            levels_[k] = std::move(piece);
            held_[k] = true;
            return;
        }
        piece = JoinTexts({levels_[k], piece});
        levels_[k] = TextVar();
        held_[k] = false;
    }
}

TextVar TextBuilder::Finish() {
    TextVar result;
    for (size_t k = 0; k < levels_.size(); ++k) {
        if (held_[k]) result = JoinTexts({levels_[k], result});
    }
    levels_.clear();
    held_.clear();
    return result;
}

namespace {
int32_t LcMap(uint32_t flags, const char* source, int32_t length, char* target) {
    return CallDllCommand<int32_t>(kDllLCMapStringA, kLocaleChinesePrc, flags, source, length,
                                   target, length);
}

// Bytes start.. (1-based) of the text, as a text of their own.
TextVar Slice(const ByteSetVar& bytes, int32_t start, int32_t length) {
    return ToText(ByteSetMiddle(bytes, start, length));
}

// A run of double-byte characters: mapped whole when that keeps its length, else in two
// halves, down to single characters, which keep their own bytes when their mapped form is
// not one double-byte character. A few odd characters cost a few calls, not one per character.
TextVar MapPairRun(const ByteSetVar& bytes, int32_t start, int32_t length, uint32_t flags) {
    TextVar run = Slice(bytes, start, length);
    TextVar mapped = SpaceText(length);
    if (LcMap(flags, run, length, mapped.get()) == length &&
        (length > 2 || (CharCode(mapped, 1) < 0 && CharCode(mapped, 2) != 0)))
        return mapped;
    if (length == 2) return run;
    int32_t half = length / 4 * 2;
    return JoinTexts({MapPairRun(bytes, start, half, flags), MapPairRun(bytes, start + half, length - half, flags)});
}
}  // namespace

TextVar MapGbkRuns(const char* text, uint32_t lcmapFlags, int asciiEntry) {
    ByteSetVar bytes = ToByteSet(text ? text : "");
    const uint8_t* d = bytes.data();
    int32_t n = bytes.size();
    TextBuilder out;
    int32_t i = 0;
    while (i < n) {
        int32_t j = i;
        if (d[i] < 0x80) {
            while (j < n && d[j] < 0x80) ++j;
            TextVar run = Slice(bytes, i + 1, j - i);
            // ASCII means the same in every ANSI code page, so the system's casing of an
            // ASCII run is the same as on a GBK system.
            if (asciiEntry >= 0) CallDllCommand<char*>(asciiEntry, run.get());
            out.Append(std::move(run));
        } else if (IsGbkPairAt(d, n, i)) {
            while (IsGbkPairAt(d, n, j)) j += 2;
            out.Append(MapPairRun(bytes, i + 1, j - i, lcmapFlags));
        } else {
            j = i + 1;
            out.Append(Slice(bytes, i + 1, 1));
        }
        i = j;
    }
    return out.Finish();
}
