// The console program's names for the window's conversions: one table, one entry per menu
// item and radio box, each running the routine the window's handler runs.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/digests.h"
#include "engine/text_file.h"
#include "runtime/variables.h"

namespace wht_console {

// What a conversion reads and writes: text (decoded from, or encoded to, the encoding the
// user names) or bytes taken as they are.
enum class Form { kText, kBytes };

// What a step produced: UTF-16 units, GBK text (as the window's text results are: written
// as they are when GBK is asked for) or bytes.
enum class Produced { kUnits, kGbk, kBytes };

// Where a long input may be cut into pieces that the step converts one by one with the
// same result as on the whole. kWhole: the step needs all of the input at once.
enum class Slicing { kWhole, kDigest, kTriples, kAfterLowChar, kUrlEscapes, kBase64Groups, kUtf16Units };

struct StepResult {
    ByteSetVar data;
    Produced produced = Produced::kBytes;
    // Set instead of data when the conversion cannot be done: the "提示：" line as units.
    ByteSetVar prompt;
};

// in: units for a conversion that reads text, bytes for one that reads bytes. placesBefore:
// how many characters of the input came before this piece (prompts count from the start).
typedef StepResult (*Step)(const ByteSetVar& in, int64_t placesBefore);

struct Conversion {
    const char* name;
    const char* aliases;  // space-separated
    const char* caption;  // the menu item's or radio box's caption, as the form holds it
    Form reads, writes;
    Step step;            // null for the digests, which stream through DigestStream
    Slicing slicing;
    DigestKind digest;
    // The encoding text output takes by default (kAuto: UTF-8 into a file or pipe).
    TextEncoding defaultOut;
    const char* example;
};

const std::vector<Conversion>& Conversions();
// By name or alias; null when there is none.
const Conversion* FindConversion(const std::string& name);

}  // namespace wht_console
