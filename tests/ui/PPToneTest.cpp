// The tone page as a user drives it against the simulated camera: dragging handles on the graph,
// the buttons around it, the curve settings box and Import Curve, and what each does to the
// preview and the control panel.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <fstream>
#include <vector>

#include "UiTestSupport.h"
#include "imaging/QVCurveEditor.h"
#include "settings/QVSize.h"
#include "settings/SettingLists.h"
#include "ui/CTabControls.h"
#include "ui/MainControl.h"
#include "ui/PPTone.h"
#include "ui/PreviewDocument.h"
#include "ui/QVUIHandler.h"
#include "ui/TonePalette.h"

namespace scanora::ui {
namespace {

using test::StartedApp;

std::vector<int> Xs(const QVCurveEditor& editor)
{
    std::vector<int> xs;
    for (const CurveHandle& handle : editor.Handles()) xs.push_back(handle.x);
    return xs;
}

std::vector<int> Ys(const QVCurveEditor& editor)
{
    std::vector<int> ys;
    for (const CurveHandle& handle : editor.Handles()) ys.push_back(handle.y);
    return ys;
}

CurveSetting Curve(std::vector<CurveHandle> handles, bool blackOnTop)
{
    CurveSetting setting;
    setting.SetHandles(handles);
    setting.SetBlackOnTop(blackOnTop);
    return setting;
}

// A rising curve, and the same mirrored for the graph with black on top.
const std::vector<CurveHandle> kRising{{30, 3},    {80, 28},   {113, 56}, {142, 106},
                                       {194, 220}, {212, 245}, {230, 255}};
const std::vector<CurveHandle> kFalling{{30, 252}, {80, 227}, {113, 199}, {142, 149},
                                        {194, 35}, {212, 10}, {230, 0}};

// The program with the built-in settings, the window shown and the tone page open.
class PPToneTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        started_.Options().prefs.reset = true;
        ASSERT_EQ(started_.Start(), QVCameraApp::StartResult::Started);
        Frame().resize(1024, 700);
        Frame().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Frame()));
        Frame().Tabs().setCurrentIndex(CTabControls::kTonePage);
        Frame().ControlPanes().ensureWidgetVisible(&Page(), 0, 0);
        QTest::qWait(20);
    }

    QVMainFrame& Frame() { return started_.Frame(); }
    PPTone& Page() { return Frame().Tabs().TonePage(); }
    TonePalette& Graph() { return *Page().Graph(); }
    QVCurveEditor& Editor() { return started_.Context().CurveEditor(); }

    // Where handle `i` is drawn.
    QPoint HandleAt(std::size_t i)
    {
        const CurveHandle handle = Editor().Handles()[i];
        return {Editor().Graph().LevelToX(handle.x), Editor().Graph().LevelToY(handle.y)};
    }

    // Presses on handle `i`, moves the pointer to `to` in two steps and lets go.
    void DragHandle(std::size_t i, QPoint to)
    {
        const QPoint from = HandleAt(i);
        QTest::mousePress(&Graph(), Qt::LeftButton, {}, from);
        ASSERT_TRUE(Editor().IsDragging());
        QTest::mouseMove(&Graph(), (from + to) / 2);
        QTest::mouseMove(&Graph(), to);
        QTest::mouseRelease(&Graph(), Qt::LeftButton, {}, to);
    }

    StartedApp started_;
};

TEST_F(PPToneTest, DraggingAHandleConvertsThePreviewThroughTheNewTable)
{
    test::PrescanFromPanel(Frame());
    PreviewDocument& document = Frame().Document();
    const PreviewImage& image = document.Image();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Frame().View().ShowsImage(); }, 5000));
    const ColorCorrectingToneCurve before = Editor().Curve();
    QSignalSpy counted(&document, &PreviewDocument::histogramCounted);

    // The middle handle well up: the mid tones brighten. Letting go converts the whole preview
    // again, and its histogram is counted after the last tile.
    DragHandle(3, HandleAt(3) - QPoint(0, 30));
    EXPECT_FALSE(Editor().IsDragging());
    counted.clear();
    ASSERT_TRUE(counted.wait(5000));

    const ColorCorrectingToneCurve& curve = Editor().Curve();
    const auto samples = image.CurrentSamples();
    const auto display = image.DisplayCopy();
    ASSERT_LE(samples.size(), display.size());
    std::size_t wrong = 0;
    std::size_t changed = 0;
    for (std::size_t i = 0; i + 2 < samples.size(); i += 3) {
        wrong += display[i] != curve.MapRed(samples[i]);
        wrong += display[i + 1] != curve.MapGreen(samples[i + 1]);
        wrong += display[i + 2] != curve.MapBlue(samples[i + 2]);
        changed += curve.MapRed(samples[i]) != before.MapRed(samples[i]);
    }
    EXPECT_EQ(wrong, 0u);
    EXPECT_GT(changed, samples.size() / 30) << "the preview did not change";
}

TEST_F(PPToneTest, AHandleStopsThreeLevelsShortOfItsNeighbourOnEitherGraph)
{
    // Past the next handle, right and up: it stops 3 short of it both ways.
    Editor().Apply(Curve(kRising, false));
    const CurveHandle next = Editor().Handles()[4];
    DragHandle(3, HandleAt(4) + QPoint(25, -25));
    EXPECT_EQ(Editor().Handles()[3].x, next.x - 3);
    EXPECT_EQ(Editor().Handles()[3].y, next.y - 3);

    // Black on top: the curve falls, so passing the next handle means going down in level.
    Editor().Apply(Curve(kFalling, true));
    ASSERT_TRUE(Editor().Graph().IsFlipped());
    const CurveHandle lower = Editor().Handles()[4];
    DragHandle(3, HandleAt(4) + QPoint(25, -25));
    EXPECT_EQ(Editor().Handles()[3].x, lower.x - 3);
    EXPECT_EQ(Editor().Handles()[3].y, lower.y + 3);
}

TEST_F(PPToneTest, TheEndHandlesDriveTheLineTimeButtons)
{
    MainControl& panel = Frame().Panel();
    QAbstractButton* longer = panel.Button(MainControl::kLineTimeUp);
    QAbstractButton* shorter = panel.Button(MainControl::kLineTimeDown);
    Editor().Apply(Curve(kRising, false));
    ASSERT_TRUE(longer->isEnabled());
    ASSERT_TRUE(shorter->isEnabled());

    // The first handle dragged onto the left edge: the longer line time is off, already while
    // the handle is held there.
    const QPoint from = HandleAt(0);
    const QPoint edge(Editor().Graph().PlotLeft() - 5, from.y());
    QTest::mousePress(&Graph(), Qt::LeftButton, {}, from);
    QTest::mouseMove(&Graph(), edge);
    EXPECT_EQ(Editor().Handles()[0].x, 0);
    EXPECT_FALSE(longer->isEnabled());
    QTest::mouseRelease(&Graph(), Qt::LeftButton, {}, edge);
    EXPECT_FALSE(panel.UpDownEnabled(MainControl::kLineTimeUp));
    EXPECT_TRUE(shorter->isEnabled());

    // Off the edge again, and the last handle onto the right edge.
    QTest::mouseClick(Page().ShiftRightButton(), Qt::LeftButton);
    EXPECT_EQ(Editor().Handles()[0].x, 4);
    EXPECT_TRUE(longer->isEnabled());
    DragHandle(6, QPoint(Editor().Graph().PlotRight() + 5, HandleAt(6).y()));
    EXPECT_EQ(Editor().Handles()[6].x, 255);
    EXPECT_FALSE(shorter->isEnabled());
    EXPECT_FALSE(panel.UpDownEnabled(MainControl::kLineTimeDown));

    // Shifted left by the 4 levels the first handle has: it reaches the left edge as the last
    // one leaves the right edge.
    QTest::mouseClick(Page().ShiftLeftButton(), Qt::LeftButton);
    EXPECT_EQ(Editor().Handles()[0].x, 0);
    EXPECT_FALSE(longer->isEnabled());
    EXPECT_TRUE(shorter->isEnabled());
    // A capture turns the panel off and gives back only what the curve allows.
    test::PrescanFromPanel(Frame());
    EXPECT_FALSE(longer->isEnabled());
    EXPECT_TRUE(shorter->isEnabled());
}

TEST_F(PPToneTest, ShiftAndCompressMoveEveryHandleAsComputedOnEitherGraph)
{
    for (const bool flipped : {false, true}) {
        SCOPED_TRACE(flipped ? "black on top" : "white on top");
        const std::vector<CurveHandle>& handles = flipped ? kFalling : kRising;
        Editor().Apply(Curve(handles, flipped));
        ASSERT_EQ(Editor().Graph().IsFlipped(), flipped);
        std::vector<int> ys;
        for (const CurveHandle& handle : handles) ys.push_back(handle.y);

        QTest::mouseClick(Page().ShiftRightButton(), Qt::LeftButton);
        EXPECT_EQ(Xs(Editor()), (std::vector<int>{34, 84, 117, 146, 198, 216, 234}));
        QTest::mouseClick(Page().ShiftLeftButton(), Qt::LeftButton);
        EXPECT_EQ(Xs(Editor()), (std::vector<int>{30, 80, 113, 142, 194, 212, 230}));

        // About the middle handle: each gap to the fixed side becomes 0.9 of itself, rounded.
        QTest::mouseClick(Page().CompressButton(), Qt::LeftButton);
        EXPECT_EQ(Xs(Editor()), (std::vector<int>{35, 83, 116, 142, 189, 210, 228}));
        EXPECT_EQ(Ys(Editor()), ys);

        // With Alt about the reference level (127): gaps become 1.11 of themselves.
        Editor().Apply(Curve(handles, flipped));
        QTest::keyPress(&Frame(), Qt::Key_Alt);
        QTest::mouseClick(Page().ExpandButton(), Qt::LeftButton, Qt::AltModifier);
        QTest::keyRelease(&Frame(), Qt::Key_Alt);
        EXPECT_EQ(Xs(Editor()), (std::vector<int>{24, 76, 111, 144, 200, 214, 232}));
        EXPECT_EQ(Ys(Editor()), ys);
    }
}

TEST_F(PPToneTest, ButtonsShowAndChangeTheCurvesState)
{
    Editor().Apply(Curve(kRising, false));
    QSignalSpy changed(&Page(), &PPTone::curveChanged);

    QTest::mouseClick(Page().HandlesButton(), Qt::LeftButton);
    EXPECT_EQ(Editor().Handles().size(), 5u);
    QTest::mouseClick(Page().HandlesButton(), Qt::LeftButton);
    EXPECT_EQ(Editor().Handles().size(), 7u);

    QTest::mouseClick(Page().NegativeButton(), Qt::LeftButton);
    EXPECT_TRUE(Editor().IsNegative());
    EXPECT_TRUE(Page().NegativeButton()->isChecked());
    EXPECT_TRUE(Editor().Graph().IsFlipped());
    QTest::mouseClick(Page().NegativeButton(), Qt::LeftButton);
    EXPECT_FALSE(Page().NegativeButton()->isChecked());
    EXPECT_EQ(changed.count(), 4);

    // Vertical moves only: a drag sideways and up moves the handle up only.
    QTest::mouseClick(Page().DirectionButton(PPTone::Directions::Vertical), Qt::LeftButton);
    const CurveHandle before = Editor().Handles()[3];
    DragHandle(3, HandleAt(3) + QPoint(15, -15));
    EXPECT_EQ(Editor().Handles()[3].x, before.x);
    EXPECT_GT(Editor().Handles()[3].y, before.y);
    QTest::mouseClick(Page().DirectionButton(PPTone::Directions::Horizontal), Qt::LeftButton);
    const CurveHandle middle = Editor().Handles()[3];
    DragHandle(3, HandleAt(3) + QPoint(15, -15));
    EXPECT_GT(Editor().Handles()[3].x, middle.x);
    EXPECT_EQ(Editor().Handles()[3].y, middle.y);

    // The 16-bit curve doubles the bytes of a file.
    const std::uint64_t bytes = started_.Context().Size().FileSizeBytes();
    QTest::mouseClick(Page().SixteenBitBox(), Qt::LeftButton);
    EXPECT_TRUE(started_.Context().CameraSetting().Prefs().use16BitCurve);
    EXPECT_EQ(started_.Context().Size().FileSizeBytes(), 2 * bytes);
    QTest::mouseClick(Page().SixteenBitBox(), Qt::LeftButton);
    EXPECT_EQ(started_.Context().Size().FileSizeBytes(), bytes);
}

TEST_F(PPToneTest, CurveBoxMakesUpdatesAndDeletesCurveSettings)
{
    SettingLists& lists = started_.Context().Lists();
    QComboBox& box = *Page().SettingsBox();
    ASSERT_EQ(box.count(), QVPropertyPage::kFirstRecordEntry +
                               static_cast<int>(lists.List<CurveSetting>().Count()));
    ASSERT_EQ(box.currentText(), QString::fromStdString(lists.Current<CurveSetting>()->GetName()));
    const std::size_t count = lists.List<CurveSetting>().Count();

    Page().SetNamePrompt([](QWidget*) { return std::optional<QString>("Soft Shadows"); });
    Q_EMIT box.activated(QVPropertyPage::kNewEntry);
    ASSERT_EQ(lists.List<CurveSetting>().Count(), count + 1);
    EXPECT_EQ(box.currentText(), "Soft Shadows");

    // Reshaped and updated: the record takes the new handles.
    DragHandle(1, HandleAt(1) - QPoint(0, 12));
    Q_EMIT box.activated(QVPropertyPage::kUpdateEntry);
    ASSERT_EQ(lists.Current<CurveSetting>()->GetName(), "Soft Shadows");
    EXPECT_EQ(lists.Current<CurveSetting>()->GetHandles()[1].y, Editor().Handles()[1].y);
    EXPECT_EQ(lists.List<CurveSetting>().Count(), count + 1);

    // The first curve ("None 14 bit") is never overwritten: an update saves a new record.
    Q_EMIT box.activated(QVPropertyPage::kFirstRecordEntry);
    EXPECT_TRUE(Editor().IsNone14());
    const CurveSetting first = *lists.List<CurveSetting>().Get(1);
    DragHandle(3, HandleAt(3) - QPoint(0, 12));
    Page().SetNamePrompt([](QWidget*) { return std::optional<QString>("Linear Copy"); });
    Q_EMIT box.activated(QVPropertyPage::kUpdateEntry);
    EXPECT_EQ(lists.List<CurveSetting>().Count(), count + 2);
    EXPECT_EQ(box.currentText(), "Linear Copy");
    const CurveSetting* kept = lists.List<CurveSetting>().Get(1);
    EXPECT_TRUE(kept->IsNone14());
    EXPECT_EQ(kept->GetHandles()[3].y, first.GetHandles()[3].y);

    // Deleted once the question is answered Yes; the one before becomes current.
    started_.answer = MessageResult::Yes;
    Q_EMIT box.activated(QVPropertyPage::kDeleteEntry);
    ASSERT_FALSE(started_.messages.empty());
    EXPECT_EQ(started_.messages.back(), "Delete Linear Copy?");
    EXPECT_EQ(box.findText("Linear Copy"), -1);
    EXPECT_EQ(box.currentText(), "Soft Shadows");
    EXPECT_EQ(lists.List<CurveSetting>().Count(), count + 1);
}

TEST_F(PPToneTest, ImportCurveSelectsTheImportedCurve)
{
    const std::filesystem::path file = started_.Folder() / "Gentle Rise.cur";
    std::ofstream(file) << "5 10 5 60 50 128 140 200 230 250 255 ";
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->selectFile(QString::fromStdString(file.string()));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    ASSERT_TRUE(Frame().Execute(QVMainFrame::kImportCurve));

    SettingLists& lists = started_.Context().Lists();
    EXPECT_EQ(Page().SettingsBox()->currentText(), "Gentle Rise");
    EXPECT_EQ(lists.Current<CurveSetting>()->GetName(), "Gentle Rise");
    EXPECT_EQ(Page().SettingsBox()->currentIndex(),
              lists.CurrentIndex<CurveSetting>() + QVPropertyPage::kDeleteEntry);
    EXPECT_EQ(Xs(Editor()), (std::vector<int>{10, 60, 128, 200, 250}));
}

TEST_F(PPToneTest, APrescanDisablesThePageUntilItEnds)
{
    QSignalSpy enabled(&Frame().View(), &QorvaneView::captureControlsEnabled);
    test::PrescanFromPanel(Frame());
    ASSERT_GE(enabled.count(), 2);
    EXPECT_FALSE(enabled.first().first().toBool());
    EXPECT_TRUE(Graph().isEnabled());
    EXPECT_TRUE(Page().NegativeButton()->isEnabled());
    Frame().Handler().DisableForCapture();
    EXPECT_FALSE(Graph().isEnabled());
    EXPECT_FALSE(Page().SettingsBox()->isEnabled());
    EXPECT_FALSE(Page().ShiftLeftButton()->isEnabled());
    Frame().Handler().EnableAfterCapture();
    EXPECT_TRUE(Page().ShiftLeftButton()->isEnabled());
}

}  // namespace
}  // namespace scanora::ui
