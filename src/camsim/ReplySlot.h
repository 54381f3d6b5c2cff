#pragma once

#include <optional>
#include <string>
#include <utility>

#include "camsim/SimClock.h"

namespace camsim {

// A reply as the camera holds it for the host.
struct PendingReply {
    std::string text;              // without the carriage return
    SimTimePoint readyAt{};        // when the reply-ready bit comes up
    bool transferFails = false;    // the transfer that carries it to the host fails
    bool reportsLastLine = false;  // a status reply that counted every line of the capture
    bool closing = false;          // the capture's closing reply
};

// The camera's one reply slot behind the reply-ready bit. A new command empties it; its reply
// fills it; reading the reply empties it again.
class ReplySlot {
public:
    void Post(PendingReply reply) { reply_ = std::move(reply); }
    void Clear() { reply_.reset(); }
    [[nodiscard]] bool IsEmpty() const { return !reply_.has_value(); }
    [[nodiscard]] bool HoldsClosingReply() const { return reply_.has_value() && reply_->closing; }
    [[nodiscard]] bool IsReady(SimTimePoint now) const
    {
        return reply_.has_value() && now >= reply_->readyAt;
    }
    // The reply when it is ready, emptying the slot; nothing (and the slot unchanged) otherwise.
    std::optional<PendingReply> Take(SimTimePoint now)
    {
        if (!IsReady(now))
            return std::nullopt;
        std::optional<PendingReply> taken = std::move(reply_);
        reply_.reset();
        return taken;
    }

private:
    std::optional<PendingReply> reply_;
};

}  // namespace camsim
