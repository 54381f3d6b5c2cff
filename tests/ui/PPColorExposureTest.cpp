// The exposure as the colour page and the control panel offer it: the two stored exposures,
// Clear Filters, and whether the line time is in step with the lamps.

#include <gtest/gtest.h>

#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "UiTestSupport.h"
#include "camera/ExposureUnits.h"
#include "camera/QVExposure.h"
#include "ui/CTabControls.h"
#include "ui/MainControl.h"
#include "ui/PPColor.h"

namespace scanora::ui {
namespace {

using test::StartedApp;
using Units = ExposureUnits;

constexpr double kMaxDecibels = Units::kMaxTotalTenths / 10.0;

class PPColorExposureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(started_.Start(), QVCameraApp::StartResult::Started);
        page_ = &started_.Frame().Tabs().ColorPage();
        panel_ = &started_.Frame().Panel();
        exposure_ = &started_.Context().Exposure();
    }

    void Click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    void SetDecibels(QDoubleSpinBox* box, double decibels)
    {
        box->setValue(decibels);
        ASSERT_DOUBLE_EQ(box->value(), decibels);
    }

    // What the page and the panel show of an exposure.
    struct Shown {
        double red, green, blue, blueFilter;
        QString lineTime;
        bool operator==(const Shown&) const = default;
    };
    [[nodiscard]] Shown Showing() const
    {
        return {page_->GainBox(Channel::Red)->value(), page_->GainBox(Channel::Green)->value(),
                page_->GainBox(Channel::Blue)->value(), page_->FilterBox(Channel::Blue)->value(),
                panel_->Text(MainControl::kLineTime)};
    }

    StartedApp started_;
    PPColor* page_ = nullptr;
    MainControl* panel_ = nullptr;
    QVExposure* exposure_ = nullptr;
};

TEST_F(PPColorExposureTest, EachStoredExposureKeepsItsOwnValues)
{
    QRadioButton* first = page_->StoredExposureButton(1);
    QRadioButton* second = page_->StoredExposureButton(2);
    EXPECT_TRUE(first->isChecked());
    EXPECT_FALSE(second->isChecked());

    // Exposure 1: a warmer balance, a blue filter and a shorter line.
    SetDecibels(page_->GainBox(Channel::Red), 6.0);
    SetDecibels(page_->FilterBox(Channel::Blue), 2.0);
    Click(panel_->Button(MainControl::kLineTimeDown));
    const Shown one = Showing();

    // Exposure 2 starts from its own record, and is changed on its own.
    Click(second);
    EXPECT_TRUE(second->isChecked());
    EXPECT_FALSE(first->isChecked());
    EXPECT_EQ(exposure_->SelectedStoredExposure(), 2);
    EXPECT_NE(Showing(), one);
    SetDecibels(page_->GainBox(Channel::Green), 9.0);
    Click(panel_->Button(MainControl::kLineTimeUp));
    Click(panel_->Button(MainControl::kLineTimeUp));
    const Shown two = Showing();
    EXPECT_NEAR(Units::ToTenths(exposure_->GetGain(Channel::Green)), 90.0, 0.5);

    // Back and forth: each comes back as it was left, in the exposure and on the controls.
    for (int round = 0; round < 2; ++round) {
        Click(first);
        EXPECT_EQ(Showing(), one);
        EXPECT_NEAR(Units::ToTenths(exposure_->GetGain(Channel::Red)), 60.0, 0.5);
        EXPECT_NEAR(Units::ToTenths(exposure_->GetFilter(Channel::Blue)), 20.0, 0.5);
        Click(second);
        EXPECT_EQ(Showing(), two);
    }
    // Choosing the current one again changes nothing.
    Click(second);
    EXPECT_EQ(Showing(), two);
    EXPECT_TRUE(started_.messages.empty());

    // Off during a capture, with the rest of the page.
    page_->SetControlsEnabled(false);
    EXPECT_FALSE(first->isEnabled());
    EXPECT_FALSE(page_->ClearFiltersButton()->isEnabled());
    page_->SetControlsEnabled(true);
    EXPECT_TRUE(second->isEnabled());
}

TEST_F(PPColorExposureTest, ClearFiltersZeroesTheFiltersAndKeepsTheGainsInRange)
{
    // With the brightness lock a longer line lowers every gain: red, lifted only by its filter,
    // goes below 0 dB.
    SetDecibels(page_->GainBox(Channel::Green), 6.0);
    SetDecibels(page_->GainBox(Channel::Blue), 6.0);
    SetDecibels(page_->GainBox(Channel::Red), 0.0);
    SetDecibels(page_->FilterBox(Channel::Red), 5.0);
    Click(panel_->Button(MainControl::kLock));
    ASSERT_TRUE(exposure_->IsBrightnessLocked());
    const int index = exposure_->GetLineTimeIndex();
    Click(panel_->Button(MainControl::kLineTimeUp));
    ASSERT_EQ(exposure_->GetLineTimeIndex(), index - 1);
    ASSERT_LT(exposure_->GetGain(Channel::Red), 0.0);
    const double green = exposure_->GetGain(Channel::Green);

    Click(page_->ClearFiltersButton());
    for (const Channel channel : kChannels) {
        EXPECT_EQ(exposure_->GetFilter(channel), 0.0);
        EXPECT_EQ(page_->FilterBox(channel)->value(), 0.0);
    }
    EXPECT_EQ(exposure_->GetGain(Channel::Red), 0.0);
    EXPECT_EQ(exposure_->GetGain(Channel::Green), green) << "a gain in range stays";

    // A shorter line raises every gain: blue, held down only by its filter, passes 13 dB.
    SetDecibels(page_->FilterBox(Channel::Blue), -5.0);
    SetDecibels(page_->GainBox(Channel::Blue), kMaxDecibels);
    Click(panel_->Button(MainControl::kLineTimeDown));
    Click(panel_->Button(MainControl::kLineTimeDown));
    ASSERT_GT(exposure_->GetGain(Channel::Blue), Units::kMaxTotalStops);

    Click(page_->ClearFiltersButton());
    EXPECT_EQ(exposure_->GetFilter(Channel::Blue), 0.0);
    EXPECT_DOUBLE_EQ(exposure_->GetGain(Channel::Blue), Units::kMaxTotalStops);
    EXPECT_DOUBLE_EQ(page_->GainBox(Channel::Blue)->value(), kMaxDecibels);
}

TEST_F(PPColorExposureTest, ThePanelMarksALineTimeOutOfStepWithTheLamps)
{
    QLabel* value = panel_->Label(MainControl::kLineTime);
    const auto marked = [&] {
        return !panel_->LineTimeInStep() && value->frameShape() == QFrame::Box &&
               value->toolTip().startsWith("Not in step");
    };
    const auto unmarked = [&] {
        return panel_->LineTimeInStep() && value->frameShape() == QFrame::NoFrame &&
               !value->toolTip().startsWith("Not");
    };

    // 60 Hz lamps: 1/30 s (100) is in step, four steps shorter 1/80 s (37) is not.
    exposure_->SelectLineTimeTable(1);
    exposure_->SetLineTimeIndex(6);
    EXPECT_TRUE(unmarked());
    EXPECT_TRUE(value->toolTip().contains("60 Hz"));
    for (int step = 0; step < 4; ++step) Click(panel_->Button(MainControl::kLineTimeDown));
    ASSERT_EQ(exposure_->GetLineTimeIndex(), 10);
    EXPECT_EQ(panel_->Text(MainControl::kLineTime), " 1/80 s");
    EXPECT_TRUE(marked());
    EXPECT_EQ(value->accessibleDescription(), value->toolTip());
    const QSize boxed = value->sizeHint();

    // Exact line times are always in step; 50 Hz lamps take 37 as out of step as well.
    exposure_->SelectLineTimeTable(0);
    EXPECT_TRUE(unmarked());
    EXPECT_EQ(value->sizeHint(), boxed) << "the box takes no room of its own";
    exposure_->SelectLineTimeTable(2);
    EXPECT_TRUE(marked());
    EXPECT_TRUE(value->toolTip().contains("50 Hz"));

    // Back at index 6 the 50 Hz table's 90 (1/30 s) is in step.
    for (int step = 0; step < 4; ++step) Click(panel_->Button(MainControl::kLineTimeUp));
    EXPECT_EQ(exposure_->GetRequestedLineTime(), 90);
    EXPECT_TRUE(unmarked());
    // The 60 Hz table at the same place: 100, in step too.
    exposure_->SelectLineTimeTable(1);
    EXPECT_EQ(exposure_->GetRequestedLineTime(), 100);
    EXPECT_TRUE(unmarked());
}

}  // namespace
}  // namespace scanora::ui
