#include "console/run.h"

#include <cstring>
#include <new>
#include <vector>

#include "console/slicing.h"
#include "engine/codepage.h"
#include "engine/progress.h"
#include "engine/service_failure.h"
#include "runtime/library.h"

namespace wht_console {

std::atomic<bool> stopRequested(false);

namespace {
// Pieces of some megabytes: big enough that each costs little besides its conversion,
// small enough that a streamed conversion stays within a few tens of megabytes.
const size_t kPiece = 4 << 20;
const size_t kMostBytes = 0x7FFFFFF0u;
const char kNotUtf8[] = "提示：输入不是有效的UTF-8文本；请用 --in gbk 或 --in utf-16le 说明它的编码。";

bool IsAscii(const ByteSetVar& bytes) {
    const uint8_t* p = bytes.data();
    uint8_t any = 0;
    for (int32_t k = 0, n = bytes.size(); k < n; ++k) any |= p[k];
    return any < 0x80;
}

size_t HoldLimit(const Conversion& c) { return c.reads == Form::kText ? kMostBytes / 2 : kMostBytes; }

std::string MessageOf(const ByteSetVar& units) {
    std::wstring wide(ByteSetLength(units) / 2, L'\0');
    if (!wide.empty()) memcpy(&wide[0], units.data(), 2 * wide.size());
    return Narrow(wide);
}

// The engine's texts (GBK) as UTF-8 for a message.
std::string GbkToUtf8Message(const char* gbk) { return MessageOf(GbkToUnits(gbk)); }

ByteSetVar CopyBytes(const uint8_t* p, size_t n) {
    if (n == 0) return ByteSetVar();
    ByteSetVar b = ZeroByteSet(static_cast<int32_t>(n));
    memcpy(b.data(), p, n);
    return b;
}

// Characters (a surrogate pair is one) in units.
int64_t CharCount(const ByteSetVar& units) {
    int64_t n = ByteSetLength(units) / 2, low = 0;
    const uint8_t* p = units.data();
    for (int64_t k = 0; k < n; ++k)
        if (p[2 * k + 1] >= 0xDC && p[2 * k + 1] <= 0xDF) ++low;
    return n - low;
}

// "wht: sha256 37%" on a console's standard error once the work has taken a second.
class ProgressLine {
public:
    ProgressLine(const char* name, bool shown, int64_t total) : name_(name), shown_(shown), total_(total) {
        start_ = GetTickCount();
        current = this;
    }
    ~ProgressLine() {
        current = nullptr;
        if (written_) WriteRaw("\r                              \r");
    }
    void Bytes(int64_t done) {
        if (total_ > 0) Percent(static_cast<int>(done * 100 / total_));
    }
    void Percent(int percent) {
        if (stopRequested) throw Stopped();
        if (!shown_ || percent == last_ || GetTickCount() - start_ < 1000) return;
        last_ = percent;
        WriteRaw("\rwht: " + std::string(name_) + " " + std::to_string(percent) + "%");
        written_ = true;
    }
    static ProgressLine* current;

private:
    static void WriteRaw(const std::string& s) {
        DWORD written;
        HANDLE h = GetStdHandle(STD_ERROR_HANDLE);
        if (IsConsoleHandle(h)) {
            std::wstring wide = Widen(s);
            WriteConsoleW(h, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        } else {
            WriteFile(h, s.data(), static_cast<DWORD>(s.size()), &written, nullptr);
        }
    }
    const char* name_;
    bool shown_;
    int64_t total_;
    DWORD start_;
    int last_ = -1;
    bool written_ = false;
};
ProgressLine* ProgressLine::current = nullptr;

// A conversion held whole reports its own progress through the engine's listener; Ctrl+C
// stops it there too.
void EngineProgress(int32_t percent) {
    if (ProgressLine::current) ProgressLine::current->Percent(percent);
}

class Runner {
public:
    Runner(const Conversion& c, Output& output, const RunOptions& options) : c_(c), output_(output), options_(options) {
        target_ = options.out != TextEncoding::kAuto ? options.out
                  : c.defaultOut != TextEncoding::kAuto ? c.defaultOut
                  : output.IsConsole() ? TextEncoding::kAuto  // the console's own way
                                       : TextEncoding::kUtf8;
        encoding_ = c.reads == Form::kText ? options.in : TextEncoding::kGbk;
    }

    int unitSize() const { return encoding_ == TextEncoding::kUtf16Le ? 2 : 1; }

    // A text input's BOM says its encoding when none was named, and is not part of the text.
    size_t TakeByteOrderMark(const uint8_t* p, size_t n) {
        if (c_.reads != Form::kText) return 0;
        bool utf8Bom = n >= 3 && memcmp(p, "\xEF\xBB\xBF", 3) == 0, utf16Bom = n >= 2 && p[0] == 0xFF && p[1] == 0xFE;
        if (encoding_ == TextEncoding::kAuto) {
            if (utf8Bom) encoding_ = TextEncoding::kUtf8;
            if (utf16Bom) encoding_ = TextEncoding::kUtf16Le;
        }
        if (utf8Bom && (encoding_ == TextEncoding::kUtf8 || encoding_ == TextEncoding::kUtf8Bom)) return 3;
        if (utf16Bom && encoding_ == TextEncoding::kUtf16Le) return 2;
        return 0;
    }

    void Piece(const uint8_t* p, size_t n) {
        // One text or byte set holds less than 2 GB (a text of units, half that): more is
        // refused as memory that cannot be had, before any length is cut to 32 bits.
        if (n > HoldLimit(c_)) throw std::bad_alloc();
        ByteSetVar in;
        if (c_.reads == Form::kBytes) {
            in = CopyBytes(p, n);
        } else {
            // Undecided: the first piece decides (valid UTF-8, else GBK) for all that follow.
            if (encoding_ == TextEncoding::kAuto) encoding_ = IsValidUtf8(p, n) ? TextEncoding::kUtf8 : TextEncoding::kGbk;
            if (!DecodeText(p, n, encoding_, &in, nullptr)) throw ConversionRefused{kNotUtf8};
        }
        StepResult r = c_.step(in, placesIn_);
        if (c_.reads == Form::kText) placesIn_ += CharCount(in);
        if (!r.prompt.empty()) throw ConversionRefused{MessageOf(r.prompt)};
        Write(r);
    }

    void Write(const StepResult& r) {
        const ByteSetVar& d = r.data;
        // ASCII is the same bytes in GBK and UTF-8: digests, BASE64 and escapes go out as
        // they are, without a trip through units.
        bool asIs = r.produced == Produced::kGbk &&
                    (target_ == TextEncoding::kGbk || (target_ == TextEncoding::kUtf8 && IsAscii(d)));
        if (c_.writes == Form::kBytes || asIs) {
            output_.Write(d.data(), d.size());
            return;
        }
        ByteSetVar units;
        if (r.produced == Produced::kGbk)
            DecodeText(d.data(), d.size(), TextEncoding::kGbk, &units, nullptr);
        else
            units = ByteSetLeft(d, d.size());
        if (target_ == TextEncoding::kAuto) {
            output_.WriteUnits(units.data(), units.size() / 2);
        } else {
            if (target_ == TextEncoding::kGbk) {
                ByteSetVar prompt = NonGbkPrompt(units, placesOut_);
                if (!prompt.empty()) throw ConversionRefused{MessageOf(prompt)};
            }
            ByteSetVar bytes = EncodeText(units, target_);
            output_.Write(bytes.data(), bytes.size());
        }
        placesOut_ += CharCount(units);
    }

private:
    const Conversion& c_;
    Output& output_;
    const RunOptions& options_;
    TextEncoding target_, encoding_;
    int64_t placesIn_ = 0, placesOut_ = 0;
};

// One read buffer for every input of a run: a batch of small files would otherwise have the
// system map and clear megabytes for each of them.
std::vector<uint8_t>& ReadBuffer() {
    static std::vector<uint8_t> buffer(kPiece);
    return buffer;
}

void RunDigest(const Conversion& c, Input& input, Runner& runner, ProgressLine& progress) {
    DigestStream digest(c.digest);
    std::vector<uint8_t>& buffer = ReadBuffer();
    int64_t done = 0;
    for (size_t n; (n = input.Read(buffer.data(), buffer.size())) > 0;) {
        digest.Add(buffer.data(), n);
        progress.Bytes(done += n);
    }
    TextVar text = digest.Text();
    StepResult r;
    r.data = ToByteSet(text);
    r.produced = Produced::kGbk;
    runner.Write(r);
}
}  // namespace

void RunConversion(const Conversion& c, Input& input, Output& output, const RunOptions& options) {
    ProgressLine progress(c.name, options.progress, input.size());
    SetProgressListener(EngineProgress);
    struct ListenerReset {
        ~ListenerReset() { SetProgressListener(nullptr); }
    } reset;
    TakeServiceFailure();
    Runner runner(c, output, options);
    if (c.slicing == Slicing::kDigest) {
        RunDigest(c, input, runner, progress);
    } else {
        if (c.slicing == Slicing::kWhole && input.size() > static_cast<int64_t>(HoldLimit(c))) throw std::bad_alloc();
        std::vector<uint8_t> pending;
        int64_t done = 0;
        bool started = false, atEnd = false, markChecked = false;
        while (!atEnd) {
            std::vector<uint8_t>& buffer = ReadBuffer();
            size_t got = input.Read(buffer.data(), buffer.size());
            pending.insert(pending.end(), buffer.begin(), buffer.begin() + got);
            // Past what one conversion can hold: say so now, not after reading all of it.
            if (pending.size() > HoldLimit(c)) throw std::bad_alloc();
            progress.Bytes(done += got);
            atEnd = got == 0;
            if (!markChecked) {
                markChecked = true;
                size_t skip = runner.TakeByteOrderMark(pending.data(), pending.size());
                pending.erase(pending.begin(), pending.begin() + skip);
            }
            size_t cut = atEnd ? pending.size()
                               : c.slicing == Slicing::kWhole || pending.size() < kPiece
                                     ? 0
                                     : SafeCut(c.slicing, pending.data(), pending.size(), runner.unitSize());
            // An empty input is converted once too: the digest of nothing is a digest.
            if (cut == 0 && !(atEnd && !started)) continue;
            runner.Piece(pending.data(), cut);
            pending.erase(pending.begin(), pending.begin() + cut);
            started = true;
        }
    }
    if (const char* service = TakeServiceFailure())
        throw ConversionRefused{"提示：" + GbkToUtf8Message(service) + "出错，这项转换没能做完。"};
}

}  // namespace wht_console
