#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "camsim/CameraModel.h"
#include "camsim/CaptureRenderer.h"
#include "camsim/Scene.h"
#include "camsim/SensorModel.h"

namespace camsim {
namespace {

// Camera line `line` worked out point by point, the slow and obvious way: each pixel's place in
// the upright field as the insert is turned, the scene there, the sensor value, the output table.
std::vector<std::uint16_t> PointByPoint(const CaptureRecipe& recipe, std::int64_t line)
{
    const CaptureGeometry& g = recipe.geometry;
    const CameraModel& model = CameraModel::ForCode(g.model);
    const bool across = g.insertCode == 1 || g.insertCode == 3;
    const double width = across ? model.linesAlongTravel : model.sensorWidth;
    const double height = across ? model.sensorWidth : model.linesAlongTravel;
    const Scene scene(width, height);
    const SensorModel sensor(recipe.exposure, recipe.calibrated);
    const double scale = static_cast<double>(model.maxSizeStep) / (model.maxSizeStep - g.sizeStep);
    const double firstPixel = g.firstPixelPosition * 1000.0 / model.pixelPitch;
    const double firstLine = g.firstLinePosition * 1000.0 / model.pixelPitch;
    const double travel = firstLine + (static_cast<double>(line) + 0.5) * scale;
    std::vector<std::uint16_t> samples;
    for (std::uint32_t i = 0; i < g.pixelsPerLine; ++i) {
        const double along = firstPixel + (i + 0.5) * scale;
        double x = along;
        double y = travel;
        if (g.insertCode == 1) {
            x = travel;
            y = height - along;
        } else if (g.insertCode == 3) {
            x = width - travel;
            y = along;
        } else if (g.insertCode == 4) {
            x = width - along;
            y = height - travel;
        }
        const Reflectance r = scene.At(x, y);
        for (std::size_t c = 0; c < 3; ++c) {
            const std::uint16_t value =
                sensor.Value(c, r[c], static_cast<std::int64_t>(std::floor(along)));
            samples.push_back(recipe.IsWide() ? recipe.tables.Wide(value)
                                              : recipe.tables.Narrow(c, value));
        }
    }
    return samples;
}

// The renderer reuses rows of the upright field that differ only where the slanted square and
// the star lie; whatever it reuses must be what the scene holds there, line after line, through
// every part of the scene, at full resolution and without the column calibration too.
class CaptureRendererRows : public ::testing::TestWithParam<int> {};

TEST_P(CaptureRendererRows, EveryLineIsTheSceneAsWorkedOutPointByPoint)
{
    CaptureRecipe recipe;
    recipe.geometry.model = 6;
    recipe.geometry.insertCode = GetParam();
    recipe.geometry.sizeStep = 0;  // one native pixel a pixel
    recipe.geometry.pixelsPerLine = 8000;
    recipe.geometry.lines = 10660;
    recipe.calibrated = GetParam() % 2 == 0;
    CaptureRenderer renderer(recipe);
    std::vector<std::uint16_t> line(3 * recipe.geometry.pixelsPerLine);
    // Every 7th line over the whole field, and runs of neighbouring lines in the square, the
    // bars and the star.
    std::vector<std::int64_t> lines;
    for (std::int64_t a = 0; a < 10660; a += 7) lines.push_back(a);
    for (const std::int64_t start : {1000, 8000, 9000})
        for (std::int64_t a = start; a < start + 12; ++a) lines.push_back(a);
    for (const std::int64_t a : lines) {
        renderer.AlignedLine(a, line);
        ASSERT_EQ(line, PointByPoint(recipe, a)) << "line " << a;
    }
}

INSTANTIATE_TEST_SUITE_P(Inserts, CaptureRendererRows, ::testing::Values(1, 2, 3, 4));

}  // namespace
}  // namespace camsim
