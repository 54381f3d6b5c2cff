#include "imaging/ToneTableSmoothing.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace scanora {
namespace {

using Table = std::vector<std::uint16_t>;

Table Rising(Table table, std::uint16_t maxLevel = 255)
{
    SmoothRisingSteps(table, maxLevel);
    return table;
}

Table Falling(Table table)
{
    SmoothFallingSteps(table);
    return table;
}

TEST(ToneTableSmoothingTest, RisingPassLiftsTheEndOfAFlatStretchBeforeAJump)
{
    EXPECT_EQ(Rising({5, 10, 10, 10, 13, 14}), (Table{5, 10, 10, 11, 13, 14}));
    // The jump from 5 to 10 has no flat stretch before it.
    EXPECT_EQ(Rising({5, 10, 11, 12}), (Table{5, 10, 11, 12}));
    // Four entries after the flat step still count, five do not.
    EXPECT_EQ(Rising({7, 0, 0, 1, 2, 3, 4, 7}), (Table{7, 0, 0, 1, 2, 3, 4, 7}));
    // Each lift makes a new flat step, so the lifts climb the ramp toward the jump.
    EXPECT_EQ(Rising({7, 0, 0, 1, 2, 3, 6}), (Table{7, 0, 1, 2, 3, 4, 6}));
    // Falls are not its business.
    EXPECT_EQ(Rising({9, 9, 6, 2}), (Table{9, 9, 6, 2}));
}

TEST(ToneTableSmoothingTest, FallingPassLowersTheStartOfAFlatStretchAfterAJump)
{
    EXPECT_EQ(Falling({5, 10, 13, 13, 13}), (Table{5, 10, 12, 13, 13}));
    // The last entry counts as a flat stretch of its own.
    EXPECT_EQ(Falling({0, 1, 4}), (Table{0, 1, 3}));
    // Entry 0 is never examined.
    EXPECT_EQ(Falling({0, 5, 5}), (Table{0, 5, 5}));
    // Four entries below the flat stretch still count, five do not.
    EXPECT_EQ(Falling({0, 2, 5, 6, 7, 8, 8}), (Table{0, 2, 4, 5, 6, 7, 8}));
    EXPECT_EQ(Falling({0, 1, 4, 5, 6, 7, 8, 8}), (Table{0, 1, 4, 5, 6, 7, 8, 8}));
}

TEST(ToneTableSmoothingTest, PassesNeverLeaveTheOutputRange)
{
    // A flat stretch at the top followed by a dip and a jump: lifting it would pass 255.
    EXPECT_EQ(Rising({255, 255, 251, 254}), (Table{255, 255, 251, 254}));
    EXPECT_EQ(Rising({1000, 1000, 996, 999}, 1000), (Table{1000, 1000, 996, 999}));
    // The mirror case at 0.
    EXPECT_EQ(Falling({9, 1, 4, 0, 0}), (Table{9, 1, 4, 0, 0}));
    EXPECT_EQ(Rising({}), Table{});
    EXPECT_EQ(Falling({3}), Table{3});
}

}  // namespace
}  // namespace scanora
