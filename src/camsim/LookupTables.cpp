#include "camsim/LookupTables.h"

namespace camsim {

LookupTables::LookupTables() : wide_(kWideEntries)
{
    ResetWide();
    for (std::vector<std::uint8_t>& narrow : narrow_) {
        narrow.resize(kNarrowEntries);
        for (std::size_t i = 0; i < kNarrowEntries; ++i)
            narrow[i] = static_cast<std::uint8_t>(i / 32);
    }
}

void LookupTables::ResetWide()
{
    for (std::size_t i = 0; i < kWideEntries; ++i) wide_[i] = static_cast<std::uint16_t>(4 * i);
}

void LookupTables::LoadWidePart(std::size_t part, std::span<const std::uint8_t, kPlaneSize> plane)
{
    const std::size_t first = (part % 2) * kPlaneSize;
    const bool high = part >= 2;
    for (std::size_t i = 0; i < kPlaneSize; ++i) {
        std::uint16_t& entry = wide_[first + i];
        entry = high ? static_cast<std::uint16_t>((entry & 0x00FF) | plane[i] << 8)
                     : static_cast<std::uint16_t>((entry & 0xFF00) | plane[i]);
    }
}

void LookupTables::LoadNarrow(std::size_t colour, std::span<const std::uint8_t, kPlaneSize> plane)
{
    narrow_[colour % kColours].assign(plane.begin(), plane.end());
}

}  // namespace camsim
