#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cameradisk/DiskSelection.h"

namespace scanora::cli {

// The directory slots a disk command names on its command line ("1 3 4", as `ls` numbers them).
class DiskSlotArguments {
public:
    // The slot numbers of `words`; nothing, with `error` set, when one is not a number 1..256.
    [[nodiscard]] static std::optional<std::vector<std::uint16_t>> Parse(
        const std::vector<std::string>& words, std::string& error);
    // The command's exit status for a selection that failed: a slot named wrongly is a usage
    // error, one the camera did not let us read the camera's failure.
    [[nodiscard]] static int ExitStatus(const DiskSelection& selection);
};

}  // namespace scanora::cli
