#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "camsim/SimConfig.h"

namespace camsim {

// The injected faults of a SimConfig, as questions about one command or the link.
class SimFaultPlan {
public:
    explicit SimFaultPlan(std::vector<SimFault> faults);

    // noreply:CMD: the camera carries `command` out but never answers it.
    [[nodiscard]] bool Silences(std::string_view command) const;
    // error:CMD:CODE: the camera refuses `command` with this error code instead of running it.
    [[nodiscard]] std::optional<unsigned> ErrorFor(std::string_view command) const;
    // xfer:CMD: the transfer that carries the reply to `command` fails.
    [[nodiscard]] bool FailsTransfer(std::string_view command) const;
    // drop:N: true when the link dies as text command number `count` + 1 arrives.
    [[nodiscard]] bool DropsLinkAfter(std::size_t count) const;
    // unplug:N:MS: how long the cable stays out when it is pulled as text command number
    // `count` + 1 arrives; nothing for any other command.
    [[nodiscard]] std::optional<std::chrono::milliseconds> UnplugsAt(std::size_t count) const;
    // dropdata:BYTES: true when a host that has read `total` bytes of image data in all has read
    // more than the link carries before it dies.
    [[nodiscard]] bool DropsDataBeyond(std::uint64_t total) const;
    // slow:MS: the extra real time before every reply is ready (the longest when given twice).
    [[nodiscard]] std::chrono::milliseconds ReplyDelay() const;

private:
    [[nodiscard]] const SimFault* Find(SimFault::Kind kind, std::string_view command) const;

    std::vector<SimFault> faults_;
};

}  // namespace camsim
