#include "imaging/ViewMapping.h"

#include <gtest/gtest.h>

#include "imaging/ZoomLevels.h"

namespace scanora {
namespace {

constexpr int kP = 300;  // pixels along the camera line
constexpr int kL = 200;  // camera lines

TEST(ViewMapping, ClickAtRotation90)
{
    // At 90 a click at window (x, y) is preview (y / z, L - x / z).
    const ViewMapping mapping(90, kP, kL, 200.0);
    const ViewPointF preview = mapping.WindowToPreview({40.0, 100.0});
    EXPECT_DOUBLE_EQ(preview.x, 50.0);
    EXPECT_DOUBLE_EQ(preview.y, kL - 20.0);
}

TEST(ViewMapping, EveryRotationMapsBackAndForth)
{
    for (const int degrees : {0, 90, 180, 270}) {
        for (const double zoom : {25.0, 100.0, 300.0}) {
            const ViewMapping mapping(degrees, kP, kL, zoom);
            const ViewPointF window = mapping.PreviewToWindow({17.0, 33.0});
            const ViewPointF back = mapping.WindowToPreview(window);
            EXPECT_NEAR(back.x, 17.0, 1e-9) << degrees << " " << zoom;
            EXPECT_NEAR(back.y, 33.0, 1e-9) << degrees << " " << zoom;
        }
    }
    // The corners of the preview land on the corners of the display.
    const ViewMapping turned(270, kP, kL, 100.0);
    EXPECT_EQ(turned.DisplayWidth(), kL);
    EXPECT_EQ(turned.DisplayHeight(), kP);
    EXPECT_DOUBLE_EQ(turned.PreviewToWindow({0.0, 0.0}).y, kP);
    EXPECT_DOUBLE_EQ(ViewMapping(180, kP, kL, 100.0).PreviewToWindow({0.0, 0.0}).x, kP);
}

TEST(ViewMapping, RectanglesRoundOutward)
{
    const ViewMapping mapping(0, kP, kL, 150.0);
    const ImageRect window = mapping.PreviewToWindowRect({1, 1, 3, 3});
    EXPECT_EQ(window, (ImageRect{1, 1, 5, 5}));
    // Turned, the rows of a prescan block become columns.
    const ImageRect rows = ViewMapping(270, kP, kL, 100.0).PreviewToWindowRect({0, 8, kP, 12});
    EXPECT_EQ(rows, (ImageRect{8, 0, 12, kP}));
}

TEST(ViewMapping, WindowPixelsOutsideTheImage)
{
    const ViewMapping mapping(0, kP, kL, 50.0);
    EXPECT_EQ(mapping.WindowToDisplayPixel({10.0, 10.0}), (ImagePoint{20, 20}));
    EXPECT_EQ(mapping.WindowToDisplayPixel({150.0, 10.0}), (ImagePoint{-1, -1}));
    EXPECT_EQ(mapping.WindowToDisplayPixel({-1.0, 10.0}), (ImagePoint{-1, -1}));
}

TEST(ZoomLevels, StepsInAndOut)
{
    EXPECT_EQ(ZoomLevels::In(66.6), 100.0);
    EXPECT_EQ(ZoomLevels::In(100.0), 200.0);
    EXPECT_EQ(ZoomLevels::In(1.0), 2.0);
    EXPECT_EQ(ZoomLevels::In(1200.0), 1600.0);
    EXPECT_FALSE(ZoomLevels::In(1600.0).has_value());
    EXPECT_EQ(ZoomLevels::Out(100.0), 66.6);
    EXPECT_EQ(ZoomLevels::Out(2.0), 1.0);
    EXPECT_EQ(ZoomLevels::Out(1.5), 1.0);
    EXPECT_FALSE(ZoomLevels::Out(1.0).has_value());
    // A fitted zoom between levels steps to the neighbours.
    EXPECT_EQ(ZoomLevels::In(40.0), 50.0);
    EXPECT_EQ(ZoomLevels::Out(40.0), 33.3);
}

TEST(ZoomLevels, FitTakesTheTighterAxis)
{
    EXPECT_DOUBLE_EQ(*ZoomLevels::Fit(400, 300, 800, 400), 50.0);
    EXPECT_DOUBLE_EQ(*ZoomLevels::Fit(400, 100, 800, 400), 25.0);
    EXPECT_FALSE(ZoomLevels::Fit(400, 300, 0, 400).has_value());
}

}  // namespace
}  // namespace scanora
