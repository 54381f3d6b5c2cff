#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "acquire/LargeAllocation.h"
#include "camera/RgbImageView.h"
#include "imaging/PreviewRotation.h"

namespace scanora {

class ColorCorrectingToneCurve;

// The preview's size as the camera gives it: P pixels per camera line, L camera lines, and the
// extra rows the buffers carry so that block reads and the colour lead-in of a prescan read
// straight into the image never run past it.
struct PreviewGeometry {
    int width = 0;      // P
    int height = 0;     // L
    int extraRows = 0;  // E

    // P = sensor width / largest size step, L = lines / largest size step (the camera's lines
    // along the travel, or a rotating capture's line count), E = 2 * (largest - smallest size
    // step) in 16-bit arithmetic. A size step below 1 gives an empty geometry.
    static PreviewGeometry ForCamera(int sensorWidth, int lines, int maxSizeStep, int minSizeStep);

    friend bool operator==(const PreviewGeometry&, const PreviewGeometry&) = default;
};

// The host's copy of a prescan: two same-sized buffers of red, green and blue 16-bit samples in
// host order (the normal preview and the super preview), both stored in display orientation at
// one rotation, plus the 8-bit display copy of the current one. The image view owns it; the
// prescan writes the current buffer while the display reads it.
class PreviewImage {
public:
    static constexpr std::size_t kSamplesPerPixel = 3;
    static constexpr std::size_t kBytesPerPixel = 6;
    static constexpr std::size_t kBlockBytes = 512;
    static constexpr int kBitsPerSample = 16;
    static constexpr int kInitialRotation = 270;
    // The largest single buffer the preview allocates.
    static constexpr std::size_t kDefaultMaxBufferBytes = std::size_t{1} << 31;

    explicit PreviewImage(std::size_t maxBufferBytes = kDefaultMaxBufferBytes);
    PreviewImage(const PreviewImage&) = delete;
    PreviewImage& operator=(const PreviewImage&) = delete;
    ~PreviewImage();

    // Bytes of each of the two buffers for `geometry`: (L + E) * P * 6 rounded up to 512, plus
    // P * 6 rounded up to 512 when L + E is odd (E counts as 0 when negative). Nothing when the
    // geometry is empty or the size exceeds the limit.
    [[nodiscard]] std::optional<std::size_t> BufferBytes(const PreviewGeometry& geometry) const;

    // Sizes the buffers for `geometry`. An image of the same P and L is kept with its contents.
    // Otherwise both buffers and the display copy are allocated anew, zeroed, with the normal
    // preview current and the rotation kept. False when a buffer cannot be had (the caller
    // reports the memory failure); the image is then left as it was.
    bool AllocatePreview(const PreviewGeometry& geometry);
    [[nodiscard]] bool Matches(const PreviewGeometry& geometry) const;

    // Rotates both buffers in place from the current rotation to `degrees` (0, 90, 180, 270) and
    // marks the display copy stale. False, with nothing changed, for another angle or when the
    // temporary copy cannot be had.
    bool SetRotation(int degrees);

    // Makes the super preview (true) or the normal preview current. True when that changed which
    // one is shown, so that the view refreshes the display.
    bool SelectPreviewBuffer(bool second);

    [[nodiscard]] bool HasImage() const { return normal_ != nullptr; }
    [[nodiscard]] int Width() const { return geometry_.width; }
    [[nodiscard]] int Height() const { return geometry_.height; }
    [[nodiscard]] const PreviewGeometry& Geometry() const { return geometry_; }
    [[nodiscard]] int BitsPerSample() const { return kBitsPerSample; }
    [[nodiscard]] std::size_t AllocationSize() const { return allocationBytes_; }
    [[nodiscard]] int Rotation() const { return rotation_; }
    [[nodiscard]] PreviewRotation Orientation() const;
    [[nodiscard]] int DisplayWidth() const { return Orientation().DisplayWidth(); }
    [[nodiscard]] int DisplayHeight() const { return Orientation().DisplayHeight(); }
    [[nodiscard]] bool ShowingSuper() const { return showingSuper_.load(); }
    [[nodiscard]] std::size_t MaxBufferBytes() const { return maxBufferBytes_; }

    // The image's samples (P * L pixels in display orientation) of the current, the normal or
    // the super preview; empty without an image.
    [[nodiscard]] std::span<std::uint16_t> CurrentSamples();
    [[nodiscard]] std::span<const std::uint16_t> CurrentSamples() const;
    [[nodiscard]] std::span<std::uint16_t> Samples(bool second);
    [[nodiscard]] std::span<const std::uint16_t> Samples(bool second) const;
    // The current image read in preview coordinates (P x L, whatever the rotation), as the
    // colour sample points are measured on it; empty without an image.
    [[nodiscard]] PreviewView MeasuredView() const;
    // The whole allocation of the current buffer, extra rows included, as the camera's bytes.
    [[nodiscard]] std::span<std::uint8_t> CurrentAllocation();

    // Copies preview row `row` (camera line `row`, P pixels, whatever the rotation) of the
    // current image into `out` (at least P * 3 samples). False when there is no such row.
    bool ReadPreviewRow(int row, std::span<std::uint16_t> out) const;

    // The 8-bit display copy: R, G, B bytes, pixel (x, y) of the display at x + y * display
    // width, as the image's pixels are.
    [[nodiscard]] std::span<const std::uint8_t> DisplayCopy() const;
    [[nodiscard]] bool DisplayValid() const { return displayValid_; }
    // Converts the pixels of `display` (display coordinates, clipped to the image) of the
    // current image into the display copy through the curve's raw table and channel gains.
    void ConvertRect(const ImageRect& display, const ColorCorrectingToneCurve& curve);
    // Converts the whole image and marks the display copy valid.
    void ConvertAll(const ColorCorrectingToneCurve& curve);
    // Converts preview rows [firstRow, firstRow + count) across the width.
    void ConvertPreviewRows(int firstRow, int count, const ColorCorrectingToneCurve& curve);

private:
    [[nodiscard]] std::size_t ImageSamples() const;
    std::uint16_t* Buffer(bool second) const;

    std::size_t maxBufferBytes_;
    PreviewGeometry geometry_;
    std::size_t allocationBytes_ = 0;
    LargeArray<std::uint16_t> normal_;
    LargeArray<std::uint16_t> super_;
    std::unique_ptr<std::uint8_t[]> display_;
    std::size_t displayBytes_ = 0;
    int rotation_ = kInitialRotation;
    // Switched by the prescan thread, read by the display.
    std::atomic<bool> showingSuper_{false};
    bool displayValid_ = false;
};

}  // namespace scanora
