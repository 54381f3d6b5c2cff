#include "imaging/CropEditor.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace scanora {

namespace {

bool Contains(const ImageRect& rect, ImagePoint p)
{
    return p.x >= rect.left && p.x < rect.right && p.y >= rect.top && p.y < rect.bottom;
}

ImageRect Square(int centreX, int centreY)
{
    constexpr int half = CropEditor::kHandleSize / 2;
    return {centreX - half, centreY - half, centreX + half, centreY + half};
}

// One axis of a crop: where it starts and how long it is.
struct Span {
    double start = 0.0;
    double length = 0.0;
    [[nodiscard]] double End() const { return start + length; }
    [[nodiscard]] double Centre() const { return start + length / 2; }
};

// Moves the leading (or trailing) edge of `span` by `delta`, keeping the other edge, the range
// 0..100 and the minimum length.
Span MoveEdge(Span span, double delta, bool leading, double minimum)
{
    if (leading) {
        const double end = span.End();
        const double start = std::clamp(span.start + delta, 0.0, std::max(end - minimum, 0.0));
        return {start, end - start};
    }
    const double end = std::clamp(span.End() + delta, std::min(span.start + minimum, 100.0), 100.0);
    return {span.start, end - span.start};
}

Span Move(Span span, double delta)
{
    return {std::clamp(span.start + delta, 0.0, std::max(100.0 - span.length, 0.0)), span.length};
}

// A span of `length` centred on `centre`, kept inside 0..100.
Span Centred(double centre, double length)
{
    return Move({centre - length / 2, length}, 0.0);
}

// Under a lock: the dragged axis got `primary`; the other axis follows through `follow` and its
// inverse, centred on `other`'s centre. When the follower falls below its minimum or outgrows
// the room around its centre, it is set to that limit and the dragged axis follows it back.
template <typename Follow, typename Lead>
void FollowLock(Span& primary, bool leading, double primaryMinimum, Span& other,
                double otherMinimum, Follow follow, Lead lead)
{
    const double centre = other.Centre();
    const double room = 2 * std::min(centre, 100.0 - centre);
    double length = follow(primary.length);
    if (length < otherMinimum || length > room) {
        length = std::clamp(length, otherMinimum, std::max(room, otherMinimum));
        double primaryLength = std::max(lead(length), primaryMinimum);
        if (leading)
            primary = {primary.End() - primaryLength, primaryLength};
        else
            primary.length = primaryLength;
        primary = Move(primary, 0.0);
    }
    other = Centred(centre, length);
}

}  // namespace

ImageRect CropEditor::WindowRect(const CropPercent& crop, int width, int height)
{
    const auto left = static_cast<int>(width * crop.left / 100.0);
    const auto top = static_cast<int>(height * crop.top / 100.0);
    return {left, top, left + static_cast<int>(width * crop.width / 100.0),
            top + static_cast<int>(height * crop.height / 100.0)};
}

std::array<ImageRect, 8> CropEditor::HandleRects(const ImageRect& frame)
{
    const int midX = (frame.left + frame.right) / 2;
    const int midY = (frame.top + frame.bottom) / 2;
    const int left = frame.left + kHandleInset;
    const int top = frame.top + kHandleInset;
    const int right = frame.right - kHandleInset;
    const int bottom = frame.bottom - kHandleInset;
    return {Square(left, midY), Square(midX, top),  Square(right, midY),  Square(midX, bottom),
            Square(left, top),  Square(right, top), Square(left, bottom), Square(right, bottom)};
}

int CropEditor::HitTest(const CropPercent& crop, int width, int height, ImagePoint point,
                        bool handlesShown)
{
    if (!handlesShown)
        return kNoHandles;
    const ImageRect frame = WindowRect(crop, width, height);
    const std::array<ImageRect, 8> handles = HandleRects(frame);
    for (const int handle :
         {kTop, kLeft, kBottom, kRight, kTopLeft, kTopRight, kBottomLeft, kBottomRight}) {
        if (Contains(handles[static_cast<std::size_t>(handle)], point))
            return handle;
    }
    return Contains(frame, point) ? kInside : kOutside;
}

CropPercent CropEditor::Drag(const CropPercent& start, int handle, double dx, double dy,
                             const CropLimits& limits)
{
    Span across{start.left, start.width};
    Span down{start.top, start.height};
    const bool bothLocks = limits.ratioLocked && limits.sizeLocked;
    if (handle == kInside || handle == kOutside || (bothLocks && handle >= 0 && handle <= 7)) {
        if (bothLocks && handle != kInside && handle != kOutside)
            return start;
        return {Move(across, dx).start, Move(down, dy).start, start.width, start.height};
    }

    const bool movesLeft = handle == kLeft || handle == kTopLeft || handle == kBottomLeft;
    const bool movesRight = handle == kRight || handle == kTopRight || handle == kBottomRight;
    const bool movesTop = handle == kTop || handle == kTopLeft || handle == kTopRight;
    const bool movesBottom = handle == kBottom || handle == kBottomLeft || handle == kBottomRight;
    if (!movesLeft && !movesRight && !movesTop && !movesBottom)
        return start;

    const bool horizontal = movesLeft || movesRight;
    if (horizontal)
        across = MoveEdge(across, dx, movesLeft, limits.minWidth);
    const bool locked = limits.ratioLocked || limits.sizeLocked;
    if (!locked || !horizontal) {
        if (movesTop || movesBottom)
            down = MoveEdge(down, dy, movesTop, limits.minHeight);
    }
    if (!locked)
        return {across.start, down.start, across.length, down.length};

    // Under a lock the horizontal edge leads when one is dragged, else the vertical one.
    const double ratio = start.height > 0 ? start.width / start.height : 1.0;
    const double area = start.width * start.height;
    if (horizontal) {
        const auto follow = [&](double width) {
            return limits.ratioLocked ? width / ratio : area / std::max(width, 1e-9);
        };
        const auto lead = [&](double height) {
            return limits.ratioLocked ? height * ratio : area / std::max(height, 1e-9);
        };
        FollowLock(across, movesLeft, limits.minWidth, down, limits.minHeight, follow, lead);
    } else {
        const auto follow = [&](double height) {
            return limits.ratioLocked ? height * ratio : area / std::max(height, 1e-9);
        };
        const auto lead = [&](double width) {
            return limits.ratioLocked ? width / ratio : area / std::max(width, 1e-9);
        };
        FollowLock(down, movesTop, limits.minHeight, across, limits.minWidth, follow, lead);
    }
    return {across.start, down.start, across.length, down.length};
}

CropPercent CropEditor::DrawNew(const CropPercent& current, double anchorX, double anchorY,
                                double dx, double dy, const CropLimits& limits)
{
    if (limits.sizeLocked)
        return Drag(current, kOutside, dx, dy, limits);
    // The room from the anchor towards the pointer, on each axis.
    const double roomX = dx < 0 ? anchorX : 100.0 - anchorX;
    const double roomY = dy < 0 ? anchorY : 100.0 - anchorY;
    double width = std::max(std::abs(dx), limits.minWidth);
    double height = std::max(std::abs(dy), limits.minHeight);
    if (limits.ratioLocked) {
        const double ratio = current.height > 0 ? current.width / current.height : 1.0;
        height = width / ratio;
        if (height < limits.minHeight) {
            height = limits.minHeight;
            width = height * ratio;
        }
        if (width > roomX && roomX >= limits.minWidth) {
            width = roomX;
            height = width / ratio;
        }
        if (height > roomY && roomY >= limits.minHeight) {
            height = roomY;
            width = height * ratio;
        }
    } else {
        width = std::min(width, std::max(roomX, limits.minWidth));
        height = std::min(height, std::max(roomY, limits.minHeight));
    }
    width = std::min(width, 100.0);
    height = std::min(height, 100.0);
    // Where the minimum does not fit between the anchor and the image's edge, the crop moves in.
    const Span across = Move({dx < 0 ? anchorX - width : anchorX, width}, 0.0);
    const Span down = Move({dy < 0 ? anchorY - height : anchorY, height}, 0.0);
    return {across.start, down.start, across.length, down.length};
}

CropPercent CropEditor::DisplayToPreview(const CropPercent& d, int degrees)
{
    switch (degrees) {
    case 90: return {d.top, 100.0 - d.Right(), d.height, d.width};
    case 180: return {100.0 - d.Right(), 100.0 - d.Bottom(), d.width, d.height};
    case 270: return {100.0 - d.Bottom(), d.left, d.height, d.width};
    default: return d;
    }
}

CropPercent CropEditor::PreviewToDisplay(const CropPercent& p, int degrees)
{
    switch (degrees) {
    case 90: return {100.0 - p.Bottom(), p.left, p.height, p.width};
    case 180: return {100.0 - p.Right(), 100.0 - p.Bottom(), p.width, p.height};
    case 270: return {p.top, 100.0 - p.Right(), p.height, p.width};
    default: return p;
    }
}

int CropEditor::Snap(int position, std::span<const int> lines)
{
    int best = position;
    int bestDistance = kSnapDistance + 1;
    for (const int line : lines) {
        const int distance = std::abs(line - position);
        if (distance <= kSnapDistance && distance < bestDistance) {
            best = line;
            bestDistance = distance;
        }
    }
    return best;
}

}  // namespace scanora
