#include "settings/QVSize.h"

#include <algorithm>
#include <cmath>

#include "platform/UiPort.h"

namespace scanora {

namespace {

using Axis = QVSize::Axis;

constexpr std::array<Axis, 2> kAxes{Axis::Across, Axis::Down};

Axis Other(Axis axis)
{
    return axis == Axis::Across ? Axis::Down : Axis::Across;
}

// The typed value as the user sees it: two decimals, rounded half up.
double RoundTo2(double value)
{
    return std::trunc(value * 100.0 + 0.5) / 100.0;
}

std::int64_t MakeEven(std::int64_t value)
{
    return value % 2 != 0 ? value - 1 : value;
}

// A crop dimension shrunk by one zoom step, but not below its minimum (nor grown up to it).
double ShrunkCrop(double crop, double minimum)
{
    return crop > minimum ? std::max(crop - QVSize::kZoomStepPercent, minimum) : crop;
}

// The crop in output pixels at the current step.
struct PixelRect {
    double across = 0.0;
    double down = 0.0;
    double x = 0.0;
    double y = 0.0;
};

// The same rectangle in camera terms, before it is made whole.
struct CameraTerms {
    double firstPixel = 0.0;
    double firstLine = 0.0;
    double pixelsPerLine = 0.0;
    double lines = 0.0;
};

CameraTerms ToCameraTerms(const PixelRect& r, std::int32_t rotation, double fullWidth,
                          double fullHeight)
{
    switch (rotation) {
    case InsertRotation::kFromLeft: return {fullHeight - (r.down + r.y), r.x, r.down, r.across};
    case InsertRotation::kFromRight: return {r.y, fullWidth - (r.across + r.x), r.down, r.across};
    case InsertRotation::kFromBottom:
        return {fullWidth - (r.across + r.x), fullHeight - (r.down + r.y), r.across, r.down};
    default: return {r.x, r.y, r.across, r.down};
    }
}

PixelRect FromCameraTerms(const CameraTerms& t, std::int32_t rotation, double fullWidth,
                          double fullHeight)
{
    switch (rotation) {
    case InsertRotation::kFromLeft:
        return {t.lines, t.pixelsPerLine, t.firstLine, fullHeight - t.firstPixel - t.pixelsPerLine};
    case InsertRotation::kFromRight:
        return {t.lines, t.pixelsPerLine, fullWidth - t.firstLine - t.lines, t.firstPixel};
    case InsertRotation::kFromBottom:
        return {t.pixelsPerLine, t.lines, fullWidth - t.firstPixel - t.pixelsPerLine,
                fullHeight - t.firstLine - t.lines};
    default: return {t.pixelsPerLine, t.lines, t.firstPixel, t.firstLine};
    }
}

// Model values that keep the arithmetic finite: at least one step, one pixel and one line, and
// a lowest resolution number that is not above the highest.
SensorGeometry Sanitised(SensorGeometry sensor)
{
    sensor.steps = std::max(sensor.steps, 1);
    sensor.lowestStep = std::min(sensor.lowestStep, sensor.HighestStep());
    sensor.sensorWidth = std::max(sensor.sensorWidth, 1);
    sensor.maxLines = std::max(sensor.maxLines, 1);
    return sensor;
}

}  // namespace

QVSize::QVSize(const SensorGeometry& sensor, UiPort& ui) : sensor_(Sanitised(sensor)), ui_(ui)
{
    // Models whose finest step is above 0 start at that step, not outside their range.
    resolutionNumber_ = ClampStep(0.0);
    ComputeResolutionPercent();
    ComputePixels();
    ComputeOutputSize();
}

void QVSize::AttachDisplays(SizeDisplays* displays)
{
    displays_ = displays;
}

void QVSize::SetSensorGeometry(const SensorGeometry& sensor)
{
    sensor_ = Sanitised(sensor);
    resolutionNumber_ = ClampStep(resolutionNumber_);
    ComputeResolutionPercent();
    Recompute();
}

void QVSize::SetPanoramaLines(std::optional<int> lines)
{
    panoramaLines_ = (lines && *lines > 0) ? lines : std::nullopt;
    Recompute();
}

void QVSize::SetSampleFormat(const SampleFormat& format)
{
    format_ = format;
    RefreshDisplays();
}

SizeValues QVSize::CurrentValues() const
{
    SizeValues values;
    values.outputWidth = GetOutputWidth();
    values.outputHeight = GetOutputHeight();
    values.widthOffsetPercent = GetXOffset();
    values.heightOffsetPercent = GetYOffset();
    values.resolutionNumber = resolutionNumber_;
    values.insertRotation = insertRotation_;
    values.resolution = resolution_;
    values.units = units_;
    values.resolutionUnits = resolutionUnits_;
    values.fileSizeLocked = fileSizeLocked_;
    values.cropRatioLocked = cropRatioLocked_;
    return values;
}

SizeValues QVSize::Apply(const SizeValues& values)
{
    insertRotation_ = InsertRotation::Normalise(values.insertRotation);
    // A record can come from any file: a resolution that is not a positive number would make
    // every size infinite, so the one in force stays.
    if (std::isfinite(values.resolution) && values.resolution > 0.0)
        resolution_ = values.resolution;
    resolutionUnits_ = values.resolutionUnits;
    units_ = values.units;
    resolutionNumber_ = ClampStep(values.resolutionNumber);
    OnResolutionNumberChanged();

    // The record's sizes are set as they stand: a ratio lock in force from before would make
    // the width follow the old ratio instead. The record's own locks are taken afterwards.
    cropRatioLocked_ = false;
    const auto finiteOr = [](double value, double fallback) {
        return std::isfinite(value) ? value : fallback;
    };
    SetOutputWidth(finiteOr(values.outputWidth, GetOutputWidth()));
    SetOutputHeight(finiteOr(values.outputHeight, GetOutputHeight()));

    StateOf(Axis::Across).offsetPercent = finiteOr(values.widthOffsetPercent, 0.0);
    StateOf(Axis::Down).offsetPercent = finiteOr(values.heightOffsetPercent, 0.0);
    cropRatioLocked_ = values.cropRatioLocked;
    fileSizeLocked_ = values.fileSizeLocked;
    Recompute();
    return CurrentValues();
}

bool QVSize::SetOutputWidth(double width)
{
    return SetOutputSize(Axis::Across, width);
}

bool QVSize::SetOutputHeight(double height)
{
    return SetOutputSize(Axis::Down, height);
}

bool QVSize::SetOutputSize(Axis axis, double typed)
{
    if (!std::isfinite(typed)) {
        ui_.Beep();
        return false;
    }
    const Axis other = Other(axis);
    AxisState& state = StateOf(axis);
    const double rounded = RoundTo2(typed);
    const bool keepRatio = cropRatioLocked_ && state.pixels > 0.0 && StateOf(other).pixels > 0.0;
    const double aspect = keepRatio ? state.pixels / StateOf(other).pixels : 1.0;
    const double perUnit = PixelsPerUnit();
    const double maximum = MaximumSize(axis) / perUnit;
    const double otherMaximum = MaximumSize(other) / perUnit;
    const double minimum = kMinimumPixels / perUnit;

    double size = typed;
    if (keepRatio && size / aspect > otherMaximum)
        size = aspect * otherMaximum;
    bool clamped = false;
    if (size > maximum) {
        size = maximum;
        clamped = RoundTo2(size) < rounded;
    }
    if (size < minimum) {
        size = minimum;
        clamped = RoundTo2(size) > rounded;
    }
    state.outputSize = size;

    const auto wanted = static_cast<std::int64_t>(size * perUnit);
    if (FullSize(axis) < wanted)
        ChooseFinerStep(axis, wanted);

    // The crop stays centred where it was.
    state.offsetPixels += (state.pixels - static_cast<double>(wanted)) * 0.5;
    state.pixels = static_cast<double>(wanted);
    if (units_ == SizeUnits::kPixels && wanted % 2 != 0)
        state.pixels =
            static_cast<double>(static_cast<double>(wanted) == minimum ? wanted + 1 : wanted - 1);

    if (displays_ != nullptr)
        displays_->ShowOutputSize(*this);
    ClampPixelCrop();
    CropPercentFromPixels();

    if (keepRatio) {
        const std::int16_t step = resolutionNumber_;
        cropRatioLocked_ = false;
        SetOutputSize(other, size / aspect);
        // A finer step chosen for the other dimension has rescaled this one: set it again so
        // that the ratio holds.
        if (resolutionNumber_ != step)
            SetOutputSize(axis, size);
        cropRatioLocked_ = true;
    }

    RefreshDisplays();
    ShowCropMoved();
    if (clamped) {
        ui_.Beep();
        return false;
    }
    return true;
}

void QVSize::ChooseFinerStep(Axis axis, std::int64_t pixels)
{
    const double steps = sensor_.steps;
    const double native = NativeSize(axis);
    resolutionNumber_ =
        ClampStep(std::floor(steps - static_cast<double>(pixels) * 100.0 / native / 100.0 * steps));
    ComputeResolutionPercent();
    ComputePixels();
    // The other dimension has more pixels at the finer step; its output size shows them.
    AxisState& other = StateOf(Other(axis));
    other.outputSize = other.pixels / PixelsPerUnit();
}

void QVSize::SetUnits(std::int32_t code)
{
    const std::int32_t old = units_;
    units_ = code;
    if (code == SizeUnits::kPixels) {
        ComputeOutputSize();
    } else if (old == SizeUnits::kPixels) {
        const double perUnit = PixelsPerUnit();
        for (AxisState& state : axes_) state.outputSize /= perUnit;
    } else {
        const double factor = SizeUnits::PerInch(code) / SizeUnits::PerInch(old);
        for (AxisState& state : axes_) state.outputSize *= factor;
    }
    RefreshDisplays();
}

void QVSize::SetResolutionUnits(std::int32_t code)
{
    resolution_ *= SizeUnits::PerInch(resolutionUnits_) / SizeUnits::PerInch(code);
    resolutionUnits_ = code;
    RefreshDisplays();
}

void QVSize::SetResolution(double resolution)
{
    if (!std::isfinite(resolution) || resolution <= 0.0)
        return;
    resolution_ = resolution;
    ComputeOutputSize();
    RefreshDisplays();
}

void QVSize::SetResolutionNumber(int number)
{
    resolutionNumber_ = ClampStep(number);
    OnResolutionNumberChanged();
    RefreshDisplays();
    ShowCropMoved();  // with the file size locked the crop follows the step
}

void QVSize::SetLowestResolution()
{
    if (!fileSizeLocked_)
        SetResolutionNumber(sensor_.lowestStep);
}

void QVSize::SetHighestResolution()
{
    if (!fileSizeLocked_)
        SetResolutionNumber(sensor_.HighestStep());
}

void QVSize::OnResolutionNumberChanged()
{
    ComputeResolutionPercent();
    if (!fileSizeLocked_) {
        ComputePixels();
        ComputeOutputSize();
        return;
    }
    // The pixel counts stay and the crop follows them; at a coarser step they may no longer fit
    // the field, and then they are cut to it.
    const AxisStates before = axes_;
    ClampPixelCrop();
    CropPercentFromPixels();
    if (before[0].pixels != axes_[0].pixels || before[1].pixels != axes_[1].pixels)
        ComputeOutputSize();
}

void QVSize::ZoomOut()
{
    if (IsFullField())
        return;
    if (fileSizeLocked_) {
        ZoomWithFileSizeLocked(+1);
    } else if (cropRatioLocked_ && GetCropWidth() > 0.0 && GetCropHeight() > 0.0) {
        const AxisStates before = axes_;
        const Axis larger = GetCropWidth() >= GetCropHeight() ? Axis::Across : Axis::Down;
        AxisState& grown = StateOf(larger);
        AxisState& follower = StateOf(Other(larger));
        const double followerCrop =
            follower.cropPercent * (grown.cropPercent + kZoomStepPercent) / grown.cropPercent;
        follower.offsetPercent -= (followerCrop - follower.cropPercent) * 0.5;
        follower.cropPercent = followerCrop;
        grown.cropPercent += kZoomStepPercent;
        grown.offsetPercent -= kZoomStepPercent * 0.5;
        const bool passesEdge = std::any_of(axes_.begin(), axes_.end(), [](const AxisState& s) {
            return s.offsetPercent + s.cropPercent > 100.0;
        });
        if (passesEdge)
            axes_ = before;
    } else {
        for (AxisState& state : axes_) {
            if (state.cropPercent < 100.0) {
                state.cropPercent += kZoomStepPercent;
                state.offsetPercent -= kZoomStepPercent * 0.5;
            }
        }
    }
    Recompute();
    ShowCropMoved();
}

void QVSize::ZoomIn()
{
    if (IsMinimumCrop())
        return;
    if (fileSizeLocked_) {
        ZoomWithFileSizeLocked(-1);
    } else if (cropRatioLocked_ && GetCropWidth() > 0.0 && GetCropHeight() > 0.0) {
        const Axis smaller = GetCropWidth() <= GetCropHeight() ? Axis::Across : Axis::Down;
        AxisState& shrunk = StateOf(smaller);
        AxisState& follower = StateOf(Other(smaller));
        const double shrunkCrop = ShrunkCrop(shrunk.cropPercent, MinimumCrop(smaller));
        const double followerCrop = follower.cropPercent * shrunkCrop / shrunk.cropPercent;
        shrunk.offsetPercent += (shrunk.cropPercent - shrunkCrop) * 0.5;
        shrunk.cropPercent = shrunkCrop;
        follower.offsetPercent += (follower.cropPercent - followerCrop) * 0.5;
        follower.cropPercent = followerCrop;
    } else {
        for (Axis axis : kAxes) {
            AxisState& state = StateOf(axis);
            const double crop = ShrunkCrop(state.cropPercent, MinimumCrop(axis));
            state.offsetPercent += (state.cropPercent - crop) * 0.5;
            state.cropPercent = crop;
        }
    }
    Recompute();
    ShowCropMoved();
}

void QVSize::ZoomWithFileSizeLocked(int stepChange)
{
    const AxisStates before = axes_;
    const std::int16_t stepBefore = resolutionNumber_;
    std::array<double, 2> centres{};
    for (std::size_t i = 0; i < axes_.size(); ++i)
        centres[i] = std::trunc(axes_[i].offsetPercent + axes_[i].cropPercent * 0.5);

    resolutionNumber_ = ClampStep(resolutionNumber_ + stepChange);
    ComputeResolutionPercent();
    CropPercentFromPixels();
    for (std::size_t i = 0; i < axes_.size(); ++i)
        axes_[i].offsetPercent = centres[i] - axes_[i].cropPercent * 0.5;

    const bool fits = stepChange > 0 ? GetCropWidth() <= 100.0 && GetCropHeight() <= 100.0
                                     : GetCropWidth() >= MinimumCropWidth() &&
                                           GetCropHeight() >= MinimumCropHeight();
    if (!fits) {
        axes_ = before;
        resolutionNumber_ = stepBefore;
        ComputeResolutionPercent();
    }
    keepPixelsOnce_ = true;
}

void QVSize::FullField()
{
    for (AxisState& state : axes_) state.cropPercent = 100.0;
    Recompute();
    ShowCropMoved();
}

void QVSize::SetCropFromRectangle(double width, double height, double xOffset, double yOffset)
{
    const std::array<double, 2> crops{width, height};
    const std::array<double, 2> offsets{xOffset, yOffset};
    if (!std::all_of(crops.begin(), crops.end(), [](double v) { return std::isfinite(v); }) ||
        !std::all_of(offsets.begin(), offsets.end(), [](double v) { return std::isfinite(v); }))
        return;

    for (std::size_t i = 0; i < kAxes.size(); ++i) {
        AxisState& state = axes_[i];
        const double minimum = MinimumCrop(kAxes[i]);
        double crop = crops[i];
        double offset = offsets[i];
        const bool moved = offset != state.offsetPercent;
        const bool resized = crop != state.cropPercent;
        if (moved && !resized) {
            offset = std::min(offset, 100.0 - crop);
        } else if (resized && !moved) {
            crop = std::min(crop, 100.0 - offset);
        } else if (moved && resized) {
            // The leading edge moves; the trailing edge stays where it was.
            const double trailing = state.offsetPercent + state.cropPercent;
            crop = std::min(crop, trailing);
            offset = std::min(offset, trailing - minimum);
        }
        state.cropPercent = std::max(crop, minimum);
        state.offsetPercent = std::max(offset, 0.0);
    }
    Recompute();
    ShowCropMoved();
}

void QVSize::SetInsertRotation(std::int32_t code, bool turnCrop)
{
    const std::int32_t newCode = InsertRotation::Normalise(code);
    if (IsFullField()) {
        insertRotation_ = newCode;
    } else {
        if (turnCrop) {
            const PixelRect rect{GetPixelsAcross(), GetPixelsDown(), GetXOffsetPixels(),
                                 GetYOffsetPixels()};
            const CameraTerms terms =
                ToCameraTerms(rect, insertRotation_, FullSize(Axis::Across), FullSize(Axis::Down));
            insertRotation_ = newCode;
            const PixelRect turned =
                FromCameraTerms(terms, newCode, FullSize(Axis::Across), FullSize(Axis::Down));
            StateOf(Axis::Across).pixels = turned.across;
            StateOf(Axis::Down).pixels = turned.down;
            StateOf(Axis::Across).offsetPixels = turned.x;
            StateOf(Axis::Down).offsetPixels = turned.y;
        } else {
            std::array<double, 2> centres{};
            for (std::size_t i = 0; i < axes_.size(); ++i)
                centres[i] = std::trunc(axes_[i].offsetPixels + axes_[i].pixels * 0.5);
            insertRotation_ = newCode;
            for (std::size_t i = 0; i < axes_.size(); ++i)
                axes_[i].offsetPixels = centres[i] - axes_[i].pixels * 0.5;
        }
        FitPixelsIntoField();
        CropPercentFromPixels();
    }
    // Even a full-field crop has new pixel counts: the two axes have swapped or not.
    Recompute();
    ShowCropMoved();
    if (displays_ != nullptr)
        displays_->ShowInsertRotation(insertRotation_);
}

void QVSize::SetCropRatioLocked(bool locked)
{
    cropRatioLocked_ = locked;
    RefreshDisplays();
}

void QVSize::SetFileSizeLocked(bool locked)
{
    fileSizeLocked_ = locked;
    RefreshDisplays();
}

CameraWindow QVSize::ScanWindow() const
{
    const PixelRect rect{GetPixelsAcross(), GetPixelsDown(), GetXOffsetPixels(),
                         GetYOffsetPixels()};
    const CameraTerms terms =
        ToCameraTerms(rect, insertRotation_, FullSize(Axis::Across), FullSize(Axis::Down));
    CameraWindow window;
    window.firstPixel = static_cast<int>(terms.firstPixel);
    window.firstLine = static_cast<int>(terms.firstLine);
    window.pixelsPerLine =
        static_cast<int>(MakeEven(static_cast<std::int64_t>(terms.pixelsPerLine)));
    window.lines = static_cast<int>(terms.lines);
    return window;
}

CameraWindow QVSize::PrescanWindow()
{
    return WindowAt(static_cast<std::int16_t>(sensor_.HighestStep()));
}

CameraWindow QVSize::NativeWindow()
{
    return WindowAt(0);
}

CameraWindow QVSize::WindowAt(std::int16_t number)
{
    const AxisStates saved = axes_;
    const std::int16_t savedNumber = resolutionNumber_;
    const bool savedKeep = keepPixelsOnce_;
    resolutionNumber_ = number;
    keepPixelsOnce_ = false;
    ComputePixels();
    const CameraWindow window = ScanWindow();

    resolutionNumber_ = savedNumber;
    keepPixelsOnce_ = savedKeep;
    axes_ = saved;
    for (AxisState& state : axes_) {
        state.pixels = std::trunc(state.pixels);
        state.offsetPixels = std::trunc(state.offsetPixels);
    }
    return window;
}

int QVSize::BytesPerPixel() const
{
    if (format_.sixteenBit)
        return format_.singleChannel ? 2 : 6;
    return format_.singleChannel ? 1 : 3;
}

std::uint64_t QVSize::FileSizeBytes() const
{
    return static_cast<std::uint64_t>(GetPixelsAcross()) *
           static_cast<std::uint64_t>(GetPixelsDown()) *
           static_cast<std::uint64_t>(BytesPerPixel());
}

double QVSize::ResolutionPerInch() const
{
    return resolution_ * SizeUnits::PerInch(resolutionUnits_);
}

FileResolution QVSize::ResolutionForFile() const
{
    if (SizeUnits::IsMetric(resolutionUnits_))
        return {FileResolution::kPerCentimeter,
                ResolutionPerInch() / SizeUnits::PerInch(SizeUnits::kCentimeters)};
    return {FileResolution::kPerInch, ResolutionPerInch()};
}

SizeControlStates QVSize::ControlStates() const
{
    SizeControlStates states;
    states.lowestResolution = resolutionNumber_ != sensor_.lowestStep;
    states.highestResolution = resolutionNumber_ != sensor_.HighestStep();
    states.zoomOut = !IsFullField();
    states.zoomIn = !IsMinimumCrop();
    states.scan = ScanAllowed();
    return states;
}

int QVSize::NativeSize(Axis axis) const
{
    const int travel = panoramaLines_.value_or(sensor_.maxLines);
    const bool travelAcross = InsertRotation::TravelIsAcross(insertRotation_);
    return (axis == Axis::Across) == travelAcross ? travel : sensor_.sensorWidth;
}

int QVSize::FullSize(Axis axis) const
{
    return static_cast<int>(static_cast<std::int64_t>(NativeSize(axis)) *
                            (sensor_.steps - resolutionNumber_) / sensor_.steps);
}

int QVSize::MaximumSize(Axis axis) const
{
    return static_cast<int>(static_cast<std::int64_t>(NativeSize(axis)) *
                            (sensor_.steps - sensor_.lowestStep) / sensor_.steps);
}

double QVSize::MinimumCrop(Axis axis) const
{
    const double full = FullSize(axis);
    if (full <= 0.0)
        return 100.0;
    return kMinimumPixels * static_cast<double>(sensor_.steps - resolutionNumber_) /
           static_cast<double>(sensor_.steps - sensor_.HighestStep()) / full * 100.0;
}

double QVSize::PixelsPerUnit() const
{
    if (units_ == SizeUnits::kPixels)
        return 1.0;
    return resolution_ * SizeUnits::PerInch(resolutionUnits_) / SizeUnits::PerInch(units_);
}

std::int16_t QVSize::ClampStep(double number) const
{
    if (std::isnan(number))
        return resolutionNumber_;
    const double clamped = std::clamp(std::trunc(number), static_cast<double>(sensor_.lowestStep),
                                      static_cast<double>(sensor_.HighestStep()));
    return static_cast<std::int16_t>(clamped);
}

bool QVSize::IsFullField() const
{
    return GetCropWidth() >= 100.0 && GetCropHeight() >= 100.0;
}

bool QVSize::IsMinimumCrop() const
{
    return GetCropWidth() <= MinimumCropWidth() && GetCropHeight() <= MinimumCropHeight();
}

void QVSize::ComputeResolutionPercent()
{
    resolutionPercent_ = static_cast<double>(sensor_.steps - resolutionNumber_) * 100.0 /
                         static_cast<double>(sensor_.steps - std::max(sensor_.lowestStep, 0));
}

void QVSize::ComputePixels()
{
    const std::int64_t scale = sensor_.steps - resolutionNumber_;
    for (Axis axis : kAxes) {
        AxisState& state = StateOf(axis);
        const double native = NativeSize(axis);
        const auto cropNative = static_cast<std::int64_t>(native * state.cropPercent / 100.0);
        const auto offsetNative = static_cast<std::int64_t>(native * state.offsetPercent / 100.0);
        if (!keepPixelsOnce_)
            state.pixels = static_cast<double>(MakeEven(scale * cropNative / sensor_.steps));
        state.offsetPixels =
            static_cast<double>(scale * offsetNative) / static_cast<double>(sensor_.steps);
    }
    keepPixelsOnce_ = false;
}

void QVSize::ComputeOutputSize()
{
    const double perUnit = PixelsPerUnit();
    for (AxisState& state : axes_) state.outputSize = state.pixels / perUnit;
}

void QVSize::ClampPixelCrop()
{
    for (Axis axis : kAxes) {
        AxisState& state = StateOf(axis);
        const double full = FullSize(axis);
        state.pixels = std::max(std::min(state.pixels, full), static_cast<double>(kMinimumPixels));
        state.offsetPixels = std::max(std::min(state.offsetPixels, full - state.pixels), 0.0);
    }
}

void QVSize::ClampCropPercent()
{
    for (AxisState& state : axes_) {
        state.cropPercent = std::clamp(state.cropPercent, 0.0, 100.0);
        state.offsetPercent = std::clamp(state.offsetPercent, 0.0, 100.0 - state.cropPercent);
    }
}

void QVSize::CropPercentFromPixels()
{
    for (Axis axis : kAxes) {
        AxisState& state = StateOf(axis);
        const double full = FullSize(axis);
        state.offsetPercent = state.offsetPixels * 100.0 / full;
        state.cropPercent = state.pixels * 100.0 / full;
    }
}

void QVSize::FitPixelsIntoField()
{
    for (Axis axis : kAxes) {
        AxisState& state = StateOf(axis);
        const double full = FullSize(axis);
        if (state.pixels > full) {
            state.pixels = full;
            state.offsetPixels = 0.0;
        }
        state.offsetPixels = std::clamp(state.offsetPixels, 0.0, full - state.pixels);
    }
}

void QVSize::Recompute()
{
    ClampCropPercent();
    ComputePixels();
    ComputeOutputSize();
    RefreshDisplays();
}

void QVSize::ShowCropMoved()
{
    if (displays_ != nullptr)
        displays_->RedrawPreview();
}

void QVSize::RefreshDisplays()
{
    if (displays_ == nullptr)
        return;
    displays_->ShowOutputSize(*this);
    displays_->Refresh(*this);
    displays_->EnableControls(ControlStates());
}

}  // namespace scanora
