#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "camsim/LinkRequest.h"

namespace camsim {

// Reads the command descriptor blocks of the SCSI link: 6-byte CDBs for identification and the
// command/reply exchange, 10-byte CDBs for bulk data and storage blocks. Every byte that the
// layout fixes must hold its value.
class ScsiCdbDecoder {
public:
    static constexpr std::size_t kUnitSize = 512;
    static constexpr std::size_t kLargestPiece = 128 * kUnitSize;

    // The request of `cdb`, whose data phase the host gave `dataLength` bytes; nothing when the
    // CDB is not one the camera knows. The request's length is what the CDB asks for (for a
    // disk read, which does not say, the data phase length).
    [[nodiscard]] static std::optional<LinkRequest> Decode(std::span<const std::uint8_t> cdb,
                                                           std::size_t dataLength);
};

}  // namespace camsim
