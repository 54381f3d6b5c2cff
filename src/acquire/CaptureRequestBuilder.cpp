#include "acquire/CaptureRequestBuilder.h"

#include <algorithm>
#include <cmath>
#include <ctime>

#include "camera/CaptureExposureValues.h"
#include "camera/QVCamera.h"
#include "camera/QVExposure.h"
#include "settings/CurveSource.h"
#include "settings/ExposureSetting.h"
#include "settings/QVCameraSetting.h"
#include "settings/QVSize.h"
#include "settings/SettingLists.h"

namespace scanora {
namespace {

std::string FormatLocal(std::int64_t unixTime, const char* format)
{
    const std::time_t t = static_cast<std::time_t>(unixTime);
    std::tm local{};
    localtime_r(&t, &local);
    char text[64] = {};
    const std::size_t n = std::strftime(text, sizeof text, format, &local);
    return std::string(text, n);
}

}  // namespace

std::string CaptureRequestBuilder::DescriptionDate(std::int64_t unixTime)
{
    return FormatLocal(unixTime, "%m/%d/%Y");
}

std::string CaptureRequestBuilder::DescriptionTime(std::int64_t unixTime)
{
    return FormatLocal(unixTime, "%H:%M:%S");
}

PreviewGeometry CaptureRequestBuilder::PreviewGeometryFor(
    const std::optional<RotatingCapture>& rotating) const
{
    QVCamera& camera = app_.Camera();
    const int lines = rotating ? rotating->lines : camera.GetMaxLines();
    return PreviewGeometry::ForCamera(camera.GetSensorWidth(), lines, camera.GetMaxSizeStep(),
                                      camera.GetMinSizeStep());
}

std::unique_ptr<PreparedCapture> CaptureRequestBuilder::Common(
    CaptureKind kind, int sizeStep, const std::optional<RotatingCapture>& rotating,
    std::int64_t unixTime, std::string_view userText) const
{
    QVCamera& camera = app_.Camera();
    const CameraPreferences& prefs = app_.CameraSetting().Prefs();
    const CurveState curve = app_.Curve().CurrentCurve();

    auto capture = std::make_unique<PreparedCapture>();
    PreparedCapture& c = *capture;
    c.handles = curve.handles;
    c.toneCurve.SetHandles(c.handles);
    c.toneCurve.SetNegative(curve.negative);
    c.handles.assign(c.toneCurve.Handles().begin(), c.toneCurve.Handles().end());
    c.name = prefs.scanName;
    c.userText = std::string(userText);
    c.date = DescriptionDate(unixTime);
    c.time = DescriptionTime(unixTime);
    c.lineTimeLabel = std::string(app_.Exposure().GetLineTimeLabel());
    if (const ExposureSetting* exposure = app_.Lists().Current<ExposureSetting>())
        c.panelText = exposure->GetName();

    const CaptureExposureValues values = CaptureExposureValues::For(
        app_.Exposure(), kind, prefs.fastPrescan, sizeStep, camera.GetMinSizeStep());

    CaptureRequest& r = c.request;
    r.toneCurve = &c.toneCurve;
    r.tableMode = kind == CaptureKind::Scan ? ScanTableMode(curve.none14, prefs.use16BitCurve)
                                            : TableMode::Linear;
    r.userText = c.userText;
    r.effectiveLineTime = values.effectiveLineTime;
    c.lineTime = values.effectiveLineTime;

    CaptureBlockInputs& b = r.blocks;
    b.kind = kind;
    b.rotatingStage = rotating.has_value();
    b.captureTime1904 = ParameterBlocks::SecondsSince1904(unixTime);
    b.modelCode = camera.GetModelCode();
    b.pixelPitch = camera.GetPixelPitch();
    b.stageFocalTenths = rotating ? rotating->focalLengthTenths : 0;
    b.sizeStep = sizeStep;
    b.requestedLineTime = values.requestedLineTime;
    b.minLineTime = values.minLineTime;
    b.totalTenths = values.totalTenths;
    b.handles = c.handles;
    b.use16BitCurve = prefs.use16BitCurve;
    b.none14 = curve.none14;
    b.negative = curve.negative;
    b.orientation = app_.Size().GetInsertRotation();
    b.name = c.name;

    QVSize& size = app_.Size();
    DescriptionInputs& d = r.description;
    d.date = c.date;
    d.time = c.time;
    d.outputWidth = static_cast<int>(size.GetPixelsAcross());
    d.outputHeight = static_cast<int>(size.GetPixelsDown());
    d.sizeValueA = static_cast<int>(size.GetXOffsetPixels());
    d.sizeValueB = static_cast<int>(size.GetYOffsetPixels());
    d.stageValueA = rotating ? rotating->valueA : 0.0;
    d.stageValueB = rotating ? rotating->valueB : 0.0;
    d.sizePercent = static_cast<int>(size.GetResolutionPercent());
    d.panelText = c.panelText;
    d.lineTimeLabel = c.lineTimeLabel;
    d.totalTenths = values.settingTenths;
    return capture;
}

std::unique_ptr<PreparedCapture> CaptureRequestBuilder::Prescan(
    const PrescanChoice& choice, const std::optional<RotatingCapture>& rotating,
    std::int64_t unixTime, std::string_view userText) const
{
    QVCamera& camera = app_.Camera();
    QVSize& size = app_.Size();
    const int maxStep = camera.GetMaxSizeStep();
    const PreviewGeometry geometry = PreviewGeometryFor(rotating);
    const int sizeStep = choice.superPrescan ? size.GetResolutionNumber() : maxStep - 1;

    auto capture = Common(CaptureKind::Prescan, sizeStep, rotating, unixTime, userText);
    PreparedCapture& c = *capture;
    CaptureBlockInputs& b = c.request.blocks;
    b.colourMode = ColourMode::Colour;
    b.width = geometry.width;
    b.lines = static_cast<std::uint32_t>(std::max(geometry.height, 0));
    c.plan.colourOffset =
        PrescanPlan::ColourOffset(choice.superPrescan, maxStep, sizeStep, b.modelCode);

    if (choice.superPrescan) {
        b.offsetAcross = std::max(choice.superOriginPixel, 0);
        b.offsetAlong = rotating ? 0 : std::max(choice.superOriginLine, 0);
    } else if (size.IsCropPrescan()) {
        // The crop at the prescan's step is in preview lines; the camera counts sensor lines.
        const CameraWindow window = size.PrescanWindow();
        const int first = std::clamp(window.firstLine, 0, geometry.height);
        const int count = std::clamp(window.lines, 0, geometry.height - first);
        c.plan.crop = PrescanPlan::Region{first, count};
        b.lines = static_cast<std::uint32_t>(count);
        b.offsetAlong = rotating ? 0 : first * maxStep;
    }
    c.totalLines = static_cast<int>(b.lines);
    return capture;
}

std::unique_ptr<PreparedCapture> CaptureRequestBuilder::Scan(
    const std::optional<RotatingCapture>& rotating, std::int64_t unixTime,
    std::string_view userText) const
{
    QVSize& size = app_.Size();
    auto capture =
        Common(CaptureKind::Scan, size.GetResolutionNumber(), rotating, unixTime, userText);
    PreparedCapture& c = *capture;
    CaptureBlockInputs& b = c.request.blocks;
    const std::int16_t mode = app_.CameraSetting().Prefs().cameraColorMode;
    b.colourMode = static_cast<ColourMode>(std::clamp<int>(mode, 0, 3));

    const CameraWindow window = size.ScanWindow();
    b.width = window.pixelsPerLine;
    b.lines = static_cast<std::uint32_t>(std::max(window.lines, 0));
    // Positions are measured at the sensor's own sampling.
    const CameraWindow native = size.NativeWindow();
    b.offsetAcross = std::max(native.firstPixel, 0);
    b.offsetAlong = rotating ? 0 : std::max(native.firstLine, 0);
    c.totalLines = static_cast<int>(b.lines);
    return capture;
}

}  // namespace scanora
