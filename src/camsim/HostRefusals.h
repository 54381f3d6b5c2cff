#pragma once

#include <poll.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "camsim/FileDescriptor.h"

namespace camsim {

// The hosts a busy simulator turns away. Each is answered at once with kBusyAnswer, the answer
// to its first request, and its connection is closed for writing; it is held a little longer,
// reading whatever the host still sends, so that the answer is not lost to a reset, and closed
// when the host hangs up or kLinger has passed.
class HostRefusals {
public:
    // The answer that says "busy": a failed transfer numbered like EBUSY.
    static constexpr std::int32_t kBusyAnswer = -16;
    static constexpr std::chrono::milliseconds kLinger{2000};
    static constexpr std::size_t kMostHeld = 16;

    // Answers `host` and holds it until it hangs up.
    void Refuse(FileDescriptor host);
    // Appends one entry per held host to `fds`, in order, for poll().
    void AddPollEntries(std::vector<pollfd>& fds) const;
    // Handles what poll() found on the entries AddPollEntries added (same order), and lets go of
    // hosts that have hung up or outstayed kLinger.
    void Handle(std::span<const pollfd> entries);
    // How long poll() may wait before a held host outstays kLinger; -1 when none is held.
    [[nodiscard]] int PollTimeoutMs() const;

private:
    struct Refused {
        FileDescriptor host;
        std::chrono::steady_clock::time_point until;
    };
    std::vector<Refused> refused_;
};

}  // namespace camsim
