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

void TextBuilder::Append(const char* piece) { Append(JoinTexts({piece})); }

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

// One double-byte character's mapped form, or the character itself.
TextVar MapOneCharacter(const char* character, uint32_t flags) {
    TextVar mapped = SpaceText(2);
    if (LcMap(flags, character, 2, mapped.get()) == 2 && CharCode(mapped, 1) < 0 &&
        CharCode(mapped, 2) != 0)
        return mapped;
    return JoinTexts({character});
}

// A run of double-byte characters: one call for the whole run, and only when that would
// change the length, one call per character.
TextVar MapPairRun(const char* run, int32_t length, uint32_t flags) {
    TextVar mapped = SpaceText(length);
    if (LcMap(flags, run, length, mapped.get()) == length) return mapped;
    TextBuilder out;
    for (int32_t i = 1; i <= length; i += 2) out.Append(MapOneCharacter(TextMiddle(run, i, 2), flags));
    return out.Finish();
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
            TextVar run = TextMiddle(text, i + 1, j - i);
            // ASCII means the same in every ANSI code page, so the system's casing of an
            // ASCII run is the same as on a GBK system.
            if (asciiEntry >= 0) CallDllCommand<char*>(asciiEntry, run.get());
            out.Append(std::move(run));
        } else if (IsGbkPairAt(d, n, i)) {
            while (IsGbkPairAt(d, n, j)) j += 2;
            out.Append(MapPairRun(TextMiddle(text, i + 1, j - i), j - i, lcmapFlags));
        } else {
            j = i + 1;
            out.Append(TextMiddle(text, i + 1, 1));
        }
        i = j;
    }
    return out.Finish();
}
