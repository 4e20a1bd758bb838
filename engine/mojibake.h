// 乱码恢复: finds which one or two misreadings turned a text into garbage, undoes them and
// ranks what comes out by how much it looks like text.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/variables.h"

enum MojibakeCoding : uint8_t {
    kCodingGbk, kCodingBig5, kCodingUtf8, kCodingCp1252, kCodingLatin1, kCodingUtf16Le, kCodingShiftJis, kCodingEucKr
};

// One misreading: the bytes of a text in `real`, shown as if they were `shownAs`.
struct MojibakeStep {
    MojibakeCoding real;
    MojibakeCoding shownAs;
};

// The misreadings the search tries: the real coding of Chinese text is UTF-8, GBK, BIG5 or
// UTF-16LE; a Western code page only ever does the wrong reading (a text saved back in it
// gives its bytes again, so as a real coding it adds nothing a single step lacks). UTF-8 of
// every language is read as Windows-1252, ISO-8859-1, GBK, BIG5 and Shift_JIS; beside them
// the East Asian misreadings of Chinese systems: Shift_JIS read as GBK and back, EUC-KR as GBK.
extern const MojibakeStep kMojibakeSteps[];
extern const int kMojibakeStepCount;

struct MojibakeCandidate {
    std::u16string text;
    std::u16string label;     // the chain in plain words; "原文" for the input itself
    MojibakeStep steps[2];    // in the order they happened
    int stepCount;            // 0 for the input itself
    bool droppedTail;         // an incomplete last character was left out
    bool restored;            // bytes lost on the way (a Western code page's invisible ones) put back
    double score;
};

// Every distinct exact undoing of up to two misreadings, the input itself included, most
// plausible first. Deterministic: ties go to the shorter chain, then to the order of the steps.
std::vector<MojibakeCandidate> RecoverMojibake(const std::u16string& garbled);

// The "提示：" line (without a line break) naming the first part of the text that no undoing
// can bring back, and why; empty when there is none.
std::u16string LostTextNote(const std::u16string& text);

// The "提示：" line (without a line break) naming the code pages the system has no converter
// for, whose misreadings are not tried; empty when it has them all.
std::u16string MissingConverterNote();

// The report of the 乱码恢复 menu item: the note line when part of the text is lost, then at
// most five candidates, best first, "LABEL： TEXT" each, then the missing-converter line when
// there is one, every line ending in CR LF.
std::u16string MojibakeReport(const std::u16string& garbled);
// The same on the input box's UTF-16 units, as units.
ByteSetVar MojibakeReportUnits(const ByteSetVar& units);
// The bytes of a byte set of that many units, reckoned in 64 bits (a report is several times
// as long as its input): past what a byte set holds, the allocation-failure report.
int32_t UnitsBlockSize(int64_t count);

// A text's bytes in a coding, and bytes read in a coding, as a program that knows no better
// does it: what the coding cannot hold becomes its replacement character.
std::string EncodeAs(const std::u16string& text, MojibakeCoding coding);
std::u16string DecodeAs(const std::string& bytes, MojibakeCoding coding);
// What a misreading makes of a text.
std::u16string Misread(const std::u16string& text, MojibakeStep step);
