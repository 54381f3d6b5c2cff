#pragma once

// Images put on the simulated camera's disk as finished scans would have left them, so the disk
// commands can be tried against a disk with known contents.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "camsim/RecordedImage.h"
#include "camsim/SimDisk.h"

namespace scanora::test {

struct SimImage {
    std::string name;
    std::string notes;  // the whole notes text: capture notes, "\r", user notes
    std::uint32_t time = 0;
    std::uint32_t width = 64;
    std::uint32_t height = 48;
    std::uint16_t format = camsim::CaptureRecipe::kColour16;
};

// A header block holding `image`'s name at 192 and its notes with their length byte at 256.
inline std::array<std::uint8_t, 512> SimHeader(const SimImage& image)
{
    std::array<std::uint8_t, 512> header{};
    header.fill(' ');
    for (std::size_t i = 0; i < image.name.size() && i < 64; ++i)
        header[192 + i] = static_cast<std::uint8_t>(image.name[i]);
    const std::size_t length = std::min<std::size_t>(image.notes.size(), 255);
    header[256] = static_cast<std::uint8_t>(length);
    for (std::size_t i = 0; i < length; ++i)
        header[257 + i] = static_cast<std::uint8_t>(image.notes[i]);
    return header;
}

// Records `images` on the disk kept in `folder`, in order; a simulated camera started with
// "disk=<folder>" finds them there.
inline void RecordSimImages(const std::filesystem::path& folder,
                            const std::vector<SimImage>& images)
{
    camsim::SimDisk disk(folder.string());
    for (const SimImage& image : images) {
        camsim::RecordedImage recorded;
        recorded.header = SimHeader(image);
        recorded.recipe.geometry.model = 6;
        recorded.recipe.geometry.sizeStep = 11;
        recorded.recipe.geometry.pixelsPerLine = image.width;
        recorded.recipe.geometry.lines = image.height;
        recorded.recipe.format = image.format;
        recorded.captureTime = image.time;
        disk.Record(recorded);
    }
}

}  // namespace scanora::test
