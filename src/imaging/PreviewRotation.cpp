#include "imaging/PreviewRotation.h"

namespace scanora {

PreviewRotation::PreviewRotation(int degrees, int previewWidth, int previewHeight)
    : degrees_(IsValid(degrees) ? degrees : 0), width_(previewWidth), height_(previewHeight)
{
}

ImagePoint PreviewRotation::ToDisplay(ImagePoint p) const
{
    switch (degrees_) {
    case 90: return {height_ - 1 - p.y, p.x};
    case 180: return {width_ - 1 - p.x, height_ - 1 - p.y};
    case 270: return {p.y, width_ - 1 - p.x};
    default: return p;
    }
}

ImagePoint PreviewRotation::ToPreview(ImagePoint d) const
{
    switch (degrees_) {
    case 90: return {d.y, height_ - 1 - d.x};
    case 180: return {width_ - 1 - d.x, height_ - 1 - d.y};
    case 270: return {width_ - 1 - d.y, d.x};
    default: return d;
    }
}

ImageRect PreviewRotation::ToDisplayRect(const ImageRect& r) const
{
    switch (degrees_) {
    case 90: return {height_ - r.bottom, r.left, height_ - r.top, r.right};
    case 180: return {width_ - r.right, height_ - r.bottom, width_ - r.left, height_ - r.top};
    case 270: return {r.top, width_ - r.right, r.bottom, width_ - r.left};
    default: return r;
    }
}

ImageRect PreviewRotation::ToPreviewRect(const ImageRect& r) const
{
    switch (degrees_) {
    case 90: return {r.top, height_ - r.right, r.bottom, height_ - r.left};
    case 180: return {width_ - r.right, height_ - r.bottom, width_ - r.left, height_ - r.top};
    case 270: return {width_ - r.bottom, r.left, width_ - r.top, r.right};
    default: return r;
    }
}

PreviewRotation::IndexMap PreviewRotation::Indices() const
{
    const std::ptrdiff_t p = width_;
    const std::ptrdiff_t l = height_;
    switch (degrees_) {
    case 90: return {l - 1, l, -1};         // column L - 1 - y, row x of an L-wide image
    case 180: return {p * l - 1, -1, -p};   // mirrored both ways
    case 270: return {(p - 1) * l, -l, 1};  // column y, row P - 1 - x
    default: return {0, 1, p};
    }
}

}  // namespace scanora
