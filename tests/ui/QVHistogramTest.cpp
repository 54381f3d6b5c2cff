// The histogram panel as a user clicks it: plot zoom, slider bands and their switches, and
// loading a saved prescan with Alt + Prescan.

#include <gtest/gtest.h>

#include <QDir>
#include <QSignalSpy>
#include <QTest>

#include <chrono>
#include <filesystem>
#include <memory>

#include "ViewTestFixture.h"
#include "context/AppContext.h"
#include "context/HeldSettingTools.h"
#include "output/TIFFDescription.h"
#include "output/TIFFFile.h"
#include "support/RecordingUiPort.h"
#include "support/TempDir.h"
#include "ui/QVHistogram.h"
#include "ui/QorvaneView.h"

namespace scanora {
namespace {

using namespace std::chrono_literals;

class QVHistogramTest : public test::ViewTestFixture {
protected:
    void SetUp() override
    {
        OpenWindow(300);
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(QTest::qWaitFor([&] { return view_->ShowsImage(); }, 5000));
    }

    // The panel point over display level `level` of the slider bar.
    [[nodiscard]] QPoint Bar(int level) const
    {
        return {histogram_->PlotLeft() + 1 + level, QVHistogram::kBarBottom - 3};
    }

    // Waits until the view has counted the histogram again.
    void WaitForHistogram()
    {
        QSignalSpy counted(view_, &QorvaneView::previewChanged);
        ASSERT_TRUE(counted.wait(5000));
    }
};

TEST_F(QVHistogramTest, ClicksOnThePlotZoomItUpToTwentyAndAltResets)
{
    const QPoint plot(histogram_->PlotLeft() + 100, QVHistogram::kPlotTop + 20);
    QTest::mouseClick(histogram_, Qt::LeftButton, {}, plot);
    EXPECT_DOUBLE_EQ(histogram_->Zoom(), 1.5);
    for (int i = 0; i < 50; ++i) QTest::mouseClick(histogram_, Qt::LeftButton, {}, plot);
    EXPECT_DOUBLE_EQ(histogram_->Zoom(), 20.0);
    QTest::mouseClick(histogram_, Qt::LeftButton, Qt::AltModifier, plot);
    EXPECT_DOUBLE_EQ(histogram_->Zoom(), 1.0);
}

TEST_F(QVHistogramTest, SliderBarTogglesInsertsDeletesAndDrags)
{
    // The bands of the built-in "Default Setting"; 110 has no false colour.
    using Slider = LevelSliders::Slider;
    view_->ApplySliders(LevelSliders(std::vector<Slider>{{15, 0xFF0000, true},
                                                         {30, 0xFFFF00, true},
                                                         {110, 0, false},
                                                         {130, 0x00FF00, true},
                                                         {225, 0, false},
                                                         {240, 0x00FFFF, true},
                                                         {255, 0x0000FF, true}}));
    ASSERT_EQ(view_->Sliders().Count(), 7);
    ASSERT_FALSE(view_->Sliders().At(2).falseColor);

    // A plain click inside the band 31..110 switches its false colour on.
    QTest::mouseClick(histogram_, Qt::LeftButton, {}, Bar(70));
    EXPECT_TRUE(view_->Sliders().At(2).falseColor);
    // The setting the program saves holds the change.
    HistogramSetting held;
    app_->HeldTools().Capture(held);
    EXPECT_TRUE(held.GetSliders()[2].falseColor);

    // Alt inside the band inserts a grey slider at the click.
    QTest::mouseClick(histogram_, Qt::LeftButton, Qt::AltModifier, Bar(70));
    ASSERT_EQ(view_->Sliders().Count(), 8);
    EXPECT_EQ(view_->Sliders().At(2).value, 70);
    EXPECT_EQ(view_->Sliders().At(2).color, LevelSliders::kInsertedColor);

    // Dragging its boundary moves it by the mouse's travel.
    QTest::mousePress(histogram_, Qt::LeftButton, {}, Bar(70));
    QTest::mouseMove(histogram_, Bar(90));
    QTest::mouseRelease(histogram_, Qt::LeftButton, {}, Bar(90));
    EXPECT_EQ(view_->Sliders().At(2).value, 90);

    // Alt on the boundary deletes it; the last slider stays whatever happens.
    QTest::mouseClick(histogram_, Qt::LeftButton, Qt::AltModifier, Bar(90));
    EXPECT_EQ(view_->Sliders().Count(), 7);
    QTest::mouseClick(histogram_, Qt::LeftButton, Qt::AltModifier, Bar(254));
    EXPECT_EQ(view_->Sliders().Count(), 7);
    EXPECT_EQ(view_->Sliders().At(6).value, 255);
}

TEST_F(QVHistogramTest, ReadoutShowsThePixelAndDashesWithoutOne)
{
    histogram_->SetReadout(10, 20, 33, 12.34, 5, 7);
    EXPECT_EQ(histogram_->ReadoutText(), QStringLiteral("R: 10  G: 20  B: 33  21  12.3  (5, 7)"));
    histogram_->SetReadout(-1, -1, -1, 0.0, 0, 0);
    EXPECT_TRUE(histogram_->ReadoutText().contains(QStringLiteral("--")));
}

// The current folder for the life of a test.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::filesystem::path& folder)
        : previous_(std::filesystem::current_path())
    {
        std::filesystem::current_path(folder);
    }
    ~CurrentFolder() { std::filesystem::current_path(previous_); }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

private:
    std::filesystem::path previous_;
};

// Writes an unrotated preview of `width` x `height` 16-bit pixels, every sample `value`.
void WritePreview(const std::filesystem::path& path, int width, int height, std::uint16_t value)
{
    TIFFDescription description;
    description.width = static_cast<std::uint32_t>(width);
    description.height = static_cast<std::uint32_t>(height);
    description.bitsPerSample = 16;
    description.samplesPerPixel = 3;
    TIFFFile file(path);
    ASSERT_TRUE(file.Open(description));
    const std::vector<std::uint16_t> row(static_cast<std::size_t>(width) * 3, value);
    for (int y = 0; y < height; ++y) ASSERT_TRUE(file.WriteSamples(row));
    ASSERT_TRUE(file.Close());
}

TEST_F(QVHistogramTest, AltPrescanLoadsPreviewPicFromTheCurrentFolder)
{
    test::TempDir folder;
    const CurrentFolder inFolder(folder.Path());
    PreviewImage& image = view_->Image();
    const int rotation = image.Rotation();
    WritePreview(folder.Path() / "PreviewPic.TIF", image.Width(), image.Height(), 40000);

    // Loaded while the super preview is shown: the file is a normal prescan, so it goes into
    // the normal preview, which is then shown; the super preview keeps what it had.
    view_->ShowSuperPreview(true);
    ASSERT_TRUE(image.ShowingSuper());
    view_->PrescanCommand(true);
    EXPECT_TRUE(ui_.MessageTexts().empty());
    EXPECT_FALSE(image.ShowingSuper());
    // Loaded at the view's rotation: every sample is the file's.
    const auto samples = image.Samples(false);
    ASSERT_FALSE(samples.empty());
    EXPECT_EQ(samples.front(), 40000);
    EXPECT_EQ(samples.back(), 40000);
    EXPECT_EQ(image.Samples(true).front(), 0);
    EXPECT_EQ(image.Rotation(), rotation);
}

TEST_F(QVHistogramTest, AltPrescanRefusesAPreviewOfAnotherSize)
{
    test::TempDir folder;
    const CurrentFolder inFolder(folder.Path());
    WritePreview(folder.Path() / "PreviewPic.TIF", 64, 48, 40000);

    view_->PrescanCommand(true);
    ASSERT_EQ(ui_.MessageTexts().size(), 1u);
    EXPECT_EQ(ui_.MessageTexts()[0], "The file PreviewPic.TIF is not a compatible preview.");
    EXPECT_NE(view_->Image().CurrentSamples().front(), 40000);
}

}  // namespace
}  // namespace scanora
