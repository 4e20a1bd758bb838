#include "engine/chinese_script.h"

#include "engine/gbk_runs.h"
#include "engine/progress.h"
#include "engine/script_table.h"
#include "runtime/dll_commands.h"
#include "runtime/library.h"

namespace {
const uint32_t kLcMapSimplifiedChinese = 0x02000000;
const uint32_t kLcMapTraditionalChinese = 0x04000000;

ScriptMapping g_chosen = ScriptMapping::kAutomatic;
int g_systemProbe = -1;  // -1 not probed yet, else 0 or 1

int32_t FindPair(const ScriptPair* pairs, int32_t count, uint16_t code) {
    int32_t low = 0, high = count - 1;
    while (low <= high) {
        int32_t mid = low + (high - low) / 2;
        if (pairs[mid].from == code) return mid;
        if (pairs[mid].from < code) low = mid + 1;
        else high = mid - 1;
    }
    return -1;
}

TextVar MapByTable(const char* text, const ScriptPair* pairs, int32_t count) {
    ByteSetVar bytes = ToByteSet(text ? text : "");
    uint8_t* d = bytes.data();
    int32_t n = bytes.size();
    int32_t nextReport = 0;
    for (int32_t i = 0; i < n;) {
        if (i >= nextReport) {
            ReportProgress(i, n);
            nextReport = i + kProgressBlock;
        }
        if (IsGbkPairAt(d, n, i)) {
            int32_t k = FindPair(pairs, count, static_cast<uint16_t>(d[i] << 8 | d[i + 1]));
            if (k >= 0) {
                d[i] = static_cast<uint8_t>(pairs[k].to >> 8);
                d[i + 1] = static_cast<uint8_t>(pairs[k].to & 0xFF);
            }
            i += 2;
        } else {
            ++i;
        }
    }
    return ToText(bytes);
}

TextVar MapScript(const char* text, uint32_t flag, const ScriptPair* pairs, int32_t count) {
    if (ActiveScriptMapping() == ScriptMapping::kTable) return MapByTable(text, pairs, count);
    // The system mapping, converted as GBK; characters it would lengthen or shorten stay.
    return MapGbkRuns(text, flag, -1);
}
}  // namespace

bool SystemHasScriptMapping() {
    if (g_systemProbe < 0) {
        const char probe[] = "国";
        TextVar mapped = SpaceText(2);
        int32_t n = CallDllCommand<int32_t>(kDllLCMapStringA, kLocaleChinesePrc, kLcMapTraditionalChinese,
                                            probe, 2, mapped.get(), 2);
        g_systemProbe = n == 2 && FindText(mapped, probe) != 1 ? 1 : 0;
    }
    return g_systemProbe == 1;
}

void SetScriptMapping(ScriptMapping mapping) { g_chosen = mapping; }

ScriptMapping ActiveScriptMapping() {
    if (g_chosen != ScriptMapping::kAutomatic) return g_chosen;
    return SystemHasScriptMapping() ? ScriptMapping::kSystem : ScriptMapping::kTable;
}

TextVar SimplifiedToTraditional(const char* text) {
    return MapScript(text, kLcMapTraditionalChinese, kSimplifiedToTraditionalPairs,
                     kSimplifiedToTraditionalCount);
}

TextVar TraditionalToSimplified(const char* text) {
    return MapScript(text, kLcMapSimplifiedChinese, kTraditionalToSimplifiedPairs,
                     kTraditionalToSimplifiedCount);
}
