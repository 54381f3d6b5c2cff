#include "settings/ToneCurveFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "SettingsTestSupport.h"

namespace scanora {
namespace {

namespace fs = std::filesystem;
using Handle = ToneCurveFile::Handle;
using Handles = std::vector<Handle>;

std::string WrittenFile(const Handles& handles)
{
    MemoryOutputStream out;
    ToneCurveFile::Write(out, handles);
    return std::string(out.Text());
}

TEST(ToneCurveFileTest, WritesEveryNumberFollowedByOneSpace)
{
    EXPECT_EQ(WrittenFile({{0, 0}, {128, 140}, {255, 255}}), "3 0 0 128 140 255 255 ");
    // Regenerate with SCANORA_UPDATE_GOLDEN=1 after an intended change of the format.
    test::ExpectMatchesGolden(
        WrittenFile({{23, 4}, {63, 18}, {112, 67}, {147, 114}, {192, 170}, {231, 224}, {255, 255}}),
        "ToneCurve.cur");
}

TEST(ToneCurveFileTest, ParsesTheHandlesBetweenSingleSpaces)
{
    const Handles three{{0, 0}, {128, 140}, {255, 255}};
    EXPECT_EQ(ToneCurveFile::Parse("3 0 0 128 140 255 255 "), three);
    EXPECT_EQ(ToneCurveFile::Parse("3 0 0 128 140 255 255"), three) << "no trailing space";
    // Two spaces make an empty number, which is 0; the numbers after it shift by one.
    EXPECT_EQ(ToneCurveFile::Parse("2 10  20 30 "), (Handles{{10, 0}, {20, 30}}));
    EXPECT_EQ(ToneCurveFile::Parse("2 7x 9\n 1 2 "), (Handles{{7, 9}, {1, 2}}));
    EXPECT_EQ(ToneCurveFile::Parse("1 -3 999 "), (Handles{{0, 255}}));
}

TEST(ToneCurveFileTest, CountsThatDoNotMatchTheHandles)
{
    EXPECT_TRUE(ToneCurveFile::Parse("0 1 2 ").empty());
    EXPECT_TRUE(ToneCurveFile::Parse("-2 1 2 ").empty());
    EXPECT_TRUE(ToneCurveFile::Parse("").empty());
    EXPECT_TRUE(ToneCurveFile::Parse("curve").empty());
    // Beyond the curve's seven handles, and a file that stops early.
    EXPECT_EQ(ToneCurveFile::Parse("9 1 1 2 2 3 3 4 4 5 5 6 6 7 7 8 8 9 9 ").size(), 7u);
    EXPECT_EQ(ToneCurveFile::Parse("4 1 1 2 2 3 "), (Handles{{1, 1}, {2, 2}}));
    EXPECT_EQ(ToneCurveFile::Parse("99999999999999999999 5 5 "), (Handles{{5, 5}}));
}

TEST(ToneCurveFileTest, OnlyTheFirst255BytesCount)
{
    const std::string text = "2 1 2 " + std::string(300, '0') + "7 8 ";
    EXPECT_EQ(ToneCurveFile::Parse(text), (Handles{{1, 2}}));
}

class ToneCurveFileOnDiskTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::path(testing::TempDir()) /
                 ("curves-" +
                  std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    fs::path folder;
};

TEST_F(ToneCurveFileOnDiskTest, SaveReplacesTheFileAndLoadReadsItBack)
{
    const fs::path path = folder / "bent 5 stops.cur";
    std::ofstream(path) << "previous curve";
    const Handles handles{{68, 3}, {96, 28}, {122, 56}, {143, 106}, {184, 220}};
    ASSERT_TRUE(ToneCurveFile::Save(path, handles));
    std::ifstream file(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}),
              "5 68 3 96 28 122 56 143 106 184 220 ");
    EXPECT_EQ(ToneCurveFile::Load(path), handles);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 1) << "no temporary left";
}

TEST_F(ToneCurveFileOnDiskTest, MissingFilesAndFolders)
{
    EXPECT_EQ(ToneCurveFile::Load(folder / "absent.cur"), std::nullopt);
    EXPECT_FALSE(ToneCurveFile::Save(folder / "no folder" / "x.cur", Handles{{1, 1}}));
    EXPECT_FALSE(fs::exists(folder / "no folder"));
}

}  // namespace
}  // namespace scanora
