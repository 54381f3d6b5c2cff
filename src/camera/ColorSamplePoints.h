#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "camera/RgbImageView.h"
#include "camera/SpotMeter.h"

namespace scanora {

// One colour sample point, in preview pixel coordinates.
struct SamplePoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool usable = false;          // its three 16-bit spot means all lie within 320..55705
    bool selected = false;        // the point placed most recently (or picked since)
    std::uint16_t colorCode = 0;  // 0..11: the colour it is drawn in
};

// The square drawn around a point on the display.
struct MarkerRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The program-wide set of up to 12 colour sample points the user places on the preview: the
// neutral points of the colour balance, the colour page's readouts and the markers of the
// histogram, the curve editor and the preview. Points keep the order they were placed in; each
// carries the lowest colour code free when it was placed. Whether a point is usable (neither too
// dark nor clipped) is measured on the preview passed in.
class ColorSamplePoints {
public:
    static constexpr int kMaxPoints = 12;
    static constexpr std::uint16_t kLowestUsable = 320;
    static constexpr std::uint16_t kHighestUsable = 55705;

    // Places a point after the others and selects it. False when 12 points exist or the set is
    // not enabled.
    bool Add(int x, int y, const PreviewView& preview);
    // Removes a point; the later ones move down one place. False for an index not in use.
    bool Remove(int index);
    // Moves a point and measures it anew. False for an index not in use.
    bool Move(int index, int x, int y, const PreviewView& preview);
    // No points, no codes in use. Leaves the enabled flag as it is.
    void Clear();
    // Removes, from the last to the first, every point that lies outside a preview of this size;
    // returns how many were removed.
    int DropOutside(int width, int height);
    // Measures every point anew.
    void Remeasure(const PreviewView& preview);

    // Selects exactly this point (nothing for an index not in use).
    void Select(int index);
    // The first selected point, or Count() when none is.
    [[nodiscard]] int SelectedIndex() const;
    [[nodiscard]] int Count() const { return static_cast<int>(points_.size()); }
    [[nodiscard]] std::span<const SamplePoint> Points() const { return points_; }
    [[nodiscard]] bool IsCodeInUse(int code) const;

    // Points can be added only while the set is enabled.
    [[nodiscard]] bool IsEnabled() const { return enabled_; }
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    // The measuring spot: 1, 3 or 5 pixels on a side (5 at start). False, with the width kept,
    // for any other value.
    [[nodiscard]] int SpotWidth() const { return spotWidth_; }
    bool SetSpotWidth(int width);

    // The spot means of a point on the 16-bit preview and on the 8-bit display copy; zeros for
    // an index not in use.
    [[nodiscard]] SpotMean16 MeanAt(int index, const PreviewView& preview) const;
    [[nodiscard]] SpotMean8 DisplayMeanAt(int index, const DisplayView& display) const;

    // The marker square around a point at these display coordinates.
    [[nodiscard]] static MarkerRect MarkerRectangle(int displayX, int displayY);

private:
    [[nodiscard]] bool IsIndex(int index) const { return index >= 0 && index < Count(); }
    [[nodiscard]] bool IsUsable(int x, int y, const PreviewView& preview) const;

    std::vector<SamplePoint> points_;
    std::array<bool, kMaxPoints> codesInUse_{};
    int spotWidth_ = SpotMeter::kDefaultWidth;
    bool enabled_ = true;
};

}  // namespace scanora
