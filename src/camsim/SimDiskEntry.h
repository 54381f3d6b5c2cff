#pragma once

#include <cstdint>

#include "camsim/RecordedImage.h"

namespace camsim {

// One directory slot of the camera disk: an image, or a stretch of free space.
struct SimDiskEntry {
    static constexpr std::uint8_t kFreeKind = 0xFF;

    std::uint8_t kind = kFreeKind;  // 0xFF free; otherwise the capture format, whose bits 4..7
                                    // are the bytes per pixel
    std::uint16_t reserved = 0;
    std::uint64_t firstSector = 0;  // where the slot starts on the disk, in 512-byte sectors
    std::uint64_t sectorCount = 0;  // how long it is
    std::uint8_t block = 0;         // an image's header block address, 1..255 (0 = free space)
    std::uint16_t width = 0;        // pixels per line
    std::uint16_t height = 0;       // lines
    std::uint16_t extra = 0;        // the size step, as a 16-bit two's complement number
    std::uint32_t time = 0;         // capture time, seconds since 1904-01-01 00:00

    [[nodiscard]] bool IsFree() const { return kind == kFreeKind; }

    [[nodiscard]] static SimDiskEntry Free(std::uint64_t firstSector, std::uint64_t sectorCount)
    {
        SimDiskEntry entry;
        entry.firstSector = firstSector;
        entry.sectorCount = sectorCount;
        return entry;
    }
    [[nodiscard]] static SimDiskEntry Image(const RecordedImage& image, std::uint8_t block,
                                            std::uint64_t firstSector, std::uint64_t sectorCount)
    {
        const CaptureGeometry& geometry = image.recipe.geometry;
        SimDiskEntry entry;
        entry.kind = static_cast<std::uint8_t>(image.recipe.format);
        entry.firstSector = firstSector;
        entry.sectorCount = sectorCount;
        entry.block = block;
        entry.width = static_cast<std::uint16_t>(geometry.pixelsPerLine);
        entry.height = static_cast<std::uint16_t>(geometry.lines);
        entry.extra = static_cast<std::uint16_t>(geometry.sizeStep);
        entry.time = image.captureTime;
        return entry;
    }
};

}  // namespace camsim
