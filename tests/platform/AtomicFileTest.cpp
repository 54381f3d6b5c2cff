#include "platform/AtomicFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace scanora {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

class AtomicFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::path(testing::TempDir()) /
                 ("atomic-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
        target = folder / "Scanora Prefs";
        std::ofstream(target) << "previous";
    }
    void TearDown() override { fs::remove_all(folder); }
    [[nodiscard]] std::size_t FilesInFolder() const
    {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), {}));
    }

    fs::path folder;
    fs::path target;
};

TEST_F(AtomicFileTest, CommitReplacesTheFileWithWhatWasWritten)
{
    AtomicFile file(target);
    ASSERT_TRUE(file.Open());
    EXPECT_TRUE(file.Write("hello, world"));
    EXPECT_TRUE(file.Seek(0));
    EXPECT_TRUE(file.Write("HELLO"));
    EXPECT_EQ(ReadAll(target), "previous") << "nothing changes before the commit";
    EXPECT_TRUE(file.Commit());
    EXPECT_EQ(ReadAll(target), "HELLO, world");
    EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_F(AtomicFileTest, RoomReservedAheadIsNotPartOfTheFile)
{
    AtomicFile file(target);
    ASSERT_TRUE(file.Open());
    file.Reserve(1 << 20);
    EXPECT_EQ(fs::file_size(file.TemporaryPath()), 0u);
    EXPECT_TRUE(file.Write("short"));
    EXPECT_FALSE(file.Seek(6)) << "the reserved room is not written bytes";
    file.Reserve(3);
    EXPECT_TRUE(file.Commit());
    EXPECT_EQ(ReadAll(target), "short") << "a file written short of its reservation ends there";
}

TEST_F(AtomicFileTest, AbandonedWriteLeavesThePreviousFileAndNoTemporary)
{
    {
        AtomicFile file(target);
        ASSERT_TRUE(file.Open());
        file.Write("half a fi");
        EXPECT_TRUE(fs::exists(file.TemporaryPath()));
    }
    EXPECT_EQ(ReadAll(target), "previous");
    EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_F(AtomicFileTest, UnwritableFolderFailsWithAReason)
{
    AtomicFile file(folder / "no such folder" / "file.tif");
    EXPECT_FALSE(file.Open());
    EXPECT_TRUE(file.Failed());
    EXPECT_NE(file.Error().find("no such folder"), std::string::npos) << file.Error();
    EXPECT_FALSE(file.Write("x"));
    EXPECT_FALSE(file.Commit());
    EXPECT_FALSE(file.Seek(0));
}

TEST(MemoryOutputStream, WritesSeeksAndPatches)
{
    MemoryOutputStream stream;
    stream.Write("abcdef");
    EXPECT_FALSE(stream.Seek(7));
    EXPECT_TRUE(stream.Seek(2));
    stream.Write("XY");
    EXPECT_EQ(stream.Position(), 4u);
    EXPECT_EQ(stream.Text(), "abXYef");
}

}  // namespace
}  // namespace scanora
