#include "cli/DiskSlotArguments.h"

#include <algorithm>
#include <charconv>

#include "cameradisk/DiskDirectory.h"
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

DiskSelection DiskSlotArguments::Select(const std::vector<DiskEntry>& entries,
                                        const std::vector<std::uint16_t>& slots)
{
    DiskSelection selection;
    const auto fail = [&](int status, std::string error) {
        selection.images.clear();
        selection.error = std::move(error);
        selection.exitStatus = status;
        return selection;
    };
    for (const std::uint16_t slot : slots) {
        const auto found = std::find_if(entries.begin(), entries.end(),
                                        [slot](const DiskEntry& e) { return e.slot == slot; });
        if (found == entries.end()) {
            return fail(kExitUsage, "slot " + std::to_string(slot) +
                                        " does not exist: the camera disk has " +
                                        std::to_string(entries.size()) + " slots");
        }
        // An unread slot's fields say nothing, not even whether it is free.
        if (found->unread || (!found->IsFree() && !DiskDirectory::HasHeaderBlock(*found)))
            return fail(kExitCameraFailure, UnreadError(slot));
        if (found->IsFree())
            return fail(kExitUsage,
                        "slot " + std::to_string(slot) + " is free space, not an image");
        selection.images.push_back(*found);
    }
    return selection;
}

std::string DiskSlotArguments::UnreadError(std::uint16_t slot)
{
    return "slot " + std::to_string(slot) + " could not be read from the camera";
}

}  // namespace scanora::cli
