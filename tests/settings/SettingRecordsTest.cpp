#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SettingsTestSupport.h"
#include "settings/CurveSetting.h"
#include "settings/ExposureSetting.h"
#include "settings/HistogramSetting.h"
#include "settings/InsertRotation.h"
#include "settings/LineReader.h"
#include "settings/SizeSetting.h"
#include "settings/SizeUnits.h"

namespace scanora {
namespace {

using test::ExpectMatchesGolden;
using test::ReadSection;
using test::Written;

using Handle = CurveSetting::Handle;
using Slider = HistogramSetting::Slider;

constexpr std::uint32_t Rgb(std::uint32_t red, std::uint32_t green, std::uint32_t blue)
{
    return red + 256 * green + 65536 * blue;
}

SizeSetting DefaultSize()
{
    SizeSetting size;
    size.SetName("Default Setting");
    SizeValues values;
    values.outputWidth = 50.0 / 3.0;
    values.outputHeight = 12.5;
    values.widthOffsetPercent = 0;
    values.heightOffsetPercent = 0;
    values.resolutionNumber = 3;
    values.insertRotation = InsertRotation::kFromLeft;
    values.resolution = 300;
    values.units = SizeUnits::kMillimeters;
    values.resolutionUnits = SizeUnits::kInches;
    values.cropRatioLocked = true;
    values.fileSizeLocked = false;
    size.SetValues(values);
    return size;
}

ExposureSetting DaylightExposure()
{
    ExposureSetting exposure;
    exposure.SetName("Daylight New CCD");
    exposure.SetEv(0.001447721);
    exposure.SetNeutralRed(0.6608163);
    exposure.SetNeutralGreen(0.001447721);
    exposure.SetNeutralBlue(0.03512081);
    exposure.SetFilterBlue(-0.25);
    return exposure;
}

CurveSetting None14Curve()
{
    CurveSetting curve;
    curve.SetName("None 14 bit");
    const std::vector<Handle> handles{{30, 3},    {80, 28},   {113, 56}, {142, 106},
                                      {195, 220}, {212, 245}, {230, 255}};
    curve.SetHandles(handles);
    curve.SetNone14(true);
    curve.SetUnchangeable();
    return curve;
}

HistogramSetting DefaultHistogram()
{
    HistogramSetting histogram;
    histogram.SetName("Default Setting");
    const std::vector<Slider> sliders{
        {15, Rgb(0, 0, 255), true},
        {30, Rgb(0, 255, 255), true},
        {110, 0, false},
        {130, Rgb(0, 255, 0), true},
        {225, 0, false},
        {240, Rgb(255, 255, 0), true},
        {255, Rgb(255, 0, 0), true},
    };
    histogram.SetSliders(sliders);
    return histogram;
}

// Written, read into a fresh record and written again, a record gives the same bytes.
template <typename Record>
void ExpectRoundTrip(const Record& record)
{
    const std::string first = Written(record);
    EXPECT_EQ(Written(ReadSection<Record>(first)), first);
}

// The golden files pin the exact bytes of each section. To regenerate them after an intended
// change of the format, run this test program with SCANORA_UPDATE_GOLDEN=1.
TEST(SettingRecordsTest, SectionsMatchTheGoldenFilesAndReadBackUnchanged)
{
    ExpectMatchesGolden(Written(DefaultSize()), "SizeSetting.txt");
    ExpectMatchesGolden(Written(DaylightExposure()), "ExposureSetting.txt");
    ExpectMatchesGolden(Written(None14Curve()), "CurveSetting.txt");
    ExpectMatchesGolden(Written(DefaultHistogram()), "HistogramSetting.txt");

    ExpectRoundTrip(DefaultSize());
    ExpectRoundTrip(DaylightExposure());
    ExpectRoundTrip(None14Curve());
    ExpectRoundTrip(DefaultHistogram());
}

TEST(SettingRecordsTest, CommonKeysNameAndChangeable)
{
    auto nameOf = [](std::string_view line) {
        return ReadSection<SizeSetting>("BeginSizeSetting\n" + std::string(line) +
                                        "\nEndSizeSetting\n")
            .GetName();
    };
    EXPECT_EQ(nameOf("SettingName \"Default Setting\""), "Default Setting");
    EXPECT_EQ(nameOf("SettingName"), "");
    EXPECT_EQ(nameOf("SettingName Default Setting"), "Default Setting");

    auto changeable = [](std::string_view line) {
        return ReadSection<SizeSetting>("BeginSizeSetting\n" + std::string(line) +
                                        "\nEndSizeSetting\n")
            .IsChangeable();
    };
    EXPECT_FALSE(changeable("Changeable TRUE"));
    EXPECT_TRUE(changeable("Changeable \"true\""));
    EXPECT_FALSE(changeable("Changeable false"));
}

TEST(SettingRecordsTest, UnknownMalformedAndMissingLinesKeepTheFields)
{
    SizeSetting before = DefaultSize();
    const SizeSetting size = ReadSection<SizeSetting>(
        "BeginSizeSetting\r\n"
        "Comment: \"written by hand\"\r\n"
        "\r\n"
        "outputwidth 99\r\n"     // keys are case-sensitive
        "OutputHeight tall\r\n"  // not a number
        "Resolution 240\r\n"
        "Resolution 360\r\n"  // the last occurrence wins
        "FutureKey 1\r\n"
        "EndSizeSetting\r\n",
        before);
    EXPECT_EQ(size.GetValues().outputWidth, before.GetValues().outputWidth);
    EXPECT_EQ(size.GetValues().outputHeight, 12.5);
    EXPECT_EQ(size.GetValues().resolution, 360);
    EXPECT_EQ(size.GetValues().units, SizeUnits::kMillimeters);
    EXPECT_EQ(size.GetName(), "Default Setting");
}

TEST(SettingRecordsTest, SizeWordsAndRotationTexts)
{
    auto read = [](std::string_view lines) {
        return ReadSection<SizeSetting>("BeginSizeSetting\n" + std::string(lines) +
                                        "EndSizeSetting\n")
            .GetValues();
    };
    EXPECT_EQ(read("Units pixels\n").units, SizeUnits::kPixels);
    EXPECT_EQ(read("Units feet\n").units, SizeUnits::kFeet);
    EXPECT_EQ(read("ResUnits parsecs\n").resolutionUnits, SizeUnits::kInches);
    EXPECT_EQ(read("ResUnits Millimeters\n").resolutionUnits, SizeUnits::kInches);
    EXPECT_EQ(read("InsertRotation \"From Right\"\n").insertRotation, InsertRotation::kFromRight);
    EXPECT_EQ(read("InsertRotation \"Sideways\"\n").insertRotation, InsertRotation::kFromTop);

    // Codes without a word or text of their own do not survive a file.
    SizeSetting odd;
    SizeValues values;
    values.units = 2;
    values.insertRotation = 9;
    odd.SetValues(values);
    const std::string text = Written(odd);
    EXPECT_NE(text.find("\r\nUnits furlongs\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nInsertRotation \"\"\r\n"), std::string::npos);
    EXPECT_EQ(ReadSection<SizeSetting>(text).GetValues().units, SizeUnits::kFurlongs);
    EXPECT_EQ(ReadSection<SizeSetting>(text).GetValues().insertRotation, InsertRotation::kFromTop);
}

TEST(SettingRecordsTest, ExposureSectionHasNoChangeableLine)
{
    ExposureSetting locked = DaylightExposure();
    locked.SetUnchangeable();
    const std::string text = Written(locked);
    EXPECT_EQ(text.find("Changeable"), std::string::npos);
    EXPECT_TRUE(ReadSection<ExposureSetting>(text).IsChangeable());

    const ExposureSetting accepted = ReadSection<ExposureSetting>(
        "BeginExposureSetting\nChangeable false\nFilterRed 0.5\nEndExposureSetting\n");
    EXPECT_FALSE(accepted.IsChangeable());
    EXPECT_EQ(accepted.GetFilterRed(), 0.5);
}

TEST(SettingRecordsTest, ToneCurveLineLayout)
{
    CurveSetting curve;
    const std::vector<Handle> five{{1, 2}, {3, 4}, {5, 6}, {7, 8}, {9, 10}};
    curve.SetHandles(five);
    EXPECT_NE(Written(curve).find("\r\nToneCurve 5  1 2  3 4  5 6  7 8  9 10  \r\n"),
              std::string::npos);
    EXPECT_EQ(CurveSetting::FormatHandles({}), "0  ");
}

TEST(SettingRecordsTest, ToneCurveReading)
{
    auto read = [](std::string_view line, CurveSetting before = {}) {
        return ReadSection<CurveSetting>(
            "BeginCurveSetting\n" + std::string(line) + "\nEndCurveSetting\n", before);
    };
    // Any white space between the numbers, including the value's own leading space.
    const CurveSetting spaced = read("ToneCurve  3 \t 0 0   128 140 255 255");
    EXPECT_EQ(std::vector<Handle>(spaced.GetHandles().begin(), spaced.GetHandles().end()),
              (std::vector<Handle>{{0, 0}, {128, 140}, {255, 255}}));

    // The record holds seven handles: the first seven of a longer list are taken.
    const CurveSetting nine = read("ToneCurve 9  1 1  2 2  3 3  4 4  5 5  6 6  7 7  8 8  9 9  ");
    EXPECT_EQ(nine.GetHandleCount(), 7);
    EXPECT_EQ(nine.GetHandles()[6], (Handle{7, 7}));

    EXPECT_EQ(read("ToneCurve -2  1 1").GetHandleCount(), 0);
    const CurveSetting wild = read("ToneCurve 2  -4 300  32000 -32000");
    EXPECT_EQ(wild.GetHandles()[0], (Handle{0, 255})) << "coordinates are curve levels";
    EXPECT_EQ(wild.GetHandles()[1], (Handle{255, 0}));

    // A list that breaks off: the handles after the break keep their values.
    CurveSetting before = None14Curve();
    const CurveSetting broken = read("ToneCurve 3  10 20  30", before);
    EXPECT_EQ(broken.GetHandleCount(), 3);
    EXPECT_EQ(broken.GetHandles()[0], (Handle{10, 20}));
    EXPECT_EQ(broken.GetHandles()[1], (Handle{30, 28}));
    EXPECT_EQ(broken.GetHandles()[2], (Handle{113, 56}));

    const CurveSetting garbage = read("ToneCurve many", before);
    EXPECT_EQ(garbage.GetHandleCount(), 7);
}

TEST(SettingRecordsTest, HistogramSliderSubSections)
{
    const HistogramSetting histogram = ReadSection<HistogramSetting>(
        "BeginHistogramSetting\n"
        "SliderValue 99\n"  // outside a slider: ignored
        "BeginSlider\n"
        "SliderValue 20\n"
        "RGBAColor16 65535 32768 0 65535\n"
        "SliderFalseColor true\n"
        "Shade dark\n"
        "EndSlider\n"
        "RGBColor 1 2 3\n"  // outside a slider: ignored
        "BeginSlider\n"
        "SliderValue 300\n"
        "RGBColor 255 0 0\n"
        "EndSlider\n"
        "EndHistogramSetting\n");
    ASSERT_EQ(histogram.GetSliderCount(), 2);
    EXPECT_EQ(histogram.GetSliders()[0], (Slider{20, Rgb(255, 128, 0), true}));
    EXPECT_EQ(histogram.GetSliders()[1], (Slider{255, Rgb(255, 0, 0), false}));
}

TEST(SettingRecordsTest, HistogramKeepsAtMost128Sliders)
{
    std::string text = "BeginHistogramSetting\n";
    for (int i = 0; i < 130; ++i)
        text += "BeginSlider\nSliderValue " + std::to_string(i % 256) + "\nEndSlider\n";
    text += "EndHistogramSetting\nNext\n";
    LineReader in(text);
    std::string_view line;
    in.ReadLine(line);
    HistogramSetting histogram;
    EXPECT_TRUE(histogram.Read(in));
    EXPECT_EQ(histogram.GetSliderCount(), 128);
    EXPECT_EQ(histogram.GetSliders().back().value, 127);
    ASSERT_TRUE(in.ReadLine(line));
    EXPECT_EQ(line, "Next");
}

TEST(SettingRecordsTest, SectionEndsAtItsEndLineEvenInsideASlider)
{
    LineReader in(
        "BeginHistogramSetting\n"
        "BeginSlider\nSliderValue 10\nEndSlider\n"
        "BeginSlider\nSliderValue 20\n"
        "EndHistogramSetting\n"
        "BeginCurveSetting\nSettingName \"after\"\nEndCurveSetting\n");
    std::string_view line;
    in.ReadLine(line);
    HistogramSetting histogram;
    EXPECT_TRUE(histogram.Read(in));
    EXPECT_EQ(histogram.GetSliderCount(), 1) << "the unclosed slider does not count";
    ASSERT_TRUE(in.ReadLine(line));
    EXPECT_EQ(line, "BeginCurveSetting");
    CurveSetting curve;
    EXPECT_TRUE(curve.Read(in));
    EXPECT_EQ(curve.GetName(), "after");
}

TEST(SettingRecordsTest, TruncatedSectionsStopAtTheEndOfInput)
{
    auto readsToEnd = [](QVSetting& record, std::string_view text) {
        LineReader in(text);
        const bool complete = record.Read(in);
        EXPECT_TRUE(in.AtEnd());
        return complete;
    };
    SizeSetting size;
    EXPECT_FALSE(readsToEnd(size, "SettingName \"cut\"\r\nOutputWidth 7"));
    EXPECT_EQ(size.GetName(), "cut");
    EXPECT_EQ(size.GetValues().outputWidth, 7);

    ExposureSetting exposure;
    EXPECT_FALSE(readsToEnd(exposure, "ev 1.5\r\nEndExposure"));
    EXPECT_EQ(exposure.GetEv(), 1.5);

    CurveSetting curve;
    EXPECT_FALSE(readsToEnd(curve, ""));
    HistogramSetting histogram;
    EXPECT_FALSE(readsToEnd(histogram, "BeginSlider\nSliderValue 4\n"));
    EXPECT_EQ(histogram.GetSliderCount(), 0);
}

}  // namespace
}  // namespace scanora
