#include "engine/script_escape.h"

#include <utility>

#include "engine/codepage.h"
#include "runtime/dll_commands.h"
#include "runtime/library.h"
#include "runtime/library_com.h"
#include "runtime/commands_com.h"

namespace {
ScriptPath g_path = ScriptPath::kObjectsWhenWorking;

const char kApostrophe[] = "'";
const char kRightQuote[] = "’";
const char kLineBreak[] = "\r\n";
const char kLineBreakMark[] = "{$}";

// COM is initialised around each use of an object, as late-bound system calls.
struct ComUse {
    ComUse() { CallDllCommand<long>(kDllCoInitialize, static_cast<void*>(nullptr)); }
    ~ComUse() { CallDllCommand<void>(kDllCoUninitialize); }
};

TextVar ScriptSource(const char* literal, const char* function) {
    return JoinTexts({"function xx(){var x='", literal, "';return ", function, "(x);}"});
}

// Runs "function xx" with the literal through ScriptControl. objectWorked is false when the
// object could not be created or set up; then the caller computes the result itself.
TextVar RunScript(const char* literal, const char* function, bool* objectWorked) {
    *objectWorked = false;
    if (g_path == ScriptPath::kOwnOnly) return TextVar();
    ComObjectVar script;
    if (!ComCreate(script, "ScriptControl") || !ComSetProperty(script, "Language", TextArg("JScript")))
        return TextVar();
    *objectWorked = true;
    TextVar source = ScriptSource(literal, function);
    ComCall(script, "ExecuteStatement", {TextArg(source)});
    TextVar result = ComCallText(script, "Run", {TextArg("xx")});
    ComRelease(script);
    return result;
}

// ---- The program's own script engine: the string literal, then escape/unescape on UTF-16.

struct Units {
    ByteSetVar bytes;  // UTF-16 little-endian
    int32_t count() const { return bytes.size() / 2; }
    int32_t at(int32_t i) const { return bytes.data()[2 * i] | (bytes.data()[2 * i + 1] << 8); }
};

bool IsHex(int32_t u) { return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'F') || (u >= 'a' && u <= 'f'); }
int32_t HexValue(int32_t u) { return u <= '9' ? u - '0' : (u | 0x20) - 'a' + 10; }
bool IsOctal(int32_t u) { return u >= '0' && u <= '7'; }
bool IsLineTerminator(int32_t u) { return u == 0x0A || u == 0x0D || u == 0x2028 || u == 0x2029; }

// A growing run of UTF-16 units in a byte set sized for the worst case.
struct UnitWriter {
    ByteSetVar out;
    int32_t used = 0;
    explicit UnitWriter(int32_t maxUnits) : out(ZeroByteSet(maxUnits > 0 ? maxUnits * 2 : 2)) {}
    void put(int32_t u) {
        uint8_t* w = out.data();
        w[used++] = static_cast<uint8_t>(u & 255);
        w[used++] = static_cast<uint8_t>((u >> 8) & 255);
    }
    ByteSetVar take() { return ByteSetLeft(out, used); }
};

// Reads the single-quoted literal's content as the script engine does. False when the
// literal would not compile: a line break, or a backslash escaping the closing quote.
bool ReadLiteral(const char* text, Units* value) {
    Units source;
    source.bytes = AnsiToUtf16Bytes(text, true);
    int32_t n = source.count();
    UnitWriter w(n);
    for (int32_t i = 0; i < n; ++i) {
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

TextVar UnitsToGbk(const ByteSetVar& units) {
    if (units.empty()) return TextVar();
    return Utf16BytesToAnsi(units);
}

// The script literal x, then escape(x): the result is ASCII, so its units map one to one.
TextVar EscapeUnits(const Units& value) {
    static const char digits[] = "0123456789ABCDEF";
    int32_t n = value.count();
    UnitWriter w(n * 6);
    for (int32_t i = 0; i < n; ++i) {
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
    return UnitsToGbk(w.take());
}

TextVar UnescapeUnits(const Units& value) {
    int32_t n = value.count();
    UnitWriter w(n);
    for (int32_t i = 0; i < n; ++i) {
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
    return UnitsToGbk(w.take());
}
}  // namespace

void SetScriptPath(ScriptPath path) { g_path = path; }

TextVar OwnScriptEscape(const char* literalText, bool* ok) {
    Units value;
    *ok = ReadLiteral(literalText, &value);
    return *ok ? EscapeUnits(value) : TextVar();
}

TextVar OwnScriptUnescape(const char* literalText, bool* ok) {
    Units value;
    *ok = ReadLiteral(literalText, &value);
    return *ok ? UnescapeUnits(value) : TextVar();
}

TextVar OwnBytesAsUtf16Text(const ByteSetVar& bytes) {
    int32_t n = ByteSetLength(bytes);
    // The stream reads whole units, and a leading byte-order mark is not part of the text.
    int32_t start = n >= 2 && bytes.at(1) == 0xFF && bytes.at(2) == 0xFE ? 3 : 1;
    ByteSetVar units = ByteSetMiddle(bytes, start, (n - start + 1) / 2 * 2);
    return UnitsToGbk(units);
}

TextVar ScriptEscape(const char* text) {
    TextVar t = ReplaceSubText(text, kApostrophe, kRightQuote);
    ComUse com;
    bool objectWorked;
    TextVar r = RunScript(t, "escape", &objectWorked);
    if (objectWorked) return r;
    bool ok;
    return OwnScriptEscape(t, &ok);
}

TextVar BytesAsUtf16Text(const ByteSetVar& bytes) {
    VariantVar data;
    VariantAssign(data, ByteSetArg(bytes.block()));
    TextVar result;
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
                result = ComCallText(stream, "ReadText");
                worked = ComLastError() == 0;
                ComCall(stream, "Close");
            }
        }
        ComRelease(stream);
    }
    VariantReset(data);
    if (!worked) result = OwnBytesAsUtf16Text(bytes);
    return result;
}

TextVar ScriptUnescape(const char* text) {
    TextVar t = ReplaceSubText(text, kLineBreak, kLineBreakMark);
    if (CharCode(t, 1) == 0x0D) t = TextRight(t, TextLength(t) - 1);
    if (FindText(t, "\\u") != -1) t = ReplaceSubText(t, "\\u", "%u");
    t = ReplaceSubText(t, kApostrophe, kRightQuote);
    TextVar u;
    {
        ComUse com;
        bool objectWorked;
        TextVar s = RunScript(t, "unescape", &objectWorked);
        if (!objectWorked) {
            bool ok;
            s = OwnScriptUnescape(t, &ok);
        }
        ByteSetVar raw = ToByteSet(t);
        TextVar f = BytesAsUtf16Text(raw);
        u = s.empty() ? std::move(f) : std::move(s);
    }
    u = ReplaceSubText(u, kRightQuote, kApostrophe);
    u = ReplaceSubText(u, kLineBreakMark, kLineBreak);
    return u;
}
