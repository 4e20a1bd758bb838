// Long conversions say how far they are, so that whoever runs them can keep the window
// alive and show it. Loops call ReportProgress once per block of work (some tens of
// kilobytes); with no listener set a call costs a test and a return.
#pragma once
#include <cstdint>

// Called with the whole conversion's progress in percent. It may let window messages
// through, and it may throw to stop the conversion (the engine holds its memory in
// variables that free themselves, so an exception leaves nothing behind).
typedef void (*ProgressListener)(int32_t percent);
void SetProgressListener(ProgressListener listener);

// done of total units of the work at hand (bytes, characters: whatever the loop counts).
void ReportProgress(int64_t done, int64_t total);

// A stretch of the work: while it lives, progress reported inside it covers the fraction
// [from, to) of the enclosing stretch (of the whole conversion at the outermost level).
// Each stretch ends by reporting that it is complete.
class ProgressStage {
public:
    ProgressStage(double from, double to);
    ~ProgressStage();
    ProgressStage(const ProgressStage&) = delete;
    ProgressStage& operator=(const ProgressStage&) = delete;

private:
    double outerBase_, outerSpan_;
};

// Blocks of this many input bytes between two reports keep a report's cost out of sight
// and still come many times per 50 ms at any speed the routines run.
const int32_t kProgressBlock = 64 * 1024;
