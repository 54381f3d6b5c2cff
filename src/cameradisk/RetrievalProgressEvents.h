#pragma once

#include <chrono>
#include <cstdint>
#include <string_view>

#include "cameradisk/RetrievalProgress.h"
#include "platform/JsonEvents.h"

namespace scanora {

// A retrieval's progress as events, on top of the progress shown to a person: "status" for its
// texts, "transfer" when the blocks start to come, and "progress" after each block with the
// blocks done and in all, the seconds remaining and the bytes read from the camera per second.
class RetrievalProgressEvents final : public RetrievalProgress {
public:
    RetrievalProgressEvents(JsonEvents& events, RetrievalProgress& shown)
        : events_(events), shown_(shown)
    {
    }

    void OnStatus(std::string_view text) override;
    void OnTransferStarted(std::uint32_t blockCount) override;
    void OnProgress(std::uint32_t blocksDone, std::uint32_t blockCount,
                    std::string_view remainingText, std::uint32_t remainingSeconds) override;
    void OnTransferEnded() override;

private:
    JsonEvents& events_;
    RetrievalProgress& shown_;
    std::chrono::steady_clock::time_point started_{};
};

}  // namespace scanora
