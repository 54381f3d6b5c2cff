#include "imaging/PreviewGrid.h"

#include <algorithm>

namespace scanora {

namespace {

int Wrap(int value, int spacing)
{
    const int wrapped = value % spacing;
    return wrapped < 0 ? wrapped + spacing : wrapped;
}

int Spacing(int spacing)
{
    return spacing > 0 ? spacing : PreviewGrid::kDefaultSpacing;
}

}  // namespace

PreviewGrid::PreviewGrid(int spacingX, int spacingY)
    : spacingX_(Spacing(spacingX)), spacingY_(Spacing(spacingY))
{
}

void PreviewGrid::Move(int dx, int dy)
{
    offsetX_ = Wrap(offsetX_ + dx, spacingX_);
    offsetY_ = Wrap(offsetY_ + dy, spacingY_);
}

void PreviewGrid::Resize(int dx, int dy)
{
    SetSpacing(std::clamp(spacingX_ + dx, kMinSpacing, kMaxSpacing),
               std::clamp(spacingY_ + dy, kMinSpacing, kMaxSpacing));
}

void PreviewGrid::SetSpacing(int spacingX, int spacingY)
{
    spacingX_ = std::clamp(Spacing(spacingX), kMinSpacing, kMaxSpacing);
    spacingY_ = std::clamp(Spacing(spacingY), kMinSpacing, kMaxSpacing);
    offsetX_ = Wrap(offsetX_, spacingX_);
    offsetY_ = Wrap(offsetY_, spacingY_);
}

std::vector<int> PreviewGrid::Lines(int start, int end, int offset, int spacing)
{
    std::vector<int> lines;
    if (spacing <= 0)
        return lines;
    for (int position = start + offset; position < end; position += spacing) {
        if (position >= start)
            lines.push_back(position);
    }
    return lines;
}

}  // namespace scanora
