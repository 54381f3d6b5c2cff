#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "camsim/CaptureRecipe.h"

namespace camsim {

// An image on the camera's disk: its header block (which the host may rewrite) and the recipe the
// camera reads its data back with.
struct RecordedImage {
    static constexpr std::size_t kHeaderSize = 512;

    std::array<std::uint8_t, kHeaderSize> header{};
    CaptureRecipe recipe;
    std::uint32_t captureTime = 0;  // seconds since 1904-01-01 00:00
};

}  // namespace camsim
