#include "engine/mojibake.h"

#include <algorithm>
#include <unordered_map>

#include "engine/codepage.h"
#include "engine/gbk_runs.h"
#include "engine/plausibility.h"
#include "runtime/byte_search.h"
#include "runtime/dll_commands.h"
#include "runtime/library.h"
#include "runtime/memory.h"

const MojibakeStep kMojibakeSteps[] = {
    {kCodingUtf8, kCodingGbk},   {kCodingUtf8, kCodingCp1252}, {kCodingUtf8, kCodingLatin1},
    {kCodingUtf8, kCodingBig5},  {kCodingGbk, kCodingCp1252},  {kCodingGbk, kCodingLatin1},
    {kCodingBig5, kCodingGbk},   {kCodingGbk, kCodingBig5},    {kCodingBig5, kCodingCp1252},
    {kCodingBig5, kCodingLatin1}, {kCodingUtf16Le, kCodingGbk}, {kCodingGbk, kCodingUtf8},
    {kCodingBig5, kCodingUtf8},   {kCodingShiftJis, kCodingGbk}, {kCodingGbk, kCodingShiftJis},
    {kCodingEucKr, kCodingGbk},   {kCodingUtf8, kCodingShiftJis},
};
const int kMojibakeStepCount = sizeof(kMojibakeSteps) / sizeof(kMojibakeSteps[0]);

namespace {
const uint32_t kCodePageCp1252 = 1252;

uint32_t CodePageOf(MojibakeCoding coding) {
    switch (coding) {
    case kCodingGbk: return kCodePageGbk;
    case kCodingBig5: return kCodePageBig5;
    case kCodingUtf8: return kCodePageUtf8;
    case kCodingShiftJis: return kCodePageShiftJis;
    case kCodingEucKr: return kCodePageEucKr;
    default: return kCodePageCp1252;
    }
}

const char16_t* CodingName(MojibakeCoding coding) {
    switch (coding) {
    case kCodingGbk: return u"GBK";
    case kCodingBig5: return u"BIG5";
    case kCodingUtf8: return u"UTF-8";
    case kCodingCp1252: return u"Windows-1252";
    case kCodingLatin1: return u"ISO-8859-1";
    case kCodingShiftJis: return u"Shift_JIS";
    case kCodingEucKr: return u"EUC-KR";
    default: return u"UTF-16LE";
    }
}

// Whether the system converts the coding at all: a system without the Japanese or Korean
// tables (code pages 932, 949) has those misreadings left out, and the report says so.
bool Converts(MojibakeCoding coding) {
    static const uint8_t known = [] {
        uint8_t bits = 0;
        for (int c = 0; c <= kCodingEucKr; ++c)
            if (c == kCodingUtf16Le || c == kCodingLatin1 || DecodeAs("A", MojibakeCoding(c)) == u"A") bits |= uint8_t(1u << c);
        return bits;
    }();
    return (known >> coding) & 1;
}

bool IsHigh(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLow(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// How many bytes an incomplete last character can have left, and whether the bytes from
// `at` on are the start of one such character.
int LongestTail(MojibakeCoding coding) {
    switch (coding) {
    case kCodingUtf8: return 3;
    case kCodingGbk: case kCodingBig5: case kCodingUtf16Le: case kCodingShiftJis: case kCodingEucKr: return 1;
    default: return 0;
    }
}

bool StartsCharacter(const std::string& bytes, size_t at, MojibakeCoding coding) {
    uint8_t lead = static_cast<uint8_t>(bytes[at]);
    size_t have = bytes.size() - at;
    switch (coding) {
    case kCodingUtf8: {
        size_t need = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3 : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
        if (have >= need) return false;
        for (size_t k = at + 1; k < bytes.size(); ++k)
            if ((static_cast<uint8_t>(bytes[k]) & 0xC0) != 0x80) return false;
        return true;
    }
    case kCodingGbk: case kCodingBig5: case kCodingEucKr: return lead >= 0x81 && lead <= 0xFE;
    case kCodingShiftJis: return (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
    default: return bytes.size() % 2 == 1;
    }
}

// The bytes read exactly in the coding: false when a byte does not belong there. An
// incomplete last character is left out; *dropped says so.
bool DecodeExact(const std::string& bytes, MojibakeCoding coding, std::u16string* text, bool* dropped) {
    *dropped = false;
    *text = DecodeAs(bytes, coding);
    if (EncodeAs(*text, coding) == bytes) return true;
    for (int k = 1; k <= LongestTail(coding) && static_cast<size_t>(k) < bytes.size(); ++k) {
        if (!StartsCharacter(bytes, bytes.size() - k, coding)) continue;
        std::string head = bytes.substr(0, bytes.size() - k);
        *text = DecodeAs(head, coding);
        if (EncodeAs(*text, coding) == head) return *dropped = true;
    }
    return false;
}

// The text's bytes in the coding: false when it holds a character the coding has not.
bool EncodeExact(const std::u16string& text, MojibakeCoding coding, std::string* bytes) {
    *bytes = EncodeAs(text, coding);
    return DecodeAs(*bytes, coding) == text;
}

// The code point of one UTF-8 sequence of two to four bytes (already checked for its shape).
uint32_t Utf8CodePoint(const std::string& seq) {
    uint32_t cp = uint8_t(seq[0]) & (seq.size() == 2 ? 0x1F : seq.size() == 3 ? 0x0F : 0x07);
    for (size_t k = 1; k < seq.size(); ++k) cp = (cp << 6) | (uint8_t(seq[k]) & 0x3F);
    return cp;
}

// The weight of the character a complete UTF-8 sequence makes; none for a malformed one.
const double kNoCharacter = -1e9;
double SequenceWeight(const std::string& seq) {
    uint32_t cp = Utf8CodePoint(seq);
    bool valid = (seq.size() == 2 && cp >= 0x80) || (seq.size() == 3 && cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF)) ||
                 (seq.size() == 4 && cp >= 0x10000 && cp <= 0x10FFFF);
    return !valid ? kNoCharacter : cp < 0x10000 ? UnitWeight(char16_t(cp)) : -6;
}

// Text shown as Windows-1252 loses on its way through the clipboard and web pages what it
// cannot show: the bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D (control characters) vanish and
// U+00A0 becomes a plain space. In the bytes of such UTF-8 a sequence then lacks bytes
// (anywhere after its lead) or ends in a space: put back what makes the likeliest
// character. False when the bytes are not UTF-8 short of such losses, or when more than
// twice as many sequences were mended as came through whole, unless every mending put back
// the same byte in the same place.
const char kVanishing[] = "\x81\x8D\x8F\x90\x9D";
//
// A GBK or BIG5 reader meets a lone lead byte where a run of UTF-8 ends before a byte below
// 0x40 and writes "?" for it: there the last byte of a sequence is lost and a "?" follows.
bool RestoreUtf8(const std::string& bytes, bool questions, std::string* restored) {
    restored->clear();
    int whole = 0, mended = 0;
    // What was put back, and where: the same byte lost in the same place every time (the
    // 0x81 of half the kana) is one loss, however often it recurs.
    std::string firstSign;
    bool consistent = true;
    for (size_t i = 0; i < bytes.size();) {
        uint8_t lead = uint8_t(bytes[i]);
        size_t need = lead < 0x80 ? 0 : lead >= 0xC2 && lead <= 0xDF ? 1 : lead >= 0xE0 && lead <= 0xEF ? 2 : lead >= 0xF0 && lead <= 0xF4 ? 3 : 9;
        if (need == 9) return false;
        size_t have = 0;
        while (have < need && i + 1 + have < bytes.size() && (uint8_t(bytes[i + 1 + have]) & 0xC0) == 0x80) ++have;
        if (have == need) {
            *restored += bytes.substr(i, 1 + have);
            i += 1 + have;
            whole += need > 0;
            continue;
        }
        std::string head(1, char(lead)), cont = bytes.substr(i + 1, have), best, sign;
        double bestWeight = kNoCharacter;
        size_t used = 1 + have, missing = need - have;
        if (questions) {
            // A GBK or BIG5 reader wrote "?" for the last byte of the sequence: any
            // continuation byte.
            if (missing != 1 || i + used >= bytes.size() || bytes[i + used] != '?') return false;
            for (int b = 0x80; b <= 0xBF; ++b) {
                double w = SequenceWeight(head + cont + char(b));
                if (w > bestWeight) bestWeight = w, best = head + cont + char(b);
            }
            ++used;
        } else {
            // The missing bytes in every place after the lead, each any of the vanishing ones.
            int choices = missing == 1 ? 5 : missing == 2 ? 25 : 125;
            for (unsigned mask = 0; mask < (1u << need); ++mask) {
                if (static_cast<size_t>(__builtin_popcount(mask)) != missing) continue;
                for (int pick = 0; pick < choices; ++pick) {
                    std::string seq = head;
                    for (size_t k = 0, c = 0, p = pick; k < need; ++k) {
                        if (mask & (1u << k)) {
                            seq += kVanishing[p % 5];
                            p /= 5;
                        } else {
                            seq += cont[c++];
                        }
                    }
                    double w = SequenceWeight(seq);
                    if (w > bestWeight) {
                        bestWeight = w, best = seq, sign = seq;
                        for (size_t k = 0; k < need; ++k)
                            if (!(mask & (1u << k))) sign[1 + k] = '*';
                    }
                }
            }
            if (missing == 1 && i + used < bytes.size() && bytes[i + used] == ' ') {
                std::string seq = head + cont + '\xA0';
                double w = SequenceWeight(seq);
                if (w != kNoCharacter && w >= bestWeight) bestWeight = w, best = seq, sign = "\xA0", ++used;
            }
        }
        if (bestWeight == kNoCharacter) return false;
        consistent = consistent && !questions && (mended == 0 || sign == firstSign);
        if (mended == 0) firstSign = sign;
        *restored += best;
        i += used;
        ++mended;
    }
    return mended > 0 && whole > 0 && (2 * whole >= mended || consistent);
}

// Undoes one misreading: the bytes the text was shown from, read as what they really were.
// A UTF-8 text may have the bytes its reader lost put back (*restored).
bool Undo(const std::u16string& text, MojibakeStep step, std::u16string* original, bool* dropped, bool* restored = nullptr) {
    std::string bytes;
    if (!EncodeExact(text, step.shownAs, &bytes)) return false;
    if (DecodeExact(bytes, step.real, original, dropped)) return true;
    std::string mended;
    bool western = step.shownAs == kCodingCp1252 || step.shownAs == kCodingLatin1;
    bool chinese = step.shownAs == kCodingGbk || step.shownAs == kCodingBig5;
    if (!restored || step.real != kCodingUtf8 || !(western || chinese) ||
        !RestoreUtf8(bytes, !western, &mended) || !DecodeExact(mended, kCodingUtf8, original, dropped))
        return false;
    return *restored = true;
}

// What undoing a step costs a candidate. Bytes of garbage are seldom valid UTF-8 several
// characters running, so a UTF-8 reading that holds is evidence in itself, and a handful of
// characters that took more than one byte is proof enough; other code pages take nearly any
// bytes and prove nothing. The other way round it is as strong against: any text has UTF-8
// bytes, but a text in another code page whose characters all happen to form UTF-8 is rare.
const double kStepPenalty = 1.5, kDroppedPenalty = 1.0, kRestoredPenalty = 1.0, kUtf8Evidence = 4.0;
double MultibyteShare(const std::u16string& text) {
    double multibyte = double(std::count_if(text.begin(), text.end(), [](char16_t c) { return c >= 0x80; }));
    return std::min(1.0, multibyte / 4);
}
//
// EUC-KR read as GBK is nearly always Hangul misread: GBK text whose every double-byte
// character falls where EUC-KR has Hangul syllables (the first 25 of GBK's 72 rows of
// Chinese characters, and none of its signs) is rare, so a reading that is Hangul alone is
// some evidence too.
const double kHangulEvidence = 2.0;
double HangulShare(const std::u16string& text) {
    double hangul = 0;
    for (char16_t c : text) {
        if (c >= 0xAC00 && c <= 0xD7A3) ++hangul;
        else if (c >= 0x80) return 0;
    }
    return std::min(1.0, hangul / 3);
}
double StepCost(MojibakeStep step, const std::u16string& shown, const std::u16string& original) {
    if (step.shownAs == kCodingUtf8) return kStepPenalty + kUtf8Evidence * MultibyteShare(shown);
    if (step.real == kCodingEucKr) return kStepPenalty - kHangulEvidence * HangulShare(original);
    if (step.real != kCodingUtf8 || original.empty()) return kStepPenalty;
    return kStepPenalty - kUtf8Evidence * MultibyteShare(original);
}

// A candidate in another script than the input must be clearly better, and text that reads
// well in its own script is not rewritten into another one: the more plausible its letters
// beyond ASCII, the more the change costs. Two steps are judged from the input and from the
// text between them (the Cyrillic that BIG5 shown as GBK makes of Chinese is itself text).
// Chinese characters of garbage are as usual one by one as those of text, so Chinese reads
// well only from a higher weight on.
const double kScriptChange = 1.0, kRewrite = 8.0;
double ScriptCost(const Judgement& from, const Judgement& to) {
    if (from.script == to.script || from.script == Script::kNone || to.script == Script::kNone) return 0;
    bool chinese = from.script == Script::kChinese;
    double garbage = chinese ? 12 : 7, reads = chinese ? 16 : 11;
    double well = (from.foreign - garbage) / (reads - garbage);
    return kScriptChange + kRewrite * std::min(1.0, std::max(0.0, well));
}

std::u16string Label(const MojibakeCandidate& c) {
    if (c.stepCount == 0) return u"原文";
    std::u16string label = std::u16string(CodingName(c.steps[0].real)) + u"被当成" + CodingName(c.steps[0].shownAs) + u"读";
    if (c.stepCount == 2)
        label += std::u16string(u"，再以") + CodingName(c.steps[1].real) + u"存后被当成" + CodingName(c.steps[1].shownAs) + u"读";
    if (c.droppedTail) label += u"（末尾不完整的字符已舍去）";
    if (c.restored) label += u"（丢失的字节按最常用的字猜补，个别字可能有误）";
    return label;
}

// Saving a text back in the coding it was just shown as gives its bytes again, so such a
// pair of steps is one step (or none): the shorter chain finds the same text.
bool Collapses(MojibakeStep first, MojibakeStep second) {
    return second.real == first.shownAs && first.real != kCodingUtf16Le;
}

// Bigger inputs are ranked on their start and then converted whole.
const size_t kWholeLimit = 64 * 1024, kSampleUnits = 8 * 1024;
const size_t kWholeCandidates = 8;

std::vector<MojibakeCandidate> Search(const std::u16string& garbled) {
    std::vector<MojibakeCandidate> found;
    std::unordered_map<std::u16string, size_t> seen;
    auto add = [&](std::u16string text, const Judgement& judged, const MojibakeStep* steps, int count, bool dropped,
                   bool restored, double cost) {
        MojibakeCandidate c{std::move(text), u"", {}, count, dropped, restored, 0};
        for (int i = 0; i < count; ++i) c.steps[i] = steps[i];
        c.score = judged.overall - cost - (dropped ? kDroppedPenalty : 0) - (restored ? kRestoredPenalty : 0);
        auto at = seen.find(c.text);
        if (at == seen.end()) {
            seen.emplace(c.text, found.size());
            found.push_back(std::move(c));
        } else if (c.score > found[at->second].score) {
            found[at->second] = std::move(c);
        }
    };
    Judgement input = Judge(garbled);
    add(garbled, input, nullptr, 0, false, false, 0);
    auto undoAll = [&](const std::u16string& text, bool cut) {
        bool ascii = std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; });
        for (int last = 0; last < kMojibakeStepCount; ++last) {
            MojibakeStep s1 = kMojibakeSteps[last];
            // ASCII reads the same in every coding but UTF-16.
            if ((ascii && s1.real != kCodingUtf16Le) || !Converts(s1.real) || !Converts(s1.shownAs)) continue;
            std::u16string middle;
            bool dropped1, restored1 = false;
            if (!Undo(text, s1, &middle, &dropped1, &restored1)) continue;
            MojibakeStep one[1] = {s1};
            Judgement judged1 = Judge(middle);
            double cost1 = StepCost(s1, text, middle);
            add(middle, judged1, one, 1, cut || dropped1, restored1, cost1 + ScriptCost(input, judged1));
            for (int first = 0; first < kMojibakeStepCount; ++first) {
                MojibakeStep s0 = kMojibakeSteps[first];
                if (Collapses(s0, s1) || !Converts(s0.real) || !Converts(s0.shownAs)) continue;
                std::u16string original;
                bool dropped0, restored0 = false;
                if (!Undo(middle, s0, &original, &dropped0, &restored0)) continue;
                MojibakeStep two[2] = {s0, s1};
                Judgement judged0 = Judge(original);
                double cost = cost1 + StepCost(s0, middle, original) + ScriptCost(input, judged0) + ScriptCost(judged1, judged0);
                add(std::move(original), judged0, two, 2, cut || dropped0 || dropped1, restored0 || restored1, cost);
            }
        }
    };
    undoAll(garbled, false);
    // A program that met an incomplete last character often wrote "?" or U+FFFD for it:
    // without that mark the rest may undo exactly.
    size_t n = garbled.size();
    if (n >= 2 && (garbled[n - 1] == '?' || garbled[n - 1] == 0xFFFD) && garbled[n - 2] >= 0x80)
        undoAll(garbled.substr(0, n - 1), true);
    // Sorting keeps the order of finding among equals: the steps' own order.
    std::stable_sort(found.begin(), found.end(), [](const MojibakeCandidate& a, const MojibakeCandidate& b) {
        if (a.score != b.score) return a.score > b.score;
        return a.stepCount < b.stepCount;
    });
    return found;
}

// The whole text undone along a candidate's chain.
bool UndoChain(const std::u16string& garbled, MojibakeCandidate* c) {
    std::u16string text = garbled;
    c->droppedTail = c->restored = false;
    for (int i = c->stepCount - 1; i >= 0; --i) {
        std::u16string next;
        bool cut, restored = false;
        if (!Undo(text, c->steps[i], &next, &cut, &restored)) return false;
        text = std::move(next);
        c->droppedTail = c->droppedTail || cut;
        c->restored = c->restored || restored;
    }
    c->text = std::move(text);
    return true;
}

// ---- Parts of a text that are lost for good.
struct LostKind {
    const char16_t* mark;  // what marks it; a run of at least `least` of them
    int least;
    const char16_t* why;
};
const LostKind kLostKinds[] = {
    {u"锟斤拷", 1, u"这是替换字符U+FFFD的UTF-8字节被当成GBK读的样子，原来的字在更早的一次转换中已被替换掉"},
    {u"烫", 2, u"这是未初始化的栈内存（字节0xCC）被当成GBK读的样子，那里本来就没有文字"},
    {u"屯", 2, u"这是未初始化的堆内存（字节0xCD）被当成GBK读的样子，那里本来就没有文字"},
    {u"\uFFFD", 1, u"这是解码时遇到无效字节留下的替换字符，原来的字节已被丢弃"},
    {u"?", 2, u"这是转换到不含这些字符的代码页时留下的问号，原来的字符已丢失"},
};

// Where a lost run of the kind starts at i, its length in units; 0 when none does.
size_t LostRunAt(const std::u16string& t, size_t i, const LostKind& kind) {
    std::u16string mark = kind.mark;
    size_t n = 0, count = 0;
    while (t.compare(i + n, mark.size(), mark) == 0) {
        n += mark.size();
        ++count;
    }
    if (count >= static_cast<size_t>(kind.least)) return n;
    // One question mark stands for a lost character when it sits between two non-ASCII ones.
    if (count == 1 && mark == u"?" && i > 0 && i + 1 < t.size() && t[i - 1] >= 0x80 && t[i + 1] >= 0x80) return 1;
    return 0;
}

std::u16string Decimal(size_t n) {
    std::u16string s;
    do s.insert(s.begin(), char16_t('0' + n % 10)); while (n /= 10);
    return s;
}

std::u16string Shown(std::u16string text) {
    // One candidate per line, and no zero unit to end the box's text early.
    for (char16_t& c : text)
        if (c == '\r' || c == '\n') c = ' ';
        else if (c == 0) c = 0x2400;
    return text;
}

std::u16string Units(const ByteSetVar& b) {
    std::u16string u(b.size() / 2, 0);
    for (size_t i = 0; i < u.size(); ++i) u[i] = char16_t(b.data()[2 * i] | (b.data()[2 * i + 1] << 8));
    return u;
}
}  // namespace

std::string EncodeAs(const std::u16string& text, MojibakeCoding coding) {
    std::string bytes;
    if (coding == kCodingUtf16Le || coding == kCodingLatin1) {
        for (char16_t c : text) {
            if (coding == kCodingLatin1) {
                bytes += c <= 0xFF ? char(c) : '?';
            } else {
                bytes += char(c & 0xFF);
                bytes += char(c >> 8);
            }
        }
        return bytes;
    }
    if (text.empty()) return bytes;
    // A character takes at most three bytes in these code pages; the system's sizes are 32-bit.
    if (text.size() > (INT32_MAX - 8) / 3) RaiseAllocationFailure(3 * static_cast<int64_t>(text.size()));
    int32_t n = static_cast<int32_t>(text.size());
    bytes.resize(3 * text.size());
    int32_t m = CallDllCommand<int32_t>(kDllWideCharToMultiByte, CodePageOf(coding), uint32_t(0), text.data(), n,
                                        &bytes[0], 3 * n, static_cast<const char*>(nullptr), static_cast<int32_t*>(nullptr));
    bytes.resize(m > 0 ? m : 0);
    return bytes;
}

std::u16string DecodeAs(const std::string& bytes, MojibakeCoding coding) {
    std::u16string text;
    if (coding == kCodingUtf16Le || coding == kCodingLatin1) {
        if (coding == kCodingLatin1)
            for (char b : bytes) text += char16_t(uint8_t(b));
        else
            for (size_t i = 0; i + 1 < bytes.size(); i += 2)
                text += char16_t(uint8_t(bytes[i]) | (uint8_t(bytes[i + 1]) << 8));
        return text;
    }
    if (bytes.empty()) return text;
    if (bytes.size() > INT32_MAX - 8) RaiseAllocationFailure(static_cast<int64_t>(bytes.size()));
    int32_t n = static_cast<int32_t>(bytes.size());
    text.resize(bytes.size());
    int32_t m = CallDllCommand<int32_t>(kDllMultiByteToWideChar, CodePageOf(coding), uint32_t(0), bytes.data(), n,
                                        &text[0], n);
    text.resize(m > 0 ? m : 0);
    return text;
}

std::u16string Misread(const std::u16string& text, MojibakeStep step) {
    return DecodeAs(EncodeAs(text, step.real), step.shownAs);
}

std::vector<MojibakeCandidate> RecoverMojibake(const std::u16string& garbled) {
    std::vector<MojibakeCandidate> found;
    if (garbled.size() <= kWholeLimit) {
        found = Search(garbled);
    } else {
        size_t cut = kSampleUnits;
        if (IsLow(garbled[cut])) ++cut;
        std::vector<MojibakeCandidate> ranked = Search(garbled.substr(0, cut));
        for (MojibakeCandidate& c : ranked) {
            if (found.size() == kWholeCandidates) break;
            if (UndoChain(garbled, &c)) found.push_back(std::move(c));
        }
    }
    for (MojibakeCandidate& c : found) c.label = Label(c);
    return found;
}

std::u16string LostTextNote(const std::u16string& text) {
    size_t first = text.size(), firstLength = 0, runs = 0;
    const LostKind* kind = nullptr;
    for (size_t i = 0; i < text.size();) {
        size_t length = 0;
        for (const LostKind& k : kLostKinds) {
            if ((length = LostRunAt(text, i, k)) > 0) {
                if (!kind) {
                    kind = &k;
                    first = i;
                    firstLength = length;
                }
                ++runs;
                break;
            }
        }
        i += length > 0 ? length : 1;
    }
    if (!kind) return u"";
    size_t place = 1;
    for (size_t i = 0; i < first; ++i) place += IsLow(text[i]) && i > 0 && IsHigh(text[i - 1]) ? 0 : 1;
    std::u16string run = text.substr(first, std::min<size_t>(firstLength, 12));
    if (firstLength > 12) run += u"…";
    std::u16string note = u"提示：第" + Decimal(place) + u"个字符起的“" + run + u"”无法恢复：" + kind->why;
    if (runs > 1) note += u"（全文共" + Decimal(runs) + u"处）";
    return note + u"。";
}

std::u16string MissingConverterNote() {
    std::u16string names;
    for (int c = 0; c <= kCodingEucKr; ++c) {
        if (Converts(MojibakeCoding(c))) continue;
        if (!names.empty()) names += u"、";
        names += std::u16string(CodingName(MojibakeCoding(c))) + u"（代码页" + Decimal(CodePageOf(MojibakeCoding(c))) + u"）";
    }
    return names.empty() ? u"" : u"提示：系统没有" + names + u"的转换表，与之有关的误读未试。";
}

std::u16string MojibakeReport(const std::u16string& garbled) {
    if (garbled.empty()) return u"";
    std::vector<MojibakeCandidate> found = RecoverMojibake(garbled);
    std::u16string note = LostTextNote(garbled);
    // A lost part can also show only once the misreading over it is undone ("ï¿½" is U+FFFD).
    for (size_t i = 0; note.empty() && i < found.size() && i < 5; ++i) note = LostTextNote(found[i].text);
    std::u16string report = note.empty() ? u"" : note + u"\r\n";
    for (size_t i = 0; i < found.size() && i < 5; ++i) report += found[i].label + u"： " + Shown(found[i].text) + u"\r\n";
    std::u16string missing = MissingConverterNote();
    return missing.empty() ? report : report + missing + u"\r\n";
}

int32_t UnitsBlockSize(int64_t count) { return CheckedBlockSize(2 * count + 8) - 8; }

ByteSetVar MojibakeReportUnits(const ByteSetVar& units) {
    std::u16string report = MojibakeReport(Units(units));
    ByteSetVar out = ByteSetToFill(UnitsBlockSize(static_cast<int64_t>(report.size())));
    for (size_t i = 0; i < report.size(); ++i) {
        out.data()[2 * i] = uint8_t(report[i] & 0xFF);
        out.data()[2 * i + 1] = uint8_t(report[i] >> 8);
    }
    return out;
}
