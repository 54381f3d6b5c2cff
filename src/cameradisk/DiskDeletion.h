#pragma once

#include <span>
#include <string>
#include <vector>

#include "cameradisk/DiskEntry.h"

namespace scanora {

class DiskDirectory;
class QVCamera;
class UiPort;

// What a deletion came to.
struct DiskDeletionResult {
    bool confirmed = false;          // the user said yes
    int deleted = 0;                 // images the camera deleted
    int failed = 0;                  // images the camera refused or did not answer for
    std::vector<DiskEntry> entries;  // the directory read again (when confirmed)
};

// Deletes images from the camera disk: asks once ("Delete %d files?" for several, "Delete %s?"
// with the name for one), then sends "CDD" with each image's block address, from the last
// selected to the first, and reads the directory again.
class DiskDeletion {
public:
    DiskDeletion(QVCamera& camera, UiPort& ui, DiskDirectory& directory);

    // The question for `selected`.
    [[nodiscard]] static std::string Question(std::span<const DiskEntry> selected);
    // The "CDD" command for an image.
    [[nodiscard]] static std::string DeleteCommand(const DiskEntry& entry);

    // `selected` in the order the user selected them. Free slots and slots without a block
    // address are passed over. Nothing is asked or sent when nothing is selected.
    DiskDeletionResult Delete(std::span<const DiskEntry> selected);

private:
    QVCamera& camera_;
    UiPort& ui_;
    DiskDirectory& directory_;
};

}  // namespace scanora
