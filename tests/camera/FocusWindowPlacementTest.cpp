#include "camera/FocusWindowPlacement.h"

#include <gtest/gtest.h>

namespace scanora {
namespace {

TEST(FocusWindowPlacementTest, WindowIsCentredOnTheScaledColumnAndKeptOnTheSensor)
{
    // Eight steps, the finest -4: a preview column is 8 / 12 of a sensor pixel here.
    const FocusWindowPlacement placement(6000, 8, -4);
    EXPECT_EQ(placement.WindowStart(300, 100), 150);  // round(200) - 50
    EXPECT_EQ(placement.WindowStart(10, 100), 0);
    EXPECT_EQ(placement.WindowStart(9000, 100), 5900);
    // A window wider than the sensor starts at its first pixel.
    EXPECT_EQ(FocusWindowPlacement(80, 8, 0).WindowStart(40, 100), 0);
}

TEST(FocusWindowPlacementTest, SpanTakesTheWindowBackToPreviewColumns)
{
    const FocusWindowPlacement placement(6000, 8, -4);
    const FocusWindowPlacement::PreviewSpan middle = placement.Span(300, 100);
    EXPECT_DOUBLE_EQ(middle.first, 225.0);
    EXPECT_DOUBLE_EQ(middle.last, 375.0);
    // At the sensor's edge the window is moved, not cut.
    const FocusWindowPlacement::PreviewSpan edge = placement.Span(2, 100);
    EXPECT_DOUBLE_EQ(edge.first, 0.0);
    EXPECT_DOUBLE_EQ(edge.last, 150.0);
    // Steps that give no scale count one sensor pixel per column.
    const FocusWindowPlacement::PreviewSpan flat = FocusWindowPlacement(6000, 8, 8).Span(300, 100);
    EXPECT_DOUBLE_EQ(flat.first, 250.0);
    EXPECT_DOUBLE_EQ(flat.last, 350.0);
}

}  // namespace
}  // namespace scanora
