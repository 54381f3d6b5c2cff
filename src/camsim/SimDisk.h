#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "camsim/CaptureRenderer.h"
#include "camsim/RecordedImage.h"
#include "camsim/SimDiskEntry.h"
#include "camsim/SimDiskStore.h"

namespace camsim {

// The camera's own disk. Its directory lists the disk in order as slots, each either an image or
// free space, at most 256 of them; a new disk is one free slot over its whole capacity. An image
// takes the first free slot it fits in, in whole half megabytes; deleting it frees its slot,
// which joins the free slots beside it. Images are addressed by their header block address
// (the lowest free one of 1..255); address 0 never names an image, so a bulk read with selector
// 0 is always a line read.
//
// An image's data is the scan as the sensor delivered it (see CaptureRenderer): its lines and the
// 4 colour offsets of lines behind them. It is produced from the image's recipe whenever it is
// read, so the disk holds no pixels. With a directory the disk is kept there (SimDiskStore) and
// read back when the camera starts.
class SimDisk {
public:
    // How a change to the disk ended. With a folder, a change is made only once the folder
    // holds it: a disk that cannot be written (a full file system) refuses the change rather
    // than lose it at the next start.
    enum class Change { Done, NoImage, NotKept };

    static constexpr std::size_t kSectorSize = 512;
    static constexpr std::size_t kMaxEntries = 256;
    static constexpr std::uint32_t kCapacityMegabytes = 18432;
    static constexpr std::uint64_t kSectorsPerMegabyte = std::uint64_t{1024} * 1024 / kSectorSize;
    static constexpr std::uint64_t kSectorsPerUnit = kSectorsPerMegabyte / 2;  // half a megabyte
    static constexpr std::uint64_t kTotalSectors = kCapacityMegabytes * kSectorsPerMegabyte;

    // `directory` is where the disk is kept between runs; empty keeps it in memory.
    explicit SimDisk(std::string directory);
    ~SimDisk();
    SimDisk(const SimDisk&) = delete;
    SimDisk& operator=(const SimDisk&) = delete;

    [[nodiscard]] const std::vector<SimDiskEntry>& Entries() const { return entries_; }
    // True when the disk was not read back from its directory: a new disk.
    [[nodiscard]] bool IsNew() const { return isNew_; }
    // Why the disk's folder cannot keep it, in words; empty when it can (or there is none).
    [[nodiscard]] const std::string& StoreError() const { return storeError_; }
    // The image at header block address `block`, with the recipe its data is made from; null
    // when there is none.
    [[nodiscard]] const RecordedImage* Image(std::uint8_t block) const;
    [[nodiscard]] std::uint32_t FreeMegabytes() const;
    [[nodiscard]] const std::string& Directory() const { return directory_; }

    // The bytes an image of `recipe` takes on the disk.
    [[nodiscard]] static std::uint64_t ImageBytes(const CaptureRecipe& recipe);
    // True when an image of `bytes` finds a slot and a header block address.
    [[nodiscard]] bool CanRecord(std::uint64_t bytes) const;
    // Records `image`; its header block address, or nothing when the disk is full or its folder
    // could not keep the image.
    std::optional<std::uint8_t> Record(RecordedImage image);
    // Deletes the image at header block address `block`.
    Change Delete(std::uint8_t block);
    // Erases the whole disk.
    Change Initialise();

    // Bytes of the image with header block address `block`, from byte `offset` on; what lies
    // beyond the image (or a block that names none) reads as zeros.
    void ReadImageData(std::uint8_t block, std::uint64_t offset, std::span<std::uint8_t> out);
    // The 512-byte header block at `block`; zeros for a block that holds no image.
    void ReadHeaderBlock(std::uint8_t block, std::span<std::uint8_t> out) const;
    // Stores a header block written by the host. False when `block` names no image, `data` is
    // not one block, or the folder could not keep it.
    bool WriteHeaderBlock(std::uint8_t block, std::span<const std::uint8_t> data);

private:
    // The first free slot of at least `sectors`, when the directory has room for the split.
    [[nodiscard]] std::optional<std::size_t> FindSlot(std::uint64_t sectors) const;
    [[nodiscard]] std::optional<std::uint8_t> FreeBlockAddress() const;
    [[nodiscard]] static std::uint64_t SectorsFor(std::uint64_t bytes);
    // `entries` with the free slots beside each other joined into one.
    [[nodiscard]] static std::vector<SimDiskEntry> JoinFreeSlots(std::vector<SimDiskEntry> entries);
    // Writes `entries` as the directory into the folder; true without a folder.
    [[nodiscard]] bool SaveDirectory(const std::vector<SimDiskEntry>& entries) const;

    std::string directory_;
    std::string storeError_;
    bool isNew_ = true;
    std::unique_ptr<SimDiskStore> store_;
    std::vector<SimDiskEntry> entries_;
    std::map<std::uint8_t, RecordedImage> images_;
    // The image read last, kept ready for the next piece of the same transfer.
    std::uint8_t readerBlock_ = 0;
    std::unique_ptr<CaptureRenderer> reader_;
};

}  // namespace camsim
