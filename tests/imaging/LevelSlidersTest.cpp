#include "imaging/LevelSliders.h"

#include <gtest/gtest.h>

#include <vector>

namespace scanora {
namespace {

using Slider = LevelSliders::Slider;

LevelSliders Bands()
{
    return LevelSliders(std::vector<Slider>{
        {15, 0xFF0000, true}, {110, 0, false}, {240, 0x00FFFF, true}, {255, 0x0000FF, true}});
}

TEST(LevelSliders, FindsTheBandOfALevel)
{
    const LevelSliders sliders = Bands();
    EXPECT_EQ(sliders.FindSliderBand(0), 0);
    EXPECT_EQ(sliders.FindSliderBand(15), 0);
    EXPECT_EQ(sliders.FindSliderBand(16), 1);
    EXPECT_EQ(sliders.FindSliderBand(255), 3);
    EXPECT_EQ(sliders.FindSliderBand(-40), 0);
    EXPECT_EQ(sliders.FindSliderBand(900), 3);
    EXPECT_FALSE(LevelSliders().FindSliderBand(10).has_value());
}

TEST(LevelSliders, FalseColourTableFollowsTheSwitches)
{
    const auto table = Bands().FalseColorTable();
    EXPECT_EQ(table[10], 0xFF0000);
    EXPECT_EQ(table[100], -1);
    EXPECT_EQ(table[255], 0x0000FF);
}

TEST(LevelSliders, AssignSortsAndLimits)
{
    std::vector<Slider> many(200, Slider{300, 0, false});
    many[0].value = -5;
    const LevelSliders sliders(many);
    EXPECT_EQ(sliders.Count(), 128);
    EXPECT_EQ(sliders.At(0).value, 0);
    EXPECT_EQ(sliders.At(127).value, 255);
}

TEST(LevelSliders, HitTestTellsBoundaryFromBand)
{
    const LevelSliders sliders = Bands();
    // Near 110: the boundary of slider 1.
    EXPECT_EQ(sliders.HitTest(108)->kind, LevelSliders::Hit::Kind::Boundary);
    EXPECT_EQ(sliders.HitTest(108)->slider, 1);
    EXPECT_EQ(sliders.HitTest(112)->slider, 1);
    // Well inside the band from 16 to 110.
    EXPECT_EQ(sliders.HitTest(60)->kind, LevelSliders::Hit::Kind::Band);
    EXPECT_EQ(sliders.HitTest(60)->slider, 1);
}

TEST(LevelSliders, DraggingStaysBetweenTheNeighbours)
{
    LevelSliders sliders = Bands();
    EXPECT_EQ(sliders.DragRange(1).lowest, 17);
    EXPECT_EQ(sliders.DragRange(1).highest, 238);
    // The slider before the last may reach 255.
    EXPECT_EQ(sliders.DragRange(2).highest, 255);
    EXPECT_FALSE(sliders.MoveSlider(1, 16));
    EXPECT_TRUE(sliders.MoveSlider(1, 17));
    EXPECT_EQ(sliders.At(1).value, 17);
    EXPECT_FALSE(sliders.MoveSlider(3, 200));  // the last never moves
}

TEST(LevelSliders, SingleSliderCannotBeDraggedOrDeleted)
{
    LevelSliders sliders(std::vector<Slider>{{255, 0, true}});
    EXPECT_FALSE(sliders.IsMovable(0));
    EXPECT_FALSE(sliders.MoveSlider(0, 100));
    EXPECT_FALSE(sliders.Remove(0));
    EXPECT_EQ(sliders.Count(), 1);
}

TEST(LevelSliders, InsertRemoveAndColours)
{
    LevelSliders sliders = Bands();
    ASSERT_TRUE(sliders.InsertBefore(1, 60));
    EXPECT_EQ(sliders.Count(), 5);
    EXPECT_EQ(sliders.At(1).value, 60);
    EXPECT_EQ(sliders.At(1).color, LevelSliders::kInsertedColor);
    EXPECT_TRUE(sliders.At(1).falseColor);
    ASSERT_TRUE(sliders.Remove(1));
    EXPECT_EQ(sliders.At(1).value, 110);
    ASSERT_TRUE(sliders.ToggleFalseColor(1));
    EXPECT_TRUE(sliders.At(1).falseColor);
    ASSERT_TRUE(sliders.SetColor(1, 0x123456));
    EXPECT_EQ(sliders.FalseColor(100), 0x123456u);

    LevelSliders full(std::vector<Slider>(128, Slider{255, 0, false}));
    EXPECT_FALSE(full.InsertBefore(0, 10));
}

}  // namespace
}  // namespace scanora
