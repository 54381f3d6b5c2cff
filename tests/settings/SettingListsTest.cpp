#include "settings/SettingLists.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "RecordingSettingTools.h"
#include "context/HeldSettingTools.h"
#include "settings/QVSize.h"
#include "support/RecordingUiPort.h"

namespace scanora {
namespace {

// The list controls as the user sees them: the names in order and the selected one.
class ListControl final : public SettingListDisplays {
public:
    void AddName(SettingKind, std::string_view name) override
    {
        names.emplace_back(name);
        selected = names.size();
    }
    void SelectPosition(SettingKind, std::size_t position) override { selected = position; }
    void RemoveAll(SettingKind) override
    {
        names.clear();
        selected = 0;
    }
    void ShowDeleteAllowed(SettingKind, bool allowed) override { deleteAllowed = allowed; }

    std::vector<std::string> names;
    std::size_t selected = 0;
    bool deleteAllowed = false;
};

class SettingListsRemoveTest : public ::testing::Test {
protected:
    SettingListsRemoveTest() { lists_.AttachDisplays(&control_); }

    void AddHistogram(const std::string& name, int firstLevel, bool changeable = true)
    {
        auto record = std::make_unique<HistogramSetting>();
        record->SetName(name);
        const std::vector<HistogramSetting::Slider> sliders{
            {static_cast<std::int16_t>(firstLevel), 0x00FF0000u, true}, {255, 0x00FFFFFFu, false}};
        record->SetSliders(sliders);
        if (!changeable)
            record->SetUnchangeable();
        lists_.Append(std::move(record));
    }

    [[nodiscard]] int HeldFirstLevel() const
    {
        HistogramSetting held;
        tools_.Capture(held);
        return held.GetSliders().empty() ? -1 : held.GetSliders().front().value;
    }

    test::RecordingUiPort ui_;
    QVSize size_{SensorGeometry{}, ui_};
    HeldSettingTools held_{size_};
    test::RecordingSettingTools tools_{held_};
    SettingLists lists_;
    ListControl control_;
};

TEST_F(SettingListsRemoveTest, DeletingMakesThePreviousEntryCurrentAndAppliesIt)
{
    AddHistogram("Default Setting", 10);
    AddHistogram("Shadows", 20);
    AddHistogram("Highlights", 30);
    lists_.Select<HistogramSetting>(3, tools_);
    ASSERT_TRUE(control_.deleteAllowed);

    ASSERT_TRUE(lists_.RemoveCurrent<HistogramSetting>(tools_));

    EXPECT_EQ(lists_.List<HistogramSetting>().Count(), 2u);
    EXPECT_EQ(lists_.CurrentIndex<HistogramSetting>(), 2);
    EXPECT_EQ(control_.names, (std::vector<std::string>{"Default Setting", "Shadows"}));
    EXPECT_EQ(control_.selected, 2u);
    EXPECT_EQ(HeldFirstLevel(), 20);
    EXPECT_EQ(tools_.applied.back(), "histogram Shadows");
}

TEST_F(SettingListsRemoveTest, DeletingFromTheMiddleKeepsTheLaterEntriesInOrder)
{
    AddHistogram("Default Setting", 10);
    AddHistogram("Shadows", 20);
    AddHistogram("Highlights", 30);
    lists_.Select<HistogramSetting>(2, tools_);

    ASSERT_TRUE(lists_.RemoveCurrent<HistogramSetting>(tools_));

    EXPECT_EQ(control_.names, (std::vector<std::string>{"Default Setting", "Highlights"}));
    EXPECT_EQ(lists_.CurrentIndex<HistogramSetting>(), 1);
    EXPECT_EQ(HeldFirstLevel(), 10);
    // The first entry is the program's own: it can not be deleted next.
    EXPECT_FALSE(control_.deleteAllowed);
}

TEST_F(SettingListsRemoveTest, ProtectedAndUnchangeableEntriesStay)
{
    AddHistogram("Default Setting", 10);
    AddHistogram("Locked", 20, /*changeable=*/false);
    lists_.Select<HistogramSetting>(1, tools_);
    EXPECT_FALSE(lists_.RemoveCurrent<HistogramSetting>(tools_));
    lists_.Select<HistogramSetting>(2, tools_);
    EXPECT_FALSE(lists_.RemoveCurrent<HistogramSetting>(tools_));
    EXPECT_EQ(lists_.List<HistogramSetting>().Count(), 2u);
    EXPECT_EQ(control_.names.size(), 2u);

    // The first two curves are the program's: a third one is the first that can go.
    for (const char* name : {"14 Bit Linear", "Default Curve", "Mine"}) {
        auto curve = std::make_unique<CurveSetting>();
        curve->SetName(name);
        lists_.Append(std::move(curve));
    }
    lists_.Select<CurveSetting>(2, tools_);
    EXPECT_FALSE(lists_.RemoveCurrent<CurveSetting>(tools_));
    lists_.Select<CurveSetting>(3, tools_);
    EXPECT_TRUE(lists_.RemoveCurrent<CurveSetting>(tools_));
    EXPECT_EQ(lists_.CurrentIndex<CurveSetting>(), 2);
}

TEST_F(SettingListsRemoveTest, NothingCurrentDeletesNothing)
{
    AddHistogram("Default Setting", 10);
    AddHistogram("Shadows", 20);
    lists_.Select<HistogramSetting>(0, tools_);
    EXPECT_FALSE(lists_.RemoveCurrent<HistogramSetting>(tools_));
    EXPECT_EQ(lists_.List<HistogramSetting>().Count(), 2u);
}

}  // namespace
}  // namespace scanora
