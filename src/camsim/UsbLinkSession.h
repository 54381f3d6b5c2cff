#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "camsim/SimCamera.h"

namespace camsim {

// Serves one host connected to the simulator's socket: each frame is one USB bulk transfer.
//   'W', u32 n, n bytes       one bulk OUT; answered i32 bytes taken (negative = failed)
//   'R', u32 n                one bulk IN of at most n bytes; answered i32 m, then max(m, 0) bytes
// Integers are little-endian. A read of no bytes is answered 0 at once, without the camera. A
// host that sends anything else, or asks for more than kLargestTransfer bytes, is disconnected.
class UsbLinkSession {
public:
    static constexpr std::uint32_t kLargestTransfer = 64u * 1024 * 1024;

    // `socket` is the connected host; `stopEvent` becomes readable when the server stops.
    UsbLinkSession(SimCamera& camera, int socket, int stopEvent);

    // Serves until the host leaves or misbehaves, or the server stops.
    void Run();

private:
    bool ServeBulkOut();
    bool ServeBulkIn();
    // Waits until `events` can be done on the socket; false when the server stops first.
    bool WaitFor(short events) const;
    bool ReadExact(std::span<std::uint8_t> bytes);
    bool WriteAll(std::span<const std::uint8_t> bytes);
    bool ReadLength(std::uint32_t& length);

    SimCamera& camera_;
    int socket_;
    int stopEvent_;
    std::vector<std::uint8_t> buffer_;
};

}  // namespace camsim
