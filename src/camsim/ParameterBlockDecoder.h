#pragma once

#include <string_view>

#include "camsim/CameraModel.h"
#include "camsim/CaptureParameters.h"

namespace camsim {

// Reads the bodies of the parameter blocks into CaptureParameters and checks them against the
// camera. Every literal group and blank of the fixed layout must be in its place and every
// number must be four upper-case hexadecimal digits. Each operation returns a CameraErrorCode:
// kValueError for a body that breaks the layout or a value the camera cannot take, kMathError for
// a line period shorter than the sensor can read a line in, kNone otherwise.
class ParameterBlockDecoder {
public:
    // H00: capture code, time, model, size, position, size step, format, line period, gains and
    // the first two curve points. `model` is this camera.
    [[nodiscard]] static unsigned DecodeH00(std::string_view body, const CameraModel& model,
                                            CaptureParameters& parameters);
    // H01: curve points 2..6, the output flags with the insert direction, and the image name.
    [[nodiscard]] static unsigned DecodeH01(std::string_view body, CaptureParameters& parameters);
    // H02 and H03 together: the notes text, its length and the blanks that pad it.
    [[nodiscard]] static unsigned DecodeNotes(std::string_view h02, std::string_view h03,
                                              CaptureParameters& parameters);
    // Across H00 and H01: the curve points beyond the curve's count must be 0.
    [[nodiscard]] static unsigned CheckCurve(const CaptureParameters& parameters);

    // The shortest line period (1/3000 s) at which the carriage can follow `sizeStep`.
    [[nodiscard]] static int MinimumLinePeriod(const CameraModel& model, int sizeStep);
};

}  // namespace camsim
