#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "acquire/CaptureTools.h"
#include "acquire/PrescanAssembly.h"
#include "acquire/PreviewImage.h"
#include "camera/CapturePreparation.h"
#include "imaging/QVToneCurve.h"
#include "settings/CurveHandle.h"

namespace scanora {

// A rotating capture's part in the parameter blocks: the stage's focal length, its line count
// (the preview's length) and the two stage values of the description.
struct RotatingCapture {
    int focalLengthTenths = 0;
    int lines = 0;
    double valueA = 0.0;
    double valueB = 0.0;
};

// What the caller decides about the next prescan.
struct PrescanChoice {
    // A super prescan reads a preview-sized window at the current (finer) size step into the
    // second buffer. Its origin is in sensor pixels along the line and sensor lines along the
    // travel.
    bool superPrescan = false;
    int superOriginPixel = 0;
    int superOriginLine = 0;
};

// One capture's request with everything it points at: the strings, handles and tone curve the
// request borrows live here, so it stays in one place (it is handed out by pointer).
struct PreparedCapture {
    CaptureRequest request;
    PrescanPlan plan;       // prescans: region and colour offset
    int lineTime = 0;       // the pass's line period, 1/3000 s
    int totalLines = 0;     // lines the pass delivers (prescan) or records (scan)
    QVToneCurve toneCurve;  // the current curve, for the camera's tables
    std::vector<CurveHandle> handles;
    std::string name;
    std::string userText;
    std::string date;
    std::string time;
    std::string panelText;
    std::string lineTimeLabel;

    PreparedCapture() = default;
    PreparedCapture(const PreparedCapture&) = delete;
    PreparedCapture& operator=(const PreparedCapture&) = delete;
};

// Gathers a capture's parameter-block inputs from the program's tools: the camera's model
// values, the output geometry (window, crop, size step and insert), the exposure (line times
// and channel totals), the current tone curve and the preferences (colour mode, 16-bit curve,
// fast and crop prescans, scan name).
class CaptureRequestBuilder {
public:
    explicit CaptureRequestBuilder(CaptureTools app) : app_(app) {}

    // The preview's size for the connected camera: P = sensor width / largest step, L = the
    // camera's lines (or the rotating capture's) / largest step.
    [[nodiscard]] PreviewGeometry PreviewGeometryFor(
        const std::optional<RotatingCapture>& rotating) const;

    // The prescan of the preview at the coarsest step (with the crop's lines only while crop
    // prescan is on), or a super prescan of a preview-sized window at the current step.
    [[nodiscard]] std::unique_ptr<PreparedCapture> Prescan(
        const PrescanChoice& choice, const std::optional<RotatingCapture>& rotating,
        std::int64_t unixTime, std::string_view userText) const;
    // The scan of the output geometry's window at the current step.
    [[nodiscard]] std::unique_ptr<PreparedCapture> Scan(
        const std::optional<RotatingCapture>& rotating, std::int64_t unixTime,
        std::string_view userText) const;

    // The date and time of the description, in local time.
    [[nodiscard]] static std::string DescriptionDate(std::int64_t unixTime);
    [[nodiscard]] static std::string DescriptionTime(std::int64_t unixTime);

private:
    // The parts every capture shares: time, model, curve, exposure values, description items.
    std::unique_ptr<PreparedCapture> Common(CaptureKind kind, int sizeStep,
                                            const std::optional<RotatingCapture>& rotating,
                                            std::int64_t unixTime, std::string_view userText) const;

    CaptureTools app_;
};

}  // namespace scanora
