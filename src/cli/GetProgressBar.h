#pragma once

#include <cstdint>
#include <cstdio>
#include <string_view>

#include "cameradisk/RetrievalProgress.h"

namespace scanora::cli {

// Shows a retrieval's progress on the terminal: a bar redrawn in place with the remaining time
// when the stream is a terminal, otherwise a plain line at every tenth of the transfer.
class GetProgressBar final : public RetrievalProgress {
public:
    static constexpr int kBarWidth = 30;

    GetProgressBar(std::FILE* stream, bool terminal) : stream_(stream), terminal_(terminal) {}

    void OnStatus(std::string_view text) override;
    void OnTransferStarted(std::uint32_t blockCount) override;
    void OnProgress(std::uint32_t blocksDone, std::uint32_t blockCount,
                    std::string_view remainingText, std::uint32_t remainingSeconds) override;
    void OnTransferEnded() override;

private:
    std::FILE* stream_;
    bool terminal_;
    bool drawn_ = false;
    std::uint32_t lastTenth_ = 0;
};

}  // namespace scanora::cli
