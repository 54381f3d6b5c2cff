#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <utility>
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
// window too. Sensor lines are kept for reuse while the rows pass over them, already through the
// output tables, so a stretch of data is made line by line at a few nanoseconds a sample, without
// holding more than the lines the rows span: images of any size are read this way.
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
    using Samples = std::vector<std::uint16_t>;

    // The output samples (red, green and blue per pixel) of every pixel of scene line `line`.
    // The reference holds until the next call.
    const Samples& SensorLine(std::int64_t line);
    void RenderSensorLine(std::int64_t line, Samples& values);
    // Pixels [first, last) of a line from their reflectances to output samples.
    void Convert(std::size_t first, std::size_t last, Samples& values) const;
    // The pixels whose place along the line lies within [from, to].
    [[nodiscard]] std::pair<std::size_t, std::size_t> PixelsWithin(double from, double to) const;
    void Forget(std::map<std::int64_t, Samples>::iterator first,
                std::map<std::int64_t, Samples>::iterator last);

    CaptureRecipe recipe_;
    SensorModel sensor_;
    double scale_;       // native pixels per pixel of this capture
    double firstPixel_;  // native pixels along the sensor
    double firstLine_;   // native lines along the travel
    double fieldWidth_;  // the full field in the upright orientation, native pixels
    double fieldHeight_;
    Scene scene_;
    // Where each pixel of a line lies in the scene along the line: x for a row of the upright
    // field (From Top, From Bottom), y for a column (From Left, From Right).
    std::vector<double> sceneAlong_;
    std::vector<double> columnGains_;  // each pixel's column error while uncalibrated
    std::vector<Reflectance> reflectances_;
    // The rows of the upright field rendered last, by their plan's key, for the rows that differ
    // from them only in their spans (the most recently used first).
    struct KeptRow {
        std::array<long long, 6> key{};
        Samples values;
    };
    std::vector<KeptRow> keptRows_;
    std::map<std::int64_t, Samples> sensorLines_;
    std::vector<Samples> spareLines_;  // storage of lines no longer needed, for reuse
    std::vector<std::uint8_t> rawLine_;
};

}  // namespace camsim
