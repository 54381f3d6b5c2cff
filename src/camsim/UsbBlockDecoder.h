#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "camsim/LinkRequest.h"

namespace camsim {

// Reads the 8-byte command blocks that open every USB exchange (big-endian numbers, byte 0 the
// operation, byte 1 the sub-operation). A text command carries its text in the same transfer,
// right after the block. Any byte that the block layout fixes must hold its value.
class UsbBlockDecoder {
public:
    static constexpr std::size_t kBlockSize = 8;
    static constexpr std::size_t kUnitSize = 512;

    // The request of one bulk OUT transfer, or nothing when it is no well-formed command block.
    [[nodiscard]] static std::optional<LinkRequest> Decode(std::span<const std::uint8_t> transfer);
};

}  // namespace camsim
