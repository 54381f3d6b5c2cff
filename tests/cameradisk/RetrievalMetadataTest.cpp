#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "camera/ParameterBlocks.h"
#include "cameradisk/DiskEntry.h"
#include "cameradisk/RetrievalFormat.h"
#include "cameradisk/RetrievalHeader.h"
#include "cameradisk/RetrievalMetadata.h"
#include "support/TempDir.h"

namespace scanora {
namespace {

const std::vector<CurveHandle> kCurve = {{30, 3},    {80, 28},   {113, 56}, {142, 106},
                                         {194, 220}, {212, 245}, {230, 255}};

// A header block as the camera keeps it: the four parameter block bodies one after another.
DiskEntry EntryWithHeader(int orientation, std::string_view notes)
{
    CaptureBlockInputs in;
    in.kind = CaptureKind::Scan;
    in.modelCode = 6;
    in.width = 640;
    in.lines = 480;
    in.pixelPitch = 900;
    in.requestedLineTime = 200;  // 1/15 s
    in.totalTenths = {0.0, 12.0, 6.0};
    in.handles = kCurve;
    in.use16BitCurve = true;
    in.negative = true;
    in.orientation = orientation;
    in.name = "Bridge";
    const std::string combined = ParameterBlocks::CombineTexts("Bridge, 5/1/2026\r", notes);
    const std::string blocks[] = {ParameterBlocks::BuildH00(in), ParameterBlocks::BuildH01(in),
                                  ParameterBlocks::BuildH02(combined),
                                  ParameterBlocks::BuildH03(combined)};
    DiskEntry entry;
    entry.kind = 0x6C;
    entry.width = 640;
    entry.height = 480;
    entry.time = static_cast<std::uint32_t>(ParameterBlocks::SecondsSince1904(1'780'000'000));
    for (std::size_t i = 0; i < 4; ++i)
        std::copy_n(blocks[i].begin() + 3, 128, entry.header.begin() + 128 * i);
    return entry;
}

RetrievalFormat Format(RetrievalMode mode)
{
    RetrievalChoice choice;
    choice.mode = mode;
    choice.depth = 16;
    const DiskEntry entry = EntryWithHeader(2, "");
    return *RetrievalFormat::Choose(entry, RetrievalHeader::Parse(entry.header), choice);
}

TEST(RetrievalHeader, ReadsTheScanValuesFromTheParameterBlocks)
{
    const DiskEntry entry = EntryWithHeader(1, "my notes");
    const RetrievalHeader header = RetrievalHeader::Parse(entry.header);
    EXPECT_EQ(header.lineTimeCode, 200u);
    EXPECT_EQ(header.gainCodes[0], 260u);
    EXPECT_EQ(header.gainCodes[1], 566u);  // 12 tenths x 25.5 + 260
    EXPECT_EQ(header.handles, kCurve);
    EXPECT_TRUE(header.IsSixteenBit());
    EXPECT_TRUE(header.IsNegative());
    EXPECT_FALSE(header.HasNoCurve());
    EXPECT_EQ(header.RotationCode(), 3);
    EXPECT_EQ(header.captureNotes, "Bridge, 5/1/2026");
    EXPECT_EQ(header.userNotes, "my notes");
}

TEST(RetrievalHeader, SurvivesGarbage)
{
    std::array<std::uint8_t, DiskEntry::kHeaderBytes> block;
    block.fill('F');  // one endless hexadecimal number, and a notes length of 'F'
    const RetrievalHeader header = RetrievalHeader::Parse(block);
    EXPECT_TRUE(header.handles.empty()) << "the count and the handles run together";
    EXPECT_EQ(header.captureNotes.size(), 70u);
    block.fill(0xFF);
    const RetrievalHeader empty = RetrievalHeader::Parse(block);
    EXPECT_EQ(empty.lineTimeCode, 0u);
    EXPECT_EQ(empty.captureNotes.size(), 255u);
}

TEST(RetrievalMetadata, TiffCarriesTheScanExposureTimeAndNotes)
{
    const DiskEntry entry = EntryWithHeader(4, "user words");
    const RetrievalHeader header = RetrievalHeader::Parse(entry.header);
    RetrievalMetadataOptions options;
    options.modelName = "Model Cedar";
    options.versionText = "1.2";
    options.baselineISO = 200;
    options.resolution = 118.11;
    options.resolutionUnit = 3;
    const TIFFDescription d = RetrievalMetadata::Describe(
        entry, header, Format(RetrievalMode::None), "Bridge_1", options);
    EXPECT_EQ(d.width, 640u);
    EXPECT_EQ(d.height, 480u);
    EXPECT_EQ(d.photometric, 2);
    EXPECT_EQ(d.samplesPerPixel, 3);
    EXPECT_EQ(d.bitsPerSample, 16);
    EXPECT_EQ(d.description, "Bridge, 5/1/2026");
    EXPECT_DOUBLE_EQ(d.xResolution, 118.11);
    EXPECT_EQ(d.resolutionUnit, 3u);
    EXPECT_EQ(d.orientation, 3) << "insert from the bottom: rotation code 1";
    EXPECT_TRUE(d.hasExif);
    EXPECT_EQ(d.exposureDenominator, 15);
    EXPECT_EQ(d.isoSpeed, 200) << "trunc(1.318) x 200";
    EXPECT_EQ(d.makerNote.size(), 512u);
    EXPECT_TRUE(std::equal(d.makerNote.begin(), d.makerNote.end(), entry.header.begin()));
    EXPECT_EQ(d.userComment, "user words");
    EXPECT_EQ(d.software, "Scanora Version 1.2");
    EXPECT_EQ(d.make, "Qorvane");
    EXPECT_EQ(d.model, "Model Cedar");
    ASSERT_TRUE(d.dateTime);
    EXPECT_EQ(d.dateTime->size(), 19u);
    EXPECT_FALSE(d.isDng);

    options.descriptionType = 2;
    options.embedOrientation = false;
    const TIFFDescription named = RetrievalMetadata::Describe(
        entry, header, Format(RetrievalMode::None), "Bridge_1", options);
    EXPECT_EQ(named.description, "Bridge_1");
    EXPECT_EQ(named.orientation, 1);
    options.descriptionType = 0;
    EXPECT_FALSE(
        RetrievalMetadata::Describe(entry, header, Format(RetrievalMode::None), "x", options)
            .description);
}

TEST(RetrievalMetadata, ValueRules)
{
    EXPECT_EQ(RetrievalMetadata::Orientation(0), 1);
    EXPECT_EQ(RetrievalMetadata::Orientation(1), 3);
    EXPECT_EQ(RetrievalMetadata::Orientation(2), 6);
    EXPECT_EQ(RetrievalMetadata::Orientation(3), 8);
    EXPECT_EQ(RetrievalMetadata::ExposureDenominator(0), 0) << "unknown, not a division by 0";
    EXPECT_EQ(RetrievalMetadata::ExposureDenominator(7), 428);
    EXPECT_EQ(RetrievalMetadata::ExposureDenominator(3000), 1);
    EXPECT_EQ(RetrievalMetadata::ExposureDenominator(6000), 0);
    EXPECT_EQ(RetrievalMetadata::IsoSpeed(2.9, 100), 200);
    EXPECT_EQ(RetrievalMetadata::IsoSpeed(1000.0, 3200), 65535);
    EXPECT_FALSE(RetrievalMetadata::DateTime(0));

    // The capture time is shown as local time.
    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(RetrievalMetadata::DateTime(
                  static_cast<std::uint32_t>(ParameterBlocks::SecondsSince1904(1'780'000'000))),
              "2026:05:28 20:26:40");
}

TEST(RetrievalMetadata, DngCarriesTheBuiltInCalibrationAndTheScanGains)
{
    const DiskEntry entry = EntryWithHeader(2, "");
    const RetrievalHeader header = RetrievalHeader::Parse(entry.header);
    RetrievalMetadataOptions options;
    options.modelName = "Model Cedar";
    options.serialNumber = 0x1234;
    const TIFFDescription d =
        RetrievalMetadata::Describe(entry, header, Format(RetrievalMode::Dng), "x", options);
    EXPECT_TRUE(d.isDng);
    EXPECT_EQ(d.photometric, 34892);
    EXPECT_EQ(d.bitsPerSample, 16);
    EXPECT_EQ(d.uniqueCameraModel, "Qorvane Model Cedar");
    EXPECT_EQ(d.cameraSerialNumber, "4660");
    EXPECT_EQ(d.illuminant1, 17);
    EXPECT_EQ(d.illuminant2, 22);
    EXPECT_DOUBLE_EQ(d.colorMatrix1[0], 2.6424003);
    EXPECT_DOUBLE_EQ(d.colorMatrix1[8], 1.01624374);
    EXPECT_DOUBLE_EQ(d.colorMatrix2[1], -1.40353546);
    EXPECT_FLOAT_EQ(d.analogBalance[0], 1.0f);
    EXPECT_NEAR(d.analogBalance[1], 1.31826, 1e-4);
    EXPECT_FLOAT_EQ(d.asShotNeutral[2], 1.0f);
}

TEST(RetrievalDngColor, OverrideFileReplacesWhatItGives)
{
    test::TempDir folder;
    {
        std::ofstream file(folder.Path() / "DNGColor");
        file << "21  1 0 0  0 1 0  0 0 1\n"
                "0   9 9 9  9 9 9  9 9 9\n"
                "1.5 0 2.5e0\n";
    }
    const RetrievalDngColor color = RetrievalDngColor::ForFolder(folder.Path());
    EXPECT_EQ(color.calibrations[0].illuminant, 21);
    EXPECT_EQ(color.calibrations[0].matrix, (std::array<double, 9>{1, 0, 0, 0, 1, 0, 0, 0, 1}));
    EXPECT_EQ(color.calibrations[1].illuminant, 22) << "illuminant 0 keeps the built-in one";
    EXPECT_DOUBLE_EQ(color.calibrations[1].matrix[0], 2.63392709);
    const auto balance = color.Balance({1.1, 1.2, 1.3});
    EXPECT_DOUBLE_EQ(balance[0], 1.5);
    EXPECT_DOUBLE_EQ(balance[1], 1.2) << "0 keeps the scan's gain";
    EXPECT_DOUBLE_EQ(balance[2], 2.5);

    // Only complete groups count; words that are not numbers end the reading.
    RetrievalDngColor partial = RetrievalDngColor::BuiltIn();
    partial.ApplyOverride("23 1 2 3 4 5 6 7 8 9 24 1 2 three");
    EXPECT_EQ(partial.calibrations[0].illuminant, 23);
    EXPECT_EQ(partial.calibrations[1].illuminant, 22);
    partial.ApplyOverride("17.5 1 2 3 4 5 6 7 8 9");
    EXPECT_EQ(partial.calibrations[0].illuminant, 23) << "not a whole illuminant";
    partial.ApplyOverride("nan 1 2 3 4 5 6 7 8 9");
    EXPECT_EQ(partial.calibrations[0].illuminant, 23);

    // No file, or an empty folder name: the built-in calibration.
    EXPECT_EQ(RetrievalDngColor::ForFolder(folder.Path() / "none").calibrations[0].illuminant, 17);
    EXPECT_EQ(RetrievalDngColor::ForFolder({}).calibrations[0].illuminant, 17);
}

}  // namespace
}  // namespace scanora
