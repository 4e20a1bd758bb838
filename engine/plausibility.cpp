#include "engine/plausibility.h"

#include <algorithm>
#include <vector>

#include "engine/letter_tiers.h"

// One digit per code point from U+4E00 to U+9FFF, from 0 (rare) to 9 (most frequent);
// generated at build time by tools/make_hanzi_tiers.py.
extern const char kHanziTiers[];

namespace {
const double kAsciiShare = 0.25;

bool IsHigh(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLow(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }
bool IsAsciiLetter(char16_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool Contains(const char16_t* set, char16_t c) {
    for (; *set; ++set)
        if (*set == c) return true;
    return false;
}

// The script of a letter; kNone for anything else (digits, signs, punctuation).
Script LetterScript(char16_t c) {
    if (IsAsciiLetter(c)) return Script::kLatin;
    if (c < 0xC0) return Script::kNone;
    if (c <= 0x24F) return c == 0xD7 || c == 0xF7 ? Script::kNone : Script::kLatin;
    if (c >= 0x1E00 && c <= 0x1EFF) return Script::kLatin;
    if (c >= 0x386 && c <= 0x3FF) return c == 0x387 ? Script::kNone : Script::kGreek;
    if (c >= 0x400 && c <= 0x52F) return c >= 0x482 && c <= 0x489 ? Script::kNone : Script::kCyrillic;
    if ((c >= 0x3041 && c <= 0x30FF && c != 0x30FB) || (c >= 0xFF66 && c <= 0xFF9D)) return Script::kJapanese;
    if ((c >= 0xAC00 && c <= 0xD7A3) || (c >= 0x3131 && c <= 0x318E)) return Script::kKorean;
    if ((c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0xF900 && c <= 0xFAFF)) return Script::kChinese;
    return Script::kNone;
}

bool Alphabetic(Script s) { return s == Script::kLatin || s == Script::kCyrillic || s == Script::kGreek; }

double HanziWeight(char16_t c) {
    static const double tiers[10] = {-3, 3, 9, 12, 12.5, 13, 14, 15, 16, 17};
    return tiers[kHanziTiers[c - 0x4E00] - '0'];
}

// Kana and Hangul syllables weigh as Chinese characters of the same share do; letters of
// the alphabets as letters of an English word at best; other signs little, as the
// punctuation of any language does.
double SyllableWeight(int tier) {
    static const double weights[10] = {-6, -3, 3, 9, 12, 13, 14, 15, 16, 17};
    return weights[tier];
}
double LetterWeight(int tier) {
    static const double weights[10] = {-6, -4, 0, 4, 7, 9, 11, 12, 12, 12};
    return weights[tier];
}
double SignWeight(int tier) {
    static const double weights[10] = {-4, -2, 0, 1, 2, 3, 4, 5, 5, 5};
    return weights[tier];
}

bool IsKana(char16_t c) { return c >= 0x3041 && c <= 0x30FF && c != 0x30FB; }

int KanaPairTier(char16_t first, char16_t second) {
    uint32_t key = uint32_t(first) << 16 | second;
    const KanaPair* end = kKanaPairs + kKanaPairCount;
    const KanaPair* at = std::lower_bound(kKanaPairs, end, key, [](const KanaPair& p, uint32_t k) { return p.pair < k; });
    return at != end && at->pair == key ? at->tier : 0;
}

// Kana count as Japanese only in a text written like Japanese: among Chinese characters a
// stray one is a piece of garbage.
double Weight(char16_t c, bool japanese) {
    Script s = LetterScript(c);
    if (s == Script::kJapanese && !japanese) return -4;
    if (s == Script::kJapanese || s == Script::kKorean) return SyllableWeight(std::max(0, LetterTier(c)));
    return UnitWeight(c);
}

// Japanese has kana side by side somewhere (endings, katakana words), as a pair Japanese
// writes or in a run of three; garbage strews them one by one among Chinese characters.
bool WrittenLikeJapanese(const std::u16string& t, size_t kana, size_t han) {
    if (kana == 0 || 6 * kana < kana + han) return false;
    size_t run = 0;
    for (size_t i = 0; i < t.size(); ++i) {
        run = IsKana(t[i]) ? run + 1 : 0;
        if (run >= 3 && 2 * kana >= kana + han) return true;
        if (run >= 2 && KanaPairTier(t[i - 1], t[i]) >= 2) return true;
    }
    return false;
}

bool IsLowerAscii(char16_t c) { return c >= 'a' && c <= 'z'; }
bool IsLowerLetter(char16_t c) { return IsLowerAscii(c) || (c >= 0xDF && c <= 0xFF && c != 0xF7); }
bool IsUpperLatin1(char16_t c) { return c >= 0xC0 && c <= 0xDE && c != 0xD7; }

// A run of letters of the alphabets, a weight per unit: letters that make words weigh as
// much as common Chinese characters (a UTF-16 reading of English pairs its letters into
// Chinese-looking characters). A run that changes alphabet in the middle is no word, and
// neither is one with a capital after a small letter where one of them is beyond ASCII
// (the "Ã" of UTF-8 shown as Windows-1252 in the middle of a word).
void RunWeights(const std::u16string& t, size_t i, size_t j, double* w) {
    bool ascii = std::all_of(t.begin() + i, t.begin() + j, [](char16_t c) { return c < 0x80; });
    if (ascii) {
        bool vowel = false;
        for (size_t k = i; k < j; ++k) {
            char16_t lower = t[k] | 0x20;
            vowel = vowel || lower == 'a' || lower == 'e' || lower == 'i' || lower == 'o' || lower == 'u' || lower == 'y';
        }
        bool acronym = j - i <= 5 && std::all_of(t.begin() + i, t.begin() + j, [](char16_t c) { return c <= 'Z'; });
        for (size_t k = i; k < j; ++k) w[k] = j - i >= 2 && (vowel || acronym) ? 12.0 : 2.0;
        return;
    }
    for (size_t k = i; k < j; ++k) {
        w[k] = t[k] < 0x80 ? (j - i >= 2 ? 12 : 2) : LetterWeight(std::max(0, LetterTier(t[k])));
        if (k > i && LetterScript(t[k]) != LetterScript(t[k - 1])) w[k] -= 12;
        if (k > i && IsLowerLetter(t[k - 1]) && (IsUpperLatin1(t[k]) || (t[k - 1] >= 0x80 && t[k] >= 'A' && t[k] <= 'Z')))
            w[t[k] >= 0x80 ? k : k - 1] -= 10;
    }
}

bool IsCp1252Continuation(char16_t c) {
    return (c >= 0xA0 && c <= 0xBF) || Contains(u"€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ", c);
}

bool IsIdeographOrKana(Script s) { return s == Script::kChinese || s == Script::kJapanese; }

}  // namespace

double UnitWeight(char16_t c) {
    // 锟 is hardly ever written but as the start of 锟斤拷, the GBK picture of U+FFFD.
    if (c == 0x951F) return -15;
    if (c >= 0x4E00 && c <= 0x9FFF) return HanziWeight(c);
    if (c >= '0' && c <= '9') return 4;
    if (c == ' ') return 4;
    if (c == '\t' || c == '\r' || c == '\n') return 0;
    if (c < 0x20 || (c >= 0x7F && c < 0xA0)) return -15;
    if (c < 0x7F) return Contains(u",.;:!?'\"()-/%", c) ? 1 : 0;
    // Chinese punctuation, full width and in the general punctuation block.
    if (Contains(u"，。、；：？！“”‘’（）《》「」『』【】…—·", c)) return 5;
    if (c >= 0xFF01 && c <= 0xFF5E) return 1;
    // U+FFFD marks a character lost before: the report names it, the rest may still be right.
    if (c == 0xFFFD) return -2;
    if ((c >= 0xE000 && c <= 0xF8FF) || IsHigh(c) || IsLow(c)) return -15;
    if ((c >= 0x3400 && c <= 0x4DBF) || (c >= 0xF900 && c <= 0xFAFF)) return -6;
    Script s = LetterScript(c);
    int tier = LetterTier(c);
    if (s == Script::kJapanese || s == Script::kKorean) return SyllableWeight(std::max(0, tier));
    if (Alphabetic(s)) return LetterWeight(std::max(0, tier));
    if (c >= 0x3000 && c <= 0x303F) return 0;
    // Box drawing, bopomofo and the other signs no language's text is made of.
    return tier < 0 ? -4 : SignWeight(tier);
}

namespace {
// The script with the most letters beyond ASCII; ASCII letters count for a quarter, so a
// word misread in a sentence of English words is still in Latin script.
Script MainScript(const std::u16string& t, bool* japanese) {
    size_t counts[7] = {}, asciiLetters = 0;
    for (char16_t c : t) {
        if (c >= 0x80) ++counts[static_cast<int>(LetterScript(c))];
        asciiLetters += IsAsciiLetter(c);
    }
    size_t& kana = counts[static_cast<int>(Script::kJapanese)];
    size_t& han = counts[static_cast<int>(Script::kChinese)];
    *japanese = WrittenLikeJapanese(t, kana, han);
    if (*japanese) kana += han, han = 0;
    double latin = counts[static_cast<int>(Script::kLatin)] + kAsciiShare * double(asciiLetters);
    int best = 0;
    double most = 0;
    for (int s = 1; s < 7; ++s) {
        double n = s == static_cast<int>(Script::kLatin) ? latin : double(counts[s]);
        if (n > most) best = s, most = n;
    }
    return static_cast<Script>(best);
}

// Each unit's weight by itself (letters of the alphabets by the word they are in).
void UnitWeights(const std::u16string& t, bool japanese, double* w) {
    for (size_t i = 0; i < t.size();) {
        if (Alphabetic(LetterScript(t[i]))) {
            size_t j = i;
            while (j < t.size() && Alphabetic(LetterScript(t[j]))) ++j;
            RunWeights(t, i, j, w);
            i = j;
        } else if (IsHigh(t[i]) && i + 1 < t.size() && IsLow(t[i + 1])) {
            w[i] = w[i + 1] = -6;  // a character beyond the BMP
            i += 2;
        } else {
            w[i] = Weight(t[i], japanese);
            ++i;
        }
    }
}

// What the neighbours say of a unit.
void ContextWeights(const std::u16string& t, double* w) {
    int continuations = 0;
    for (size_t i = 0; i < t.size(); ++i) {
        // Â to ß and then one, à to ï and then two of what Windows-1252 shows of 0x80 to
        // 0xBF: a UTF-8 character shown in that code page.
        if (continuations > 0 && IsCp1252Continuation(t[i])) {
            w[i] -= 8;
            --continuations;
        } else {
            continuations = t[i] >= 0xC2 && t[i] <= 0xDF ? 1 : t[i] >= 0xE0 && t[i] <= 0xEF ? 2 : 0;
        }
        Script s = LetterScript(t[i]);
        // A sign beyond ASCII on its own ("°C", "±5") is as good as punctuation, however
        // seldom the catalogues write it.
        if (s == Script::kNone && t[i] >= 0xA0 && t[i] < 0x2200 && (i == 0 || t[i - 1] < 0x80)) w[i] = std::max(w[i], 1.0);
        if (!IsIdeographOrKana(s)) continue;
        // A Chinese character or kana inside a word of small Latin letters is a piece of a
        // misread one, and so is one alone between two Latin words.
        if (i > 0 && IsLowerAscii(t[i - 1])) w[i] -= 8;
        if (i + 1 < t.size() && IsLowerAscii(t[i + 1])) w[i] -= 8;
        if (i >= 2 && i + 2 < t.size() && t[i - 1] == ' ' && t[i + 1] == ' ' && IsAsciiLetter(t[i - 2]) && IsAsciiLetter(t[i + 2]))
            w[i] -= 8;
        // Chinese and Japanese put no space between words; Korean, misread as GBK, does.
        if (i + 2 < t.size() && t[i + 1] == ' ' && IsIdeographOrKana(LetterScript(t[i + 2]))) w[i] -= 12;
    }
}
}  // namespace

Judgement Judge(const std::u16string& t) {
    if (t.empty()) return {0, 0, Script::kNone};
    bool japanese;
    Script script = MainScript(t, &japanese);
    std::vector<double> w(t.size());
    UnitWeights(t, japanese, w.data());
    ContextWeights(t, w.data());
    double sum = 0, count = 0, foreign = 0, foreignCount = 0;
    for (size_t i = 0; i < t.size(); ++i) {
        // Control characters are no ASCII text: they count in full.
        bool plain = (t[i] >= 0x20 && t[i] < 0x7F) || t[i] == '\t' || t[i] == '\r' || t[i] == '\n';
        double share = plain ? kAsciiShare : 1.0;
        sum += share * w[i];
        count += share;
        if (!plain) foreign += w[i], ++foreignCount;
    }
    return {sum / count, foreignCount > 0 ? foreign / foreignCount : sum / count, script};
}
