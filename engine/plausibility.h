// How much a text looks like text in some language: the ranking of the garbled-text
// recovery. Letters weigh by how usual they are in the languages written with them
// (generated tables), so a text is judged by its own script, not by Chinese alone.
#pragma once
#include <cstdint>
#include <string>

enum class Script : uint8_t { kNone, kLatin, kCyrillic, kGreek, kChinese, kJapanese, kKorean };

struct Judgement {
    // The mean weight of the text's units: about 12 to 17 for usual text in any of the
    // scripts, below 0 for runs of rare signs and characters no language writes that way.
    // ASCII counts for a quarter, as most misreadings leave it as it is: a few garbled
    // letters in a long sentence still tell.
    double overall;
    // The same over the units beyond ASCII and the control characters alone (the overall
    // weight when there are none).
    double foreign;
    // The script most of the letters beyond ASCII are in (Latin for ASCII letters alone);
    // kana among Chinese characters make it Japanese where they are written as Japanese
    // writes them. kNone for a text without letters.
    Script script;
};
Judgement Judge(const std::u16string& text);
inline double Plausibility(const std::u16string& text) { return Judge(text).overall; }

// The weight of one unit out of context (a Chinese character, a sign, a letter on its own).
double UnitWeight(char16_t c);
