#include "acquire/CaptureProgressEvents.h"

#include <algorithm>
#include <cmath>

namespace scanora {

void CaptureProgressEvents::ShowPrescanProgress(int done, int total)
{
    shown_.ShowPrescanProgress(done, total);
    Report("prescan", done, total);
}

void CaptureProgressEvents::ShowScanProgress(int done, int total)
{
    shown_.ShowScanProgress(done, total);
    Report("scan", done, total);
}

void CaptureProgressEvents::Report(const char* capture, int done, int total)
{
    if (total <= 0)
        return;
    done = std::clamp(done, 0, total);
    const auto now = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point started;
    {
        const std::lock_guard lock(mutex_);
        // A count that goes back is the next capture of a series: it starts afresh, and its
        // first count is always reported.
        if (done < lastDone_)
            lastDone_ = -1;
        if (lastDone_ < 0)
            started_ = now;
        const bool last = done == total;
        if (done == lastDone_ || (lastDone_ >= 0 && !last && now - last_ < kMinimumGap))
            return;
        lastDone_ = done;
        last_ = now;
        started = started_;
    }
    JsonObject fields;
    fields.Text("capture", capture)
        .Integer("done", done)
        .Integer("total", total)
        .Text("unit", "lines");
    const double seconds = std::chrono::duration<double>(now - started).count();
    if (done > 0 && seconds > 0.0)
        fields.Integer("secondsRemaining", std::llround(seconds / done * (total - done)));
    else
        fields.Null("secondsRemaining");
    events_.Emit("progress", fields);
}

}  // namespace scanora
