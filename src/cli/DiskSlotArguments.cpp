#include "cli/DiskSlotArguments.h"

#include <charconv>

#include "cli/CliApp.h"

namespace scanora::cli {

std::optional<std::vector<std::uint16_t>> DiskSlotArguments::Parse(
    const std::vector<std::string>& words, std::string& error)
{
    std::vector<std::uint16_t> slots;
    for (const std::string& word : words) {
        unsigned value = 0;
        const auto [end, failure] = std::from_chars(word.data(), word.data() + word.size(), value);
        if (failure != std::errc() || end != word.data() + word.size() || value < 1 ||
            value > 256) {
            error = "'" + word + "' is not a slot number (1 to 256, as ls lists them)";
            return std::nullopt;
        }
        slots.push_back(static_cast<std::uint16_t>(value));
    }
    return slots;
}

int DiskSlotArguments::ExitStatus(const DiskSelection& selection)
{
    return selection.cameraFailure ? kExitCameraFailure : kExitUsage;
}

}  // namespace scanora::cli
