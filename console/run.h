// One conversion of one input into one output, streamed where the conversion allows it.
#pragma once
#include <atomic>
#include <string>

#include "console/conversions.h"
#include "console/files.h"

namespace wht_console {

struct RunOptions {
    TextEncoding in = TextEncoding::kAuto;  // for conversions that read text
    TextEncoding out = TextEncoding::kAuto; // kAuto: the conversion's default
    bool progress = false;                  // standard error is a console window
};

// Set by Ctrl+C; every loop checks it and gives up, leaving no partial output.
extern std::atomic<bool> stopRequested;
struct Stopped {};

// A conversion that cannot be done: the "提示：" line, as UTF-8.
struct ConversionRefused {
    std::string message;
};

// Runs the conversion; throws FileError, ConversionRefused, Stopped or std::bad_alloc.
// The caller commits the output when it returns.
void RunConversion(const Conversion& c, Input& input, Output& output, const RunOptions& options);

}  // namespace wht_console
