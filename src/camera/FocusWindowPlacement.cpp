#include "camera/FocusWindowPlacement.h"

#include <algorithm>
#include <cmath>

namespace scanora {

FocusWindowPlacement::FocusWindowPlacement(int sensorWidth, int maxSizeStep, int minSizeStep)
    : sensorWidth_(std::max(sensorWidth, 0)), maxSizeStep_(maxSizeStep), minSizeStep_(minSizeStep)
{
}

double FocusWindowPlacement::Scale() const
{
    const int denominator = maxSizeStep_ - minSizeStep_;
    // A model whose steps say nothing sensible counts one sensor pixel per column.
    if (maxSizeStep_ <= 0 || denominator <= 0)
        return 1.0;
    return static_cast<double>(maxSizeStep_) / denominator;
}

int FocusWindowPlacement::WindowStart(int column, int width) const
{
    const long long centre = std::llround(column * Scale());
    const long long start = centre - width / 2;
    const long long last = std::max<long long>(static_cast<long long>(sensorWidth_) - width, 0);
    return static_cast<int>(std::clamp<long long>(start, 0, last));
}

FocusWindowPlacement::PreviewSpan FocusWindowPlacement::Span(int column, int width) const
{
    const int start = WindowStart(column, width);
    const double scale = Scale();
    return {start / scale, (start + std::max(width, 0)) / scale};
}

}  // namespace scanora
