#include "camera/ColorSamplePoints.h"

#include <algorithm>

namespace scanora {

namespace {

bool InUsableRange(std::uint16_t value)
{
    return value >= ColorSamplePoints::kLowestUsable && value <= ColorSamplePoints::kHighestUsable;
}

}  // namespace

bool ColorSamplePoints::Add(int x, int y, const PreviewView& preview)
{
    if (!enabled_ || Count() >= kMaxPoints)
        return false;
    const auto freeCode = std::find(codesInUse_.begin(), codesInUse_.end(), false);
    // Fewer than 12 points carry fewer than 12 codes, so a free one exists.
    const auto code = static_cast<std::uint16_t>(freeCode - codesInUse_.begin());
    *freeCode = true;
    for (SamplePoint& point : points_) point.selected = false;
    points_.push_back(SamplePoint{x, y, IsUsable(x, y, preview), true, code});
    return true;
}

bool ColorSamplePoints::Remove(int index)
{
    if (!IsIndex(index))
        return false;
    const auto at = points_.begin() + index;
    codesInUse_[at->colorCode] = false;
    points_.erase(at);
    return true;
}

bool ColorSamplePoints::Move(int index, int x, int y, const PreviewView& preview)
{
    if (!IsIndex(index))
        return false;
    SamplePoint& point = points_[static_cast<std::size_t>(index)];
    point.x = x;
    point.y = y;
    point.usable = IsUsable(x, y, preview);
    return true;
}

void ColorSamplePoints::Clear()
{
    points_.clear();
    codesInUse_.fill(false);
}

int ColorSamplePoints::DropOutside(int width, int height)
{
    int dropped = 0;
    for (int index = Count() - 1; index >= 0; --index) {
        const SamplePoint& point = points_[static_cast<std::size_t>(index)];
        // A point on the row or column just past the last pixel is outside as well: it would
        // measure nothing.
        if (point.x < 0 || point.y < 0 || point.x >= width || point.y >= height) {
            Remove(index);
            ++dropped;
        }
    }
    return dropped;
}

void ColorSamplePoints::Remeasure(const PreviewView& preview)
{
    for (SamplePoint& point : points_) point.usable = IsUsable(point.x, point.y, preview);
}

void ColorSamplePoints::Select(int index)
{
    if (!IsIndex(index))
        return;
    for (SamplePoint& point : points_) point.selected = false;
    points_[static_cast<std::size_t>(index)].selected = true;
}

int ColorSamplePoints::SelectedIndex() const
{
    const auto found = std::find_if(points_.begin(), points_.end(),
                                    [](const SamplePoint& point) { return point.selected; });
    return static_cast<int>(found - points_.begin());
}

bool ColorSamplePoints::IsCodeInUse(int code) const
{
    return code >= 0 && code < kMaxPoints && codesInUse_[static_cast<std::size_t>(code)];
}

bool ColorSamplePoints::SetSpotWidth(int width)
{
    if (!SpotMeter::IsValidWidth(width))
        return false;
    spotWidth_ = width;
    return true;
}

SpotMean16 ColorSamplePoints::MeanAt(int index, const PreviewView& preview) const
{
    if (!IsIndex(index))
        return {};
    const SamplePoint& point = points_[static_cast<std::size_t>(index)];
    return SpotMeter::Measure(preview, point.x, point.y, spotWidth_);
}

SpotMean8 ColorSamplePoints::DisplayMeanAt(int index, const DisplayView& display) const
{
    if (!IsIndex(index))
        return {};
    const SamplePoint& point = points_[static_cast<std::size_t>(index)];
    return SpotMeter::Measure(display, point.x, point.y, spotWidth_);
}

MarkerRect ColorSamplePoints::MarkerRectangle(int displayX, int displayY)
{
    return MarkerRect{displayX - 6, displayY - 6, displayX + 7, displayY + 7};
}

bool ColorSamplePoints::IsUsable(int x, int y, const PreviewView& preview) const
{
    const SpotMean16 mean = SpotMeter::Measure(preview, x, y, spotWidth_);
    return InUsableRange(mean.red) && InUsableRange(mean.green) && InUsableRange(mean.blue);
}

}  // namespace scanora
