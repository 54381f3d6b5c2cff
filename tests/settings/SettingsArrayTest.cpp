#include "settings/SettingsArray.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "settings/SizeSetting.h"

namespace scanora {
namespace {

std::unique_ptr<SizeSetting> Named(std::string_view name)
{
    auto record = std::make_unique<SizeSetting>();
    record->SetName(name);
    return record;
}

std::string Names(const SettingsArray<SizeSetting>& list)
{
    std::string names;
    for (const auto& record : list) names += record->GetName();
    return names;
}

TEST(SettingsArrayTest, PositionsCountFromOneAndZeroIsNone)
{
    SettingsArray<SizeSetting> list;
    EXPECT_EQ(list.Append(Named("a")), 0u) << "Append returns the new position minus one";
    EXPECT_EQ(list.Append(Named("b")), 1u);
    EXPECT_EQ(list.Count(), 2u);
    EXPECT_EQ(list.Get(0), nullptr);
    EXPECT_EQ(list.Get(1)->GetName(), "a");
    EXPECT_EQ(list.Get(2)->GetName(), "b");
    EXPECT_EQ(list.Get(3), nullptr);
    EXPECT_EQ(list.IndexOf(list.Get(2)), 2u);
    SizeSetting stranger;
    EXPECT_EQ(list.IndexOf(&stranger), 0u);
}

TEST(SettingsArrayTest, InsertAndRemoveShiftTheLaterEntries)
{
    SettingsArray<SizeSetting> list;
    list.Append(Named("a"));
    list.Append(Named("d"));
    EXPECT_TRUE(list.Insert(2, Named("b")));
    EXPECT_TRUE(list.Insert(3, Named("c")));
    EXPECT_TRUE(list.Insert(5, Named("e"))) << "one past the end appends";
    EXPECT_FALSE(list.Insert(0, Named("x")));
    EXPECT_FALSE(list.Insert(7, Named("x")));
    EXPECT_EQ(Names(list), "abcde");

    EXPECT_EQ(list.Remove(2, 2), 2u);
    EXPECT_EQ(Names(list), "ade");
    EXPECT_EQ(list.Remove(3, 10), 1u) << "only what is there is removed";
    EXPECT_EQ(list.Remove(0), 0u);
    EXPECT_EQ(list.Remove(3), 0u);
    EXPECT_EQ(Names(list), "ad");
}

// A record that counts how many of its kind have been destroyed.
class CountedSetting final : public QVSetting {
public:
    explicit CountedSetting(int& destroyed) : QVSetting(SettingKind::None), destroyed_(destroyed) {}
    ~CountedSetting() override { ++destroyed_; }
    bool Read(LineReader&) override { return true; }

private:
    int& destroyed_;
};

TEST(SettingsArrayTest, OwnsItsRecords)
{
    int destroyed = 0;
    {
        SettingsArray<CountedSetting> list;
        for (int i = 0; i < 4; ++i) list.Append(std::make_unique<CountedSetting>(destroyed));
        list.Remove(1);
        EXPECT_EQ(destroyed, 1);
        SettingsArray<CountedSetting> moved = std::move(list);
        EXPECT_EQ(destroyed, 1);
        EXPECT_EQ(moved.Count(), 3u);
    }
    EXPECT_EQ(destroyed, 4);
}

}  // namespace
}  // namespace scanora
