#include "imaging/QVCurveEditor.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace scanora {
namespace {

using ::testing::ElementsAre;

std::vector<int> Xs(const QVCurveEditor& editor)
{
    std::vector<int> xs;
    for (const CurveHandle& handle : editor.Handles()) xs.push_back(handle.x);
    return xs;
}

CurveSetting Setting(std::vector<CurveHandle> handles, bool blackOnTop = false,
                     bool negative = false)
{
    CurveSetting setting;
    setting.SetHandles(handles);
    setting.SetBlackOnTop(blackOnTop);
    setting.SetNegative(negative);
    return setting;
}

// A 256 x 256 plot at (8, 0); the editor starts with the curve's initial seven handles
// (30, 3) (80, 28) (113, 56) (142, 106) (194, 220) (212, 245) (230, 255).
class QVCurveEditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        editor_.SetClientArea(0, 0, 264, 271);
        editor_.SetListener([this] { ++finished_; });
    }

    // Presses on handle `i` where it is drawn.
    bool PressHandle(std::size_t i)
    {
        const CurveHandle handle = editor_.Handles()[i];
        return editor_.Press(Graph().LevelToX(handle.x), Graph().LevelToY(handle.y));
    }
    const CurveGraph& Graph() const { return editor_.Graph(); }

    QVCurveEditor editor_;
    int finished_ = 0;
};

TEST_F(QVCurveEditorTest, ConvertsBetweenLevelsAndPixelsBothWaysUp)
{
    EXPECT_EQ(Graph().PlotLeft(), 8);
    EXPECT_EQ(Graph().PlotWidth(), 256);
    EXPECT_EQ(Graph().PlotHeight(), 256);
    EXPECT_EQ(Graph().LevelToX(0), 8);
    EXPECT_EQ(Graph().LevelToX(255), 264);
    EXPECT_EQ(Graph().LevelToY(255), 0) << "white at the top";
    EXPECT_EQ(Graph().LevelToY(0), 255);
    for (int level : {0, 1, 80, 127, 254, 255}) {
        EXPECT_EQ(Graph().XToLevel(Graph().LevelToX(level)), level);
        EXPECT_EQ(Graph().YToLevel(Graph().LevelToY(level)), level);
    }

    // Exactly one of "BlackOnTop" and "Negative" turns the graph upside down.
    editor_.SetBlackOnTop(true);
    EXPECT_TRUE(Graph().IsFlipped());
    EXPECT_EQ(Graph().LevelToY(0), 0);
    EXPECT_EQ(Graph().YToLevel(Graph().LevelToY(200)), 200);
    editor_.ToggleNegative();
    EXPECT_FALSE(Graph().IsFlipped());
    editor_.SetBlackOnTop(false);
    EXPECT_TRUE(Graph().IsFlipped());

    // The raw axis: the knee at index 254 (rounded down from 254.5), ten stops below it 0.
    EXPECT_EQ(CurveGraph::RawToIndex(CurveGraph::kRawKnee), 254);
    EXPECT_EQ(CurveGraph::RawToIndex(CurveGraph::kRawKnee / 2), 229);
    EXPECT_EQ(CurveGraph::RawToIndex(CurveGraph::LeftEdgeRaw()), 0);
}

TEST_F(QVCurveEditorTest, PicksOnlyWithinThreePixelsOfAHandle)
{
    const int x = Graph().LevelToX(80);
    const int y = Graph().LevelToY(28);
    EXPECT_FALSE(editor_.Press(x + 4, y));
    EXPECT_FALSE(editor_.Press(x, y - 4));
    EXPECT_FALSE(editor_.IsDragging());
    ASSERT_TRUE(editor_.Press(x + 3, y - 3));
    EXPECT_EQ(editor_.SelectedHandle(), 1);
    EXPECT_FALSE(editor_.Release()) << "a press without a move changes nothing";
    EXPECT_EQ(finished_, 0);
}

TEST_F(QVCurveEditorTest, ADraggedHandleStopsThreeLevelsShortOfItsNeighbour)
{
    ASSERT_TRUE(PressHandle(1));
    // Onto handle 2 at (113, 56) and past it.
    editor_.Move(Graph().LevelToX(113), Graph().LevelToY(56), false);
    EXPECT_EQ(editor_.Handles()[1], (CurveHandle{110, 53}));
    EXPECT_EQ(finished_, 0) << "the table is rebuilt when the drag ends";
    const std::uint16_t before = editor_.Curve().RawEntry(600);
    editor_.Move(Graph().LevelToX(200), Graph().LevelToY(250), false);
    EXPECT_EQ(editor_.Handles()[1], (CurveHandle{110, 53}));
    EXPECT_TRUE(editor_.Release());
    EXPECT_EQ(finished_, 1);
    EXPECT_NE(editor_.Curve().RawEntry(600), before) << "the raw table follows the handles";

    // Onto the lower neighbour, and below the grid.
    ASSERT_TRUE(PressHandle(1));
    editor_.Move(Graph().LevelToX(0), Graph().LevelToY(0), false);
    EXPECT_EQ(editor_.Handles()[1], (CurveHandle{33, 6}));
    editor_.Release();
    ASSERT_TRUE(PressHandle(0));
    editor_.Move(-50, 400, false);
    EXPECT_EQ(editor_.Handles()[0], (CurveHandle{0, 0}));
    editor_.Release();
}

TEST_F(QVCurveEditorTest, OnTheFlippedGraphTheCurveMustFall)
{
    editor_.Apply(Setting({{0, 255}, {64, 192}, {128, 128}, {192, 64}, {255, 0}}, true));
    ASSERT_TRUE(Graph().IsFlipped());
    ASSERT_TRUE(PressHandle(1));
    editor_.Move(Graph().LevelToX(128), Graph().LevelToY(128), false);
    EXPECT_EQ(editor_.Handles()[1], (CurveHandle{125, 131}));
    editor_.Release();
}

TEST_F(QVCurveEditorTest, AltMovesByAFifthAndTheDirectionsCanBeLimited)
{
    ASSERT_TRUE(PressHandle(3));
    const int x = Graph().LevelToX(142);
    const int y = Graph().LevelToY(106);
    editor_.Move(x + 10, y, true);
    EXPECT_EQ(editor_.Handles()[3], (CurveHandle{144, 106}));
    editor_.Move(x - 10, y + 10, true);
    EXPECT_EQ(editor_.Handles()[3], (CurveHandle{140, 104}));
    editor_.Release();

    editor_.SetDragDirections(false, true);
    ASSERT_TRUE(PressHandle(3));
    editor_.Move(Graph().LevelToX(150), Graph().LevelToY(120), false);
    EXPECT_EQ(editor_.Handles()[3], (CurveHandle{140, 120}));
    editor_.Release();
    editor_.SetDragDirections(true, false);
    ASSERT_TRUE(PressHandle(3));
    editor_.Move(Graph().LevelToX(150), Graph().LevelToY(100), false);
    EXPECT_EQ(editor_.Handles()[3], (CurveHandle{150, 120}));
    editor_.Release();
}

TEST_F(QVCurveEditorTest, OnAShortPlotUpwardMovesGiveEvenAndDownwardOddPositions)
{
    editor_.SetClientArea(0, 0, 264, 143);  // a plot 128 pixels tall
    ASSERT_TRUE(PressHandle(3));
    const int x = Graph().LevelToX(142);
    const int y = Graph().LevelToY(106);
    editor_.Move(x + 1, y - 4, false);
    EXPECT_EQ(editor_.Handles()[3].x, 142) << "143 made even";
    editor_.Move(x + 1, y - 2, false);
    EXPECT_EQ(editor_.Handles()[3].x, 143);
    editor_.Move(x + 2, y - 1, false);
    EXPECT_EQ(editor_.Handles()[3].x, 145) << "144 made odd";
    editor_.Release();

    // A tall plot keeps every position.
    editor_.SetClientArea(0, 0, 264, 271);
    ASSERT_TRUE(PressHandle(3));
    editor_.Move(Graph().LevelToX(146), Graph().LevelToY(110), false);
    EXPECT_EQ(editor_.Handles()[3].x, 146);
    editor_.Release();
}

TEST_F(QVCurveEditorTest, ShiftMovesEveryHandleUpToTheEdge)
{
    editor_.Apply(Setting({{2, 0}, {60, 80}, {128, 128}, {190, 200}, {250, 255}}));
    finished_ = 0;
    editor_.ShiftLeft();
    EXPECT_THAT(Xs(editor_), ElementsAre(0, 58, 126, 188, 248));
    editor_.ShiftLeft();
    EXPECT_THAT(Xs(editor_), ElementsAre(0, 58, 126, 188, 248));
    editor_.ShiftRight();
    EXPECT_THAT(Xs(editor_), ElementsAre(4, 62, 130, 192, 252));
    editor_.ShiftRight();
    EXPECT_THAT(Xs(editor_), ElementsAre(7, 65, 133, 195, 255));
    EXPECT_EQ(finished_, 4);
    EXPECT_TRUE(editor_.FirstHandleAboveZero());
    EXPECT_FALSE(editor_.LastHandleBelowTop());

    // Handles three levels apart move together both ways: none is held back by a neighbour
    // that has not moved yet.
    editor_.Apply(Setting({{100, 100}, {103, 110}, {106, 120}, {109, 130}, {112, 140}}));
    editor_.ShiftRight();
    EXPECT_THAT(Xs(editor_), ElementsAre(104, 107, 110, 113, 116));
    editor_.ShiftLeft();
    EXPECT_THAT(Xs(editor_), ElementsAre(100, 103, 106, 109, 112));
}

TEST_F(QVCurveEditorTest, CompressAndExpandAboutTheMiddleHandleOrTheReferenceLevel)
{
    editor_.Compress(false);
    EXPECT_THAT(Xs(editor_), ElementsAre(35, 83, 116, 142, 189, 210, 228));
    editor_.Apply(
        Setting({{30, 3}, {80, 28}, {113, 56}, {142, 106}, {194, 220}, {212, 245}, {230, 255}}));
    editor_.Expand(false);
    EXPECT_THAT(Xs(editor_), ElementsAre(24, 76, 110, 142, 200, 214, 232));
    editor_.Apply(
        Setting({{30, 3}, {80, 28}, {113, 56}, {142, 106}, {194, 220}, {212, 245}, {230, 255}}));
    ASSERT_EQ(editor_.ReferenceLevel(), 127);
    editor_.Compress(true);
    EXPECT_THAT(Xs(editor_), ElementsAre(35, 83, 114, 141, 189, 210, 228));

    // Handles crowded together keep their distance.
    editor_.Apply(Setting({{100, 10}, {103, 60}, {106, 120}, {109, 180}, {112, 240}}));
    editor_.Compress(false);
    EXPECT_THAT(Xs(editor_), ElementsAre(100, 103, 106, 109, 112));
}

TEST_F(QVCurveEditorTest, TheReferenceMarkFollowsThePointerWithinTheGrid)
{
    editor_.StartReferenceDrag(Graph().LevelToX(127));
    editor_.MoveReference(Graph().LevelToX(152));
    EXPECT_EQ(editor_.ReferenceLevel(), 152);
    EXPECT_DOUBLE_EQ(editor_.StopsFromReference(203), 2.0);
    editor_.MoveReference(Graph().LevelToX(255) + 200);
    EXPECT_EQ(editor_.ReferenceLevel(), 255);
    editor_.StartReferenceDrag(0);
    editor_.MoveReference(-900);
    EXPECT_EQ(editor_.ReferenceLevel(), 0);
}

TEST_F(QVCurveEditorTest, SettingsFlagsAndHandleCountsReachTheCurve)
{
    const std::uint16_t positive = editor_.Curve().RawEntry(30000);
    editor_.ToggleNegative();
    EXPECT_EQ(editor_.Curve().RawEntry(30000), 255 - positive);
    EXPECT_TRUE(editor_.CurrentCurve().negative);
    editor_.ToggleNegative();

    // "None14" only switches the curve off; the handles and flags stay.
    CurveSetting none = Setting({{0, 0}, {255, 255}}, true, true);
    none.SetNone14(true);
    editor_.Apply(none);
    EXPECT_TRUE(editor_.IsNone14());
    EXPECT_EQ(editor_.Handles().size(), 7u);
    EXPECT_FALSE(editor_.IsNegative());
    EXPECT_TRUE(editor_.CurrentCurve().none14);

    editor_.Apply(Setting({{10, 5}, {60, 60}, {121, 130}, {180, 200}, {240, 250}}, true, true));
    EXPECT_FALSE(editor_.IsNone14());
    CurveSetting captured;
    editor_.Capture(captured);
    EXPECT_EQ(captured.GetHandleCount(), 5);
    EXPECT_TRUE(captured.IsBlackOnTop());
    EXPECT_TRUE(captured.IsNegative());
    EXPECT_FALSE(Graph().IsFlipped());

    finished_ = 0;
    editor_.ToggleHandleCount();
    EXPECT_EQ(editor_.Handles().size(), 7u);
    editor_.ToggleHandleCount();
    EXPECT_THAT(editor_.Handles(),
                ElementsAre(CurveHandle{10, 5}, CurveHandle{60, 60}, CurveHandle{121, 130},
                            CurveHandle{180, 200}, CurveHandle{240, 250}));
    EXPECT_EQ(finished_, 2);
}

TEST_F(QVCurveEditorTest, TheHistogramCountsTheGainedRawLevelsOnTheGraph)
{
    std::vector<std::int32_t> raw(65536, 0);
    raw[58981] = 5;  // just below the knee
    raw[29491] = 2;  // a stop lower
    raw[65535] = 7;  // above the knee: off the graph
    raw[40] = 3;     // below the left edge
    editor_.FillHistogram(raw);
    std::int64_t total = 0;
    for (std::int64_t bin : editor_.HistogramBins()) total += bin;
    EXPECT_EQ(total, 7);
    EXPECT_EQ(editor_.HistogramBins()[254], 5);
    EXPECT_EQ(editor_.HistogramBins()[229], 2);
    EXPECT_DOUBLE_EQ(editor_.HistogramBarHeight(254), 0.75 * 256);

    // With the gains doubled both land above the knee; raw 40 now counts.
    editor_.Curve().SetChannelGains(2.0, 2.0, 2.0);
    editor_.FillHistogram(raw);
    EXPECT_EQ(editor_.HistogramBins()[254], 0);
    EXPECT_EQ(editor_.HistogramBins()[229], 0);
    EXPECT_EQ(editor_.HistogramBins()[CurveGraph::RawToIndex(80)], 3);
}

TEST_F(QVCurveEditorTest, SamplePointsSitOnTheCurveWithinTheGraph)
{
    const QVCurveEditor::Point top = editor_.SamplePointPosition(1e9);
    EXPECT_EQ(top.x, Graph().LevelToX(254));
    EXPECT_EQ(top.y, Graph().LevelToY(editor_.Curve().Levels()[254]));
    const QVCurveEditor::Point bottom = editor_.SamplePointPosition(0);
    EXPECT_EQ(bottom.x, Graph().PlotLeft());
    EXPECT_EQ(bottom.y, Graph().LevelToY(editor_.Curve().Levels()[0]));
}

}  // namespace
}  // namespace scanora
