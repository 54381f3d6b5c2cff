#include "settings/BuiltInSettings.h"

#include <array>
#include <initializer_list>
#include <memory>
#include <vector>

#include "settings/PreferencesFile.h"
#include "settings/QVCameraSetting.h"
#include "settings/SettingLists.h"

namespace scanora {
namespace {

using Handle = CurveHandle;
using Slider = HistogramSetting::Slider;
using Handles = std::array<Handle, 7>;

constexpr std::uint32_t Rgb(std::uint32_t red, std::uint32_t green, std::uint32_t blue)
{
    return red + 256 * green + 65536 * blue;
}

struct ExposureRow {
    std::string_view name;
    double ev, red, green, blue;
};

struct CurveRow {
    std::string_view name;
    Handles handles;
};

struct HistogramRow {
    std::string_view name;
    std::vector<Slider> sliders;
};

constexpr std::array<ExposureRow, 5> kExposures{{
    {"Default Setting", 2, 2.23333, 2, 2.13333},
    {"Daylight New CCD", 0.00144772, 0.660816, 0.00144772, 0.0351208},
    {"Tungsten New CCD", 0, 0.583516, 0, 0.808629},
    {"Daylight Old CCD", 0, 0.245823, 0, 0.471714},
    {"Tungsten Old CCD", 0, 0.179384, 0, 1.14939},
}};

constexpr Handles kStandardHandles{
    {{30, 3}, {80, 28}, {113, 56}, {142, 106}, {195, 220}, {212, 245}, {230, 255}}};

// The first is the 14-bit linear mode.
constexpr std::array<CurveRow, 13> kCurves{{
    {"None 14 bit", kStandardHandles},
    {"Default Setting", kStandardHandles},
    {"flat 8 stops",
     {{{23, 4}, {63, 18}, {112, 67}, {147, 114}, {192, 170}, {231, 224}, {255, 255}}}},
    {"low contrast 8 stops",
     {{{23, 4}, {63, 18}, {107, 53}, {157, 121}, {208, 201}, {234, 235}, {255, 255}}}},
    {"chrome 7 stops",
     {{{23, 4}, {63, 17}, {107, 53}, {157, 134}, {209, 221}, {228, 245}, {255, 255}}}},
    {"chrome 6 stops",
     {{{23, 0}, {80, 17}, {107, 34}, {157, 120}, {207, 221}, {228, 245}, {255, 255}}}},
    {"straight 6 stops",
     {{{30, 3}, {80, 28}, {104, 56}, {132, 106}, {195, 220}, {212, 245}, {230, 255}}}},
    {"bent 6 stops", kStandardHandles},
    {"bent 5 stops",
     {{{68, 3}, {96, 28}, {122, 56}, {143, 106}, {184, 220}, {197, 245}, {207, 255}}}},
    {"copy 4 stops",
     {{{53, 3}, {90, 28}, {109, 56}, {130, 106}, {166, 220}, {176, 245}, {184, 255}}}},
    {"ten stop S curve",
     {{{19, 8}, {62, 32}, {103, 67}, {147, 128}, {183, 187}, {219, 235}, {254, 255}}}},
    {"Repro 2.2 v2",
     {{{56, 31}, {97, 53}, {137, 85}, {165, 122}, {188, 161}, {206, 201}, {225, 255}}}},
    {"Repro 1.8 v2",
     {{{56, 20}, {96, 37}, {137, 67}, {165, 104}, {188, 145}, {206, 190}, {225, 255}}}},
}};

constexpr Slider S(std::int16_t value, std::uint32_t red, std::uint32_t green, std::uint32_t blue,
                   bool falseColor)
{
    return {value, Rgb(red, green, blue), falseColor};
}

std::vector<HistogramRow> HistogramRows()
{
    return {
        {"Default Setting",
         {S(15, 0, 0, 255, true), S(30, 0, 255, 255, true), S(110, 0, 0, 0, false),
          S(130, 0, 255, 0, true), S(225, 0, 0, 0, false), S(240, 255, 255, 0, true),
          S(255, 255, 0, 0, true)}},
        {"10 Highlight Zones",
         {S(15, 0, 0, 255, true), S(30, 0, 191, 191, true), S(110, 128, 128, 128, false),
          S(130, 0, 191, 0, true), S(205, 128, 128, 128, false), S(210, 0, 127, 255, true),
          S(215, 0, 255, 255, true), S(220, 0, 255, 127, true), S(225, 127, 255, 0, true),
          S(230, 192, 255, 0, true), S(235, 255, 255, 0, true), S(240, 255, 160, 0, true),
          S(245, 255, 127, 0, true), S(250, 255, 96, 0, true), S(255, 255, 0, 0, true)}},
        {"10 Step Full Range",
         {S(10, 0, 0, 255, true), S(40, 0, 127, 255, true), S(70, 0, 255, 255, true),
          S(100, 0, 255, 127, true), S(130, 120, 255, 0, true), S(160, 192, 255, 0, true),
          S(190, 255, 255, 0, true), S(220, 255, 160, 0, true), S(250, 255, 92, 0, true),
          S(255, 255, 0, 0, true)}},
    };
}

std::unique_ptr<SizeSetting> DefaultSize(std::string_view name, const SizeValues& values)
{
    auto size = std::make_unique<SizeSetting>();
    size->SetName(name);
    size->SetValues(values);
    return size;
}

std::unique_ptr<ExposureSetting> MakeExposure(const ExposureRow& row)
{
    auto exposure = std::make_unique<ExposureSetting>();
    exposure->SetName(row.name);
    exposure->SetEv(row.ev);
    exposure->SetNeutralRed(row.red);
    exposure->SetNeutralGreen(row.green);
    exposure->SetNeutralBlue(row.blue);
    return exposure;
}

std::unique_ptr<CurveSetting> MakeCurve(std::string_view name, const Handles& handles)
{
    auto curve = std::make_unique<CurveSetting>();
    curve->SetName(name);
    curve->SetHandles(handles);
    return curve;
}

std::unique_ptr<HistogramSetting> MakeHistogram(std::string_view name,
                                                const std::vector<Slider>& sliders)
{
    auto histogram = std::make_unique<HistogramSetting>();
    histogram->SetName(name);
    histogram->SetSliders(sliders);
    return histogram;
}

CurrentStateRecords CurrentState()
{
    SizeValues size;
    size.outputWidth = 26.6667;
    size.outputHeight = 20;
    size.widthOffsetPercent = 0;
    size.heightOffsetPercent = 0;
    size.resolutionNumber = 0;
    size.insertRotation = InsertRotation::kFromLeft;
    size.resolution = 300;
    size.units = SizeUnits::kInches;
    size.resolutionUnits = SizeUnits::kInches;
    size.fileSizeLocked = false;
    size.cropRatioLocked = false;

    const Handles curveHandles{
        {{29, 3}, {80, 28}, {113, 56}, {142, 106}, {195, 220}, {212, 245}, {230, 255}}};
    return {
        DefaultSize("", size),
        MakeExposure({"", 0.00144772, 0.660816, 0.00144772, 0.0351208}),
        MakeCurve("", curveHandles),
        MakeHistogram("", {S(20, 0, 0, 255, true), S(35, 0, 255, 255, true), S(110, 0, 0, 0, false),
                           S(130, 0, 255, 0, true), S(225, 0, 0, 0, false),
                           S(240, 255, 255, 0, true), S(255, 255, 0, 0, true)}),
    };
}

}  // namespace

CameraPreferences BuiltInSettings::Preferences(std::string_view folder)
{
    CameraPreferences p;
    p.saveScansFolder = folder;
    p.savePrescansFolder = folder;
    p.autoFileSuffix = 0;
    p.currentSizeSettingIndex = 1;
    p.currentExposureSettingIndex = 2;
    p.currentCurveSettingIndex = 8;
    p.currentHistoSettingIndex = 1;
    p.maskColor = Rgb(0, 128, 255);
    p.gridColor = Rgb(0, 255, 64);
    p.isoIncrement = CameraPreferences::kOneTenth;
    p.baselineISO = 200;
    p.rotateCrop = true;
    p.stage = StageValues{};
    p.stage.focalLength = 150;
    p.stage.scanExtent = 360;
    p.currentICCProfileIndex = 0;
    p.lineTimeIndex = 9;
    return p;
}

std::vector<HistogramSetting::Slider> BuiltInSettings::DefaultHistogramSliders()
{
    return HistogramRows().front().sliders;
}

void BuiltInSettings::Write(OutputStream& out, std::string_view folder)
{
    SettingLists lists;
    // The size list's one entry: the record's own initial values.
    lists.Append(DefaultSize("Default Setting", SizeValues{}));
    for (const ExposureRow& row : kExposures) lists.Append(MakeExposure(row));
    for (const CurveRow& row : kCurves) {
        auto curve = MakeCurve(row.name, row.handles);
        curve->SetNone14(&row == &kCurves.front());
        lists.Append(std::move(curve));
    }
    for (const HistogramRow& row : HistogramRows())
        lists.Append(MakeHistogram(row.name, row.sliders));

    QVCameraSetting camera;
    camera.Prefs() = Preferences(folder);
    PreferencesFile::WriteContent(out, PreferencesFile::kBuiltInVersion, lists, camera,
                                  CurrentState());
}

}  // namespace scanora
