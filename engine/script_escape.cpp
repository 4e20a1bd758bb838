#include "engine/script_escape.h"

#include <climits>
#include <cstring>
#include <utility>

#include "engine/codepage.h"
#include "engine/gbk_runs.h"
#include "engine/progress.h"
#include "engine/service_failure.h"
#include "runtime/dll_commands.h"
#include "runtime/library.h"
#include "runtime/library_com.h"
#include "runtime/commands_com.h"
#include "runtime/exit_path.h"
#include "runtime/memory.h"

namespace {
ScriptPath g_path = ScriptPath::kObjectsWhenWorking;


// COM is initialised around each use of an object, as late-bound system calls.
struct ComUse {
    ComUse() { CallDllCommand<long>(kDllCoInitialize, static_cast<void*>(nullptr)); }
    ~ComUse() { CallDllCommand<void>(kDllCoUninitialize); }
};

const char kScriptBeforeLiteral[] = "function xx(){var x='";
const char kScriptAfterLiteral[] = "';return ";
const char kScriptEngine[] = "系统的脚本引擎（ScriptControl）";

// One script engine for the process: made on first use, kept while it works, let go at
// exit. One engine for each conversion wore the system out: Wine keeps about 2 MB of
// address space for each, and after some 1,900 runs none could be made any more. The
// engine keeps COM initialised for as long as it lives.
class SharedScript {
public:
    ComObjectVar* Get() {
        if (object_.holdsObject()) return &object_;
        if (!comHeld_) CallDllCommand<long>(kDllCoInitialize, static_cast<void*>(nullptr));
        comHeld_ = true;
        if (ComCreate(object_, "ScriptControl") && ComSetProperty(object_, "Language", TextArg("JScript"))) {
            if (!exitStepAdded_) AddExitStep(ReleaseScriptEngine);
            exitStepAdded_ = true;
            return &object_;
        }
        Release();
        return nullptr;
    }
    void Release() {
        ComRelease(object_);
        if (comHeld_) CallDllCommand<void>(kDllCoUninitialize);
        comHeld_ = false;
    }

private:
    ComObjectVar object_{ComObjectVar::Kept()};
    bool comHeld_ = false;
    bool exitStepAdded_ = false;
};

// Never destroyed with the program's statics: the exit path lets it go while COM still runs.
SharedScript& Script() {
    static SharedScript* script = new SharedScript;
    return *script;
}

enum class ScriptRun { kNoEngine, kRan, kFailed };

// Runs "function xx" of the script source through the shared engine and gives its result as
// units. kNoEngine when there is no working engine: the caller computes the result itself,
// and source is as it was. Otherwise the source is let go once the script has its own copy:
// a long text need not be held twice. kFailed when the engine refused the script or its
// call; the engine is then let go, so that the next conversion starts with a fresh one.
ScriptRun RunSource(TextVar& source, ByteSetVar* result) {
    if (g_path == ScriptPath::kOwnOnly) return ScriptRun::kNoEngine;
    ComObjectVar* script = Script().Get();
    if (!script) return ScriptRun::kNoEngine;
    ComCall(*script, "ExecuteStatement", {TextArg(source)});
    source = TextVar();
    // A script that did not compile left the last conversion's function in place: it must
    // not be run.
    if (ComLastError() == 0) {
        *result = ComCallUnits(*script, "Run", {TextArg("xx")});
        if (ComLastError() == 0) return ScriptRun::kRan;
    }
    Script().Release();
    return ScriptRun::kFailed;
}

// ---- The program's own script engine: the string literal, then escape/unescape on UTF-16.

// A view of UTF-16 little-endian units for the loops: the writes through a byte pointer
// could alias a byte set's header, so reading through the variable would load it again
// for every unit.
struct UnitSpan {
    const uint8_t* d;
    int32_t n;
    int32_t count() const { return n; }
    int32_t at(int32_t i) const { return d[2 * i] | (d[2 * i + 1] << 8); }
};
UnitSpan SpanOf(const ByteSetVar& bytes) { return {bytes.data(), bytes.size() / 2}; }

struct Units {
    ByteSetVar bytes;  // UTF-16 little-endian
    int32_t count() const { return bytes.size() / 2; }
    UnitSpan span() const { return SpanOf(bytes); }
};

bool IsHex(int32_t u) { return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'F') || (u >= 'a' && u <= 'f'); }
int32_t HexValue(int32_t u) { return u <= '9' ? u - '0' : (u | 0x20) - 'a' + 10; }
bool IsOctal(int32_t u) { return u >= '0' && u <= '7'; }
bool IsLineTerminator(int32_t u) { return u == 0x0A || u == 0x0D || u == 0x2028 || u == 0x2029; }

// A byte set for that many units; more than a byte set holds fails as an allocation does.
ByteSetVar UnitsToFill(int64_t units) {
    if (units > (INT32_MAX - 8) / 2) RaiseAllocationFailure(2 * units);
    return ByteSetToFill(units > 0 ? static_cast<int32_t>(units * 2) : 2);
}

// A growing run of UTF-16 units in a byte set sized for the worst case.
struct UnitWriter {
    ByteSetVar out;
    uint8_t* w;
    int32_t used = 0;
    explicit UnitWriter(int64_t maxUnits) : out(UnitsToFill(maxUnits)), w(out.data()) {}
    void put(int32_t u) {
        w[used++] = static_cast<uint8_t>(u & 255);
        w[used++] = static_cast<uint8_t>((u >> 8) & 255);
    }
    ByteSetVar take() { return used == out.size() ? std::move(out) : ByteSetLeft(out, used); }
};

// Where a loop over n units reports: once per block of them.
inline int32_t BlockEnd(int32_t i, int32_t n) { return n - i > kProgressBlock / 2 ? i + kProgressBlock / 2 : n; }

// Reads the single-quoted literal's content as the script engine does. False when the
// literal would not compile: a line break, or a backslash escaping the closing quote.
bool ReadLiteral(const char* text, Units* value) {
    ByteSetVar sourceUnits = AnsiToUtf16Bytes(text, true);
    UnitSpan source = SpanOf(sourceUnits);
    int32_t n = source.count();
    UnitWriter w(n);
    for (int32_t i = 0, blockEnd = BlockEnd(0, n); i < n; ++i) {
        if (i >= blockEnd) {
            ReportProgress(i, n);
            blockEnd = BlockEnd(i, n);
        }
        int32_t u = source.at(i);
        if (IsLineTerminator(u)) return false;
        if (u != '\\') {
            w.put(u);
            continue;
        }
        if (++i >= n) return false;  // the backslash takes the closing quote
        u = source.at(i);
        switch (u) {
        case 'n': w.put(0x0A); break;
        case 'r': w.put(0x0D); break;
        case 't': w.put(0x09); break;
        case 'b': w.put(0x08); break;
        case 'f': w.put(0x0C); break;
        case 'v': w.put(0x0B); break;
        case 'x':
        case 'u': {
            // Too few hexadecimal digits make the literal invalid, as the system's engine has it.
            int32_t digits = u == 'x' ? 2 : 4;
            if (i + digits >= n) return false;
            int32_t code = 0;
            for (int32_t k = 1; k <= digits; ++k) {
                if (!IsHex(source.at(i + k))) return false;
                code = code * 16 + HexValue(source.at(i + k));
            }
            w.put(code);
            i += digits;
            break;
        }
        default:
            if (IsLineTerminator(u)) return false;
            if (IsOctal(u)) {
                // Up to three octal digits.
                int32_t value = u - '0';
                int32_t more = 2;
                while (more-- > 0 && i + 1 < n && IsOctal(source.at(i + 1))) value = value * 8 + (source.at(++i) - '0');
                w.put(value);
            } else {
                w.put(u);
            }
        }
    }
    value->bytes = w.take();
    return true;
}

bool KeptByEscape(int32_t u) {
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '@' || u == '*' ||
           u == '_' || u == '+' || u == '-' || u == '.' || u == '/';
}

TextVar OwnUnitsToGbk(const ByteSetVar& units) {
    if (units.empty()) return TextVar();
    return Utf16BytesToAnsi(units);
}

const uint32_t kApostropheUnit = 0x27, kRightQuoteUnit = 0x2019;

// Calls found(i) for each occurrence of the sequence, left to right and not overlapping,
// and other(i) for each unit outside them.
template <typename Found, typename Other>
void ScanUnits(UnitSpan in, std::initializer_list<uint16_t> sought, bool report, Found found, Other other) {
    int32_t n = in.count(), m = static_cast<int32_t>(sought.size());
    for (int32_t i = 0, blockEnd = BlockEnd(0, n); i < n;) {
        if (report && i >= blockEnd) {
            ReportProgress(i, n);
            blockEnd = BlockEnd(i, n);
        }
        bool match = i + m <= n;
        int32_t k = 0;
        for (uint16_t s : sought) {
            if (!match) break;
            match = in.at(i + k++) == s;
        }
        if (match) {
            found(i);
            i += m;
        } else {
            other(i++);
        }
    }
}

// The units with every occurrence of one unit sequence replaced by another, counted first
// so that the result is made to its size.
ByteSetVar ReplaceUnits(const ByteSetVar& units, std::initializer_list<uint16_t> sought,
                        std::initializer_list<uint16_t> replacement) {
    UnitSpan in = SpanOf(units);
    int32_t m = static_cast<int32_t>(sought.size()), r = static_cast<int32_t>(replacement.size());
    int64_t size = in.count();
    if (r != m) ScanUnits(in, sought, false, [&](int32_t) { size += r - m; }, [](int32_t) {});
    UnitWriter w(size);
    ScanUnits(in, sought, true, [&](int32_t) { for (uint16_t u : replacement) w.put(u); },
              [&](int32_t i) { w.put(in.at(i)); });
    return w.take();
}

// The same for a replacement as long as what it replaces, in the units themselves: a
// match is replaced only after it is read, and the scan goes on past it.
void ReplaceUnitsInPlace(ByteSetVar& units, std::initializer_list<uint16_t> sought,
                         std::initializer_list<uint16_t> replacement) {
    uint8_t* d = units.data();
    ScanUnits(SpanOf(units), sought, true, [&](int32_t i) {
        for (uint16_t u : replacement) {
            d[2 * i] = static_cast<uint8_t>(u & 0xFF);
            d[2 * i + 1] = static_cast<uint8_t>(u >> 8);
            ++i;
        }
    }, [](int32_t) {});
}

// The units as the content of a script literal, in ASCII: every other unit is written as a
// \u escape, which the script reads back as the same unit. A backslash before such a unit
// would only have stood for the unit itself, so the escape takes its place.
// Writes the literal to w, or only measures it when w is null; returns its length. With
// quote set, each apostrophe is read as a right quotation mark.
int64_t WriteLiteral(UnitSpan units, uint8_t* w, bool quote) {
    static const char digits[] = "0123456789ABCDEF";
    struct {
        UnitSpan units;
        bool quote;
        int32_t at(int32_t i) const {
            int32_t u = units.at(i);
            return quote && u == int32_t(kApostropheUnit) ? int32_t(kRightQuoteUnit) : u;
        }
    } in{units, quote};
    int32_t n = units.count();
    int64_t used = 0;
    bool ended = false;  // a zero byte ends the text: nothing after it counts
    auto put = [&](int32_t b) {
        if (b == 0) ended = true;
        if (ended) return;
        if (w) w[used] = static_cast<uint8_t>(b);
        ++used;
    };
    for (int32_t i = 0, blockEnd = BlockEnd(0, n); i < n && !ended; ++i) {
        if (w && i >= blockEnd) {
            ReportProgress(i, n);
            blockEnd = BlockEnd(i, n);
        }
        int32_t u = in.at(i);
        if (u == '\\' && i + 1 < n && in.at(i + 1) < 0x80) {
            put('\\');
            put(in.at(++i));
            continue;
        }
        if (u == '\\' && i + 1 < n) u = in.at(++i);
        if (u < 0x80) {
            put(u);
            continue;
        }
        for (int32_t b : {int32_t('\\'), int32_t('u'), int32_t(digits[(u >> 12) & 15]), int32_t(digits[(u >> 8) & 15]),
                          int32_t(digits[(u >> 4) & 15]), int32_t(digits[u & 15])})
            put(b);
    }
    return used;
}

// The script that returns function(x) of the units' literal (with quote, apostrophes read
// as right quotation marks, which cannot end it). The literal, several times the units'
// size, is measured first and written in its place. literalEnd: where it ends.
TextVar ScriptAroundUnits(const ByteSetVar& units, bool quote, const char* function, int32_t* literalEnd) {
    UnitSpan in = SpanOf(units);
    int32_t before = sizeof kScriptBeforeLiteral - 1;
    int64_t length = WriteLiteral(in, nullptr, quote);
    TextVar after = JoinTexts({kScriptAfterLiteral, function, "(x);}"});
    int32_t afterLength = TextLength(after);
    TextVar source = TextToFill(before + length + afterLength);  // fails past a text's size
    char* w = source.get();
    memcpy(w, kScriptBeforeLiteral, before);
    WriteLiteral(in, reinterpret_cast<uint8_t*>(w + before), quote);
    memcpy(w + before + length, after.c_str(), afterLength);
    *literalEnd = static_cast<int32_t>(before + length);
    return source;
}

// Units that are all ASCII as their text (up to a zero unit, as the text ends at its zero
// byte); false when one is not ASCII.
bool AsciiUnitsToText(const ByteSetVar& units, TextVar* text) {
    UnitSpan in = SpanOf(units);
    int32_t n = in.count();
    for (int32_t i = 0; i < n; ++i)
        if (in.at(i) >= 0x80) return false;
    *text = TextToFill(n);
    char* w = text->get();
    for (int32_t i = 0, blockEnd = BlockEnd(0, n); i < n; ++i) {
        if (i >= blockEnd) {
            ReportProgress(i, n);
            blockEnd = BlockEnd(i, n);
        }
        w[i] = static_cast<char>(in.at(i));
    }
    return true;
}

// The script literal x, then escape(x): the result is ASCII, so its units map one to one.
TextVar EscapeUnits(const Units& units) {
    static const char digits[] = "0123456789ABCDEF";
    UnitSpan value = units.span();
    int32_t n = value.count();
    UnitWriter w(static_cast<int64_t>(n) * 6);
    for (int32_t i = 0, blockEnd = BlockEnd(0, n); i < n; ++i) {
        if (i >= blockEnd) {
            ReportProgress(i, n);
            blockEnd = BlockEnd(i, n);
        }
        int32_t u = value.at(i);
        if (KeptByEscape(u)) {
            w.put(u);
        } else if (u < 256) {
            w.put('%');
            w.put(digits[u >> 4]);
            w.put(digits[u & 15]);
        } else {
            w.put('%');
            w.put('u');
            w.put(digits[(u >> 12) & 15]);
            w.put(digits[(u >> 8) & 15]);
            w.put(digits[(u >> 4) & 15]);
            w.put(digits[u & 15]);
        }
    }
    return OwnUnitsToGbk(w.take());
}

ByteSetVar UnescapeUnits(const Units& units) {
    UnitSpan value = units.span();
    int32_t n = value.count();
    UnitWriter w(n);
    for (int32_t i = 0, blockEnd = BlockEnd(0, n); i < n; ++i) {
        if (i >= blockEnd) {
            ReportProgress(i, n);
            blockEnd = BlockEnd(i, n);
        }
        int32_t u = value.at(i);
        if (u == '%') {
            if (i + 5 < n && value.at(i + 1) == 'u' && IsHex(value.at(i + 2)) && IsHex(value.at(i + 3)) &&
                IsHex(value.at(i + 4)) && IsHex(value.at(i + 5))) {
                w.put(((HexValue(value.at(i + 2)) * 16 + HexValue(value.at(i + 3))) * 16 + HexValue(value.at(i + 4))) * 16 +
                      HexValue(value.at(i + 5)));
                i += 5;
                continue;
            }
            if (i + 2 < n && IsHex(value.at(i + 1)) && IsHex(value.at(i + 2))) {
                w.put(HexValue(value.at(i + 1)) * 16 + HexValue(value.at(i + 2)));
                i += 2;
                continue;
            }
        }
        w.put(u);
    }
    return w.take();
}

ByteSetVar OwnUnescapeUnits(const char* literalText) {
    Units value;
    return ReadLiteral(literalText, &value) ? UnescapeUnits(value) : ByteSetVar();
}

ByteSetVar OwnBytesAsUnits(const ByteSetVar& bytes) {
    int32_t n = ByteSetLength(bytes);
    // The stream reads whole units, and a leading byte-order mark is not part of the text.
    int32_t start = n >= 2 && bytes.at(1) == 0xFF && bytes.at(2) == 0xFE ? 3 : 1;
    return ByteSetMiddle(bytes, start, (n - start + 1) / 2 * 2);
}
}  // namespace

void SetScriptPath(ScriptPath path) { g_path = path; }

void ReleaseScriptEngine() { Script().Release(); }

TextVar OwnScriptEscape(const char* literalText, bool* ok) {
    Units value;
    *ok = ReadLiteral(literalText, &value);
    return *ok ? EscapeUnits(value) : TextVar();
}

TextVar OwnScriptUnescape(const char* literalText, bool* ok) {
    Units value;
    *ok = ReadLiteral(literalText, &value);
    if (!*ok) return TextVar();
    ByteSetVar units = UnescapeUnits(value);
    return OwnUnitsToGbk(units);
}

TextVar OwnBytesAsUtf16Text(const ByteSetVar& bytes) { return OwnUnitsToGbk(OwnBytesAsUnits(bytes)); }

TextVar ScriptEscape(const char* text) { return ScriptEscapeUnits(GbkToUnits(text)); }

TextVar ScriptEscapeUnits(const ByteSetVar& units) {
    int32_t literalEnd;
    TextVar source = ScriptAroundUnits(units, true, "escape", &literalEnd);
    ComUse com;
    ByteSetVar r;
    switch (RunSource(source, &r)) {
    case ScriptRun::kRan: {
        // escape's result is ASCII.
        TextVar ascii;
        return AsciiUnitsToText(r, &ascii) ? std::move(ascii) : UnitsToGbk(r);
    }
    case ScriptRun::kFailed:
        // The literal is the program's own writing and always compiles: the engine failed.
        NoteServiceFailure(kScriptEngine);
        return TextVar();
    case ScriptRun::kNoEngine:
        break;
    }
    // The program's own reading takes the literal alone: the source cut after it.
    source.get()[literalEnd] = '\0';
    bool ok;
    return OwnScriptEscape(source.c_str() + sizeof kScriptBeforeLiteral - 1, &ok);
}

TextVar BytesAsUtf16Text(const ByteSetVar& bytes) {
    ByteSetVar units = BytesAsUtf16Units(bytes);
    return OwnUnitsToGbk(units);
}

ByteSetVar BytesAsUtf16Units(const ByteSetVar& bytes) {
    VariantVar data;
    VariantAssign(data, ByteSetArg(bytes.block()));
    ByteSetVar result;
    bool worked = false;
    {
        ComUse com;
        ComObjectVar stream;
        if (g_path != ScriptPath::kOwnOnly && ComCreate(stream, "Adodb.Stream")) {
            // A stream object that cannot be called (as on systems without its type
            // library) counts as missing: every step must succeed.
            worked = ComSetProperty(stream, "Type", IntArg(1)) && ComSetProperty(stream, "Mode", IntArg(3));
            if (worked) {
                ComCall(stream, "Open");
                worked = ComLastError() == 0;
            }
            if (worked) {
                ComCall(stream, "Write", {VariantArg(data)});
                worked = ComLastError() == 0 && ComSetProperty(stream, "Position", IntArg(0)) &&
                         ComSetProperty(stream, "Type", IntArg(2)) && ComSetProperty(stream, "Charset", TextArg("unicode"));
            }
            if (worked) {
                result = ComCallUnits(stream, "ReadText");
                worked = ComLastError() == 0;
                ComCall(stream, "Close");
            }
        }
        ComRelease(stream);
    }
    VariantReset(data);
    if (!worked) result = OwnBytesAsUnits(bytes);
    return result;
}

namespace {
// Line breaks as the placeholder the script keeps, and a CR left at the start dropped.
ByteSetVar MarkLineBreaks(const ByteSetVar& units) {
    ByteSetVar t = ReplaceUnits(units, {'\r', '\n'}, {'{', '$', '}'});
    if (ByteSetLength(t) >= 2 && t.at(1) == 0x0D && t.at(2) == 0) t = ByteSetRight(t, ByteSetLength(t) - 2);
    return t;
}

// The rest of the unescape on the marked units, which it owns and changes.
ByteSetVar UnescapeMarked(ByteSetVar t) {
    ReplaceUnitsInPlace(t, {'\\', 'u'}, {'%', 'u'});
    ReplaceUnitsInPlace(t, {kApostropheUnit}, {kRightQuoteUnit});
    int32_t literalEnd;
    TextVar source = ScriptAroundUnits(t, false, "unescape", &literalEnd);
    ByteSetVar u;
    {
        ComUse com;
        ScriptRun run = RunSource(source, &u);
        if (run == ScriptRun::kNoEngine) {
            source.get()[literalEnd] = '\0';
            u = OwnUnescapeUnits(source.c_str() + sizeof kScriptBeforeLiteral - 1);
        } else if (run == ScriptRun::kFailed) {
            // A literal that does not compile fails in any engine, as the program's own reading
            // finds out; one that does means the engine itself failed.
            TextVar again = ScriptAroundUnits(t, false, "unescape", &literalEnd);
            again.get()[literalEnd] = '\0';
            Units value;
            if (ReadLiteral(again.c_str() + sizeof kScriptBeforeLiteral - 1, &value)) {
                NoteServiceFailure(kScriptEngine);
                return ByteSetVar();
            }
        }
        u = Utf16BytesToUnits(u);  // the text ends at a zero unit, as a GBK text at its zero byte
        // A script that fails gives nothing: then the text's bytes are read as UTF-16. A
        // text with characters beyond GBK has no such bytes, and stays without a result.
        if (u.empty()) {
            int32_t place;
            uint32_t code;
            if (!FindNonGbkChar(t, &place, &code)) {
                TextVar gbk = UnitsToGbk(t);
                ByteSetVar raw = ToByteSet(gbk);
                u = BytesAsUtf16Units(raw);
                u = Utf16BytesToUnits(u);
            }
        }
    }
    ReplaceUnitsInPlace(u, {kRightQuoteUnit}, {kApostropheUnit});
    return ReplaceUnits(u, {'{', '$', '}'}, {'\r', '\n'});
}
}  // namespace

TextVar ScriptUnescape(const char* text) {
    // The text's own units are let go before the script runs.
    ByteSetVar marked = MarkLineBreaks(GbkToUnits(text));
    ByteSetVar units = UnescapeMarked(std::move(marked));
    return UnitsToGbk(units);
}

ByteSetVar ScriptUnescapeUnits(const ByteSetVar& units) { return UnescapeMarked(MarkLineBreaks(units)); }
