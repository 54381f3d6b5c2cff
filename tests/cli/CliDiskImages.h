#pragma once

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "camsim/SimDisk.h"

namespace scanora::test {

// A small image as a model-6 camera stores it at size step 10, named `name`, for the simulated
// camera's disk.
inline camsim::RecordedImage NamedImage(std::string_view name, std::uint32_t pixelsPerLine,
                                        std::uint32_t lines)
{
    camsim::RecordedImage image;
    image.header.fill(' ');
    std::copy_n(name.begin(), name.size(), image.header.begin() + 192);
    image.header[256] = 0;
    image.recipe.geometry.model = 6;
    image.recipe.geometry.sizeStep = 10;
    image.recipe.geometry.pixelsPerLine = pixelsPerLine;
    image.recipe.geometry.lines = lines;
    image.captureTime = 3'900'000'000u;
    return image;
}

}  // namespace scanora::test
