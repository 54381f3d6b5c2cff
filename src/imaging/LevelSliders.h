#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "settings/HistogramSetting.h"

namespace scanora {

// The histogram's level sliders: the 0..255 display levels cut into bands, each band ending at
// its slider's level (inclusive) with a colour (red + 256 * green + 65536 * blue) and a
// false-colour switch. The list is kept ordered by level, at most 128 sliders.
class LevelSliders {
public:
    using Slider = HistogramSetting::Slider;
    static constexpr std::uint32_t kInsertedColor = 128 + 256 * 128 + 65536 * 128;
    // A click this close above a boundary (or three levels below it) grabs the boundary.
    static constexpr int kGrabAbove = 6;
    static constexpr int kGrabBelow = 3;

    LevelSliders() = default;
    explicit LevelSliders(std::span<const Slider> sliders) { Assign(sliders); }

    // Takes the sliders of a setting: at most 128, levels held to 0..255, ordered by level.
    void Assign(std::span<const Slider> sliders);
    [[nodiscard]] std::span<const Slider> Sliders() const { return sliders_; }
    [[nodiscard]] int Count() const { return static_cast<int>(sliders_.size()); }
    [[nodiscard]] const Slider& At(int index) const
    {
        return sliders_.at(static_cast<std::size_t>(index));
    }

    // The first slider whose level is at or above `level` (held to 0..255); the last slider when
    // the level lies above every slider; nothing for an empty list.
    [[nodiscard]] std::optional<int> FindSliderBand(int level) const;
    // The band colour that replaces a pixel of display grey `level`, when its band shows false
    // colour.
    [[nodiscard]] std::optional<std::uint32_t> FalseColor(int level) const;
    // The false colour for each of the 256 levels, -1 where the band shows none.
    [[nodiscard]] std::array<std::int32_t, 256> FalseColorTable() const;

    // What a press on the slider bar at level `v` hits.
    struct Hit {
        enum class Kind { Boundary, Band } kind = Kind::Band;
        int slider = 0;
    };
    [[nodiscard]] std::optional<Hit> HitTest(int level) const;
    // Whether the slider may be dragged or deleted: every slider but the last.
    [[nodiscard]] bool IsMovable(int index) const;

    // The levels slider `index` may take while dragged: from the previous slider's level + 2 (0
    // for the first) to the next slider's level - 2; the slider before the last may reach 255.
    struct Range {
        int lowest = 0;
        int highest = 0;
    };
    [[nodiscard]] Range DragRange(int index) const;
    // Moves a movable slider to `level` when that lies in its range. True when it moved.
    bool MoveSlider(int index, int level);

    // A grey slider with false colour on at `level`, just before slider `before`. False when the
    // list is full or `before` does not exist.
    bool InsertBefore(int before, int level);
    // Removes a movable slider.
    bool Remove(int index);
    bool ToggleFalseColor(int index);
    bool SetColor(int index, std::uint32_t color);

private:
    std::vector<Slider> sliders_;
};

}  // namespace scanora
