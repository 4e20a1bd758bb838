#include "console/run.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "console/read_ahead.h"
#include "console/slicing.h"
#include "engine/codepage.h"
#include "engine/gbk_runs.h"
#include "engine/progress.h"
#include "engine/service_failure.h"
#include "runtime/library.h"

namespace wht_console {

namespace {
// Pieces of 16 KB: big enough that each costs little besides its conversion, small enough
// that every block a piece needs (three times its size for some results) stays below the
// size for which the heap asks the system for fresh pages each time (64 KB under Wine).
const size_t kPiece = 16 << 10;
// Input is read a megabyte at a time and handed on in pieces.
const size_t kRead = 1 << 20;
// Files from this size on are read by a thread of their own while they are digested.
const size_t kReadAheadFrom = 4 << 20;
// A byte set counts its length in 32 bits.
const size_t kMostBytes = 0x7FFFFFF0u;
// Results are encoded for their output this many units at a time, so that a result of any
// size (a report of gigabytes) is written whole.
const size_t kOutUnits = 8 << 20;

const char kNotUtf8[] = "提示：输入从第%llu个字节起不是有效的UTF-8；用 --in 说明它的编码（gbk、utf-16le、utf-16be）。";
const char kNotUtf8Bytes[] = "提示：输入从第%llu个字节起不是有效的UTF-8。";
const char kChangedMind[] =
    "提示：输入从第%llu个字节起不是有效的UTF-8，前面的部分却是：编码没法从开头看出来，已写出的结果不完整；用 --in gbk 或 --in utf-8 说明它的编码。";
const char kOddUtf16[] = "提示：UTF-16的输入有单数个字节，最后一个字节不成字符。";
const char kZeroChar[] = "提示：输入里有零字符（U+0000），这项转换只能处理文本。";

std::string Printed(const char* format, unsigned long long n) {
    char line[512];
    snprintf(line, sizeof line, format, n);
    return line;
}

size_t HoldLimit(const Conversion& c) { return c.reads == Form::kBytes ? kMostBytes : kMostBytes / 2; }

ByteSetVar CopyBytes(const uint8_t* p, size_t n) {
    if (n == 0) return ByteSetVar();
    ByteSetVar b = ZeroByteSet(static_cast<int32_t>(n));
    memcpy(b.data(), p, n);
    return b;
}

std::string UnitsMessage(const ByteSetVar& units) {
    ByteSetVar utf8 = EncodeText(units, TextEncoding::kUtf8);
    return std::string(reinterpret_cast<const char*>(utf8.data()), utf8.size());
}

bool IsAscii(const uint8_t* p, size_t n) {
    uint8_t any = 0;
    for (size_t k = 0; k < n; ++k) any |= p[k];
    return any < 0x80;
}

// Characters (a surrogate pair is one) in count units.
int64_t CharCount(const uint8_t* p, size_t count) {
    int64_t low = 0;
    for (size_t k = 0; k < count; ++k) low += p[2 * k + 1] >= 0xDC && p[2 * k + 1] <= 0xDF;
    return static_cast<int64_t>(count) - low;
}

// "wht: sha256 37%" on a terminal's standard error once the work has taken a second.
class ProgressLine {
public:
    ProgressLine(const char* name, bool shown, int64_t total)
        : name_(name), shown_(shown), total_(total), start_(std::chrono::steady_clock::now()) {
        current = this;
    }
    ~ProgressLine() {
        current = nullptr;
        if (written_) WriteErrorRaw("\r                              \r");
    }
    void Bytes(int64_t done) {
        if (stopRequested) throw Stopped();
        if (total_ > 0) Percent(static_cast<int>(done * 100 / total_));
    }
    void Percent(int percent) {
        if (stopRequested) throw Stopped();
        if (!shown_ || percent == last_ || std::chrono::steady_clock::now() - start_ < std::chrono::seconds(1)) return;
        last_ = percent;
        WriteErrorRaw("\rwht: " + std::string(name_) + " " + std::to_string(percent) + "%");
        written_ = true;
    }
    static ProgressLine* current;

private:
    const char* name_;
    bool shown_;
    int64_t total_;
    std::chrono::steady_clock::time_point start_;
    int last_ = -1;
    bool written_ = false;
};
ProgressLine* ProgressLine::current = nullptr;

// A conversion held whole reports its own progress through the engine's listener; Ctrl+C
// stops it there too.
void EngineProgress(int32_t percent) {
    if (ProgressLine::current) ProgressLine::current->Percent(percent);
}

void SwapPairs(uint8_t* p, size_t n) {
    for (size_t k = 0; k + 1 < n; k += 2) std::swap(p[k], p[k + 1]);
}

// Where the output's encoding of a long result may be cut: never inside a character.
size_t GbkSliceEnd(const uint8_t* p, size_t n) {
    if (n <= 2 * kOutUnits) return n;
    for (size_t k = 2 * kOutUnits; k > kOutUnits; --k)
        if (p[k - 1] < 0x40) return k;
    return n;  // no safe place in a long run of double-byte characters: all at once
}

class Runner {
public:
    Runner(const Conversion& c, ByteSink& output, const RunOptions& options) : c_(c), output_(output) {
        target_ = options.out != TextEncoding::kAuto ? options.out
                  : c.defaultOut != TextEncoding::kAuto ? c.defaultOut
                  : output.IsConsole() ? TextEncoding::kAuto  // the console window's own way
                                       : TextEncoding::kUtf8;
        switch (c.reads) {
        case Form::kText:
            encoding_ = options.in;
            bigEndian_ = options.in == TextEncoding::kUtf16Le && options.inBigEndian;
            break;
        case Form::kGbk: encoding_ = TextEncoding::kGbk; break;
        case Form::kUtf8: encoding_ = TextEncoding::kUtf8; break;
        case Form::kUtf16: encoding_ = TextEncoding::kUtf16Le; break;
        case Form::kBytes: break;
        }
        if (encoding_ == TextEncoding::kUtf8Bom) encoding_ = TextEncoding::kUtf8;
    }

    bool undecided() const { return c_.reads == Form::kText && encoding_ == TextEncoding::kAuto; }
    void Decide(TextEncoding e) { encoding_ = e; }
    int unitSize() const { return encoding_ == TextEncoding::kUtf16Le ? 2 : 1; }
    bool bigEndian() const { return bigEndian_; }

    // A BOM says the encoding of a text input when none was named, and is never part of
    // the text. How many bytes it takes at the start of p.
    size_t TakeByteOrderMark(const uint8_t* p, size_t n) {
        if (c_.reads == Form::kBytes || c_.reads == Form::kGbk) return 0;
        bool utf8 = n >= 3 && memcmp(p, "\xEF\xBB\xBF", 3) == 0;
        bool le = n >= 2 && p[0] == 0xFF && p[1] == 0xFE, be = n >= 2 && p[0] == 0xFE && p[1] == 0xFF;
        if (encoding_ == TextEncoding::kAuto) {
            if (utf8) encoding_ = TextEncoding::kUtf8;
            if (le || be) encoding_ = TextEncoding::kUtf16Le;
        }
        if (utf8 && encoding_ == TextEncoding::kUtf8) return 3;
        // Read as UTF-16, the mark says the byte order, whatever was assumed.
        if ((le || be) && encoding_ == TextEncoding::kUtf16Le) {
            bigEndian_ = be;
            return 2;
        }
        return 0;
    }

    // Converts n bytes (taken after `skipped` bytes of the input) and writes the result.
    void Piece(const uint8_t* p, size_t n, bool last) {
        if (n > HoldLimit(c_)) throw std::bad_alloc();
        // GBK text the box would keep as it is: the step takes those bytes themselves.
        int64_t characters;
        if (c_.textStep && (encoding_ == TextEncoding::kGbk || (encoding_ == TextEncoding::kAuto && IsAscii(p, n))) &&
            GbkKeepsBytes(p, n, &characters)) {
            TextVar text = TextToFill(static_cast<int64_t>(n));
            if (n) memcpy(text.get(), p, n);
            StepResult r = c_.textStep(text, placesIn_);
            placesIn_ += characters;
            bytesIn_ += n;
            if (!r.prompt.empty()) throw ConversionRefused{UnitsMessage(r.prompt)};
            return Write(r);
        }
        if (c_.direct.write && (c_.writes != Form::kText || target_ == TextEncoding::kGbk || target_ == TextEncoding::kUtf8) &&
            WriteDirect(c_.direct, p, n)) {
            bytesIn_ += n;
            return;
        }
        ByteSetVar in;
        if (c_.reads == Form::kBytes) {
            in = CopyBytes(p, n);
        } else {
            in = Decode(p, n, last);
            // The text routines end a text at its first zero: a zero character is refused,
            // never a reason to drop the rest. The code-page items keep it as a character.
            if (c_.reads == Form::kText && UnitsBeforeZero(in) < ByteSetLength(in) / 2) throw ConversionRefused{kZeroChar};
            if (c_.value == Value::kOneLine && last) in = WithoutLineBreak(in);
        }
        bytesIn_ += n;
        if (c_.step == UnitsAsTheyAre) {
            WriteUnits(in.data(), in.size() / 2);
            return;
        }
        StepResult r = c_.step(in, placesIn_);
        if (c_.reads != Form::kBytes) placesIn_ += CharCount(in.data(), in.size() / 2);
        if (!r.prompt.empty()) throw ConversionRefused{UnitsMessage(r.prompt)};
        Write(r);
    }

    void Write(const StepResult& r) {
        const ByteSetVar& d = r.data;
        if (d.empty()) return;
        if (r.produced == Produced::kUnits) return WriteUnits(d.data(), d.size() / 2);
        if (c_.writes == Form::kBytes || r.produced == Produced::kBytes) return output_.Write(d.data(), d.size());
        // GBK text: written as it is where GBK is asked for, and ASCII is the same in UTF-8.
        if (target_ == TextEncoding::kGbk || (target_ == TextEncoding::kUtf8 && IsAscii(d.data(), d.size())))
            return output_.Write(d.data(), d.size());
        if (target_ == TextEncoding::kUtf8 && WriteDirect(kGbkAsUtf8, d.data(), d.size())) return;
        const uint8_t* p = d.data();
        for (size_t left = d.size(); left > 0;) {
            size_t n = GbkSliceEnd(p, left);
            ByteSetVar units;
            DecodeTextBody(p, n, TextEncoding::kGbk, &units);
            WriteUnits(units.data(), units.size() / 2);
            p += n;
            left -= n;
        }
    }

private:
    // The bytes converted straight into the output's own buffer; false when the conversion
    // leaves them to the two-step way.
    bool WriteDirect(const Direct& direct, const uint8_t* p, size_t n) {
        int64_t m = direct.write(p, n, output_.Room(direct.room(n)));
        if (m < 0) return false;
        output_.Used(static_cast<size_t>(m));
        return true;
    }

    ByteSetVar Decode(const uint8_t* p, size_t n, bool last) {
        ByteSetVar units;
        if (encoding_ == TextEncoding::kAuto) {
            // Undecided (a pipe): ASCII reads the same either way; the first piece that is not
            // ASCII decides, valid UTF-8 or else GBK.
            if (IsAscii(p, n)) {
                DecodeTextBody(p, n, TextEncoding::kUtf8, &units);
                return units;
            }
            encoding_ = Utf8ValidPrefix(p, n) == n ? TextEncoding::kUtf8 : TextEncoding::kGbk;
            sampled_ = encoding_ == TextEncoding::kUtf8;
        }
        if (encoding_ == TextEncoding::kUtf16Le) {
            if (last && n % 2) throw ConversionRefused{kOddUtf16};
            DecodeTextBody(p, n, TextEncoding::kUtf16Le, &units);
            return units;
        }
        if (encoding_ == TextEncoding::kUtf8) {
            size_t valid = Utf8ValidPrefix(p, n);
            if (valid < n) {
                const char* why = sampled_ ? kChangedMind : c_.reads == Form::kText ? kNotUtf8 : kNotUtf8Bytes;
                throw ConversionRefused{Printed(why, skipped + bytesIn_ + valid + 1)};
            }
        }
        if (!DecodeTextBody(p, n, encoding_, &units)) throw std::bad_alloc();
        return units;
    }

    static ByteSetVar WithoutLineBreak(const ByteSetVar& units) {
        size_t n = units.size() / 2;
        const uint8_t* p = units.data();
        auto is = [&](size_t k, char c) { return k < n && p[2 * k] == c && p[2 * k + 1] == 0; };
        if (n > 0 && is(n - 1, '\n')) --n;
        if (n > 0 && is(n - 1, '\r')) --n;
        return ByteSetLeft(units, static_cast<int32_t>(2 * n));
    }

    void WriteUnits(const uint8_t* units, size_t count) {
        if (count == 0) return;
        if (c_.writes == Form::kUtf16 || (c_.writes == Form::kText && target_ == TextEncoding::kUtf16Le))
            return output_.Write(units, 2 * count);
        if (c_.writes == Form::kText && target_ == TextEncoding::kAuto) return output_.WriteUnits(units, count);
        TextEncoding e = c_.writes == Form::kUtf8 ? TextEncoding::kUtf8 : target_;
        while (count > 0) {
            size_t n = count;
            if (n > kOutUnits) {
                n = kOutUnits;
                uint8_t high = units[2 * n - 1];
                if (high >= 0xD8 && high <= 0xDB) --n;  // never between the halves of a pair
            }
            ByteSetVar slice = CopyBytes(units, 2 * n);
            if (e == TextEncoding::kGbk) {
                ByteSetVar prompt = NonGbkPrompt(slice, placesOut_);
                if (!prompt.empty()) throw ConversionRefused{UnitsMessage(prompt)};
                placesOut_ += CharCount(units, n);
            }
            ByteSetVar bytes = EncodeText(slice, e);
            output_.Write(bytes.data(), bytes.size());
            units += 2 * n;
            count -= n;
        }
    }

public:
    uint64_t skipped = 0;  // bytes of a BOM before the first piece

private:
    const Conversion& c_;
    ByteSink& output_;
    TextEncoding target_, encoding_ = TextEncoding::kAuto;
    bool bigEndian_ = false, sampled_ = false;
    int64_t placesIn_ = 0, placesOut_ = 0;
    uint64_t bytesIn_ = 0;
};

void RunDigest(const Conversion& c, ByteSource& input, Runner& runner, ProgressLine& progress) {
    DigestStream digest(c.digest);
    int64_t done = 0;
    auto add = [&](const uint8_t* p, size_t n) {
        digest.Add(p, n);
        progress.Bytes(done += n);
    };
    if (input.size() > static_cast<int64_t>(kReadAheadFrom)) {
        // A file: the next megabyte is read while this one is digested.
        ReadAhead ahead(input, kRead);
        size_t n;
        for (const uint8_t* p; (p = ahead.Next(&n)) != nullptr;) add(p, n);
    } else {
        // Not cleared: a short input touches only the pages it is read into.
        std::unique_ptr<uint8_t[]> buffer(new uint8_t[kRead]);
        for (size_t n; (n = input.Read(buffer.get(), kRead)) > 0;) add(buffer.get(), n);
    }
    TextVar text = digest.Text();
    StepResult r;
    r.data = ToByteSet(text);
    r.produced = Produced::kGbk;
    runner.Write(r);
}

// Input read but not yet converted. Grown without clearing: every byte is read into it
// before it is looked at.
class Pending {
public:
    uint8_t* data() { return bytes_.get(); }
    size_t size() const { return size_; }
    uint8_t* Room(size_t n) {
        if (size_ + n > capacity_) {
            size_t capacity = capacity_ * 2 > size_ + n ? capacity_ * 2 : size_ + n;
            std::unique_ptr<uint8_t[]> bigger(new uint8_t[capacity]);
            if (size_) memcpy(bigger.get(), bytes_.get(), size_);
            bytes_ = std::move(bigger);
            capacity_ = capacity;
        }
        return bytes_.get() + size_;
    }
    void Add(size_t n) { size_ += n; }
    // The first n bytes are done with.
    void Drop(size_t n) {
        if (n) memmove(bytes_.get(), bytes_.get() + n, size_ - n);
        size_ -= n;
    }

private:
    std::unique_ptr<uint8_t[]> bytes_;
    size_t size_ = 0, capacity_ = 0;
};

// auto on a file: the whole file is valid UTF-8 or it is GBK, as when it is converted whole,
// so a piece far into it never contradicts the first one. One more reading, stopped at the
// first byte that is not UTF-8. Undecided where the input cannot be read again.
TextEncoding ScanEncoding(ByteSource& input) {
    const size_t piece = 1 << 20;
    std::vector<uint8_t> buffer(piece + 4);
    size_t carried = 0;
    TextEncoding found = TextEncoding::kUtf8;

    for (bool first = true;; first = false) {
        size_t got = input.Read(buffer.data() + carried, piece);
        size_t n = carried + got;
        // A BOM says what the text is, valid or not: the runner reads it.
        if (first && ((n >= 2 && ((buffer[0] == 0xFF && buffer[1] == 0xFE) || (buffer[0] == 0xFE && buffer[1] == 0xFF))) ||
                      (n >= 3 && memcmp(buffer.data(), "\xEF\xBB\xBF", 3) == 0))) {
            found = TextEncoding::kAuto;
            break;
        }
        size_t valid = Utf8ValidPrefix(buffer.data(), n);
        // An ill-formed sequence short of the end may be a character cut by this read.
        if (valid < n && (got == 0 || n - valid >= 4)) {
            found = TextEncoding::kGbk;
            break;
        }
        if (got == 0) break;
        carried = n - valid;
        memmove(buffer.data(), buffer.data() + valid, carried);
    }
    if (!input.Rewind()) throw FileError("没能从头再读一遍输入");
    return found;
}
}  // namespace

std::string GbkMessage(const char* gbk) { return UnitsMessage(GbkToUnits(gbk)); }

void RunConversion(const Conversion& c, ByteSource& input, ByteSink& output, const RunOptions& options) {
    ProgressLine progress(c.name, options.progress, input.size());
    SetProgressListener(EngineProgress);
    struct ListenerReset {
        ~ListenerReset() { SetProgressListener(nullptr); }
    } reset;
    TakeServiceFailure();
    Runner runner(c, output, options);
    const size_t piece = options.piece ? options.piece : kPiece;
    if (c.slicing == Slicing::kDigest) {
        RunDigest(c, input, runner, progress);
    } else {
        if (c.slicing == Slicing::kWhole && input.size() > static_cast<int64_t>(HoldLimit(c))) throw std::bad_alloc();
        if (runner.undecided() && c.slicing != Slicing::kWhole && input.size() > static_cast<int64_t>(piece))
            runner.Decide(ScanEncoding(input));
        Pending pending;
        int64_t done = 0;
        size_t swapped = 0;
        bool started = false, atEnd = false, markChecked = false;
        const size_t reading = options.piece ? options.piece : kRead;
        while (!atEnd) {
            size_t got = input.Read(pending.Room(reading), reading);
            pending.Add(got);
            // Past what one conversion can hold: say so now, not after reading all of it.
            if (pending.size() > HoldLimit(c)) throw std::bad_alloc();
            progress.Bytes(done += got);
            atEnd = got == 0;
            if (!markChecked) {
                if (pending.size() < 3 && !atEnd) continue;
                markChecked = true;
                size_t skip = runner.TakeByteOrderMark(pending.data(), pending.size());
                pending.Drop(skip);
                runner.skipped = skip;
            }
            if (runner.bigEndian()) {
                SwapPairs(pending.data() + swapped, (pending.size() - swapped) & ~size_t(1));
                swapped = pending.size() & ~size_t(1);
            }
            // What was read goes out in pieces of about `piece` bytes, each ending at a safe
            // cut; a piece with no such place grows until one comes, or the input ends.
            size_t at = 0;
            for (;;) {
                size_t left = pending.size() - at;
                size_t cut = 0;
                if (c.slicing != Slicing::kWhole && left >= piece) {
                    cut = SafeCut(c.slicing, pending.data() + at, piece, runner.unitSize());
                    if (cut == 0) cut = SafeCut(c.slicing, pending.data() + at, left, runner.unitSize());
                }
                bool last = atEnd && (cut == 0 || cut == left);
                if (last) cut = left;
                // An empty input is converted once too: the BASE64 of nothing is a result.
                if (cut == 0 && !(last && !started)) break;
                runner.Piece(pending.data() + at, cut, last);
                at += cut;
                started = true;
                if (last) break;
            }
            pending.Drop(at);
            swapped -= swapped < at ? swapped : at;
        }
    }
    if (const char* service = TakeServiceFailure())
        throw ConversionRefused{"提示：" + GbkMessage(service) + "出错，这项转换没能做完。"};
}

}  // namespace wht_console
