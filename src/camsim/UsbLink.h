#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "camsim/CameraController.h"
#include "camsim/LinkRequest.h"

namespace camsim {

// The camera's end of the USB link: one bulk OUT and one bulk IN pipe. A bulk OUT carries a
// command block (with a command's text), or the data of the write that the last block opened;
// the bulk INs that follow a read block deliver its data, in as many transfers as the host likes.
class UsbLink {
public:
    explicit UsbLink(CameraController& camera);

    // Returns the bytes taken, or -1 when the transfer fails.
    int BulkOut(std::span<const std::uint8_t> data);
    // Returns the bytes delivered, or -1 when the transfer fails.
    int BulkIn(std::span<std::uint8_t> buffer);

private:
    // The data of the last read block, as far as the host has not fetched it yet. The data of a
    // bulk read is produced when the first bulk IN asks for it, so that a line read waits for
    // its lines in the data phase, not while the block goes out.
    struct InPhase {
        explicit InPhase(std::size_t length) : bytes(length) {}

        std::vector<std::uint8_t> bytes;
        std::size_t sent = 0;
        bool fails = false;
        std::optional<LinkRequest> unread;  // a read whose data is still to be produced
    };

    int StartRequest(const LinkRequest& request, std::span<const std::uint8_t> transfer);

    CameraController& camera_;
    std::optional<InPhase> in_;
    std::optional<LinkRequest> out_;  // a write whose data the next bulk OUT carries
};

}  // namespace camsim
