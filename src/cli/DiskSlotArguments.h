#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cameradisk/DiskEntry.h"

namespace scanora::cli {

// The directory slots a disk command names on its command line ("1 3 4", as `ls` numbers them)
// and the images they stand for.
class DiskSlotArguments {
public:
    // The slot numbers of `words`; nothing, with `error` set, when one is not a number 1..256.
    [[nodiscard]] static std::optional<std::vector<std::uint16_t>> Parse(
        const std::vector<std::string>& words, std::string& error);
    // The images at `slots`, in that order. False, with `error` set, when a slot does not exist,
    // holds free space or an image the camera did not describe.
    static bool Select(const std::vector<DiskEntry>& entries,
                       const std::vector<std::uint16_t>& slots, std::vector<DiskEntry>& selected,
                       std::string& error);
    // `text` fit for a terminal line: control characters shown as '?'.
    [[nodiscard]] static std::string Printable(std::string_view text);
};

}  // namespace scanora::cli
