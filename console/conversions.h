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

// What a conversion reads and writes. The runner, never the step, turns bytes into what the
// step takes and the step's result into bytes:
// kText   text in the encoding the user names (--in/--out; auto reads a BOM, else valid
//         UTF-8, else GBK), handed over as UTF-16 units;
// kBytes  bytes taken and written as they are;
// kGbk    GBK bytes, read into units (every byte pair the code page maps) or written from
//         units (refused when a character is not GBK);
// kUtf8   UTF-8 bytes: a BOM is dropped and anything ill-formed is refused, naming the byte;
// kUtf16  UTF-16 bytes, little-endian unless a BOM (FF FE or FE FF, dropped) says otherwise.
enum class Form { kText, kBytes, kGbk, kUtf8, kUtf16 };

// What a step produced: UTF-16 units, GBK text (as the window's text results are: written
// as they are when GBK is asked for) or bytes.
enum class Produced { kUnits, kGbk, kBytes };

// Where a long input may be cut into pieces that the step converts one by one with the
// same result as on the whole. kWhole: the step needs all of the input at once.
enum class Slicing { kWhole, kDigest, kTriples, kAfterLowChar, kUrlEscapes, kBase64Groups, kUtf16Units };

// Conversions that read one value (a number, a date): the line break that echo and a text
// editor put after it is not part of it.
enum class Value { kWholeText, kOneLine };

struct StepResult {
    ByteSetVar data;
    Produced produced = Produced::kBytes;
    // Set instead of data when the conversion cannot be done: the "提示：" line as units.
    ByteSetVar prompt;
};

// in: units for a conversion that reads text, bytes for one that reads bytes. placesBefore:
// how many characters of the input came before this piece (prompts count from the start).
typedef StepResult (*Step)(const ByteSetVar& in, int64_t placesBefore);

// The same step on GBK text itself: taken instead of the units' step when the input is GBK
// that the box would keep unchanged, which spares decoding it and encoding it back.
typedef StepResult (*TextStep)(const char* gbk, int64_t placesBefore);

// The code-page items' step: the units as the runner decoded them, for it to encode.
StepResult UnitsAsTheyAre(const ByteSetVar& units, int64_t placesBefore);

// A piece converted straight into the output's buffer, sparing the step's copies: for
// conversions that read bytes as they are (kBytes, kGbk) and whose result needs no encoding
// for the output (bytes, UTF-8, or ASCII text). room(n): the most bytes n bytes can give;
// write: how many it wrote, or -1 to leave the piece to the step.
struct Direct {
    size_t (*room)(size_t n) = nullptr;
    int64_t (*write)(const uint8_t* in, size_t n, uint8_t* out) = nullptr;
};
// GBK bytes as UTF-8 in one pass: gbk-to-utf8's, and the runner's for GBK text results
// written as UTF-8. -1 for a text too short to be worth the table.
extern const Direct kGbkAsUtf8;

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
    Value value = Value::kWholeText;
    TextStep textStep = nullptr;
    Direct direct = {};
};

const std::vector<Conversion>& Conversions();
// fix-mojibake --all: the window's whole ranked report instead of the best text alone.
const Conversion& MojibakeReport();
// By name or alias; null when there is none.
const Conversion* FindConversion(const std::string& name);

}  // namespace wht_console
