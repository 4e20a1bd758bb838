// Inputs a user does not plan: random bytes, valid and broken GBK, cut escape sequences,
// long digit runs; every length from 0, most of them short or near a power of two.
// Deterministic: the same seed gives the same inputs on every build.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/variables.h"

class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t Next();  // splitmix64
    uint32_t Below(uint32_t n) { return n ? static_cast<uint32_t>(Next() % n) : 0; }
    bool OneIn(uint32_t n) { return Below(n) == 0; }

private:
    uint64_t state_;
};

// What the near-valid inputs imitate: the format a decoder reads.
enum class Family { kPlain, kBase64, kPercent, kCharRefs, kScriptEscape, kDigits, kNumber, kDateTime };

// A length: mostly 0 to 16, often a power of two plus or minus one, now and then up to maxLength.
int PickLength(Random& r, int maxLength);

// Text inputs contain no zero byte (the terminator would end them); byte inputs may.
std::string RandomBytes(Random& r, int length, bool zeros);
// Characters that survive GBK -> UTF-16 -> GBK unchanged, with ASCII among them.
std::string ValidGbk(Random& r, int length, int asciiPercent);
// GBK broken on purpose: lone lead bytes, trail bytes below 0x40, 0x80, 0xFF, a lead byte last.
std::string BrokenGbk(Random& r, int length);
// Input that nearly follows the family's format.
std::string NearValid(Random& r, Family family, int length);
// One input of the mix the stress test feeds every routine.
std::string GeneratedInput(Random& r, Family family, int maxLength);

// UTF-16 units as a box may hold them: ASCII, Chinese, characters beyond the BMP, lone
// surrogates of either half, other units; never a zero unit.
ByteSetVar RandomUnits(Random& r, int count);

// One GBK character that survives the round trip through UTF-16 (two bytes, or ASCII).
std::string RoundTripChar(Random& r);

// Runtime values of bytes, and bytes of runtime values.
TextVar MakeText(const std::string& bytes);  // up to the first zero byte
ByteSetVar MakeBytes(const std::string& bytes);
std::string BytesOf(const char* text);
std::string BytesOf(const ByteSetVar& bytes);
// Two lower-case digits per byte, nothing between: the corpus file's form.
std::string PlainHex(const std::string& bytes);

// A routine as a menu item or radio box reaches it: the input box's text in, the text the
// handler writes into the output box out (a byte-set result shown up to its first zero).
// Routines that read the box as UTF-16 units (text beyond GBK) take them in place of the text;
// a result in units is given as their bytes, low byte first.
struct RoutineEntry {
    const char* name;  // the menu item's or radio box's caption
    Family family;
    std::string (*run)(const char* input);          // null for a routine of units
    std::string (*runUnits)(const ByteSetVar& units);  // null for a routine of GBK text
    bool unitsOut;
    // Relative cost: the stress test gives costly routines fewer, shorter inputs. The
    // script engine's routines (and the reports that use it) cost most: under Wine each
    // run of the engine keeps about 2 MB of a 32-bit process's address space.
    int weight;
};
const std::vector<RoutineEntry>& Routines();
// The script engine's routines (and the reports that use it) take every fifth corpus input.
inline bool UsesScriptEngine(const RoutineEntry& e) { return e.weight >= 50; }
const int kScriptEngineStride = 5;

// The differential corpus's inputs: a few hundred generated texts of every family.
std::vector<std::string> CorpusInputs();
