#include "camsim/CaptureRenderer.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "camsim/CameraModel.h"

namespace camsim {

namespace {

constexpr std::size_t kColours = 3;

// The field in the upright orientation: turned inserts see the travel across.
double FieldWidth(const CaptureGeometry& geometry)
{
    const CameraModel& model = CameraModel::ForCode(geometry.model);
    const bool across = geometry.insertCode == 1 || geometry.insertCode == 3;
    return across ? model.linesAlongTravel : model.sensorWidth;
}

double FieldHeight(const CaptureGeometry& geometry)
{
    const CameraModel& model = CameraModel::ForCode(geometry.model);
    const bool across = geometry.insertCode == 1 || geometry.insertCode == 3;
    return across ? model.sensorWidth : model.linesAlongTravel;
}

double NativePixels(std::uint16_t hundredthsOfMillimetre, int pitch)
{
    return hundredthsOfMillimetre * 1000.0 / pitch;
}

}  // namespace

CaptureRenderer::CaptureRenderer(CaptureRecipe recipe)
    : recipe_(std::move(recipe)),
      sensor_(recipe_.exposure, recipe_.calibrated),
      scale_(1.0),
      firstPixel_(0.0),
      firstLine_(0.0),
      fieldWidth_(FieldWidth(recipe_.geometry)),
      fieldHeight_(FieldHeight(recipe_.geometry)),
      scene_(fieldWidth_, fieldHeight_),
      rawLine_(recipe_.LineBytes())
{
    const CameraModel& model = CameraModel::ForCode(recipe_.geometry.model);
    const int samples = model.maxSizeStep - recipe_.geometry.sizeStep;
    scale_ = samples > 0 ? static_cast<double>(model.maxSizeStep) / samples : 1.0;
    firstPixel_ = NativePixels(recipe_.geometry.firstPixelPosition, model.pixelPitch);
    firstLine_ = NativePixels(recipe_.geometry.firstLinePosition, model.pixelPitch);
}

void CaptureRenderer::Read(std::uint64_t offset, std::uint64_t lineCount,
                           std::span<std::uint8_t> out)
{
    const std::uint64_t lineBytes = LineBytes();
    std::size_t done = 0;
    while (done < out.size()) {
        const std::uint64_t at = offset + done;
        const std::uint64_t line = lineBytes == 0 ? lineCount : at / lineBytes;
        if (line >= lineCount) {
            std::fill(out.begin() + static_cast<std::ptrdiff_t>(done), out.end(), std::uint8_t{0});
            return;
        }
        const std::uint64_t within = at % lineBytes;
        const std::size_t count = static_cast<std::size_t>(
            std::min<std::uint64_t>(lineBytes - within, out.size() - done));
        RawLine(static_cast<std::int64_t>(line), rawLine_);
        std::copy_n(rawLine_.begin() + static_cast<std::ptrdiff_t>(within), count,
                    out.begin() + static_cast<std::ptrdiff_t>(done));
        done += count;
    }
}

void CaptureRenderer::RawLine(std::int64_t line, std::span<std::uint8_t> out)
{
    const std::size_t pixels = recipe_.geometry.pixelsPerLine;
    const std::int64_t offset = recipe_.ColourOffset();
    const bool wide = recipe_.IsWide();
    const auto put = [&out, wide](std::size_t sample, std::uint16_t value) {
        if (wide) {
            out[2 * sample] = static_cast<std::uint8_t>(value >> 8);
            out[2 * sample + 1] = static_cast<std::uint8_t>(value);
        } else {
            out[sample] = static_cast<std::uint8_t>(value);
        }
    };
    if (!recipe_.IsColour()) {
        const std::size_t colour = recipe_.SingleColour();
        const std::vector<std::uint16_t>& values = SensorLine(line);
        for (std::size_t i = 0; i < pixels; ++i)
            put(i, Output(colour, values[kColours * i + colour]));
        return;
    }
    // Each colour row has its own scene line; every pixel takes one colour from each.
    for (std::size_t colour = 0; colour < kColours; ++colour) {
        const std::int64_t behind = static_cast<std::int64_t>(kColours - 1 - colour) * offset;
        const std::vector<std::uint16_t>& values = SensorLine(line - behind);
        for (std::size_t i = 0; i < pixels; ++i)
            put(kColours * i + colour, Output(colour, values[kColours * i + colour]));
    }
    // Lines more than the rows' reach behind are not needed again.
    sensorLines_.erase(sensorLines_.begin(), sensorLines_.lower_bound(line - 2 * offset));
}

void CaptureRenderer::AlignedLine(std::int64_t line, std::span<std::uint16_t> out)
{
    const std::size_t pixels = recipe_.geometry.pixelsPerLine;
    const std::vector<std::uint16_t>& values = SensorLine(line);
    if (!recipe_.IsColour()) {
        const std::size_t colour = recipe_.SingleColour();
        for (std::size_t i = 0; i < pixels; ++i)
            out[i] = Output(colour, values[kColours * i + colour]);
        return;
    }
    for (std::size_t i = 0; i < kColours * pixels; ++i) out[i] = Output(i % kColours, values[i]);
}

std::uint16_t CaptureRenderer::Output(std::size_t colour, std::uint16_t sensor) const
{
    return recipe_.IsWide() ? recipe_.tables.Wide(sensor) : recipe_.tables.Narrow(colour, sensor);
}

const std::vector<std::uint16_t>& CaptureRenderer::SensorLine(std::int64_t line)
{
    // The rows reach 2 colour offsets back; anything more was left by a jump elsewhere.
    const auto mostKept = 2 * static_cast<std::size_t>(recipe_.ColourOffset()) + 2;
    if (sensorLines_.size() > mostKept)
        sensorLines_.clear();
    const auto [found, inserted] = sensorLines_.try_emplace(line);
    if (inserted)
        RenderSensorLine(line, found->second);
    return found->second;
}

void CaptureRenderer::RenderSensorLine(std::int64_t line, std::vector<std::uint16_t>& values) const
{
    const std::size_t pixels = recipe_.geometry.pixelsPerLine;
    values.resize(kColours * pixels);
    const double travel = firstLine_ + (static_cast<double>(line) + 0.5) * scale_;
    for (std::size_t i = 0; i < pixels; ++i) {
        const double along = firstPixel_ + (static_cast<double>(i) + 0.5) * scale_;
        // From the sensor's coordinates to the upright field, as the insert is turned.
        double x = along;
        double y = travel;
        switch (recipe_.geometry.insertCode) {
            case 1:
                x = travel;
                y = fieldHeight_ - along;
                break;
            case 3:
                x = fieldWidth_ - travel;
                y = along;
                break;
            case 4:
                x = fieldWidth_ - along;
                y = fieldHeight_ - travel;
                break;
            default: break;
        }
        const Reflectance reflectance = scene_.At(x, y);
        const auto column = static_cast<std::int64_t>(std::floor(along));
        for (std::size_t c = 0; c < kColours; ++c)
            values[kColours * i + c] = sensor_.Value(c, reflectance[c], column);
    }
}

}  // namespace camsim
