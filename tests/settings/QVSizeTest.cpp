#include "settings/QVSize.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>

#include "settings/RecordingSizeDisplays.h"
#include "settings/SizeSetting.h"
#include "settings/SizeUnits.h"
#include "support/RecordingUiPort.h"

namespace scanora {
namespace {

// Model values: sensor width, lines along the travel, step count, lowest resolution number.
constexpr SensorGeometry kBirchPlus{6000, 8000, 8, -4};
constexpr SensorGeometry kArden{6000, 8000, 8, 3};
constexpr SensorGeometry kCedarPlus{8000, 10660, 12, -6};
constexpr SensorGeometry kDogwood{10200, 13600, 11, 0};

class QVSizeTest : public ::testing::Test {
protected:
    QVSize& Make(const SensorGeometry& sensor = kBirchPlus)
    {
        size_ = std::make_unique<QVSize>(sensor, ui_);
        size_->AttachDisplays(&displays_);
        return *size_;
    }

    // Units inches at 300 pixels per inch, the pixel counts unchanged.
    static void UseInchesAt300(QVSize& size)
    {
        size.SetUnits(SizeUnits::kInches);
        size.SetResolution(300.0);
    }

    // From Left on an 8000 x 6000 field: 4000 x 3000 pixels at (1000, 600).
    static void CropHalfAtOffsets(QVSize& size) { size.SetCropFromRectangle(50, 50, 12.5, 10); }

    test::RecordingUiPort ui_;
    test::RecordingSizeDisplays displays_;
    std::unique_ptr<QVSize> size_;
};

// --- Pixel counts at each resolution number ---------------------------------------------------

TEST_F(QVSizeTest, StartsWithTheFullFieldInPixels)
{
    const QVSize& size = Make();
    // From Left: the travel (8000 lines) runs across, the sensor (6000 pixels) down.
    EXPECT_EQ(size.GetPixelsAcross(), 8000);
    EXPECT_EQ(size.GetPixelsDown(), 6000);
    EXPECT_EQ(size.GetOutputWidth(), 8000);
    EXPECT_EQ(size.GetOutputHeight(), 6000);
    EXPECT_EQ(size.GetResolutionNumber(), 0);
    EXPECT_DOUBLE_EQ(size.GetResolutionPercent(), 100.0);
    EXPECT_EQ(size.GetUnits(), SizeUnits::kPixels);
    EXPECT_EQ(size.GetResolution(), 300.0);
}

TEST_F(QVSizeTest, ModelWhoseFinestStepIsAboveZeroStartsAtThatStep)
{
    const QVSize& size = Make(kArden);
    EXPECT_EQ(size.GetResolutionNumber(), 3);
    EXPECT_EQ(size.GetPixelsAcross(), 5000);  // 8000 * 5 / 8
    EXPECT_EQ(size.GetPixelsDown(), 3750);    // 6000 * 5 / 8
    EXPECT_DOUBLE_EQ(size.GetResolutionPercent(), 100.0);
}

TEST_F(QVSizeTest, ResolutionNumberScalesThePixelCounts)
{
    QVSize& size = Make(kCedarPlus);
    size.SetResolutionNumber(-6);
    EXPECT_EQ(size.GetPixelsAcross(), 15990);  // 10660 * 18 / 12
    EXPECT_EQ(size.GetPixelsDown(), 12000);    // 8000 * 18 / 12
    EXPECT_DOUBLE_EQ(size.GetResolutionPercent(), 150.0);

    size.SetResolutionNumber(11);
    EXPECT_EQ(size.GetPixelsAcross(), 888);  // 10660 / 12 = 888.3
    EXPECT_EQ(size.GetPixelsDown(), 666);    // 8000 / 12 = 666.7
    EXPECT_EQ(size.FullWidth(), 888);

    size.SetResolutionNumber(40);
    EXPECT_EQ(size.GetResolutionNumber(), 11) << "kept within the model's range";
    size.SetResolutionNumber(-40);
    EXPECT_EQ(size.GetResolutionNumber(), -6);
}

TEST_F(QVSizeTest, ResolutionPercentIsNotRoundedToWholeNumbers)
{
    QVSize& size = Make(kDogwood);
    size.SetResolutionNumber(1);
    EXPECT_DOUBLE_EQ(size.GetResolutionPercent(), 1000.0 / 11.0);
    EXPECT_EQ(size.GetPixelsAcross(), 12362);  // 13600 * 10 / 11 = 12363.6: 12363, then even
}

TEST_F(QVSizeTest, OddPixelCountBecomesEven)
{
    QVSize& size = Make();
    // 96.99 % of the 6000-pixel sensor is 5819.4, so 5819 pixels: one too many for an even count.
    size.SetCropFromRectangle(100, 96.99, 0, 0);
    EXPECT_EQ(size.GetPixelsDown(), 5818);
}

// --- Output size, units and resolution units ---------------------------------------------------

TEST_F(QVSizeTest, OutputSizeInEveryUnit)
{
    QVSize& size = Make();
    ASSERT_TRUE(size.SetOutputWidth(3000));
    EXPECT_EQ(size.GetOutputWidth(), 3000);

    size.SetUnits(SizeUnits::kInches);  // 3000 pixels at 300 per inch
    EXPECT_NEAR(size.GetOutputWidth(), 10.0, 1e-9);
    size.SetUnits(SizeUnits::kMillimeters);
    EXPECT_NEAR(size.GetOutputWidth(), 254.0, 1e-9);
    size.SetUnits(SizeUnits::kCentimeters);
    EXPECT_NEAR(size.GetOutputWidth(), 25.4, 1e-9);
    size.SetUnits(SizeUnits::kMeters);
    EXPECT_NEAR(size.GetOutputWidth(), 0.254, 1e-9);
    size.SetUnits(SizeUnits::kFeet);  // the program's foot is 0.08333 inch-units, not 1/12
    EXPECT_NEAR(size.GetOutputWidth(), 0.8333, 1e-9);
    size.SetUnits(SizeUnits::kPixels);
    EXPECT_EQ(size.GetOutputWidth(), 3000);
    EXPECT_EQ(size.GetPixelsAcross(), 3000);
}

TEST_F(QVSizeTest, ThreeHundredPixelsAtThreeHundredPerInchAreAnInchInMillimetres)
{
    QVSize& size = Make();
    ASSERT_TRUE(size.SetOutputWidth(300));
    size.SetUnits(SizeUnits::kMillimeters);
    EXPECT_NEAR(size.GetOutputWidth(), 25.4, 1e-9);
}

TEST_F(QVSizeTest, UnknownAndFurlongUnitsMeasureLikeInches)
{
    QVSize& size = Make();
    ASSERT_TRUE(size.SetOutputWidth(3000));
    size.SetUnits(2);  // only a file brings this code; it reads back as furlongs
    EXPECT_NEAR(size.GetOutputWidth(), 10.0, 1e-9);
    size.SetUnits(SizeUnits::kFurlongs);
    EXPECT_NEAR(size.GetOutputWidth(), 10.0, 1e-9);
    EXPECT_EQ(SizeUnits::PerInch(2), 1.0);
    EXPECT_EQ(SizeUnits::PerInch(SizeUnits::kFurlongs), 1.0);

    // Through a setting file, code 2 is written as "furlongs" and read back as 8.
    EXPECT_EQ(SizeSetting::UnitWord(2), "furlongs");
    EXPECT_EQ(SizeSetting::UnitFromWord(SizeSetting::UnitWord(2)), SizeUnits::kFurlongs);
}

TEST_F(QVSizeTest, ChangingResolutionUnitsConvertsTheResolutionOnly)
{
    QVSize& size = Make();
    ASSERT_TRUE(size.SetOutputWidth(3000));
    UseInchesAt300(size);

    size.SetResolutionUnits(SizeUnits::kCentimeters);
    EXPECT_NEAR(size.GetResolution(), 300.0 / 2.54, 1e-9);
    EXPECT_NEAR(size.GetOutputWidth(), 10.0, 1e-9) << "the same pixels at the same density";
    EXPECT_EQ(size.GetPixelsAcross(), 3000);
    EXPECT_NEAR(size.ResolutionPerInch(), 300.0, 1e-9);

    size.SetResolutionUnits(SizeUnits::kFeet);
    EXPECT_NEAR(size.GetResolution(), 300.0 / 0.08333, 1e-6);
}

TEST_F(QVSizeTest, NewResolutionKeepsThePixelCounts)
{
    QVSize& size = Make();
    ASSERT_TRUE(size.SetOutputWidth(3000));
    UseInchesAt300(size);
    size.SetResolution(150.0);
    EXPECT_EQ(size.GetPixelsAcross(), 3000);
    EXPECT_NEAR(size.GetOutputWidth(), 20.0, 1e-9);

    size.SetResolution(0.0);  // not a resolution: ignored
    EXPECT_EQ(size.GetResolution(), 150.0);
}

TEST_F(QVSizeTest, ImageFilesCarryPixelsPerInchOrPerCentimetre)
{
    QVSize& size = Make();
    FileResolution file = size.ResolutionForFile();
    EXPECT_EQ(file.unit, 2);
    EXPECT_NEAR(file.value, 300.0, 1e-9);

    size.SetResolutionUnits(SizeUnits::kMillimeters);  // 300 / 25.4 per mm
    file = size.ResolutionForFile();
    EXPECT_EQ(file.unit, 3);
    EXPECT_NEAR(file.value, 300.0 / 2.54, 1e-9);

    size.SetResolutionUnits(SizeUnits::kMeters);
    EXPECT_EQ(size.ResolutionForFile().unit, 3);

    size.SetResolutionUnits(SizeUnits::kFeet);
    file = size.ResolutionForFile();
    EXPECT_EQ(file.unit, 2);
    EXPECT_NEAR(file.value, 300.0, 1e-9);
}

// --- Typing an output width or height ----------------------------------------------------------

TEST_F(QVSizeTest, TypedWidthKeepsTheCropCentred)
{
    QVSize& size = Make();
    EXPECT_TRUE(size.SetOutputWidth(4000));
    EXPECT_EQ(size.GetPixelsAcross(), 4000);
    EXPECT_EQ(size.GetXOffsetPixels(), 2000);  // (8000 - 4000) / 2
    EXPECT_DOUBLE_EQ(size.GetCropWidth(), 50.0);
    EXPECT_DOUBLE_EQ(size.GetXOffset(), 25.0);
    EXPECT_EQ(size.GetPixelsDown(), 6000) << "the height is not locked to the width";
    EXPECT_EQ(ui_.Beeps(), 0);
    EXPECT_GT(displays_.outputSizeShown, 0);
    EXPECT_EQ(displays_.shownWidth, 4000);
}

TEST_F(QVSizeTest, WidthBeyondTheFieldIsClampedWithABeepAndAFinerStep)
{
    QVSize& size = Make();
    size.SetCropFromRectangle(50, 100, 25, 0);  // 4000 pixels at 2000
    ASSERT_EQ(size.GetPixelsAcross(), 4000);

    // The widest image is 8000 * 12 / 8 = 12000 pixels, at resolution number -4.
    EXPECT_FALSE(size.SetOutputWidth(20000));
    EXPECT_EQ(ui_.Beeps(), 1);
    EXPECT_EQ(size.GetOutputWidth(), 12000);
    EXPECT_EQ(size.GetResolutionNumber(), -4);
    EXPECT_DOUBLE_EQ(size.GetResolutionPercent(), 150.0);
    EXPECT_EQ(size.GetPixelsAcross(), 12000);
    EXPECT_EQ(size.GetXOffsetPixels(), 0);
    EXPECT_DOUBLE_EQ(size.GetCropWidth(), 100.0);
    // The height keeps its crop at the finer step, and its output size shows that.
    EXPECT_EQ(size.GetPixelsDown(), 9000);
    EXPECT_EQ(size.GetOutputHeight(), 9000);
}

TEST_F(QVSizeTest, WidthBelowFortyPixelsIsClampedWithABeep)
{
    QVSize& size = Make();
    EXPECT_FALSE(size.SetOutputWidth(10));
    EXPECT_EQ(size.GetPixelsAcross(), 40);
    EXPECT_EQ(ui_.Beeps(), 1);

    EXPECT_TRUE(size.SetOutputWidth(40));
    EXPECT_EQ(ui_.Beeps(), 1);
}

TEST_F(QVSizeTest, ClampThatDoesNotShowInTwoDecimalsDoesNotBeep)
{
    QVSize& size = Make();
    UseInchesAt300(size);  // the widest image is 12000 / 300 = 40 inches
    EXPECT_TRUE(size.SetOutputWidth(40.004)) << "shown as 40.00 either way";
    EXPECT_NEAR(size.GetOutputWidth(), 40.0, 1e-9);
    EXPECT_EQ(ui_.Beeps(), 0);

    EXPECT_FALSE(size.SetOutputWidth(40.006));  // 40.01 was typed, 40.00 is given
    EXPECT_EQ(ui_.Beeps(), 1);
}

TEST_F(QVSizeTest, OddTypedPixelWidthIsMadeEvenOnlyInPixels)
{
    QVSize& size = Make();
    EXPECT_TRUE(size.SetOutputWidth(4001));
    EXPECT_EQ(size.GetPixelsAcross(), 4000);
    EXPECT_EQ(size.GetXOffsetPixels(), 1999.5) << "centred on the typed 4001";

    size.SetUnits(SizeUnits::kInches);
    size.SetResolution(1.0);
    EXPECT_TRUE(size.SetOutputWidth(3001));
    EXPECT_EQ(size.GetPixelsAcross(), 3001);
    EXPECT_EQ(size.ScanWindow().lines, 3001);
}

TEST_F(QVSizeTest, RatioLockCarriesTheWidthOverToTheHeight)
{
    QVSize& size = Make();
    size.SetCropRatioLocked(true);
    EXPECT_TRUE(size.SetOutputWidth(4000));  // 8000 x 6000 is 4:3
    EXPECT_EQ(size.GetPixelsAcross(), 4000);
    EXPECT_EQ(size.GetPixelsDown(), 3000);
    EXPECT_EQ(size.GetOutputHeight(), 3000);
    EXPECT_EQ(size.GetYOffsetPixels(), 1500);
    EXPECT_TRUE(size.IsCropRatioLocked());
}

TEST_F(QVSizeTest, RatioLockHoldsWhenTheHeightNeedsAFinerStep)
{
    QVSize& size = Make();
    size.SetCropFromRectangle(50, 100, 25, 0);  // 4000 x 6000
    size.SetCropRatioLocked(true);

    // 5000 wide at 2:3 is 7500 high: more than the 6000 of resolution number 0, so the step
    // becomes floor(8 - 7500 / 6000 * 8) = -2, where the field is 10000 x 7500.
    EXPECT_TRUE(size.SetOutputWidth(5000));
    EXPECT_EQ(size.GetResolutionNumber(), -2);
    EXPECT_EQ(size.GetPixelsAcross(), 5000);
    EXPECT_EQ(size.GetPixelsDown(), 7500);
    EXPECT_EQ(size.GetOutputWidth(), 5000);
    EXPECT_EQ(size.GetXOffsetPixels(), 2500) << "still centred in the 10000 field";
    EXPECT_EQ(ui_.Beeps(), 0);
}

TEST_F(QVSizeTest, RatioLockLimitsTheWidthByTheTallestHeight)
{
    QVSize& size = Make();
    size.SetCropFromRectangle(37.5, 100, 25, 0);  // 3000 x 6000, ratio 1:2
    size.SetCropRatioLocked(true);
    // 8000 wide would need 16000 high; the tallest is 6000 * 12 / 8 = 9000, so 4500 wide.
    EXPECT_TRUE(size.SetOutputWidth(8000)) << "narrowed by the ratio, not clamped";
    EXPECT_EQ(size.GetOutputWidth(), 4500);
    EXPECT_EQ(size.GetPixelsAcross(), 4500);
    EXPECT_EQ(size.GetPixelsDown(), 9000);
    EXPECT_EQ(size.GetResolutionNumber(), -4);
    EXPECT_EQ(ui_.Beeps(), 0);
}

// --- Applying a size setting -------------------------------------------------------------------

TEST_F(QVSizeTest, DefaultSettingOnASixThousandPixelModel)
{
    QVSize& size = Make();
    const SizeValues applied = size.Apply(SizeValues{});
    // Resolution number 3: the field is 5000 x 3750, exactly 16.6667 x 12.5 inches at 300.
    EXPECT_EQ(size.GetResolutionNumber(), 3);
    EXPECT_DOUBLE_EQ(size.GetResolutionPercent(), 62.5);
    EXPECT_EQ(size.GetPixelsAcross(), 5000);
    EXPECT_EQ(size.GetPixelsDown(), 3750);
    EXPECT_DOUBLE_EQ(size.GetCropWidth(), 100.0);
    EXPECT_NEAR(applied.outputWidth, 5000.0 / 300.0, 1e-9);
    EXPECT_NEAR(applied.outputHeight, 12.5, 1e-9);
    EXPECT_EQ(applied.resolutionNumber, 3.0);
    EXPECT_EQ(applied.units, SizeUnits::kInches);
    EXPECT_EQ(ui_.Beeps(), 0);
}

TEST_F(QVSizeTest, RecordInPixelsGivesOutputEqualToThePixelCount)
{
    QVSize& size = Make();
    SizeValues record;
    record.units = SizeUnits::kPixels;
    record.outputWidth = 4000;
    record.outputHeight = 3000;
    record.resolutionNumber = 0;
    record.widthOffsetPercent = 10;
    record.heightOffsetPercent = 20;
    const SizeValues applied = size.Apply(record);

    EXPECT_EQ(size.GetOutputWidth(), size.GetPixelsAcross());
    EXPECT_EQ(applied.outputWidth, 4000);
    EXPECT_EQ(applied.outputHeight, 3000);
    EXPECT_EQ(applied.widthOffsetPercent, 10);
    // 10 % of 8000 and 20 % of 6000: lines from 800, pixels from 6000 - (3000 + 1200).
    const CameraWindow window = size.ScanWindow();
    EXPECT_EQ(window.firstLine, 800);
    EXPECT_EQ(window.lines, 4000);
    EXPECT_EQ(window.firstPixel, 1800);
    EXPECT_EQ(window.pixelsPerLine, 3000);
}

TEST_F(QVSizeTest, RecordResolutionNumberIsTruncatedAndKeptInRange)
{
    QVSize& size = Make();
    SizeValues record;
    record.units = SizeUnits::kPixels;
    record.outputWidth = 400;
    record.outputHeight = 300;

    const auto applyNumber = [&](double number) {
        record.resolutionNumber = number;
        return size.Apply(record).resolutionNumber;
    };
    EXPECT_EQ(applyNumber(2.9), 2);
    EXPECT_EQ(applyNumber(-2.9), -2) << "toward zero";
    EXPECT_EQ(applyNumber(-7), -4);
    EXPECT_EQ(applyNumber(9), 7);

    QVSize& arden = Make(kArden);
    record.resolutionNumber = 0;
    EXPECT_EQ(arden.Apply(record).resolutionNumber, 3);
}

TEST_F(QVSizeTest, RecordTakesItsLocksAfterItsSizes)
{
    QVSize& size = Make();
    size.SetCropFromRectangle(50, 100, 25, 0);  // 4000 x 6000
    size.SetCropRatioLocked(true);
    SizeValues record;  // 16.6667 x 12.5 inches, no locks
    record.cropRatioLocked = true;
    const SizeValues applied = size.Apply(record);
    // The old 2:3 ratio does not bend the record's 4:3.
    EXPECT_EQ(size.GetPixelsAcross(), 5000);
    EXPECT_EQ(size.GetPixelsDown(), 3750);
    EXPECT_TRUE(applied.cropRatioLocked);
    EXPECT_FALSE(applied.fileSizeLocked);
}

TEST_F(QVSizeTest, RecordWithUnusableValuesKeepsWhatIsInForce)
{
    QVSize& size = Make();
    SizeValues record;
    record.resolution = 0.0;
    record.insertRotation = 9;
    record.units = SizeUnits::kPixels;
    record.outputWidth = std::numeric_limits<double>::quiet_NaN();
    record.outputHeight = 3000;
    const SizeValues applied = size.Apply(record);
    EXPECT_EQ(applied.resolution, 300.0);
    EXPECT_EQ(applied.insertRotation, InsertRotation::kFromTop);
    EXPECT_EQ(applied.resolutionNumber, 3);
    // From Top at step 3: the full width is 6000 * 5 / 8 = 3750 and stays.
    EXPECT_EQ(size.GetPixelsAcross(), 3750);
    EXPECT_EQ(size.GetPixelsDown(), 3000);
}

// --- Crop from a rectangle and the minimum crop ------------------------------------------------

TEST_F(QVSizeTest, MinimumCropIsFortyPixelsAtThePrescanStep)
{
    QVSize& size = Make();
    EXPECT_DOUBLE_EQ(size.MinimumCropWidth(), 4.0);                // 40 of 1000 prescan lines
    EXPECT_DOUBLE_EQ(size.MinimumCropHeight(), 40.0 / 750 * 100);  // 40 of 750 prescan pixels
    size.SetResolutionNumber(3);
    EXPECT_NEAR(size.MinimumCropWidth(), 4.0, 1e-12);
    EXPECT_NEAR(Make(kDogwood).MinimumCropWidth(), 3.2352941, 1e-6);  // 40 * 11 / 13600
}

// Everything that moves the crop redraws the preview, so that the crop's frame follows: a typed
// size, the scan area buttons, the full field and, with the file size locked, a new step.
TEST_F(QVSizeTest, EveryCropChangeRedrawsThePreview)
{
    QVSize& size = Make();
    const auto redraws = [&](auto change) {
        const int before = displays_.previewRedraws;
        change();
        return displays_.previewRedraws - before;
    };
    EXPECT_GE(redraws([&] { size.SetOutputWidth(4000); }), 1);
    EXPECT_LT(size.GetCropWidth(), 100.0);
    EXPECT_GE(redraws([&] { size.ZoomIn(); }), 1);
    EXPECT_GE(redraws([&] { size.ZoomOut(); }), 1);
    EXPECT_GE(redraws([&] { size.FullField(); }), 1);
    EXPECT_DOUBLE_EQ(size.GetCropWidth(), 100.0);
    CropHalfAtOffsets(size);
    size.SetFileSizeLocked(true);
    const double crop = size.GetCropWidth();
    EXPECT_GE(redraws([&] { size.SetResolutionNumber(size.GetResolutionNumber() + 1); }), 1);
    EXPECT_NE(size.GetCropWidth(), crop);
}

TEST_F(QVSizeTest, RectangleEdgesAreBoundedByWhichEdgeMoves)
{
    QVSize& size = Make();
    size.SetCropFromRectangle(50, 100, 25, 0);  // left edge 25, right edge 75

    size.SetCropFromRectangle(50, 100, 70, 0);  // moved: the right edge stops at 100
    EXPECT_DOUBLE_EQ(size.GetXOffset(), 50.0);
    EXPECT_DOUBLE_EQ(size.GetCropWidth(), 50.0);

    size.SetCropFromRectangle(50, 100, 25, 0);
    size.SetCropFromRectangle(80, 100, 25, 0);  // right edge dragged past 100
    EXPECT_DOUBLE_EQ(size.GetCropWidth(), 75.0);
    EXPECT_DOUBLE_EQ(size.GetXOffset(), 25.0);

    size.SetCropFromRectangle(50, 100, 25, 0);
    size.SetCropFromRectangle(80, 100, 0, 0);  // left edge dragged out: the right edge stays
    EXPECT_DOUBLE_EQ(size.GetXOffset(), 0.0);
    EXPECT_DOUBLE_EQ(size.GetCropWidth(), 75.0);

    size.SetCropFromRectangle(50, 100, 25, 0);
    size.SetCropFromRectangle(1, 100, 74, 0);  // left edge dragged onto the right edge
    EXPECT_DOUBLE_EQ(size.GetCropWidth(), 4.0);
    EXPECT_DOUBLE_EQ(size.GetXOffset(), 71.0);

    size.SetCropFromRectangle(1, 100, 71, 0);  // width only: raised to the minimum
    EXPECT_DOUBLE_EQ(size.GetCropWidth(), 4.0);
    EXPECT_EQ(displays_.previewRedraws, 9);
}

// --- Zooming -----------------------------------------------------------------------------------

TEST_F(QVSizeTest, ZoomWithoutLocksMovesEachEdgeByTwoPoints)
{
    QVSize& size = Make();
    size.ZoomOut();
    EXPECT_DOUBLE_EQ(size.GetCropWidth(), 100.0) << "nothing to enlarge";

    size.ZoomIn();
    EXPECT_DOUBLE_EQ(size.GetCropWidth(), 96.0);
    EXPECT_DOUBLE_EQ(size.GetXOffset(), 2.0);
    EXPECT_DOUBLE_EQ(size.GetCropHeight(), 96.0);
    EXPECT_DOUBLE_EQ(size.GetYOffset(), 2.0);

    size.FullField();
    size.SetCropFromRectangle(50, 100, 25, 0);
    size.ZoomOut();
    EXPECT_DOUBLE_EQ(size.GetCropWidth(), 54.0);
    EXPECT_DOUBLE_EQ(size.GetXOffset(), 23.0);
    EXPECT_DOUBLE_EQ(size.GetCropHeight(), 100.0) << "already full";

    size.SetCropFromRectangle(6, 100, 25, 0);
    size.ZoomIn();
    EXPECT_DOUBLE_EQ(size.GetCropWidth(), 4.0) << "no smaller than the minimum";
    EXPECT_DOUBLE_EQ(size.GetXOffset(), 26.0);
}

TEST_F(QVSizeTest, ZoomWithRatioLockKeepsTheRatio)
{
    QVSize& size = Make();
    size.SetCropFromRectangle(60, 30, 20, 35);
    size.SetCropRatioLocked(true);

    size.ZoomOut();  // the larger (width) grows by 4, the height by 30 * 64 / 60
    EXPECT_DOUBLE_EQ(size.GetCropWidth(), 64.0);
    EXPECT_DOUBLE_EQ(size.GetXOffset(), 18.0);
    EXPECT_DOUBLE_EQ(size.GetCropHeight(), 32.0);
    EXPECT_DOUBLE_EQ(size.GetYOffset(), 34.0);

    size.ZoomIn();  // the smaller (height) shrinks by 4, the width by 64 * 28 / 32
    EXPECT_DOUBLE_EQ(size.GetCropHeight(), 28.0);
    EXPECT_DOUBLE_EQ(size.GetYOffset(), 36.0);
    EXPECT_DOUBLE_EQ(size.GetCropWidth(), 56.0);
    EXPECT_DOUBLE_EQ(size.GetXOffset(), 22.0);
}

TEST_F(QVSizeTest, ZoomOutWithRatioLockStopsAtTheEdge)
{
    QVSize& size = Make();
    size.SetCropFromRectangle(98, 49, 2, 10);
    size.SetCropRatioLocked(true);
    size.ZoomOut();  // 102 wide from 0 would pass 100
    EXPECT_DOUBLE_EQ(size.GetCropWidth(), 98.0);
    EXPECT_DOUBLE_EQ(size.GetCropHeight(), 49.0);
    EXPECT_DOUBLE_EQ(size.GetXOffset(), 2.0);
}

TEST_F(QVSizeTest, ZoomOutWithFileSizeLockedCoarsensTheStep)
{
    QVSize& size = Make();
    ASSERT_TRUE(size.SetOutputWidth(4000));
    ASSERT_TRUE(size.SetOutputHeight(2000));
    size.SetFileSizeLocked(true);

    size.ZoomOut();  // step 1: the field is 7000 x 5250
    EXPECT_EQ(size.GetResolutionNumber(), 1);
    EXPECT_EQ(size.GetPixelsAcross(), 4000);
    EXPECT_EQ(size.GetPixelsDown(), 2000);
    EXPECT_DOUBLE_EQ(size.GetCropWidth(), 4000.0 * 100 / 7000);
    // Centred on the old centre, 50 % (whole percent).
    EXPECT_DOUBLE_EQ(size.GetXOffset(), 50.0 - 4000.0 * 50 / 7000);

    size.ZoomOut();
    size.ZoomOut();
    size.ZoomOut();  // step 4: 4000 x 3000, the width is full
    EXPECT_EQ(size.GetResolutionNumber(), 4);
    EXPECT_DOUBLE_EQ(size.GetCropWidth(), 100.0);

    size.ZoomOut();  // step 5 would make the width 133 %: the step stays
    EXPECT_EQ(size.GetResolutionNumber(), 4);
    EXPECT_DOUBLE_EQ(size.GetCropWidth(), 100.0);
    EXPECT_EQ(size.GetPixelsAcross(), 4000);
    EXPECT_EQ(size.GetPixelsDown(), 2000);
}

TEST_F(QVSizeTest, ZoomInWithFileSizeLockedRefinesTheStepDownToTheMinimumCrop)
{
    QVSize& size = Make();
    ASSERT_TRUE(size.SetOutputWidth(420));
    ASSERT_TRUE(size.SetOutputHeight(420));
    size.SetFileSizeLocked(true);

    size.ZoomIn();  // step -1: 420 of 9000 is 4.7 %
    size.ZoomIn();  // step -2: 420 of 10000 is 4.2 %
    EXPECT_EQ(size.GetResolutionNumber(), -2);
    size.ZoomIn();  // step -3: 420 of 11000 is 3.8 %, below the 4 % minimum
    EXPECT_EQ(size.GetResolutionNumber(), -2);
    EXPECT_DOUBLE_EQ(size.GetCropWidth(), 4.2);
    EXPECT_EQ(size.GetPixelsAcross(), 420);
    EXPECT_EQ(size.GetPixelsDown(), 420);
}

TEST_F(QVSizeTest, StepChangeWithFileSizeLockedCutsPixelsToTheField)
{
    QVSize& size = Make();
    size.SetFileSizeLocked(true);
    size.SetResolutionNumber(1);
    EXPECT_EQ(size.GetPixelsAcross(), 7000);
    EXPECT_EQ(size.GetPixelsDown(), 5250);
    EXPECT_DOUBLE_EQ(size.GetCropWidth(), 100.0);
}

TEST_F(QVSizeTest, LowestAndHighestStepAndTheControlStates)
{
    QVSize& size = Make();
    size.SetHighestResolution();
    EXPECT_EQ(size.GetResolutionNumber(), 7);
    EXPECT_FALSE(displays_.controls.highestResolution);
    EXPECT_TRUE(displays_.controls.lowestResolution);
    EXPECT_FALSE(displays_.controls.zoomOut) << "the crop is the full field";
    EXPECT_TRUE(displays_.controls.zoomIn);

    size.SetLowestResolution();
    EXPECT_EQ(size.GetResolutionNumber(), -4);
    EXPECT_FALSE(displays_.controls.lowestResolution);

    size.SetFileSizeLocked(true);
    size.SetHighestResolution();
    EXPECT_EQ(size.GetResolutionNumber(), -4) << "nothing while the file size is locked";

    size.SetFileSizeLocked(false);
    size.SetCropFromRectangle(4, 1, 0, 0);  // both raised to their minimum
    EXPECT_FALSE(displays_.controls.zoomIn);
    EXPECT_TRUE(displays_.controls.zoomOut);
}

// --- Insert rotation ---------------------------------------------------------------------------

TEST_F(QVSizeTest, FullFieldRotationOnlyTurnsTheField)
{
    QVSize& size = Make();
    size.SetInsertRotation(InsertRotation::kFromTop, true);
    EXPECT_EQ(size.GetInsertRotation(), InsertRotation::kFromTop);
    EXPECT_EQ(size.GetPixelsAcross(), 6000);
    EXPECT_EQ(size.GetPixelsDown(), 8000);
    EXPECT_DOUBLE_EQ(size.GetCropWidth(), 100.0);
    EXPECT_EQ(displays_.rotationsShown, std::vector<std::int32_t>{2});

    size.SetInsertRotation(0, true);
    EXPECT_EQ(size.GetInsertRotation(), InsertRotation::kFromTop) << "unknown codes: From Top";
}

TEST_F(QVSizeTest, TurningTheCropKeepsTheCameraWindow)
{
    for (std::int32_t code : {2, 3, 4}) {
        QVSize& size = Make();
        CropHalfAtOffsets(size);  // 4000 x 3000 at (1000, 600) of 8000 x 6000
        size.SetInsertRotation(code, QVSize::TurnsCrop(true, false));
        const CameraWindow window = size.ScanWindow();
        EXPECT_EQ(window.firstPixel, 2400) << code;  // 6000 - (3000 + 600)
        EXPECT_EQ(window.firstLine, 1000) << code;
        EXPECT_EQ(window.pixelsPerLine, 3000) << code;
        EXPECT_EQ(window.lines, 4000) << code;
    }
    // From Bottom on 6000 x 8000: 3000 x 4000 at (6000 - 2400 - 3000, 8000 - 1000 - 4000).
    const QVSize& size = *size_;
    EXPECT_EQ(size.GetPixelsAcross(), 3000);
    EXPECT_EQ(size.GetXOffsetPixels(), 600);
    EXPECT_EQ(size.GetPixelsDown(), 4000);
    EXPECT_EQ(size.GetYOffsetPixels(), 3000);
}

TEST_F(QVSizeTest, CropThatDoesNotTurnKeepsItsCentre)
{
    QVSize& size = Make();
    size.SetCropFromRectangle(37.5, 50, 15, 10);  // 3000 x 3000 at (1200, 600): centre 2700, 2100
    size.SetInsertRotation(InsertRotation::kFromTop, QVSize::TurnsCrop(true, true));
    EXPECT_EQ(size.GetPixelsAcross(), 3000);
    EXPECT_EQ(size.GetPixelsDown(), 3000);
    EXPECT_EQ(size.GetXOffsetPixels(), 1200);
    EXPECT_EQ(size.GetYOffsetPixels(), 600);
    EXPECT_DOUBLE_EQ(size.GetCropWidth(), 50.0);  // of 6000 now
    EXPECT_DOUBLE_EQ(size.GetYOffset(), 7.5);     // of 8000 now
}

TEST_F(QVSizeTest, CropThatDoesNotTurnIsFittedIntoTheNewField)
{
    QVSize& size = Make();
    size.SetCropFromRectangle(87.5, 50, 6.25, 10);  // 7000 wide: more than the sensor's 6000
    size.SetInsertRotation(InsertRotation::kFromTop, QVSize::TurnsCrop(false, false));
    EXPECT_EQ(size.GetPixelsAcross(), 6000);
    EXPECT_EQ(size.GetXOffsetPixels(), 0);
    EXPECT_DOUBLE_EQ(size.GetCropWidth(), 100.0);
}

// --- Camera windows ----------------------------------------------------------------------------

TEST_F(QVSizeTest, CameraWindowForEachRotation)
{
    struct Case {
        std::int32_t rotation;
        CameraWindow expected;
    };
    // The crop 50 % x 50 % at (12.5 %, 10 %): 4000 x 3000 at (1000, 600) when the travel runs
    // across (8000 x 6000), 3000 x 4000 at (750, 800) when it runs down (6000 x 8000).
    const Case cases[] = {
        {InsertRotation::kFromLeft, {2400, 1000, 3000, 4000}},
        {InsertRotation::kFromTop, {750, 800, 3000, 4000}},
        {InsertRotation::kFromRight, {600, 3000, 3000, 4000}},
        {InsertRotation::kFromBottom, {2250, 3200, 3000, 4000}},
    };
    for (const Case& c : cases) {
        QVSize& size = Make();
        size.SetInsertRotation(c.rotation, false);
        CropHalfAtOffsets(size);
        const CameraWindow window = size.ScanWindow();
        EXPECT_EQ(window.firstPixel, c.expected.firstPixel) << c.rotation;
        EXPECT_EQ(window.firstLine, c.expected.firstLine) << c.rotation;
        EXPECT_EQ(window.pixelsPerLine, c.expected.pixelsPerLine) << c.rotation;
        EXPECT_EQ(window.lines, c.expected.lines) << c.rotation;
    }
}

TEST_F(QVSizeTest, PixelsPerLineAreEvenInTheWindow)
{
    QVSize& size = Make();
    size.SetUnits(SizeUnits::kInches);
    size.SetResolution(1.0);
    ASSERT_TRUE(size.SetOutputHeight(3001));
    EXPECT_EQ(size.GetPixelsDown(), 3001);
    EXPECT_EQ(size.ScanWindow().pixelsPerLine, 3000);
}

TEST_F(QVSizeTest, PrescanWindowIsTakenAtTheHighestStep)
{
    QVSize& size = Make();
    CropHalfAtOffsets(size);
    // Step 7 samples every eighth pixel: 500 x 375 (made 374) at (125, 75) of 1000 x 750.
    const CameraWindow window = size.PrescanWindow();
    EXPECT_EQ(window.firstPixel, 301);  // 750 - (374 + 75)
    EXPECT_EQ(window.firstLine, 125);
    EXPECT_EQ(window.pixelsPerLine, 374);
    EXPECT_EQ(window.lines, 500);
    EXPECT_EQ(size.GetResolutionNumber(), 0);
    EXPECT_EQ(size.GetPixelsAcross(), 4000);
    EXPECT_EQ(size.ScanWindow().firstPixel, 2400);
}

TEST_F(QVSizeTest, WindowQueriesLeaveWholePixelValues)
{
    QVSize& size = Make();
    ASSERT_TRUE(size.SetOutputWidth(4001));
    ASSERT_EQ(size.GetXOffsetPixels(), 1999.5);
    size.PrescanWindow();
    EXPECT_EQ(size.GetXOffsetPixels(), 1999);
    EXPECT_EQ(size.GetPixelsAcross(), 4000);
}

TEST_F(QVSizeTest, NativeWindowIsTakenAtResolutionNumberZero)
{
    QVSize& size = Make();
    CropHalfAtOffsets(size);
    size.SetResolutionNumber(3);
    const CameraWindow window = size.NativeWindow();
    EXPECT_EQ(window.firstPixel, 2400);
    EXPECT_EQ(window.firstLine, 1000);
    EXPECT_EQ(window.lines, 4000);
    EXPECT_EQ(size.GetResolutionNumber(), 3);
    EXPECT_EQ(size.ScanWindow().lines, 2500);  // 4000 * 5 / 8

    // Even where step 0 is finer than the model allows.
    QVSize& arden = Make(kArden);
    EXPECT_EQ(arden.NativeWindow().lines, 8000);
}

// --- Line limit and file size ------------------------------------------------------------------

TEST_F(QVSizeTest, ScanIsAllowedUpTo65000Lines)
{
    QVSize& size = Make();
    size.SetPanoramaLines(70000);
    size.SetUnits(SizeUnits::kInches);
    size.SetResolution(1.0);  // one pixel per inch: the typed width is the line count

    ASSERT_TRUE(size.SetOutputWidth(65001));
    EXPECT_EQ(size.NumberOfLines(), 65001);
    EXPECT_FALSE(size.ScanAllowed());
    EXPECT_FALSE(displays_.controls.scan);

    ASSERT_TRUE(size.SetOutputWidth(65000));
    EXPECT_TRUE(size.ScanAllowed());
    EXPECT_TRUE(displays_.controls.scan);
}

TEST_F(QVSizeTest, FileSizeFollowsTheSampleFormat)
{
    QVSize& size = Make();  // 8000 x 6000 pixels
    EXPECT_EQ(size.FileSizeBytes(), 144000000u);
    size.SetSampleFormat({true, false});
    EXPECT_EQ(size.FileSizeBytes(), 288000000u);
    size.SetSampleFormat({true, true});
    EXPECT_EQ(size.FileSizeBytes(), 96000000u);
    size.SetSampleFormat({false, true});
    EXPECT_EQ(size.FileSizeBytes(), 48000000u);
}

}  // namespace
}  // namespace scanora
