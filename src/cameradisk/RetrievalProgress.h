#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace scanora {

// Where a retrieval reports how it goes: the file manager's transfer view, the terminal's
// progress bar, a test. Called on the retrieval's thread.
class RetrievalProgress {
public:
    virtual ~RetrievalProgress() = default;

    // A status text ("Retrieving \"Scan\".").
    virtual void OnStatus(std::string_view text) = 0;
    // A transfer starts: `blockCount` blocks will be read.
    virtual void OnTransferStarted(std::uint32_t blockCount) { (void)blockCount; }
    // After each block: the blocks done so far, and the remaining time as the transfer view
    // shows it ("Time Remaining:  1:05"), with its seconds.
    virtual void OnProgress(std::uint32_t blocksDone, std::uint32_t blockCount,
                            std::string_view remainingText, std::uint32_t remainingSeconds) = 0;
    // The transfer is over, whatever its outcome.
    virtual void OnTransferEnded() {}
};

// Estimates the time a transfer still takes from the blocks done so far, in sixtieths of a
// second as the file manager counts it.
class RetrievalTimer {
public:
    using Clock = std::chrono::steady_clock;

    explicit RetrievalTimer(Clock::time_point start = Clock::now()) : start_(start) {}

    // The remaining seconds after block `blocksDone` (1-based) of `blockCount` at `now`: with t
    // the ticks since the start and n the blocks done before this one (at least 1),
    // (N * t / n - t) / 60.
    [[nodiscard]] std::uint32_t RemainingSeconds(std::uint32_t blocksDone, std::uint32_t blockCount,
                                                 Clock::time_point now = Clock::now()) const;
    // "Time Remaining:  %d:%2.2d" with minutes and seconds.
    [[nodiscard]] static std::string Format(std::uint32_t seconds);

private:
    Clock::time_point start_;
};

}  // namespace scanora
