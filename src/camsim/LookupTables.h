#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace camsim {

// The camera's output tables as a capture uses them: the wide table turns 14-bit sensor values
// into 16-bit samples, and one narrow table per colour turns 13-bit values (the sensor value
// halved) into 8-bit samples. The defaults are linear: 4 × value and value / 32.
class LookupTables {
public:
    static constexpr std::size_t kWideEntries = 16384;
    static constexpr std::size_t kNarrowEntries = 8192;
    static constexpr std::size_t kPlaneSize = 8192;
    static constexpr std::size_t kColours = 3;

    LookupTables();

    [[nodiscard]] std::uint16_t Wide(std::uint16_t sensor) const
    {
        return wide_[sensor & (kWideEntries - 1)];
    }
    [[nodiscard]] std::uint8_t Narrow(std::size_t colour, std::uint16_t sensor) const
    {
        return narrow_[colour % kColours][(sensor >> 1) & (kNarrowEntries - 1)];
    }

    // One byte lane of the wide table from a plane: part 0 the low bytes of entries 0..8191,
    // 1 the low bytes of entries 8192..16383, 2 and 3 the high bytes of the same halves.
    void LoadWidePart(std::size_t part, std::span<const std::uint8_t, kPlaneSize> plane);
    void LoadNarrow(std::size_t colour, std::span<const std::uint8_t, kPlaneSize> plane);
    // The linear wide table again (4 × value).
    void ResetWide();

    [[nodiscard]] const std::vector<std::uint16_t>& WideTable() const { return wide_; }
    [[nodiscard]] const std::vector<std::uint8_t>& NarrowTable(std::size_t colour) const
    {
        return narrow_[colour % kColours];
    }

private:
    std::vector<std::uint16_t> wide_;
    std::array<std::vector<std::uint8_t>, kColours> narrow_;
};

}  // namespace camsim
