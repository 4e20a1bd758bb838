#include "engine/one_click.h"

#include "engine/base64.h"
#include "engine/big5.h"
#include "engine/char_refs.h"
#include "engine/codepage.h"
#include "engine/crc32_rc4.h"
#include "engine/digests.h"
#include "engine/progress.h"
#include "engine/script_escape.h"
#include "engine/url_codec.h"
#include "runtime/library.h"

namespace {
// DigestBlock's places: the MD5, MD4, MD2, SHA-1 and CRC-32 lines and the separator.
enum { kMd5Line = 11, kMd4Line = 12, kMd2Line = 13, kSha1Line = 14, kCrc32Line = 15, kSeparatorLine = 16 };
const char* DigestLabel(int place) {
    switch (place) {
    case kMd5Line: return "取MD5值： ";
    case kMd4Line: return "取MD4值： ";
    case kMd2Line: return "取MD2值： ";
    case kSha1Line: return "取SHA1值： ";
    default: return "取CRC32值： ";
    }
}

// One conversion line. The GBK report takes its value from the text t or its bytes b. The
// Unicode report computes the Unicode lines from the units u (a value GBK text holds, or a
// value in units); the other lines it computes as the GBK report does, when it can.
typedef TextVar (*LineValue)(const char* t, const ByteSetVar& b);
typedef TextVar (*TextOfUnits)(const ByteSetVar& u);
typedef ByteSetVar (*UnitsValue)(const char* t, const ByteSetVar& b, const ByteSetVar& u);
struct LineSpec {
    const char* label;
    LineValue gbk;
    bool fromUnits;           // a Unicode line: never replaced by the prompt
    TextOfUnits textOfUnits;  // or null
    UnitsValue units;         // or null
};
const int kConversionLines = 9, kDigestLines = 5, kReportLines = 17;

TextVar Rc4Text(const char*, const ByteSetVar& b) {
    ByteSetVar r = Rc4Crypt(b, "");
    return ToText(r);
}

const LineSpec kEncodeLines[kConversionLines] = {
    {"URL解码(GBK)： ", [](const char* t, const ByteSetVar&) { return UrlEncodeBytes(t, false); }, false, nullptr, nullptr},
    {"URL解码(UTF8)： ", [](const char* t, const ByteSetVar&) { return UrlEncodeBytes(t, true); }, true, UrlEncodeUtf8Units, nullptr},
    {"RC4加密： ", Rc4Text, false, nullptr, nullptr},
    {"BASE64编码： ", [](const char*, const ByteSetVar& b) { return Base64Encode(b); }, false, nullptr, nullptr},
    {"ansi转usc2： ", [](const char* t, const ByteSetVar&) { return ScriptEscape(t); }, true, ScriptEscapeUnits, nullptr},
    {"Ansi转Unicode： ", [](const char* t, const ByteSetVar&) { ByteSetVar u = AnsiToUtf16Bytes(t, false); return ToText(u); }, true,
     [](const ByteSetVar& u) { ByteSetVar bytes = UnitsToUtf16Bytes(u, false); return ToText(bytes); }, nullptr},
    {"Ansi转Unicode1： ", [](const char* t, const ByteSetVar&) { return TextToCharRefs(t); }, true, UnitsToCharRefs, nullptr},
    {"GB2312转UTF8： ", [](const char* t, const ByteSetVar&) { return GbkToUtf8(t); }, true, UnitsToUtf8, nullptr},
    {"简体转BIG5： ", [](const char* t, const ByteSetVar&) { return SimplifiedToBig5(t); }, false, nullptr, nullptr},
};
const int kEncodeDigestOrder[kDigestLines] = {kMd2Line, kMd4Line, kMd5Line, kSha1Line, kCrc32Line};

const LineSpec kDecodeLines[kConversionLines] = {
    {"URL解码(GBK)： ", [](const char* t, const ByteSetVar&) { return UrlDecodeBytes(t, false); }, false, nullptr, nullptr},
    {"URL解码(UTF8)： ", [](const char* t, const ByteSetVar&) { return UrlDecodeBytes(t, true); }, true, nullptr,
     [](const char*, const ByteSetVar&, const ByteSetVar& u) { return UrlDecodeUtf8Units(u); }},
    {"RC4解密： ", Rc4Text, false, nullptr, nullptr},
    {"BASE64解码： ", [](const char* t, const ByteSetVar&) { ByteSetVar d = Base64Decode(t); return ToText(d); }, false, nullptr, nullptr},
    {"usc2转ansi： ", [](const char* t, const ByteSetVar&) { return ScriptUnescape(t); }, true, nullptr,
     [](const char*, const ByteSetVar&, const ByteSetVar& u) { return ScriptUnescapeUnits(u); }},
    // These three read the input's GBK bytes; what they give can be any text.
    {"Unicode转Ansi： ", [](const char*, const ByteSetVar& b) { return Utf16BytesToAnsi(b); }, false, nullptr,
     [](const char*, const ByteSetVar& b, const ByteSetVar&) { return Utf16BytesToUnits(b); }},
    {"Unicode转Ansi1： ", [](const char*, const ByteSetVar& b) { return BytesAsUtf16Text(b); }, false, nullptr,
     [](const char*, const ByteSetVar& b, const ByteSetVar&) { return Utf16BytesToUnits(BytesAsUtf16Units(b)); }},
    {"utf8转gb2312： ", [](const char* t, const ByteSetVar&) { return Utf8ToGbk(t); }, false, nullptr,
     [](const char* t, const ByteSetVar&, const ByteSetVar&) { return Utf8ToUnits(t); }},
    {"BIG5转简体： ", [](const char* t, const ByteSetVar&) { return Big5ToSimplified(t); }, false, nullptr, nullptr},
};
const int kDecodeDigestOrder[kDigestLines] = {kMd5Line, kMd4Line, kMd2Line, kSha1Line, kCrc32Line};

TextVar Line(const char* label, const char* value) { return JoinTexts({label, value, "\r\n"}); }

// Nine conversion lines, the separator, the digest block's five lines in the report's
// order, then SHA-256 and SHA-512: seventeen lines, each ending in CR LF.
TextVar Report(const char* t, const LineSpec (&lines)[kConversionLines], const int (&order)[kDigestLines]) {
    ByteSetVar b = ToByteSet(t);
    DigestBlockTexts block = DigestBlock(t);
    TextVar report[kReportLines];
    for (int i = 0; i < kConversionLines; ++i) {
        TextVar value = lines[i].gbk(t, b);
        report[i] = Line(lines[i].label, value);
    }
    report[9] = JoinTexts({block.at(kSeparatorLine)});
    for (int i = 0; i < kDigestLines; ++i) report[10 + i] = JoinTexts({block.at(order[i])});
    TextVar sha256 = Sha256Hex(b);
    TextVar sha512 = Sha512Hex(b);
    report[15] = Line("取sha256值： ", sha256);
    report[16] = Line("取sha512值： ", sha512);
    return JoinTexts({report[0], report[1], report[2], report[3], report[4], report[5], report[6], report[7],
                      report[8], report[9], report[10], report[11], report[12], report[13], report[14], report[15],
                      report[16]});
}

// A line of GBK text as units; whole lines are converted, so each reads as it did in a
// GBK report shown in the box.
ByteSetVar UnitsLine(const char* line) { return GbkToUnits(line); }

ByteSetVar NoteLine(const char* label, const ByteSetVar& note) {
    ByteSetVar head = GbkToUnits(label), end = GbkToUnits("\r\n");
    return JoinByteSets({&head, &note, &end});
}

// The report's progress in equal steps: the GBK form, the nine lines, the digest block,
// SHA-256 and SHA-512.
const int kReportSteps = 13;
class ReportStep : public ProgressStage {
public:
    explicit ReportStep(int k) : ProgressStage(double(k) / kReportSteps, double(k + 1) / kReportSteps) {}
};

ByteSetVar UnitsReport(const ByteSetVar& u, const LineSpec (&lines)[kConversionLines], const int (&order)[kDigestLines]) {
    ByteSetVar note;
    TextVar t;
    {
        ReportStep reading(0);
        // The note replaces what would be computed from a GBK form with "?" in it.
        note = NonGbkPrompt(u);
        if (note.empty()) t = UnitsToGbk(u);
    }
    bool gbk = note.empty();
    ByteSetVar b = ToByteSet(t);
    ByteSetVar report[kReportLines];
    for (int i = 0; i < kConversionLines; ++i) {
        ReportStep step(1 + i);
        const LineSpec& line = lines[i];
        if (!gbk && !line.fromUnits) {
            report[i] = NoteLine(line.label, note);
        } else if (line.units) {
            ByteSetVar value = line.units(t, b, u);
            ByteSetVar head = GbkToUnits(line.label), end = GbkToUnits("\r\n");
            report[i] = JoinByteSets({&head, &value, &end});
        } else {
            TextVar value = line.textOfUnits ? line.textOfUnits(u) : line.gbk(t, b);
            report[i] = UnitsLine(Line(line.label, value));
        }
    }
    report[9] = UnitsLine("--------------------------------------------------\r\n");
    if (gbk) {
        DigestBlockTexts block;
        {
            ReportStep step(10);
            block = DigestBlock(t);
        }
        for (int i = 0; i < kDigestLines; ++i) report[10 + i] = UnitsLine(block.at(order[i]));
        TextVar sha256, sha512;
        {
            ReportStep step(11);
            sha256 = Sha256Hex(b);
        }
        {
            ReportStep step(12);
            sha512 = Sha512Hex(b);
        }
        report[15] = UnitsLine(Line("取sha256值： ", sha256));
        report[16] = UnitsLine(Line("取sha512值： ", sha512));
    } else {
        for (int i = 0; i < kDigestLines; ++i) report[10 + i] = NoteLine(DigestLabel(order[i]), note);
        report[15] = NoteLine("取sha256值： ", note);
        report[16] = NoteLine("取sha512值： ", note);
    }
    const ByteSetVar* parts[kReportLines];
    for (int i = 0; i < kReportLines; ++i) parts[i] = &report[i];
    return JoinByteSets(parts, kReportLines);
}
}  // namespace

TextVar OneClickEncode(const char* text) { return Report(text, kEncodeLines, kEncodeDigestOrder); }
TextVar OneClickDecode(const char* text) { return Report(text, kDecodeLines, kDecodeDigestOrder); }
ByteSetVar OneClickEncodeUnits(const ByteSetVar& units) { return UnitsReport(units, kEncodeLines, kEncodeDigestOrder); }
ByteSetVar OneClickDecodeUnits(const ByteSetVar& units) { return UnitsReport(units, kDecodeLines, kDecodeDigestOrder); }
