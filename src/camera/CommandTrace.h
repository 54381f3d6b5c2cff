#pragma once

#include <cstddef>
#include <string_view>

namespace scanora {

// Watches the camera link for diagnosis: every command text, every reply text and the size of
// every data phase. Calls may come from any thread.
class CommandTrace {
public:
    enum class Direction { In, Out };

    virtual ~CommandTrace() = default;

    virtual void OnCommand(std::string_view text) = 0;
    // The reply text as received; `accepted` is false when the exchange failed.
    virtual void OnReply(std::string_view text, bool accepted) = 0;
    // A note on an exchange that produced no reply text (time-out, transport failure).
    virtual void OnFailure(std::string_view what) = 0;
    virtual void OnDataPhase(std::string_view operation, Direction direction,
                             std::size_t bytes) = 0;
};

}  // namespace scanora
