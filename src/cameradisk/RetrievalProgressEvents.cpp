#include "cameradisk/RetrievalProgressEvents.h"

#include <cmath>

#include "cameradisk/RetrievalTransfer.h"

namespace scanora {

void RetrievalProgressEvents::OnStatus(std::string_view text)
{
    shown_.OnStatus(text);
    events_.Emit("status", JsonObject().Text("text", text));
}

void RetrievalProgressEvents::OnTransferStarted(std::uint32_t blockCount)
{
    shown_.OnTransferStarted(blockCount);
    started_ = std::chrono::steady_clock::now();
    events_.Emit("transfer", JsonObject()
                                 .Integer("blocks", blockCount)
                                 .Integer("blockBytes", RetrievalTransfer::kBlockBytes));
}

void RetrievalProgressEvents::OnProgress(std::uint32_t blocksDone, std::uint32_t blockCount,
                                         std::string_view remainingText,
                                         std::uint32_t remainingSeconds)
{
    shown_.OnProgress(blocksDone, blockCount, remainingText, remainingSeconds);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    const double bytes = static_cast<double>(blocksDone) * RetrievalTransfer::kBlockBytes;
    JsonObject fields;
    fields.Integer("done", blocksDone)
        .Integer("total", blockCount)
        .Text("unit", "blocks")
        .Integer("secondsRemaining", remainingSeconds);
    if (seconds > 0.0)
        fields.Integer("bytesPerSecond", std::llround(bytes / seconds));
    else
        fields.Null("bytesPerSecond");
    events_.Emit("progress", fields);
}

void RetrievalProgressEvents::OnTransferEnded()
{
    shown_.OnTransferEnded();
}

}  // namespace scanora
