// The image view's mouse tools on their own (against a host of the test's own) and, where the
// view's scrolling is what counts, in the view.

#include <gtest/gtest.h>

#include <QScrollBar>
#include <QTest>

#include <memory>
#include <string>

#include "ViewTestFixture.h"
#include "acquire/PreviewImage.h"
#include "camera/QVExposure.h"
#include "context/AppContext.h"
#include "imaging/PreviewGrid.h"
#include "imaging/ZoomLevels.h"
#include "support/RecordingUiPort.h"
#include "ui/CropTool.h"
#include "ui/QVImagePalette.h"
#include "ui/QorvaneView.h"
#include "ui/SamplePointTool.h"
#include "ui/ToolHost.h"
#include "ui/ToolSelection.h"

namespace scanora {
namespace {

TEST(ToolSelectionTest, TemporaryToolsGiveWayToTheToolBefore)
{
    ToolSelection tools;
    tools.Select(ToolKind::Crop);
    tools.Select(ToolKind::Guide);
    // Choosing the same temporary tool again must not make it its own tool before.
    tools.Select(ToolKind::Guide);
    tools.EndTemporary();
    EXPECT_EQ(tools.Selected(), ToolKind::Crop);
    // Nothing to give way to: the chosen tool stays.
    tools.EndTemporary();
    EXPECT_EQ(tools.Selected(), ToolKind::Crop);

    // A held key's tool acts before the chosen one; a second key is refused while it is held.
    EXPECT_TRUE(tools.Hold(ToolKind::Hand));
    EXPECT_FALSE(tools.Hold(ToolKind::Zoom));
    EXPECT_EQ(tools.Active(), ToolKind::Hand);
    EXPECT_EQ(tools.Selected(), ToolKind::Crop);
    tools.LetGo();
    EXPECT_EQ(tools.Active(), ToolKind::Crop);
}

TEST(ToolSelectionTest, SuperRegionGivesBackTheToolUnlessAnotherWasChosen)
{
    ToolSelection tools;
    tools.Select(ToolKind::Zoom);
    tools.EnterSuperRegion();
    tools.EnterSuperRegion();  // the buffer and the option both bring it: once is remembered
    EXPECT_EQ(tools.Selected(), ToolKind::SuperRegion);
    tools.LeaveSuperRegion();
    EXPECT_EQ(tools.Selected(), ToolKind::Zoom);

    tools.EnterSuperRegion();
    tools.Select(ToolKind::Hand);
    tools.LeaveSuperRegion();
    EXPECT_EQ(tools.Selected(), ToolKind::Hand);
}

// A host of the test's own: an image of 400 x 300 preview pixels at zoom 100, no scrolling.
class FakeHost : public ToolHost {
public:
    explicit FakeHost(AppContext& app) : app_(app) { image_.AllocatePreview({kWidth, kHeight, 0}); }

    static constexpr int kWidth = 400;
    static constexpr int kHeight = 300;

    AppContext& App() const override { return app_; }
    const PreviewImage& Image() const override { return image_; }
    ViewMapping Mapping() const override { return ViewMapping(0, kWidth, kHeight, 100.0); }
    QRect ImageArea() const override { return QRect(0, 0, kWidth, kHeight); }
    bool InViewport(QPoint window) const override { return ImageArea().contains(window); }
    bool CaptureRunning() const override { return capturing; }
    void Redraw() override {}
    void ShowCursor(ViewCursors::Id) override {}
    void UpdateCursor(QPoint, Qt::KeyboardModifiers) override {}
    void EndTemporaryTool() override {}
    double Zoom() const override { return 100.0; }
    void ZoomAround(double, QPoint) override {}
    void ScrollBy(QPoint) override {}
    const CropPercent& Crop() const override { return crop; }
    void SetCrop(const CropPercent& to) override { crop = to; }
    void CommitCrop() override { ++commits; }
    bool GuidesShown() const override { return !guides.empty(); }
    std::vector<QLine> GuideLines() const override { return guides; }
    PreviewGrid& Grid() override { return grid_; }
    const PreviewAppearance& Appearance() const override { return appearance_; }
    void SetRulerOrigin(QPoint) override {}
    bool SuperPrescan() const override { return false; }
    SuperPrescanGeometry SuperGeometry() const override { return {}; }
    void SamplePointsChanged() override { ++sampleChanges; }
    void FocusLinePlaced(int, int) override {}

    CropPercent crop{20.0, 20.0, 50.0, 50.0};
    std::vector<QLine> guides;
    bool capturing = false;
    int commits = 0;
    int sampleChanges = 0;

private:
    AppContext& app_;
    PreviewImage image_;
    PreviewGrid grid_{PreviewGrid::kDefaultSpacing, PreviewGrid::kDefaultSpacing};
    PreviewAppearance appearance_;
};

class ToolOnFakeHostTest : public ::testing::Test {
protected:
    // The crop {20, 20, 50, 50} of the fake host's image: its right edge's handle.
    static constexpr QPoint kRightHandle{278, 135};

    void SetUp() override
    {
        std::string error;
        app_ = AppContext::Create("sim:speed=0", ui_, error);
        ASSERT_TRUE(app_) << error;
        app_->LoadPreferences({{}, true, false});
        host_ = std::make_unique<FakeHost>(*app_);
        ASSERT_TRUE(host_->Image().HasImage());
    }

    // Presses at `from`, drags to `to` and lets go there.
    static void Drag(ViewTool& tool, QPoint from, QPoint to, Qt::KeyboardModifiers modifiers = {})
    {
        ASSERT_TRUE(tool.Press(from, modifiers));
        tool.Drag(to, modifiers);
        tool.Release(to, modifiers);
    }

    test::RecordingUiPort ui_;
    std::unique_ptr<AppContext> app_;
    std::unique_ptr<FakeHost> host_;
};

TEST_F(ToolOnFakeHostTest, CropDragsStayOnTheImageAndCommitOnlyAChange)
{
    CropTool crop(*host_);
    // The right edge's handle (the edge at 70 % of 400, the handle 2 pixels inside it, half way
    // down the crop) dragged far beyond the image stops at the image's edge.
    Drag(crop, kRightHandle, {5000, 135});
    EXPECT_LE(host_->crop.Right(), 100.0);
    EXPECT_GT(host_->crop.Right(), 99.0);
    EXPECT_DOUBLE_EQ(host_->crop.left, 20.0);
    EXPECT_EQ(host_->commits, 1);

    // The whole crop moved far up and left keeps its size and stops at the corner.
    const CropPercent before = host_->crop;
    Drag(crop, {200, 150}, {-5000, -5000});
    EXPECT_GE(host_->crop.left, 0.0);
    EXPECT_GE(host_->crop.top, 0.0);
    EXPECT_NEAR(host_->crop.width, before.width, 1e-9);
    EXPECT_NEAR(host_->crop.height, before.height, 1e-9);
    EXPECT_EQ(host_->commits, 2);

    // A click that changes nothing is not committed.
    Drag(crop, {100, 100}, {100, 100});
    EXPECT_EQ(host_->commits, 2);
}

TEST_F(ToolOnFakeHostTest, PressBesideTheCropDrawsANewOne)
{
    CropTool crop(*host_);
    // From 90 % across and down back to 10 %: the new crop spans the two points.
    Drag(crop, {360, 270}, {40, 30});
    EXPECT_NEAR(host_->crop.left, 10.0, 1e-9);
    EXPECT_NEAR(host_->crop.top, 10.0, 1e-9);
    EXPECT_NEAR(host_->crop.width, 80.0, 1e-9);
    EXPECT_NEAR(host_->crop.height, 80.0, 1e-9);
    EXPECT_EQ(host_->commits, 1);

    // A press beside the crop with a slight tremor draws nothing.
    const CropPercent before = host_->crop;
    Drag(crop, {390, 295}, {391, 294});
    EXPECT_EQ(host_->crop, before);
    EXPECT_EQ(host_->commits, 1);
}

TEST_F(ToolOnFakeHostTest, CropEdgeSnapsToAGuideUnlessCtrlIsHeld)
{
    host_->guides = {QLine(240, 0, 240, 299)};  // a vertical guide at 60 % of the width
    CropTool crop(*host_);
    // The mouse let go 3 pixels beside the guide counts as on it: 38 pixels of 400 travelled.
    Drag(crop, kRightHandle, {243, 135});
    EXPECT_NEAR(host_->crop.Right(), 70.0 - 9.5, 1e-9);

    host_->crop = {20.0, 20.0, 50.0, 50.0};
    Drag(crop, kRightHandle, {243, 135}, Qt::ControlModifier);
    EXPECT_NEAR(host_->crop.Right(), 70.0 - 8.75, 1e-9);
}

TEST_F(ToolOnFakeHostTest, SamplePointsAreAddedMovedAndDraggedOff)
{
    QVExposure& exposure = app_->Exposure();
    const auto count = [&] { return exposure.SamplePoints().Points().size(); };
    SamplePointTool samples(*host_);
    Drag(samples, {100, 100}, {100, 100});
    ASSERT_EQ(count(), 1u);
    EXPECT_EQ(exposure.SamplePoints().Points()[0].x, 100);

    // Grabbed within its ring and moved.
    Drag(samples, {103, 98}, {150, 120});
    ASSERT_EQ(count(), 1u);
    EXPECT_EQ(exposure.SamplePoints().Points()[0].x, 150);
    EXPECT_EQ(exposure.SamplePoints().Points()[0].y, 120);

    // While a capture runs nothing changes.
    host_->capturing = true;
    Drag(samples, {150, 120}, {600, 120});
    EXPECT_EQ(count(), 1u);
    host_->capturing = false;

    // Dragged off the image it is gone.
    Drag(samples, {150, 120}, {600, 120});
    EXPECT_EQ(count(), 0u);
    EXPECT_EQ(host_->sampleChanges, 3);
}

class ViewToolInViewTest : public test::ViewTestFixture {
protected:
    void SetUp() override { OpenWindow(300); }
};

TEST_F(ViewToolInViewTest, ZoomClickBringsTheClickedPointToTheMiddle)
{
    // Large enough that the view can scroll any point of the image to its middle.
    view_->SetZoom(200.0, view_->viewport()->rect().center());
    view_->SetTool(ToolKind::Zoom);
    QVImagePalette& palette = view_->Palette();
    const QPoint click =
        palette.mapFrom(view_->viewport(), view_->viewport()->rect().center() + QPoint(40, 30));
    const ViewPointF clicked = view_->Mapping().WindowToPreview(
        {static_cast<double>(click.x()), static_cast<double>(click.y())});

    QTest::mouseClick(&palette, Qt::LeftButton, {}, click);
    ASSERT_EQ(view_->Zoom(), ZoomLevels::In(200.0).value());
    const ViewPointF now = view_->Mapping().PreviewToWindow(clicked);
    const QPoint inViewport =
        palette.mapTo(view_->viewport(), QPoint(static_cast<int>(now.x), static_cast<int>(now.y)));
    const QPoint middle = view_->viewport()->rect().center();
    EXPECT_LE(std::abs(inViewport.x() - middle.x()), 2);
    EXPECT_LE(std::abs(inViewport.y() - middle.y()), 2);

    // With Alt one step out again.
    QTest::mouseClick(&palette, Qt::LeftButton, Qt::AltModifier, click);
    EXPECT_EQ(view_->Zoom(), 200.0);
}

TEST_F(ViewToolInViewTest, HandDragScrollsByTheMouseTravel)
{
    view_->SetZoom(200.0, view_->viewport()->rect().center());
    view_->SetTool(ToolKind::Hand);
    QScrollBar* across = view_->horizontalScrollBar();
    QScrollBar* down = view_->verticalScrollBar();
    across->setValue(across->maximum() / 2);
    down->setValue(down->maximum() / 2);
    const int x = across->value();
    const int y = down->value();
    QVImagePalette& palette = view_->Palette();
    const QPoint grab = palette.mapFrom(view_->viewport(), view_->viewport()->rect().center());
    QTest::mousePress(&palette, Qt::LeftButton, {}, grab);
    QTest::mouseMove(&palette, grab - QPoint(30, 20));
    QTest::mouseRelease(&palette, Qt::LeftButton, {}, grab - QPoint(30, 20));
    EXPECT_EQ(across->value(), x + 30);
    EXPECT_EQ(down->value(), y + 20);
}

}  // namespace
}  // namespace scanora
