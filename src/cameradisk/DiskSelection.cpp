#include "cameradisk/DiskSelection.h"

#include <algorithm>

#include "cameradisk/DiskDirectory.h"

namespace scanora {

DiskSelection DiskSelection::Of(const std::vector<DiskEntry>& entries,
                                const std::vector<std::uint16_t>& slots)
{
    DiskSelection selection;
    const auto fail = [&](bool cameraFailure, std::string error) {
        selection.images.clear();
        selection.error = std::move(error);
        selection.cameraFailure = cameraFailure;
        return selection;
    };
    for (const std::uint16_t slot : slots) {
        const auto found = std::find_if(entries.begin(), entries.end(),
                                        [slot](const DiskEntry& e) { return e.slot == slot; });
        if (found == entries.end()) {
            return fail(false, "slot " + std::to_string(slot) +
                                   " does not exist: the camera disk has " +
                                   std::to_string(entries.size()) + " slots");
        }
        // An unread slot's fields say nothing, not even whether it is free.
        if (found->unread || (!found->IsFree() && !DiskDirectory::HasHeaderBlock(*found)))
            return fail(true, UnreadError(slot));
        if (found->IsFree())
            return fail(false, "slot " + std::to_string(slot) + " is free space, not an image");
        selection.images.push_back(*found);
    }
    return selection;
}

std::string DiskSelection::UnreadError(std::uint16_t slot)
{
    return "slot " + std::to_string(slot) + " could not be read from the camera";
}

}  // namespace scanora
