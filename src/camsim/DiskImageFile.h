#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "camsim/RecordedImage.h"

namespace camsim {

// The file in which a kept camera disk holds one image: "QVSIMG01", the header block, the
// capture time and recipe as little-endian numbers, then the output tables as the seven planes
// that load them (wide lanes 0..3, narrow red, green, blue).
class DiskImageFile {
public:
    [[nodiscard]] static std::vector<std::uint8_t> Encode(const RecordedImage& image);
    // The image in `bytes`; nothing when they are not a whole, sound image file.
    [[nodiscard]] static std::optional<RecordedImage> Decode(std::span<const std::uint8_t> bytes);
};

}  // namespace camsim
