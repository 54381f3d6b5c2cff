#include "settings/SuperPrescanRegion.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "imaging/ViewMapping.h"

namespace scanora {
namespace {

// A 750 x 1000 preview of a model with 8 steps, read at step 2: the region is 125 x 166.67.
constexpr SuperPrescanGeometry kGeometry{750, 1000, 8, 2};

TEST(SuperPrescanRegionTest, ExtentIsThePreviewOverTheSamplesPerPreviewPixel)
{
    EXPECT_DOUBLE_EQ(SuperPrescanRegion::Extent(750, 8, 2), 125.0);
    EXPECT_DOUBLE_EQ(SuperPrescanRegion::Extent(750, 8, 0), 93.75);
    EXPECT_DOUBLE_EQ(SuperPrescanRegion::Extent(750, 8, -4), 62.5);
    // At the preview's own step the region is the whole preview.
    EXPECT_DOUBLE_EQ(SuperPrescanRegion::Extent(750, 8, 7), 750.0);
    EXPECT_DOUBLE_EQ(SuperPrescanRegion::Extent(750, 8, 8), 0.0);
    EXPECT_DOUBLE_EQ(SuperPrescanRegion::Extent(0, 8, 2), 0.0);
}

TEST(SuperPrescanRegionTest, StartsInTheMiddleOfThePreview)
{
    const SuperPrescanRegion region;
    const SuperPrescanRegion::Frame frame = region.FrameIn(kGeometry);
    EXPECT_DOUBLE_EQ(frame.width, 125.0);
    EXPECT_NEAR(frame.height, 1000.0 / 6.0, 1e-9);
    EXPECT_EQ(frame.left, 313.0);  // (750 - 125) / 2 = 312.5 on a whole pixel
    EXPECT_EQ(frame.top, 417.0);
    EXPECT_FALSE(region.IsPlaced());
}

TEST(SuperPrescanRegionTest, PressInsideGrabsAndDragKeepsThePointUnderTheMouse)
{
    SuperPrescanRegion region;
    region.MoveTo(kGeometry, 100, 200);
    EXPECT_TRUE(region.Press(kGeometry, 110, 230));
    region.DragTo(kGeometry, 160, 250);
    const SuperPrescanRegion::Frame frame = region.FrameIn(kGeometry);
    EXPECT_EQ(frame.left, 150.0);
    EXPECT_EQ(frame.top, 220.0);
}

TEST(SuperPrescanRegionTest, PressOutsideCentresTheRegionAtTheClick)
{
    SuperPrescanRegion region;
    region.MoveTo(kGeometry, 0, 0);
    EXPECT_FALSE(region.Press(kGeometry, 400, 500));
    SuperPrescanRegion::Frame frame = region.FrameIn(kGeometry);
    EXPECT_NEAR(frame.left + frame.width / 2, 400.0, 1.0);
    EXPECT_NEAR(frame.top + frame.height / 2, 500.0, 1.0);
    // The drag that follows moves it from there without a jump.
    region.DragTo(kGeometry, 410, 500);
    EXPECT_NEAR(region.FrameIn(kGeometry).left, frame.left + 10, 1.0);

    // Near a corner it is centred as far as the preview allows.
    region.Press(kGeometry, 745, 995);
    frame = region.FrameIn(kGeometry);
    EXPECT_EQ(frame.left, 625.0);
    EXPECT_EQ(frame.top, 833.0);
}

TEST(SuperPrescanRegionTest, StaysInsideAtEveryEdge)
{
    SuperPrescanRegion region;
    struct Case {
        double x, y, left, top;
    };
    // Dragged far past each edge and corner; 833 = floor(1000 - 166.67).
    for (const Case c :
         {Case{-500, 300, 0, 300}, Case{2000, 300, 625, 300}, Case{300, -500, 300, 0},
          Case{300, 3000, 300, 833}, Case{-9, -9, 0, 0}, Case{9999, 9999, 625, 833}}) {
        region.MoveTo(kGeometry, 300, 300);
        region.Press(kGeometry, 300, 300);
        region.DragTo(kGeometry, c.x, c.y);
        const SuperPrescanRegion::Frame frame = region.FrameIn(kGeometry);
        EXPECT_EQ(frame.left, c.left) << c.x << ", " << c.y;
        EXPECT_EQ(frame.top, c.top) << c.x << ", " << c.y;
        EXPECT_LE(frame.left + frame.width, 750.0);
        EXPECT_LE(frame.top + frame.height, 1000.0);
    }
}

TEST(SuperPrescanRegionTest, CoarserStepMovesTheRegionBackInside)
{
    SuperPrescanRegion region;
    region.MoveTo(kGeometry, 625, 833);
    // At step 5 the region is 250 x 333.3: its corner comes back to keep it inside.
    const SuperPrescanGeometry coarser{750, 1000, 8, 5};
    const SuperPrescanRegion::Frame frame = region.FrameIn(coarser);
    EXPECT_EQ(frame.left, 500.0);
    EXPECT_EQ(frame.top, 666.0);
    EXPECT_EQ(region.Origin(coarser), (SuperPrescanRegion::SensorOrigin{4000, 5328}));
    // Back at the finer step it is where it was put.
    EXPECT_EQ(region.FrameIn(kGeometry).left, 625.0);
}

TEST(SuperPrescanRegionTest, OriginIsTheCornerInSensorPixelsAndLines)
{
    SuperPrescanRegion region;
    region.MoveTo(kGeometry, 150, 300);
    EXPECT_EQ(region.Origin(kGeometry), (SuperPrescanRegion::SensorOrigin{1200, 2400}));
}

TEST(SuperPrescanRegionTest, DraggedOnScreenItStaysInsideTheWindowAtEveryRotation)
{
    for (const int degrees : {0, 90, 180, 270}) {
        const ViewMapping mapping(degrees, kGeometry.previewWidth, kGeometry.previewLines, 50.0);
        SuperPrescanRegion region;
        const auto toPreview = [&](double x, double y) { return mapping.WindowToPreview({x, y}); };
        const ViewPointF grab =
            toPreview(mapping.WindowWidth() / 2.0, mapping.WindowHeight() / 2.0);
        region.Press(kGeometry, grab.x, grab.y);
        for (const ViewPointF window : {ViewPointF{-1000, -1000}, ViewPointF{5000, -1000},
                                        ViewPointF{-1000, 5000}, ViewPointF{5000, 5000}}) {
            const ViewPointF at = toPreview(window.x, window.y);
            region.DragTo(kGeometry, at.x, at.y);
            const SuperPrescanRegion::Frame f = region.FrameIn(kGeometry);
            const ViewPointF a = mapping.PreviewToWindow({f.left, f.top});
            const ViewPointF b = mapping.PreviewToWindow({f.left + f.width, f.top + f.height});
            for (const ViewPointF corner : {a, b}) {
                EXPECT_GE(corner.x, -1e-9) << degrees;
                EXPECT_GE(corner.y, -1e-9) << degrees;
                EXPECT_LE(corner.x, mapping.WindowWidth() + 1.0) << degrees;
                EXPECT_LE(corner.y, mapping.WindowHeight() + 1.0) << degrees;
            }
            // The region went as far as it could toward the window corner it was dragged to.
            const double nearX = window.x < 0 ? std::min(a.x, b.x) : std::max(a.x, b.x);
            const double nearY = window.y < 0 ? std::min(a.y, b.y) : std::max(a.y, b.y);
            EXPECT_NEAR(nearX, window.x < 0 ? 0.0 : mapping.WindowWidth(), 1.0) << degrees;
            EXPECT_NEAR(nearY, window.y < 0 ? 0.0 : mapping.WindowHeight(), 1.0) << degrees;
        }
    }
}

}  // namespace
}  // namespace scanora
