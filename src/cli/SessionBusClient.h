#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

struct sd_bus;
struct sd_bus_slot;

namespace scanora::cli {

// The running desktop program's service on the session bus, as a client calls it (sd-bus: the
// terminal program has no Qt). Methods take texts and arrays of numbers and answer one string;
// the Event signal's lines go to the handler while Process runs.
class SessionBusClient {
public:
    struct Reply {
        bool ok = false;
        std::string text;       // the answer, or the error's message
        std::string errorName;  // the D-Bus error's name when not ok
    };

    // One argument of a call: a text ("s") or an array of numbers ("au").
    using Argument = std::variant<std::string, std::vector<std::uint32_t>>;

    SessionBusClient();
    ~SessionBusClient();
    SessionBusClient(const SessionBusClient&) = delete;
    SessionBusClient& operator=(const SessionBusClient&) = delete;

    // Connects to the session bus; false with `error` when there is none.
    bool Open(std::string& error);
    // Whether the desktop program has its name on the bus.
    [[nodiscard]] bool ServiceRunning();
    Reply Call(const char* method, const std::vector<Argument>& arguments = {});
    // Hands every Event line to `handler` from now on (while Process runs).
    bool WatchEvents(std::function<void(const std::string&)> handler, std::string& error);
    // Handles what the bus brings for at most `limit`, returning early once `done` says so;
    // false when the bus failed.
    bool Process(std::chrono::milliseconds limit, const std::function<bool()>& done);

private:
    sd_bus* bus_ = nullptr;
    sd_bus_slot* slot_ = nullptr;
    std::function<void(const std::string&)> handler_;
};

}  // namespace scanora::cli
