#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <span>

#include "platform/BulkDevice.h"
#include "platform/UniqueFd.h"

namespace scanora {

// The camera's bulk pipes carried over a connected stream socket to scanora-camsim. Each bulk
// transfer is one request frame and one answer frame, all integers little-endian:
//   write: 'W', u32 n, n bytes      -> i32 bytes taken (negative: the transfer failed)
//   read:  'R', u32 n               -> i32 m, then max(m, 0) bytes (m <= n)
// A short frame, a closed socket, a silent peer or a malformed answer leaves the framing unknown,
// so the link is dropped for good and every later transfer fails at once.
//
// A simulator serves one program at a time. It answers the first request of any further
// connection with kBusyAnswer (and no bytes) and hangs up. A fresh link is therefore greeted
// first with a read of no bytes, which moves nothing, to learn whether the camera is free.
class SocketBulkDevice final : public BulkDevice {
public:
    static constexpr std::chrono::milliseconds kDefaultTimeout{60000};
    // The answer of a simulator that serves another program (the number of EBUSY).
    static constexpr std::int32_t kBusyAnswer = -16;

    // What the greeting of a fresh link found.
    enum class Greeting {
        Ready,   // the camera answered: the link is ours
        Busy,    // the simulator serves another program and refused this one
        Silent,  // no answer in time: the simulator is stopped or hung
        Broken,  // the peer hung up or answered what no camera link answers
    };

    // Takes over a connected stream socket. `timeout` bounds every wait for the peer, so a dead
    // simulator cannot hang the caller.
    explicit SocketBulkDevice(UniqueFd socket, std::chrono::milliseconds timeout = kDefaultTimeout);

    // The first exchange of a fresh link, waiting at most `limit` for its answer. Anything but
    // Ready drops the link.
    Greeting Greet(std::chrono::milliseconds limit);

    int BulkWrite(std::span<const std::uint8_t> data) override;
    int BulkRead(std::span<std::uint8_t> buffer) override;
    [[nodiscard]] bool IsGone() const override { return gone_; }

private:
    bool SendFrame(std::uint8_t operation, std::uint32_t length,
                   std::span<const std::uint8_t> payload);
    bool ReceiveAll(std::span<std::uint8_t> bytes);
    bool ReceiveAnswer(std::int32_t& answer);
    // Closes the socket and marks the link gone; returns the failure result of a transfer.
    int Drop();

    UniqueFd socket_;
    std::chrono::milliseconds timeout_;
    std::atomic<bool> gone_ = false;
};

}  // namespace scanora
