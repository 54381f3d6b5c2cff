#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace camsim {

// One directory slot of the camera disk: an image, or a stretch of free space.
struct SimDiskEntry {
    static constexpr std::uint8_t kFreeKind = 0xFF;

    std::uint8_t kind = kFreeKind;  // 0xFF free; otherwise bits 4..7 = bytes per pixel
    std::uint16_t reserved = 0;
    std::uint64_t firstSector = 0;  // where the slot starts on the disk, in 512-byte sectors
    std::uint64_t sectorCount = 0;  // how long it is
    std::uint8_t block = 0;         // an image's header block address, 1..255 (0 = free space)
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::uint16_t extra = 0;
    std::uint32_t time = 0;  // capture time, seconds since 1904-01-01 00:00

    [[nodiscard]] bool IsFree() const { return kind == kFreeKind; }
};

// The camera's own disk. Its directory lists the disk in order as slots, each either an image or
// free space, at most 256 of them; a new disk is one free slot over its whole capacity. Images
// are addressed by their header block address (1..255); address 0 never names an image, so a
// bulk read with selector 0 is always a line read.
class SimDisk {
public:
    static constexpr std::size_t kSectorSize = 512;
    static constexpr std::size_t kMaxEntries = 256;
    static constexpr std::uint32_t kCapacityMegabytes = 18432;
    static constexpr std::uint64_t kSectorsPerMegabyte = std::uint64_t{1024} * 1024 / kSectorSize;

    // `directory` is where the disk is kept between runs; empty keeps it in memory.
    explicit SimDisk(std::string directory);

    [[nodiscard]] const std::vector<SimDiskEntry>& Entries() const { return entries_; }
    [[nodiscard]] std::uint32_t FreeMegabytes() const;
    [[nodiscard]] const std::string& Directory() const { return directory_; }

    // Bytes of the image with header block address `block`, from byte `offset` on; what lies
    // beyond the image (or a block that names none) reads as zeros.
    void ReadImageData(std::uint8_t block, std::uint64_t offset, std::span<std::uint8_t> out) const;
    // The 512-byte header block at `block`; zeros for a block that holds no image.
    void ReadHeaderBlock(std::uint8_t block, std::span<std::uint8_t> out) const;
    // Stores a header block written by the host. False when `block` names no image.
    bool WriteHeaderBlock(std::uint8_t block, std::span<const std::uint8_t> data);

private:
    std::string directory_;
    std::vector<SimDiskEntry> entries_;
};

}  // namespace camsim
