#pragma once

#include <mutex>
#include <string>
#include <string_view>

#include "platform/JsonEvents.h"
#include "platform/UiPort.h"

namespace scanora {

// What a user port shows, as events for a program that follows along: status texts ("status",
// and "series" for a time-lapse series' two texts), messages ("error", "warning", "notice",
// each with the cause the program logged last before it, and the answer to a question). A port
// hands it what it shows and logs; without events attached it only keeps the last cause.
// Thread-safe.
class UiEvents {
public:
    // Where the events go from now on; null for nowhere. Forgets the last cause.
    void Attach(JsonEvents* events);
    // Detaches `events` if they are the ones attached; others stay.
    void Detach(const JsonEvents* events);

    void Logged(LogLevel level, std::string_view text);
    void StatusShown(std::string_view text);
    void MessageShown(std::string_view text, MessageIcon icon, MessageButtons buttons,
                      MessageResult answer);

private:
    std::mutex mutex_;
    JsonEvents* events_ = nullptr;
    std::string lastCause_;  // the last warning or error logged, until a message takes it
};

}  // namespace scanora
