#include "camsim/CaptureRenderer.h"

#include <algorithm>
#include <array>
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

    const std::size_t pixels = recipe_.geometry.pixelsPerLine;
    sceneAlong_.resize(pixels);
    reflectances_.resize(pixels);
    if (!sensor_.IsCalibrated())
        columnGains_.resize(pixels);
    for (std::size_t i = 0; i < pixels; ++i) {
        const double along = firstPixel_ + (static_cast<double>(i) + 0.5) * scale_;
        // From the sensor's coordinates to the upright field, as the insert is turned.
        switch (recipe_.geometry.insertCode) {
        case 1: sceneAlong_[i] = fieldHeight_ - along; break;
        case 4: sceneAlong_[i] = fieldWidth_ - along; break;
        default: sceneAlong_[i] = along; break;
        }
        if (!columnGains_.empty())
            columnGains_[i] = SensorModel::ColumnGain(static_cast<std::int64_t>(std::floor(along)));
    }
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
        if (count == lineBytes) {
            // A whole line goes straight where it belongs.
            RawLine(static_cast<std::int64_t>(line), out.subspan(done, count));
        } else {
            RawLine(static_cast<std::int64_t>(line), rawLine_);
            std::copy_n(rawLine_.begin() + static_cast<std::ptrdiff_t>(within), count,
                        out.begin() + static_cast<std::ptrdiff_t>(done));
        }
        done += count;
    }
}

void CaptureRenderer::RawLine(std::int64_t line, std::span<std::uint8_t> out)
{
    const std::size_t pixels = recipe_.geometry.pixelsPerLine;
    const std::int64_t offset = recipe_.ColourOffset();
    const bool wide = recipe_.IsWide();
    std::uint8_t* const bytes = out.data();
    if (!recipe_.IsColour()) {
        const std::size_t colour = recipe_.SingleColour();
        const std::uint16_t* values = SensorLine(line).data() + colour;
        if (wide) {
            for (std::size_t i = 0; i < pixels; ++i) {
                bytes[2 * i] = static_cast<std::uint8_t>(values[kColours * i] >> 8);
                bytes[2 * i + 1] = static_cast<std::uint8_t>(values[kColours * i]);
            }
        } else {
            for (std::size_t i = 0; i < pixels; ++i)
                bytes[i] = static_cast<std::uint8_t>(values[kColours * i]);
        }
        return;
    }
    // Each colour row has its own scene line; every pixel takes one colour from each.
    for (std::size_t colour = 0; colour < kColours; ++colour) {
        const std::int64_t behind = static_cast<std::int64_t>(kColours - 1 - colour) * offset;
        const std::uint16_t* values = SensorLine(line - behind).data() + colour;
        if (wide) {
            std::uint8_t* to = bytes + 2 * colour;
            for (std::size_t i = 0; i < pixels; ++i) {
                to[6 * i] = static_cast<std::uint8_t>(values[kColours * i] >> 8);
                to[6 * i + 1] = static_cast<std::uint8_t>(values[kColours * i]);
            }
        } else {
            std::uint8_t* to = bytes + colour;
            for (std::size_t i = 0; i < pixels; ++i)
                to[kColours * i] = static_cast<std::uint8_t>(values[kColours * i]);
        }
    }
    // Lines more than the rows' reach behind are not needed again.
    Forget(sensorLines_.begin(), sensorLines_.lower_bound(line - 2 * offset));
}

void CaptureRenderer::AlignedLine(std::int64_t line, std::span<std::uint16_t> out)
{
    const std::size_t pixels = recipe_.geometry.pixelsPerLine;
    const Samples& values = SensorLine(line);
    if (!recipe_.IsColour()) {
        const std::size_t colour = recipe_.SingleColour();
        for (std::size_t i = 0; i < pixels; ++i) out[i] = values[kColours * i + colour];
        return;
    }
    std::copy_n(values.begin(), kColours * pixels, out.begin());
}

void CaptureRenderer::Forget(std::map<std::int64_t, Samples>::iterator first,
                             std::map<std::int64_t, Samples>::iterator last)
{
    for (auto it = first; it != last; ++it) spareLines_.push_back(std::move(it->second));
    sensorLines_.erase(first, last);
}

const CaptureRenderer::Samples& CaptureRenderer::SensorLine(std::int64_t line)
{
    // The rows reach 2 colour offsets back; anything more was left by a jump elsewhere.
    const auto mostKept = 2 * static_cast<std::size_t>(recipe_.ColourOffset()) + 2;
    if (sensorLines_.size() > mostKept)
        Forget(sensorLines_.begin(), sensorLines_.end());
    const auto found = sensorLines_.find(line);
    if (found != sensorLines_.end())
        return found->second;
    Samples values;
    if (!spareLines_.empty()) {
        values = std::move(spareLines_.back());
        spareLines_.pop_back();
    }
    RenderSensorLine(line, values);
    return sensorLines_.emplace(line, std::move(values)).first->second;
}

void CaptureRenderer::RenderSensorLine(std::int64_t line, Samples& values)
{
    const std::size_t pixels = recipe_.geometry.pixelsPerLine;
    values.resize(kColours * pixels);
    const double travel = firstLine_ + (static_cast<double>(line) + 0.5) * scale_;
    const int insert = recipe_.geometry.insertCode;
    if (insert == 1 || insert == 3) {
        scene_.Column(insert == 1 ? travel : fieldWidth_ - travel, sceneAlong_, reflectances_);
        Convert(0, pixels, values);
        return;
    }
    // A row of the upright field: like a row kept from before but in its spans, or made whole.
    const double y = insert == 4 ? fieldHeight_ - travel : travel;
    const Scene::RowPlan plan = scene_.PlanRow(y);
    const auto kept = std::find_if(keptRows_.begin(), keptRows_.end(),
                                   [&plan](const KeptRow& row) { return row.key == plan.key; });
    if (kept != keptRows_.end()) {
        std::copy(kept->values.begin(), kept->values.end(), values.begin());
        std::rotate(keptRows_.begin(), kept, kept + 1);
        for (std::size_t s = 0; s < plan.spanCount; ++s) {
            const auto [first, last] = PixelsWithin(plan.spans[s][0], plan.spans[s][1]);
            const auto count = static_cast<std::ptrdiff_t>(last - first);
            scene_.Row(y, std::span(sceneAlong_).subspan(first, last - first),
                       std::span(reflectances_).subspan(first, last - first));
            Convert(first, first + static_cast<std::size_t>(count), values);
        }
        return;
    }
    scene_.Row(y, sceneAlong_, reflectances_);
    Convert(0, pixels, values);
    constexpr std::size_t kMostKeptRows = 4;
    if (keptRows_.size() < kMostKeptRows)
        keptRows_.emplace_back();
    std::rotate(keptRows_.begin(), keptRows_.end() - 1, keptRows_.end());
    keptRows_.front().key = plan.key;
    keptRows_.front().values = values;
}

std::pair<std::size_t, std::size_t> CaptureRenderer::PixelsWithin(double from, double to) const
{
    // The pixels' places run one way along the line: up for From Top, down for From Bottom.
    const auto begin = sceneAlong_.begin();
    const auto end = sceneAlong_.end();
    const bool rising = sceneAlong_.empty() || sceneAlong_.front() <= sceneAlong_.back();
    const auto first = rising ? std::lower_bound(begin, end, from)
                              : std::partition_point(begin, end, [to](double x) { return x > to; });
    const auto last =
        rising ? std::upper_bound(first, end, to)
               : std::partition_point(first, end, [from](double x) { return x >= from; });
    return {static_cast<std::size_t>(first - begin), static_cast<std::size_t>(last - begin)};
}

void CaptureRenderer::Convert(std::size_t first, std::size_t last, Samples& values) const
{
    const std::array<double, kColours> scale{sensor_.Scale(0), sensor_.Scale(1), sensor_.Scale(2)};
    const LookupTables& tables = recipe_.tables;
    const bool wide = recipe_.IsWide();
    const bool calibrated = columnGains_.empty();
    for (std::size_t i = first; i < last; ++i) {
        for (std::size_t c = 0; c < kColours; ++c) {
            double signal = reflectances_[i][c] * scale[c];
            if (!calibrated)
                signal *= columnGains_[i];
            const std::uint16_t value = SensorModel::Quantise(signal);
            values[kColours * i + c] = wide ? tables.Wide(value) : tables.Narrow(c, value);
        }
    }
}

}  // namespace camsim
