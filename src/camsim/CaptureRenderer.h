#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <vector>

#include "camsim/CaptureRecipe.h"
#include "camsim/Scene.h"
#include "camsim/SensorModel.h"

namespace camsim {

// Produces the data of a capture as the trilinear sensor delivers it. Raw line j holds, for each
// pixel, the red sample of scene line j − 2d, the green of scene line j − d and the blue of scene
// line j (d = the colour offset), as big-endian 16-bit or as 8-bit samples through the capture's
// output tables; a single-colour capture holds that colour of scene line j alone. Scene line j
// lies j lines along the travel from the capture's first line; the rows see the scene beyond the
// window too. Sensor lines are kept for reuse while the rows pass over them.
class CaptureRenderer {
public:
    explicit CaptureRenderer(CaptureRecipe recipe);

    [[nodiscard]] const CaptureRecipe& Recipe() const { return recipe_; }
    [[nodiscard]] std::size_t LineBytes() const { return recipe_.LineBytes(); }

    // Bytes [offset, offset + out.size()) of the data made of the first `lineCount` raw lines;
    // whatever lies beyond them reads as zeros.
    void Read(std::uint64_t offset, std::uint64_t lineCount, std::span<std::uint8_t> out);
    // Raw line `line` into `out` (LineBytes() bytes).
    void RawLine(std::int64_t line, std::span<std::uint8_t> out);
    // Scene line `line` with its colours together, as a host reconstructs it: red, green and blue
    // output samples per pixel (one sample per pixel for a single colour).
    void AlignedLine(std::int64_t line, std::span<std::uint16_t> out);

private:
    // The 14-bit red, green and blue values of every pixel of scene line `line`.
    const std::vector<std::uint16_t>& SensorLine(std::int64_t line);
    void RenderSensorLine(std::int64_t line, std::vector<std::uint16_t>& values) const;
    [[nodiscard]] std::uint16_t Output(std::size_t colour, std::uint16_t sensor) const;

    CaptureRecipe recipe_;
    SensorModel sensor_;
    double scale_;       // native pixels per pixel of this capture
    double firstPixel_;  // native pixels along the sensor
    double firstLine_;   // native lines along the travel
    double fieldWidth_;  // the full field in the upright orientation, native pixels
    double fieldHeight_;
    Scene scene_;
    std::map<std::int64_t, std::vector<std::uint16_t>> sensorLines_;
    std::vector<std::uint8_t> rawLine_;
};

}  // namespace camsim
