#include "cameradisk/DiskDeletion.h"

#include <cstdio>

#include "camera/QVCamera.h"
#include "cameradisk/DiskDirectory.h"
#include "platform/UiPort.h"

namespace scanora {

DiskDeletion::DiskDeletion(QVCamera& camera, UiPort& ui, DiskDirectory& directory)
    : camera_(camera), ui_(ui), directory_(directory)
{
}

std::string DiskDeletion::Question(std::span<const DiskEntry> selected)
{
    if (selected.size() == 1)
        return "Delete " + selected.front().name + "?";
    return "Delete " + std::to_string(selected.size()) + " files?";
}

std::string DiskDeletion::DeleteCommand(const DiskEntry& entry)
{
    char text[16];
    std::snprintf(text, sizeof text, "CDD%.2X\r", static_cast<unsigned>(entry.block));
    return text;
}

DiskDeletionResult DiskDeletion::Delete(std::span<const DiskEntry> selected)
{
    DiskDeletionResult result;
    if (selected.empty())
        return result;
    const MessageResult answer =
        ui_.ShowMessage(Question(selected), MessageIcon::Question, MessageButtons::YesNo);
    if (answer != MessageResult::Yes)
        return result;
    result.confirmed = true;
    for (auto entry = selected.rbegin(); entry != selected.rend(); ++entry) {
        // Only an image with a block address can be named to the camera: free space, or a slot
        // whose reply could not be read (block 0), is never sent.
        if (!DiskDirectory::HasHeaderBlock(*entry))
            continue;
        if (camera_.Command(DeleteCommand(*entry), "#OK"))
            ++result.deleted;
        else
            ++result.failed;
    }
    result.entries = directory_.Read();
    return result;
}

}  // namespace scanora
