#include "cli/CaptureProgressView.h"

#include <algorithm>
#include <string>

namespace scanora::cli {

void CaptureProgressView::Show(std::string_view what, int done, int total)
{
    if (total <= 0)
        return;
    const std::lock_guard lock(mutex_);
    done = std::clamp(done, 0, total);
    const int percent = static_cast<int>(static_cast<long long>(done) * 100 / total);
    if (terminal_) {
        const int filled = percent * kBarWidth / 100;
        const std::string bar = std::string(static_cast<std::size_t>(filled), '#') +
                                std::string(static_cast<std::size_t>(kBarWidth - filled), ' ');
        std::fprintf(stream_, "\r%.*s [%s] %3d%%  %d/%d lines", static_cast<int>(what.size()),
                     what.data(), bar.c_str(), percent, done, total);
        drawn_ = true;
    } else {
        const int tenth = percent / 10;
        if (tenth < lastTenth_)
            lastTenth_ = -1;  // the next capture of a series
        if (tenth == lastTenth_)
            return;
        lastTenth_ = tenth;
        std::fprintf(stream_, "%.*s %d%% (%d/%d lines)\n", static_cast<int>(what.size()),
                     what.data(), percent, done, total);
    }
    std::fflush(stream_);
}

void CaptureProgressView::Finish()
{
    const std::lock_guard lock(mutex_);
    if (drawn_)
        std::fputc('\n', stream_);
    drawn_ = false;
    lastTenth_ = -1;
    std::fflush(stream_);
}

}  // namespace scanora::cli
