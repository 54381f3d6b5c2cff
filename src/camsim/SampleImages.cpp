#include "camsim/SampleImages.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>

#include "camsim/CaptureParameters.h"
#include "camsim/ImageHeader.h"

namespace camsim {

namespace {

constexpr std::uint16_t kNoStageFocalLength = 1000;
constexpr std::int64_t kSeconds1904To1970 = 2082844800;

// A moment of the calendar, as the camera's clock keeps it (local time).
struct Moment {
    int year, month, day, hour, minute, second;
};

// Days from 1970-01-01 to the civil date (proleptic Gregorian calendar).
std::int64_t DaysFromCivil(int year, int month, int day)
{
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto yoe = static_cast<unsigned>(year - era * 400);
    const auto doy =
        static_cast<unsigned>((153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1);
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

std::uint32_t SecondsSince1904(const Moment& m)
{
    const std::int64_t seconds =
        DaysFromCivil(m.year, m.month, m.day) * 86400 + m.hour * 3600 + m.minute * 60 + m.second;
    return static_cast<std::uint32_t>(seconds + kSeconds1904To1970);
}

// What one sample is made of.
struct SampleDescription {
    const char* name;
    std::uint16_t format;
    std::uint16_t flags;
    int stepsBelowMax;    // the size step is the model's maximum less this
    std::uint32_t width;  // 0: the whole field at that step
    std::uint32_t lines;
    int insertCode;
    double firstLineShare;  // where along the travel the window starts, as a share of it
    std::uint16_t integration;
    const char* lineTimeLabel;
    std::array<std::uint16_t, 3> gains;
    std::uint16_t curveCount;
    std::array<std::uint16_t, CaptureParameters::kCurvePoints> curve;
    const char* panelText;
    const char* userNotes;
    Moment taken;
    bool exactSize = false;  // width and lines as given, even beyond the field
};

constexpr std::uint16_t kIdentityCount = 2;
constexpr std::array<std::uint16_t, 7> kIdentity{0x0000, 0xFFFF, 0, 0, 0, 0, 0};
constexpr std::array<std::uint16_t, 7> kFourHandles{0x0000, 0x3C5A, 0xAAD7, 0xFFFF, 0, 0, 0};
constexpr std::array<std::uint16_t, 7> kThreeHandles{0x0000, 0x80AA, 0xFFFF, 0, 0, 0, 0};
// Gain codes that balance the warm lamp: green × 1/0.9, blue × 1/0.75.
constexpr std::array<std::uint16_t, 3> kBalanced{260, 377, 578};

const std::array<SampleDescription, 5> kSamples{{
    {"Sample Chart 16",
     0x6C,
     0x01,
     2,
     1320,
     660,
     2,
     0.0,
     100,
     " 1/30 s",
     kBalanced,
     4,
     kFourHandles,
     "Tungsten",
     "Chart and wedge under the studio lamps, for checking colour after retrieval.",
     {2026, 11, 3, 14, 5, 30},
     false},
    {"Sample Raw 16",
     0x6C,
     0x13,
     1,
     0,
     0,
     4,
     0.0,
     120,
     " 1/25 s",
     {300, 420, 620},
     4,
     kFourHandles,
     "Tungsten",
     "",
     {2026, 10, 21, 9, 41, 12},
     false},
    {"Sample Chart 8",
     0x3C,
     0x32,
     2,
     900,
     600,
     1,
     0.0,
     200,
     " 1/15 s",
     kBalanced,
     kIdentityCount,
     kIdentity,
     "Daylight",
     "",
     {2026, 6, 30, 18, 22, 5},
     false},
    {"Sample Green 8",
     0x12,
     0x02,
     1,
     500,
     400,
     2,
     0.0,
     150,
     " 1/20 s",
     {260, 260, 260},
     kIdentityCount,
     kIdentity,
     "Daylight",
     "",
     {2025, 12, 2, 11, 15, 47},
     false},
    {"Sample Red 16",
     0x21,
     0x01,
     3,
     1500,
     300,
     2,
     0.5,
     75,
     " 1/40 s",
     {260, 260, 260},
     3,
     kThreeHandles,
     "Daylight",
     "",
     {2026, 9, 15, 8, 30, 0},
     false},
}};

// The capture notes line as the host writes it: name, date, time, capture mode, size with the
// two size values, size percentage, colour balance, line time and the channel gains in dB.
std::string CaptureNotes(const SampleDescription& s, const CaptureParameters& p, int maxStep)
{
    const Moment& t = s.taken;
    const int hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
    const char* colours = "CRGB";
    const unsigned colourCode = (p.format & 0x0F) == 0x0C ? 0 : (p.format & 0x0F);
    const bool wide = ((p.format >> 4) % 2) == 0;
    const auto decibels = [](std::uint16_t code) { return (code - 260.0) / 255.0; };
    char text[256];
    std::snprintf(text, sizeof text,
                  "%s, %d/%d/%d, %d:%.2d:%.2d %s, %s%c, %ux%u (%d+%d), %d%%, %s, %s, "
                  "R%.1f G%.1f B%.1f",
                  p.name.c_str(), t.month, t.day, t.year, hour12, t.minute, t.second,
                  t.hour < 12 ? "AM" : "PM", wide ? "16" : " 8", colours[colourCode],
                  static_cast<unsigned>(p.pixelsPerLine), p.lines, maxStep - p.sizeStep, p.sizeStep,
                  static_cast<int>(std::lround(100.0 * (maxStep - p.sizeStep) / maxStep)),
                  s.panelText, s.lineTimeLabel, decibels(p.gainCodes[0]), decibels(p.gainCodes[1]),
                  decibels(p.gainCodes[2]));
    return text;
}

// The header position (hundredths of a millimetre) of `share` of `nativePixels`.
std::uint16_t Position(double share, int nativePixels, int pitch)
{
    return static_cast<std::uint16_t>(std::lround(share * nativePixels * pitch / 1000.0));
}

RecordedImage Make(const CameraModel& model, const SampleDescription& s)
{
    const int samples = std::min(s.stepsBelowMax, model.maxSizeStep - model.minSizeStep);
    const auto fit = [samples, &model, &s](std::uint32_t wanted, int native) {
        if (s.exactSize)
            return std::clamp<std::uint32_t>(wanted, 1, 0xFFFF);
        const auto most = static_cast<std::uint32_t>(native * samples / model.maxSizeStep);
        return wanted == 0 ? most : std::min(wanted, most);
    };
    CaptureParameters p;
    p.captureTime = SecondsSince1904(s.taken);
    p.model = model.code;
    p.pixelsPerLine = static_cast<std::uint16_t>(fit(s.width, model.sensorWidth));
    p.lines = fit(s.lines, model.linesAlongTravel);
    p.firstLinePosition = Position(s.firstLineShare, model.linesAlongTravel, model.pixelPitch);
    p.focalLength = kNoStageFocalLength;
    p.sizeStep = model.maxSizeStep - samples;
    p.format = s.format;
    p.linePeriod = s.integration;
    p.gainCodes = s.gains;
    p.curvePointCount = s.curveCount;
    p.curvePoints = s.curve;
    p.outputFlags = s.flags;
    p.insertCode = s.insertCode;
    p.name = s.name;
    p.notes = CaptureNotes(s, p, model.maxSizeStep) + "\r" + s.userNotes;

    RecordedImage image;
    image.header = ImageHeader::Compose(p, s.integration);
    image.captureTime = p.captureTime;
    CaptureRecipe& recipe = image.recipe;
    recipe.geometry = {p.model, p.insertCode,         p.sizeStep,         p.pixelsPerLine,
                       p.lines, p.firstPixelPosition, p.firstLinePosition};
    recipe.exposure.integration = s.integration;
    recipe.exposure.gainCodes = s.gains;
    recipe.format = s.format;
    return image;
}

}  // namespace

std::vector<RecordedImage> SampleImages::Make(const CameraModel& model)
{
    std::vector<RecordedImage> images;
    for (const SampleDescription& sample : kSamples) images.push_back(camsim::Make(model, sample));
    return images;
}

RecordedImage SampleImages::Big(const CameraModel& model, std::uint32_t width, std::uint32_t lines)
{
    SampleDescription sample = kSamples[0];
    sample.name = "Big Image";
    sample.stepsBelowMax = model.maxSizeStep - model.minSizeStep;
    sample.userNotes = "";
    sample.taken = {2026, 12, 1, 12, 0, 0};
    // The full size asked for, whatever the field holds: lines past it see the surround, as a
    // panorama's do.
    sample.width = width;
    sample.lines = lines;
    sample.exactSize = true;
    return camsim::Make(model, sample);
}

}  // namespace camsim
