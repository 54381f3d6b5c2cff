#include "camsim/SimDisk.h"

#include <algorithm>
#include <utility>

namespace camsim {

SimDisk::SimDisk(std::string directory) : directory_(std::move(directory))
{
    entries_.push_back(SimDiskEntry::Free(0, kTotalSectors));
    if (directory_.empty())
        return;
    store_ = std::make_unique<SimDiskStore>(directory_);
    if (!store_->CheckWritable(storeError_))
        return;
    if (store_->Load(kTotalSectors, entries_, images_)) {
        entries_ = JoinFreeSlots(std::move(entries_));
        isNew_ = false;
    }
}

SimDisk::~SimDisk() = default;

const RecordedImage* SimDisk::Image(std::uint8_t block) const
{
    const auto found = images_.find(block);
    return found == images_.end() ? nullptr : &found->second;
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

std::uint64_t SimDisk::ImageBytes(const CaptureRecipe& recipe)
{
    return recipe.SensorLines(CaptureKind::Scan) * recipe.LineBytes();
}

std::uint64_t SimDisk::SectorsFor(std::uint64_t bytes)
{
    const std::uint64_t units =
        (bytes + kSectorsPerUnit * kSectorSize - 1) / (kSectorsPerUnit * kSectorSize);
    return std::max<std::uint64_t>(units, 1) * kSectorsPerUnit;
}

std::optional<std::size_t> SimDisk::FindSlot(std::uint64_t sectors) const
{
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const SimDiskEntry& entry = entries_[i];
        const bool splits = entry.sectorCount > sectors;
        if (entry.IsFree() && entry.sectorCount >= sectors &&
            (!splits || entries_.size() < kMaxEntries))
            return i;
    }
    return std::nullopt;
}

std::optional<std::uint8_t> SimDisk::FreeBlockAddress() const
{
    for (unsigned block = 1; block <= 255; ++block) {
        if (!images_.contains(static_cast<std::uint8_t>(block)))
            return static_cast<std::uint8_t>(block);
    }
    return std::nullopt;
}

bool SimDisk::CanRecord(std::uint64_t bytes) const
{
    return FindSlot(SectorsFor(bytes)).has_value() && FreeBlockAddress().has_value();
}

std::optional<std::uint8_t> SimDisk::Record(RecordedImage image)
{
    const std::uint64_t sectors = SectorsFor(ImageBytes(image.recipe));
    const std::optional<std::size_t> slot = FindSlot(sectors);
    const std::optional<std::uint8_t> block = FreeBlockAddress();
    if (!slot || !block)
        return std::nullopt;
    std::vector<SimDiskEntry> entries = entries_;
    const SimDiskEntry free = entries[*slot];
    entries[*slot] = SimDiskEntry::Image(image, *block, free.firstSector, sectors);
    if (free.sectorCount > sectors) {
        entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(*slot) + 1,
                       SimDiskEntry::Free(free.firstSector + sectors, free.sectorCount - sectors));
    }
    // The image's file first, then the directory that names it.
    if (store_ && !store_->SaveImage(*block, image))
        return std::nullopt;
    if (!SaveDirectory(entries)) {
        store_->RemoveImage(*block);
        return std::nullopt;
    }
    entries_ = std::move(entries);
    images_.insert_or_assign(*block, std::move(image));
    return block;
}

SimDisk::Change SimDisk::Delete(std::uint8_t block)
{
    std::vector<SimDiskEntry> entries = entries_;
    const auto found = std::find_if(entries.begin(), entries.end(), [block](const auto& entry) {
        return !entry.IsFree() && entry.block == block;
    });
    if (found == entries.end())
        return Change::NoImage;
    *found = SimDiskEntry::Free(found->firstSector, found->sectorCount);
    entries = JoinFreeSlots(std::move(entries));
    // The directory no longer names the image before its file goes.
    if (!SaveDirectory(entries))
        return Change::NotKept;
    entries_ = std::move(entries);
    images_.erase(block);
    if (readerBlock_ == block)
        reader_.reset();
    if (store_)
        store_->RemoveImage(block);
    return Change::Done;
}

SimDisk::Change SimDisk::Initialise()
{
    const std::vector<SimDiskEntry> empty(1, SimDiskEntry::Free(0, kTotalSectors));
    if (!SaveDirectory(empty))
        return Change::NotKept;
    const std::map<std::uint8_t, RecordedImage> erased = std::exchange(images_, {});
    entries_ = empty;
    reader_.reset();
    if (store_) {
        for (const auto& [block, image] : erased) store_->RemoveImage(block);
    }
    return Change::Done;
}

std::vector<SimDiskEntry> SimDisk::JoinFreeSlots(std::vector<SimDiskEntry> entries)
{
    std::vector<SimDiskEntry> joined;
    for (const SimDiskEntry& entry : entries) {
        if (entry.IsFree() && !joined.empty() && joined.back().IsFree())
            joined.back().sectorCount += entry.sectorCount;
        else
            joined.push_back(entry);
    }
    return joined;
}

bool SimDisk::SaveDirectory(const std::vector<SimDiskEntry>& entries) const
{
    return !store_ || store_->SaveDirectory(entries);
}

void SimDisk::ReadImageData(std::uint8_t block, std::uint64_t offset, std::span<std::uint8_t> out)
{
    const auto found = images_.find(block);
    if (found == images_.end()) {
        std::fill(out.begin(), out.end(), std::uint8_t{0});
        return;
    }
    if (!reader_ || readerBlock_ != block) {
        reader_ = std::make_unique<CaptureRenderer>(found->second.recipe);
        readerBlock_ = block;
    }
    reader_->Read(offset, found->second.recipe.SensorLines(CaptureKind::Scan), out);
}

void SimDisk::ReadHeaderBlock(std::uint8_t block, std::span<std::uint8_t> out) const
{
    std::fill(out.begin(), out.end(), std::uint8_t{0});
    const auto found = images_.find(block);
    if (found != images_.end()) {
        const auto& header = found->second.header;
        std::copy_n(header.begin(), std::min(out.size(), header.size()), out.begin());
    }
}

bool SimDisk::WriteHeaderBlock(std::uint8_t block, std::span<const std::uint8_t> data)
{
    const auto found = images_.find(block);
    if (found == images_.end() || data.size() != RecordedImage::kHeaderSize)
        return false;
    RecordedImage changed = found->second;
    std::copy(data.begin(), data.end(), changed.header.begin());
    if (store_ && !store_->SaveImage(block, changed))
        return false;
    found->second = std::move(changed);
    return true;
}

}  // namespace camsim
