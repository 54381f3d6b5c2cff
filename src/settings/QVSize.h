#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "settings/SensorGeometry.h"
#include "settings/SizeDisplays.h"
#include "settings/SizeValues.h"
#include "settings/SuperPrescanRegion.h"

namespace scanora {

class UiPort;

// The part of the camera's field a capture covers, in camera terms: along the sensor row in
// pixels and along the travel in lines.
struct CameraWindow {
    int firstPixel = 0;
    int firstLine = 0;
    int pixelsPerLine = 0;  // always even
    int lines = 0;
};

// What the samples of the output image are, which decides the bytes per pixel.
struct SampleFormat {
    bool sixteenBit = false;     // no tone curve (the 14-bit linear mode) or the 16-bit curve
    bool singleChannel = false;  // the camera records one colour channel only
};

// The resolution an image file carries: the unit as the file's resolution-unit code, the value in
// pixels per that unit.
struct FileResolution {
    static constexpr std::uint16_t kPerInch = 2;
    static constexpr std::uint16_t kPerCentimeter = 3;
    std::uint16_t unit = kPerInch;
    double value = 0.0;
};

// The output geometry of a scan: which part of the camera's field is captured (the crop, in
// percent of the full field), at which sampling step (the resolution number), how the insert is
// mounted, and how the resulting pixel counts translate into an output size at a resolution.
// Every change keeps crop, pixel counts, output size and resolution consistent and refreshes the
// attached displays. One instance serves the whole program.
class QVSize {
public:
    enum class Axis { Across, Down };

    static constexpr int kMinimumPixels = 40;    // the smallest output dimension
    static constexpr int kMaxScanLines = 65000;  // the most lines a scan may have
    static constexpr double kZoomStepPercent = 4.0;

    QVSize(const SensorGeometry& sensor, UiPort& ui);
    QVSize(const QVSize&) = delete;
    QVSize& operator=(const QVSize&) = delete;

    // The displays to refresh after each change (null: none); borrowed until replaced.
    void AttachDisplays(SizeDisplays* displays);
    // Takes the values of another camera model; the resolution number is kept within its range.
    void SetSensorGeometry(const SensorGeometry& sensor);
    // While a panorama is active its width in lines replaces the travel of the camera.
    void SetPanoramaLines(std::optional<int> lines);
    void SetSampleFormat(const SampleFormat& format);

    // The values a new size setting record takes from the geometry.
    [[nodiscard]] SizeValues CurrentValues() const;
    // Applies a size setting record; returns the values actually in force afterwards.
    SizeValues Apply(const SizeValues& values);

    // Sets the output width (height) to a typed value in the current units, choosing a finer
    // resolution number when the crop needs it and keeping the crop centred. False, after a beep,
    // when the value had to be clamped to what the camera can do.
    bool SetOutputWidth(double width);
    bool SetOutputHeight(double height);
    void SetUnits(std::int32_t code);
    void SetResolutionUnits(std::int32_t code);
    // A new resolution; the pixel counts stay, so the output size follows.
    void SetResolution(double resolution);
    // A new resolution number, kept within the camera's range.
    void SetResolutionNumber(int number);
    // Both do nothing while the file size is locked.
    void SetLowestResolution();
    void SetHighestResolution();

    // Enlarges (ZoomOut) or shrinks (ZoomIn) the crop by 4 percentage points, or with the file
    // size locked changes the resolution number instead.
    void ZoomOut();
    void ZoomIn();
    void FullField();
    // Sets the crop from a rectangle drawn on the preview, in percent of the full field.
    void SetCropFromRectangle(double width, double height, double xOffset, double yOffset);

    // Whether the crop turns with the image when the insert rotation changes.
    [[nodiscard]] static bool TurnsCrop(bool rotateCropPreference, bool altHeld)
    {
        return rotateCropPreference != altHeld;
    }
    void SetInsertRotation(std::int32_t code, bool turnCrop);

    void SetCropRatioLocked(bool locked);
    void SetFileSizeLocked(bool locked);
    void SetCropPrescan(bool on) { cropPrescan_ = on; }
    // The next pixel computation leaves the pixel counts as they are.
    void KeepPixelsOnce() { keepPixelsOnce_ = true; }

    [[nodiscard]] std::int32_t GetUnits() const { return units_; }
    [[nodiscard]] double GetXOffset() const { return StateOf(Axis::Across).offsetPercent; }
    [[nodiscard]] double GetYOffset() const { return StateOf(Axis::Down).offsetPercent; }
    [[nodiscard]] double GetCropWidth() const { return StateOf(Axis::Across).cropPercent; }
    [[nodiscard]] double GetCropHeight() const { return StateOf(Axis::Down).cropPercent; }
    [[nodiscard]] double GetXOffsetPixels() const { return StateOf(Axis::Across).offsetPixels; }
    [[nodiscard]] double GetYOffsetPixels() const { return StateOf(Axis::Down).offsetPixels; }
    [[nodiscard]] double GetPixelsAcross() const { return StateOf(Axis::Across).pixels; }
    [[nodiscard]] double GetPixelsDown() const { return StateOf(Axis::Down).pixels; }
    [[nodiscard]] std::int16_t GetResolutionNumber() const { return resolutionNumber_; }
    [[nodiscard]] double GetResolutionPercent() const { return resolutionPercent_; }
    [[nodiscard]] double GetOutputWidth() const { return StateOf(Axis::Across).outputSize; }
    [[nodiscard]] double GetOutputHeight() const { return StateOf(Axis::Down).outputSize; }
    [[nodiscard]] double GetResolution() const { return resolution_; }
    [[nodiscard]] std::int32_t GetResolutionUnits() const { return resolutionUnits_; }
    [[nodiscard]] std::int32_t GetInsertRotation() const { return insertRotation_; }
    [[nodiscard]] bool IsCropRatioLocked() const { return cropRatioLocked_; }
    [[nodiscard]] bool IsFileSizeLocked() const { return fileSizeLocked_; }
    [[nodiscard]] bool IsCropPrescan() const { return cropPrescan_; }
    [[nodiscard]] const SensorGeometry& GetSensorGeometry() const { return sensor_; }
    // The part of the preview a super prescan reads.
    [[nodiscard]] SuperPrescanRegion& SuperRegion() { return superRegion_; }
    [[nodiscard]] const SuperPrescanRegion& SuperRegion() const { return superRegion_; }

    // The full field at the current resolution number, in output pixels.
    [[nodiscard]] int FullWidth() const { return FullSize(Axis::Across); }
    [[nodiscard]] int FullHeight() const { return FullSize(Axis::Down); }
    // The smallest crop, in percent: 40 pixels at the prescan resolution.
    [[nodiscard]] double MinimumCropWidth() const { return MinimumCrop(Axis::Across); }
    [[nodiscard]] double MinimumCropHeight() const { return MinimumCrop(Axis::Down); }

    // The window a scan sends to the camera.
    [[nodiscard]] CameraWindow ScanWindow() const;
    // The same window at the prescan resolution and at resolution number 0. The pixel values
    // come back from the temporary step as whole numbers.
    CameraWindow PrescanWindow();
    CameraWindow NativeWindow();
    [[nodiscard]] int NumberOfLines() const { return ScanWindow().lines; }
    // A scan is allowed while the crop has at most 65000 lines.
    [[nodiscard]] bool ScanAllowed() const { return NumberOfLines() <= kMaxScanLines; }

    [[nodiscard]] std::uint64_t FileSizeBytes() const;
    [[nodiscard]] int BytesPerPixel() const;
    [[nodiscard]] double ResolutionPerInch() const;
    [[nodiscard]] FileResolution ResolutionForFile() const;
    [[nodiscard]] SizeControlStates ControlStates() const;

private:
    // One direction of the geometry: horizontal (across) or vertical (down).
    struct AxisState {
        double offsetPercent = 0.0;
        double cropPercent = 100.0;
        double offsetPixels = 0.0;
        double pixels = 0.0;
        double outputSize = 0.0;
    };
    using AxisStates = std::array<AxisState, 2>;

    [[nodiscard]] const AxisState& StateOf(Axis axis) const
    {
        return axes_[static_cast<std::size_t>(axis)];
    }
    AxisState& StateOf(Axis axis) { return axes_[static_cast<std::size_t>(axis)]; }

    [[nodiscard]] int NativeSize(Axis axis) const;
    [[nodiscard]] int FullSize(Axis axis) const;
    [[nodiscard]] int MaximumSize(Axis axis) const;
    [[nodiscard]] double MinimumCrop(Axis axis) const;
    [[nodiscard]] double PixelsPerUnit() const;
    [[nodiscard]] std::int16_t ClampStep(double number) const;
    [[nodiscard]] bool IsFullField() const;
    [[nodiscard]] bool IsMinimumCrop() const;

    bool SetOutputSize(Axis axis, double typed);
    void ChooseFinerStep(Axis axis, std::int64_t pixels);
    void OnResolutionNumberChanged();
    void ComputeResolutionPercent();
    void ComputePixels();
    void ComputeOutputSize();
    void ClampPixelCrop();
    void ClampCropPercent();
    void CropPercentFromPixels();
    void FitPixelsIntoField();
    // Clamp crop, pixels, output size, displays: the order after every change.
    void Recompute();
    // The crop's frame on the preview follows a crop that moved or changed size.
    void ShowCropMoved();
    void RefreshDisplays();
    void ZoomWithFileSizeLocked(int stepChange);
    CameraWindow WindowAt(std::int16_t number);

    SensorGeometry sensor_;
    UiPort& ui_;
    SizeDisplays* displays_ = nullptr;
    std::optional<int> panoramaLines_;
    SampleFormat format_;

    std::int32_t units_ = SizeUnits::kPixels;
    AxisStates axes_{};
    std::int16_t resolutionNumber_ = 0;
    double resolutionPercent_ = 100.0;
    double resolution_ = 300.0;
    std::int32_t resolutionUnits_ = SizeUnits::kInches;
    std::int32_t insertRotation_ = InsertRotation::kFromLeft;
    bool cropRatioLocked_ = false;
    bool fileSizeLocked_ = false;
    bool cropPrescan_ = false;
    bool keepPixelsOnce_ = false;
    SuperPrescanRegion superRegion_;
};

}  // namespace scanora
