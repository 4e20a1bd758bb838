// One conversion of one input into one output, streamed where the conversion allows it.
// Here, not in the steps, the console's contract is kept: inputs are decoded as the
// conversion declares (BOMs dropped, ill-formed input refused), results are written whole
// (a zero byte is a byte), and a prompt is never written as a result.
#pragma once
#include <cstddef>
#include <string>

#include "console/conversions.h"
#include "console/platform.h"

namespace wht_console {

struct RunOptions {
    TextEncoding in = TextEncoding::kAuto;  // for conversions that read text
    bool inBigEndian = false;               // with kUtf16Le: the bytes are UTF-16BE
    TextEncoding out = TextEncoding::kAuto; // kAuto: the conversion's default
    bool progress = false;                  // standard error is a terminal
    size_t piece = 0;                       // bytes a streamed piece holds at least; 0: the default
};

struct Stopped {};

// A conversion that cannot be done: why, as UTF-8 (a "提示：" line or the like).
struct ConversionRefused {
    std::string message;
};

// Runs the conversion; throws FileError, ConversionRefused, Stopped or std::bad_alloc.
// The caller commits the output when it returns.
void RunConversion(const Conversion& c, ByteSource& input, ByteSink& output, const RunOptions& options);

// GBK text (the engine's messages) as UTF-8.
std::string GbkMessage(const char* gbk);

}  // namespace wht_console
