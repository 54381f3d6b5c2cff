#include "camsim/SimDisk.h"

#include <algorithm>
#include <utility>

namespace camsim {

SimDisk::SimDisk(std::string directory) : directory_(std::move(directory))
{
    SimDiskEntry whole;
    whole.sectorCount = kCapacityMegabytes * kSectorsPerMegabyte;
    entries_.push_back(whole);
}

std::uint32_t SimDisk::FreeMegabytes() const
{
    std::uint64_t sectors = 0;
    for (const SimDiskEntry& entry : entries_) {
        if (entry.IsFree())
            sectors += entry.sectorCount;
    }
    return static_cast<std::uint32_t>(sectors / kSectorsPerMegabyte);
}

void SimDisk::ReadImageData(std::uint8_t /*block*/, std::uint64_t /*offset*/,
                            std::span<std::uint8_t> out) const
{
    // No image is recorded on the disk yet, so every image byte reads as zero.
    std::fill(out.begin(), out.end(), std::uint8_t{0});
}

void SimDisk::ReadHeaderBlock(std::uint8_t /*block*/, std::span<std::uint8_t> out) const
{
    std::fill(out.begin(), out.end(), std::uint8_t{0});
}

bool SimDisk::WriteHeaderBlock(std::uint8_t block, std::span<const std::uint8_t> /*data*/)
{
    return std::any_of(entries_.begin(), entries_.end(), [block](const SimDiskEntry& entry) {
        return !entry.IsFree() && entry.block == block;
    });
}

}  // namespace camsim
