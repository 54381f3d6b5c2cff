#include "cli/GetProgressBar.h"

#include <string>

#include "platform/TextConversion.h"

namespace scanora::cli {

void GetProgressBar::OnStatus(std::string_view text)
{
    // The status names the image: the camera's text, shown without its control characters.
    std::fprintf(stream_, "%s\n", TextConversion::ForTerminal(text).c_str());
    std::fflush(stream_);
}

void GetProgressBar::OnTransferStarted(std::uint32_t /*blockCount*/)
{
    drawn_ = false;
    lastTenth_ = 0;
}

void GetProgressBar::OnProgress(std::uint32_t blocksDone, std::uint32_t blockCount,
                                std::string_view remainingText, std::uint32_t /*remainingSeconds*/)
{
    if (blockCount == 0)
        return;
    const std::uint32_t percent =
        static_cast<std::uint32_t>(std::uint64_t{blocksDone} * 100 / blockCount);
    if (terminal_) {
        const int filled = static_cast<int>(std::uint64_t{blocksDone} * kBarWidth / blockCount);
        std::string bar(static_cast<std::size_t>(filled), '#');
        bar.resize(kBarWidth, ' ');
        std::fprintf(stream_, "\r[%s] %3u%%  %.*s\x1b[K", bar.c_str(), percent,
                     static_cast<int>(remainingText.size()), remainingText.data());
        drawn_ = true;
    } else {
        const std::uint32_t tenth = percent / 10;
        if (tenth == lastTenth_ && blocksDone != blockCount)
            return;
        lastTenth_ = tenth;
        std::fprintf(stream_, "%u%% (%u of %u blocks)  %.*s\n", percent, blocksDone, blockCount,
                     static_cast<int>(remainingText.size()), remainingText.data());
    }
    std::fflush(stream_);
}

void GetProgressBar::OnTransferEnded()
{
    if (terminal_ && drawn_)
        std::fputc('\n', stream_);
    drawn_ = false;
    std::fflush(stream_);
}

}  // namespace scanora::cli
