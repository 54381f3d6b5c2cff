#include "acquire/PreviewImage.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "acquire/TryAllocate.h"
#include "imaging/ColorCorrectingToneCurve.h"

namespace scanora {

namespace {

std::size_t RoundUpToBlock(std::size_t bytes)
{
    constexpr std::size_t kBlock = PreviewImage::kBlockBytes;
    return (bytes + kBlock - 1) / kBlock * kBlock;
}

}  // namespace

PreviewGeometry PreviewGeometry::ForCamera(int sensorWidth, int lines, int maxSizeStep,
                                           int minSizeStep)
{
    if (maxSizeStep < 1)
        return {};
    return {std::max(sensorWidth, 0) / maxSizeStep, std::max(lines, 0) / maxSizeStep,
            static_cast<std::int16_t>(2 * (maxSizeStep - minSizeStep))};
}

PreviewImage::PreviewImage(std::size_t maxBufferBytes) : maxBufferBytes_(maxBufferBytes)
{
}

PreviewImage::~PreviewImage() = default;

std::optional<std::size_t> PreviewImage::BufferBytes(const PreviewGeometry& geometry) const
{
    if (geometry.width <= 0 || geometry.height <= 0)
        return std::nullopt;
    const auto width = static_cast<std::size_t>(geometry.width);
    const auto rows = static_cast<std::size_t>(geometry.height) +
                      static_cast<std::size_t>(std::max(geometry.extraRows, 0));
    const std::size_t lineBytes = width * kBytesPerPixel;
    // Compare by division so that no product can wrap before the limit is checked.
    if (rows > maxBufferBytes_ / lineBytes)
        return std::nullopt;
    std::size_t bytes = RoundUpToBlock(rows * lineBytes);
    if (rows % 2 != 0)
        bytes += RoundUpToBlock(lineBytes);
    if (bytes > maxBufferBytes_)
        return std::nullopt;
    return bytes;
}

bool PreviewImage::Matches(const PreviewGeometry& geometry) const
{
    return HasImage() && geometry.width == geometry_.width && geometry.height == geometry_.height;
}

bool PreviewImage::AllocatePreview(const PreviewGeometry& geometry)
{
    if (Matches(geometry))
        return true;
    const std::optional<std::size_t> bytes = BufferBytes(geometry);
    if (!bytes)
        return false;
    const auto rows = static_cast<std::size_t>(geometry.height) +
                      static_cast<std::size_t>(std::max(geometry.extraRows, 0));
    const std::size_t displayBytes =
        rows * static_cast<std::size_t>(geometry.width) * kSamplesPerPixel;

    // Everything is had before anything is replaced, so a failure leaves the old image.
    // The prescan writes the buffers across their whole size for every group of lines: they
    // are had on huge pages where the system gives them.
    auto normal = TryAllocateLarge<std::uint16_t>(*bytes / 2, maxBufferBytes_);
    auto super = normal ? TryAllocateLarge<std::uint16_t>(*bytes / 2, maxBufferBytes_)
                        : LargeArray<std::uint16_t>();
    auto display = super ? TryAllocateZeroed<std::uint8_t>(displayBytes, maxBufferBytes_) : nullptr;
    if (!display)
        return false;

    normal_ = std::move(normal);
    super_ = std::move(super);
    display_ = std::move(display);
    displayBytes_ = displayBytes;
    allocationBytes_ = *bytes;
    geometry_ = geometry;
    showingSuper_ = false;
    displayValid_ = false;
    // The new buffers are all zero, so they already are in every orientation: the rotation
    // stays as it was without turning anything.
    return true;
}

PreviewRotation PreviewImage::Orientation() const
{
    return {rotation_, geometry_.width, geometry_.height};
}

bool PreviewImage::SetRotation(int degrees)
{
    if (!PreviewRotation::IsValid(degrees))
        return false;
    if (HasImage() && degrees != rotation_) {
        const std::size_t samples = ImageSamples();
        const auto copy = TryAllocateForOverwrite<std::uint16_t>(samples, maxBufferBytes_);
        if (!copy)
            return false;
        const PreviewRotation::IndexMap from = Orientation().Indices();
        const PreviewRotation::IndexMap to =
            PreviewRotation(degrees, geometry_.width, geometry_.height).Indices();
        for (const bool second : {false, true}) {
            std::uint16_t* const buffer = Buffer(second);
            std::memcpy(copy.get(), buffer, samples * sizeof(std::uint16_t));
            for (int y = 0; y < geometry_.height; ++y) {
                for (int x = 0; x < geometry_.width; ++x)
                    std::memcpy(buffer + to(x, y) * kSamplesPerPixel,
                                copy.get() + from(x, y) * kSamplesPerPixel, kBytesPerPixel);
            }
        }
        displayValid_ = false;
    }
    rotation_ = degrees;
    return true;
}

PreviewView PreviewImage::MeasuredView() const
{
    if (!HasImage())
        return {};
    return PreviewView{CurrentSamples(), Width(), Height(),
                       kSamplesPerPixel * static_cast<std::size_t>(DisplayWidth()), rotation_};
}

bool PreviewImage::SelectPreviewBuffer(bool second)
{
    return showingSuper_.exchange(second) != second;
}

std::size_t PreviewImage::ImageSamples() const
{
    return static_cast<std::size_t>(geometry_.width) * static_cast<std::size_t>(geometry_.height) *
           kSamplesPerPixel;
}

std::uint16_t* PreviewImage::Buffer(bool second) const
{
    return second ? super_.get() : normal_.get();
}

std::span<std::uint16_t> PreviewImage::CurrentSamples()
{
    return Samples(showingSuper_.load());
}

std::span<const std::uint16_t> PreviewImage::CurrentSamples() const
{
    return Samples(showingSuper_.load());
}

std::span<std::uint16_t> PreviewImage::Samples(bool second)
{
    if (!HasImage())
        return {};
    return {Buffer(second), ImageSamples()};
}

std::span<const std::uint16_t> PreviewImage::Samples(bool second) const
{
    if (!HasImage())
        return {};
    return {Buffer(second), ImageSamples()};
}

std::span<std::uint8_t> PreviewImage::CurrentAllocation()
{
    if (!HasImage())
        return {};
    // The samples are reached through their bytes here, which C++ allows for unsigned char.
    return {reinterpret_cast<std::uint8_t*>(Buffer(showingSuper_.load())), allocationBytes_};
}

bool PreviewImage::ReadPreviewRow(int row, std::span<std::uint16_t> out) const
{
    const auto width = static_cast<std::size_t>(geometry_.width);
    if (!HasImage() || row < 0 || row >= geometry_.height || out.size() / kSamplesPerPixel < width)
        return false;
    const PreviewRotation::IndexMap at = Orientation().Indices();
    const std::uint16_t* const buffer = Buffer(showingSuper_.load());
    for (int x = 0; x < geometry_.width; ++x)
        std::memcpy(out.data() + static_cast<std::size_t>(x) * kSamplesPerPixel,
                    buffer + at(x, row) * kSamplesPerPixel, kBytesPerPixel);
    return true;
}

std::span<const std::uint8_t> PreviewImage::DisplayCopy() const
{
    return {display_.get(), displayBytes_};
}

void PreviewImage::ConvertRect(const ImageRect& display, const ColorCorrectingToneCurve& curve)
{
    if (!HasImage())
        return;
    const int width = DisplayWidth();
    const ImageRect clipped{std::max(display.left, 0), std::max(display.top, 0),
                            std::min(display.right, width),
                            std::min(display.bottom, DisplayHeight())};
    if (clipped.IsEmpty())
        return;
    const std::span<const std::uint16_t> image = CurrentSamples();
    const std::span<std::uint8_t> copy(display_.get(), displayBytes_);
    const auto samples = static_cast<std::size_t>(clipped.Width()) * kSamplesPerPixel;
    for (int y = clipped.top; y < clipped.bottom; ++y) {
        const std::size_t first = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                                   static_cast<std::size_t>(clipped.left)) *
                                  kSamplesPerPixel;
        curve.MapPixels(image.subspan(first, samples), copy.subspan(first, samples));
    }
}

void PreviewImage::ConvertAll(const ColorCorrectingToneCurve& curve)
{
    if (!HasImage())
        return;
    ConvertRect({0, 0, DisplayWidth(), DisplayHeight()}, curve);
    displayValid_ = true;
}

void PreviewImage::ConvertPreviewRows(int firstRow, int count,
                                      const ColorCorrectingToneCurve& curve)
{
    ConvertRect(
        Orientation().ToDisplayRect(ImageRect{0, firstRow, geometry_.width, firstRow + count}),
        curve);
}

}  // namespace scanora
