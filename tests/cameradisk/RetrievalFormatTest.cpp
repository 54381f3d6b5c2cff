#include <gtest/gtest.h>

#include "cameradisk/DiskEntry.h"
#include "cameradisk/RetrievalFormat.h"
#include "cameradisk/RetrievalHeader.h"

namespace scanora {
namespace {

const std::vector<CurveHandle> kScanCurve = {{30, 3}, {80, 28}, {142, 106}, {194, 220}, {230, 255}};
const std::vector<CurveHandle> kPanelCurve = {{20, 0}, {128, 128}, {240, 255}};

DiskEntry Entry(int storedBytes)
{
    DiskEntry entry;
    entry.kind = static_cast<std::uint16_t>(storedBytes << 4 | 0x0C);
    entry.width = 100;
    entry.height = 50;
    return entry;
}

RetrievalHeader Header(unsigned flags)
{
    RetrievalHeader header;
    header.flags = flags;
    header.handles = kScanCurve;
    return header;
}

RetrievalChoice Manual(RetrievalMode mode, int depth)
{
    RetrievalChoice choice;
    choice.mode = mode;
    choice.depth = depth;
    choice.tonePanel.handles = kPanelCurve;
    return choice;
}

TEST(RetrievalFormat, AutomaticRetrievalFollowsTheHeaderFlags)
{
    RetrievalChoice choice;
    choice.automatic = true;
    auto format = RetrievalFormat::Choose(Entry(6), Header(RetrievalHeader::kSixteenBit), choice);
    ASSERT_TRUE(format && format->curve);
    EXPECT_EQ(format->outputBytesPerPixel, 6);
    EXPECT_EQ(format->bitsPerSample, 16);
    EXPECT_EQ(format->curve->handles, kScanCurve);

    format = RetrievalFormat::Choose(Entry(6), Header(RetrievalHeader::kNegative), choice);
    ASSERT_TRUE(format && format->curve);
    EXPECT_TRUE(format->curve->negative);
    EXPECT_EQ(format->outputBytesPerPixel, 3) << "8 bits: the stored size halved";
    EXPECT_EQ(format->bitsPerSample, 8);
    EXPECT_EQ(format->samplesPerPixel, 3);

    // No curve: the raw samples keep their 16 bits even without the 16-bit flag.
    format = RetrievalFormat::Choose(Entry(6), Header(RetrievalHeader::kNoCurve), choice);
    ASSERT_TRUE(format);
    EXPECT_FALSE(format->curve);
    EXPECT_EQ(format->outputBytesPerPixel, 6);
}

TEST(RetrievalFormat, ManualModesChooseCurveAndDepth)
{
    const RetrievalHeader header = Header(0);
    for (const RetrievalMode mode : {RetrievalMode::None, RetrievalMode::Dng}) {
        const auto format = RetrievalFormat::Choose(Entry(6), header, Manual(mode, 8));
        ASSERT_TRUE(format);
        EXPECT_FALSE(format->curve);
        EXPECT_EQ(format->bitsPerSample, 16) << "none and DNG force 16 bits";
        EXPECT_EQ(format->dng, mode == RetrievalMode::Dng);
    }
    auto format =
        RetrievalFormat::Choose(Entry(6), header, Manual(RetrievalMode::SavedWithScan, 16));
    ASSERT_TRUE(format && format->curve);
    EXPECT_EQ(format->curve->handles, kScanCurve);
    EXPECT_EQ(format->bitsPerSample, 16);

    format = RetrievalFormat::Choose(Entry(6), header, Manual(RetrievalMode::SavedWithScan, 0));
    ASSERT_TRUE(format);
    EXPECT_EQ(format->bitsPerSample, 8) << "depth 0 takes the scan's own: no 16-bit flag";

    format = RetrievalFormat::Choose(Entry(6), Header(RetrievalHeader::kNoCurve),
                                     Manual(RetrievalMode::SavedWithScan, 8));
    ASSERT_TRUE(format);
    EXPECT_FALSE(format->curve);
    EXPECT_EQ(format->bitsPerSample, 16);

    RetrievalChoice panel = Manual(RetrievalMode::FromTonePanel, 8);
    panel.tonePanel.negative = true;
    format = RetrievalFormat::Choose(Entry(6), header, panel);
    ASSERT_TRUE(format && format->curve);
    EXPECT_EQ(format->curve->handles, kPanelCurve);
    EXPECT_TRUE(format->curve->negative);
    EXPECT_EQ(format->bitsPerSample, 8);
    panel.tonePanel.none14 = true;
    format = RetrievalFormat::Choose(Entry(6), header, panel);
    ASSERT_TRUE(format);
    EXPECT_FALSE(format->curve);
}

TEST(RetrievalFormat, CurvesApplyOnlyToRawWideSamplesTheCameraLeftToTheHost)
{
    RetrievalChoice choice = Manual(RetrievalMode::SavedWithScan, 8);
    choice.hostAppliesCurve = false;  // the camera applied its own tables
    auto format = RetrievalFormat::Choose(Entry(6), Header(0), choice);
    ASSERT_TRUE(format);
    EXPECT_FALSE(format->curve);
    EXPECT_EQ(format->outputBytesPerPixel, 6);

    choice.hostAppliesCurve = true;
    for (const int stored : {3, 1}) {
        format = RetrievalFormat::Choose(Entry(stored), Header(0), choice);
        ASSERT_TRUE(format);
        EXPECT_FALSE(format->curve) << "8-bit samples already went through the camera's tables";
        EXPECT_EQ(format->outputBytesPerPixel, stored);
        EXPECT_EQ(format->bitsPerSample, 8);
        EXPECT_EQ(format->samplesPerPixel, stored == 3 ? 3 : 1);
    }
    format = RetrievalFormat::Choose(Entry(2), Header(0), choice);
    ASSERT_TRUE(format && format->curve);
    EXPECT_EQ(format->outputBytesPerPixel, 1);
    EXPECT_EQ(format->samplesPerPixel, 1);

    // Handles a curve cannot be built from are no curve at all.
    RetrievalHeader broken = Header(0);
    broken.handles = {{80, 10}, {80, 20}};
    format = RetrievalFormat::Choose(Entry(6), broken, choice);
    ASSERT_TRUE(format);
    EXPECT_FALSE(format->curve);
    EXPECT_EQ(format->bitsPerSample, 16);
}

TEST(RetrievalFormat, UnknownStoredSizesAreRefused)
{
    for (const int stored : {0, 4, 5, 7, 15})
        EXPECT_FALSE(
            RetrievalFormat::Choose(Entry(stored), Header(0), Manual(RetrievalMode::None, 16)))
            << stored;
}

TEST(RetrievalFormat, RowSpacingFollowsTheSizeStep)
{
    EXPECT_EQ(RetrievalFormat::RowSpacing(12, 0), 12u);
    EXPECT_EQ(RetrievalFormat::RowSpacing(12, 11), 1u);
    EXPECT_EQ(RetrievalFormat::RowSpacing(12, static_cast<std::uint16_t>(-6)), 18u);
    EXPECT_EQ(RetrievalFormat::RowSpacing(11, 0), 22u) << "doubled on the model with 11 steps";
    EXPECT_EQ(RetrievalFormat::RowSpacing(8, 9), 0u);
}

TEST(RetrievalFormat, ModeNames)
{
    EXPECT_EQ(RetrievalFormat::ParseMode("none"), RetrievalMode::None);
    EXPECT_EQ(RetrievalFormat::ParseMode("scan"), RetrievalMode::SavedWithScan);
    EXPECT_EQ(RetrievalFormat::ParseMode("tone"), RetrievalMode::FromTonePanel);
    EXPECT_EQ(RetrievalFormat::ParseMode("dng"), RetrievalMode::Dng);
    EXPECT_FALSE(RetrievalFormat::ParseMode("DNG"));
}

}  // namespace
}  // namespace scanora
