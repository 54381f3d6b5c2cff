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
class SocketBulkDevice final : public BulkDevice {
public:
    static constexpr std::chrono::milliseconds kDefaultTimeout{60000};

    // Takes over a connected stream socket. `timeout` bounds every wait for the peer, so a dead
    // simulator cannot hang the caller.
    explicit SocketBulkDevice(UniqueFd socket, std::chrono::milliseconds timeout = kDefaultTimeout);

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
    std::atomic<bool> gone_ = false;
};

}  // namespace scanora
