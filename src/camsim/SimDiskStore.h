#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "camsim/RecordedImage.h"
#include "camsim/SimDiskEntry.h"

namespace camsim {

// Keeps the camera disk in a folder between runs: the file "directory" lists the slots in disk
// order ("free FIRST COUNT" or "image BLOCK FIRST COUNT", in sectors, after the line
// "scanora-camsim-disk 1"), and "image-BB.bin" holds the image with header block address BB (see
// DiskImageFile). Every file is written under a temporary name, flushed and renamed into place,
// so a crash leaves the old file or the new one, never half of one.
class SimDiskStore {
public:
    explicit SimDiskStore(std::filesystem::path folder);

    // Makes the folder when it is not there and tries a file in it. False, with `error` saying
    // why, when the disk cannot be kept there (a file of that name, a read-only folder).
    bool CheckWritable(std::string& error) const;

    // The disk as the folder keeps it. False, leaving both untouched, when the folder holds no
    // directory or one that does not describe a whole disk of `totalSectors`; an image whose file
    // is missing or unsound comes back as free space.
    bool Load(std::uint64_t totalSectors, std::vector<SimDiskEntry>& entries,
              std::map<std::uint8_t, RecordedImage>& images) const;
    // Each returns false when the folder could not be written.
    bool SaveDirectory(const std::vector<SimDiskEntry>& entries) const;
    bool SaveImage(std::uint8_t block, const RecordedImage& image) const;
    void RemoveImage(std::uint8_t block) const;

private:
    [[nodiscard]] std::filesystem::path ImagePath(std::uint8_t block) const;
    bool WriteAtomically(const std::filesystem::path& path,
                         std::span<const std::uint8_t> bytes) const;

    std::filesystem::path folder_;
};

}  // namespace camsim
