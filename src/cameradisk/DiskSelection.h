#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cameradisk/DiskEntry.h"

namespace scanora {

// The images a command picked on the camera's disk by their directory slots (1-based, as the
// listing numbers them), or why it could not pick them.
struct DiskSelection {
    std::vector<DiskEntry> images;  // in the order the slots were named
    std::string error;              // empty when every slot named an image
    // The error is the camera's (it did not let us read a slot), not a slot named wrongly.
    bool cameraFailure = false;

    [[nodiscard]] bool Ok() const { return error.empty(); }

    // The images at `slots` of the directory `entries`. A slot that does not exist or holds
    // free space is named wrongly; one the camera did not let us read is the camera's failure.
    [[nodiscard]] static DiskSelection Of(const std::vector<DiskEntry>& entries,
                                          const std::vector<std::uint16_t>& slots);
    // "slot N could not be read from the camera".
    [[nodiscard]] static std::string UnreadError(std::uint16_t slot);
};

}  // namespace scanora
