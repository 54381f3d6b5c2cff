#include "imaging/CurveGraph.h"

#include <cmath>

namespace scanora {

double CurveGraph::LeftEdgeRaw()
{
    return kRawKnee * std::exp2(-kTopLevel / kLevelsPerStop);
}

int CurveGraph::RawToIndex(double raw)
{
    return static_cast<int>(254.5 + kLevelsPerStop * std::log2(raw / kRawKnee));
}

void CurveGraph::SetClientArea(int left, int top, int right, int bottom)
{
    left_ = left + kLeftMargin;
    top_ = top;
    width_ = right - left - kLeftMargin;
    height_ = bottom - top - kBottomMargin;
}

int CurveGraph::LevelToX(double level) const
{
    return static_cast<int>(level / kTopLevel * Width() + 0.5) + left_;
}

int CurveGraph::XToLevel(int x) const
{
    return static_cast<int>((x - left_) / Width() * kTopLevel + 0.5);
}

int CurveGraph::LevelToY(double level) const
{
    const double fromTop = flipped_ ? level : kTopLevel - level;
    return static_cast<int>(fromTop / 256.0 * Height() + 0.5) + top_;
}

int CurveGraph::YToLevel(int y) const
{
    const int v = static_cast<int>((y - top_) / Height() * 256.0 + 0.5);
    return flipped_ ? v : kTopLevel - v;
}

}  // namespace scanora
