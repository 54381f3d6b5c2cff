#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "platform/JsonEvents.h"

namespace scanora::cli {

class CliUiPort;

// The --json events of one long operation while it runs: the "start" event when it is made, the
// port's status texts and messages as events meanwhile, and the port let go again at its end.
// Without --json there are no events and it does nothing.
class EventScope {
public:
    EventScope(bool json, std::FILE* out, CliUiPort& ui, std::string operation,
               const JsonObject& start = {});
    ~EventScope();
    EventScope(const EventScope&) = delete;
    EventScope& operator=(const EventScope&) = delete;

    // The events, or null without --json.
    [[nodiscard]] JsonEvents* Events() const { return events_.get(); }

private:
    std::unique_ptr<JsonEvents> events_;
    CliUiPort& ui_;
};

}  // namespace scanora::cli
