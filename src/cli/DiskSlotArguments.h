#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cameradisk/DiskEntry.h"

namespace scanora::cli {

// The images a disk command selected by their slots, or why it could not select them.
struct DiskSelection {
    std::vector<DiskEntry> images;  // in the order the slots were named
    std::string error;              // empty when every slot named an image
    int exitStatus = 0;             // the command's exit status when there is an error

    [[nodiscard]] bool Ok() const { return error.empty(); }
};

// The directory slots a disk command names on its command line ("1 3 4", as `ls` numbers them)
// and the images they stand for.
class DiskSlotArguments {
public:
    // The slot numbers of `words`; nothing, with `error` set, when one is not a number 1..256.
    [[nodiscard]] static std::optional<std::vector<std::uint16_t>> Parse(
        const std::vector<std::string>& words, std::string& error);
    // The images at `slots`. A slot that does not exist or holds free space is a usage error;
    // one the camera did not let us read is the camera's failure.
    [[nodiscard]] static DiskSelection Select(const std::vector<DiskEntry>& entries,
                                              const std::vector<std::uint16_t>& slots);
    // "slot N could not be read from the camera".
    [[nodiscard]] static std::string UnreadError(std::uint16_t slot);
};

}  // namespace scanora::cli
