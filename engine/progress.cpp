#include "engine/progress.h"

namespace {
ProgressListener g_listener = nullptr;
// The stretch of the whole conversion that the current stage covers.
double g_base = 0.0;
double g_span = 1.0;
}  // namespace

void SetProgressListener(ProgressListener listener) {
    g_listener = listener;
    g_base = 0.0;
    g_span = 1.0;
}

void ReportProgress(int64_t done, int64_t total) {
    if (!g_listener) return;
    double fraction = total > 0 ? static_cast<double>(done) / static_cast<double>(total) : 1.0;
    if (fraction < 0.0) fraction = 0.0;
    if (fraction > 1.0) fraction = 1.0;
    g_listener(static_cast<int32_t>(100.0 * (g_base + g_span * fraction)));
}

ProgressStage::ProgressStage(double from, double to) : outerBase_(g_base), outerSpan_(g_span) {
    g_base = outerBase_ + outerSpan_ * from;
    g_span = outerSpan_ * (to - from);
}

ProgressStage::~ProgressStage() {
    g_base = outerBase_;
    g_span = outerSpan_;
}
