#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>

#include "support/TempDir.h"

namespace scanora {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

// Every test runs with both kinds of temporary file: the unnamed one, and the hidden named one
// of file systems without unnamed files.
class AtomicFileTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        if (Named())
            ::setenv("SCANORA_TEMPORARY_FILES", "named", 1);
        target = folder.Path() / "Scanora Prefs";
        std::ofstream(target) << "previous";
    }
    void TearDown() override { ::unsetenv("SCANORA_TEMPORARY_FILES"); }

    [[nodiscard]] bool Named() const { return std::string_view(GetParam()) == "named"; }
    [[nodiscard]] std::size_t FilesInFolder() const
    {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder.Path()), {}));
    }

    test::TempDir folder;
    fs::path target;
};

TEST_P(AtomicFileTest, CommitReplacesTheFileWithWhatWasWritten)
{
    AtomicFile file(target);
    ASSERT_TRUE(file.Open());
    EXPECT_EQ(file.HasTemporaryName(), Named());
    EXPECT_FALSE(file.WritesInPlace());
    EXPECT_TRUE(file.Write("hello, world"));
    EXPECT_TRUE(file.Seek(0));
    EXPECT_TRUE(file.Write("HELLO"));
    EXPECT_EQ(ReadAll(target), "previous") << "nothing changes before the commit";
    // The unnamed temporary file is nowhere to be seen while it is written.
    EXPECT_EQ(FilesInFolder(), Named() ? 2u : 1u);
    EXPECT_TRUE(file.Commit());
    EXPECT_EQ(ReadAll(target), "HELLO, world");
    EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_P(AtomicFileTest, NewFilesAppearAndReplacedFilesKeepTheirPermissions)
{
    const fs::path fresh = folder.Path() / "notes.txt";
    AtomicFile file(fresh);
    ASSERT_TRUE(file.Open());
    EXPECT_FALSE(fs::exists(fresh));
    ASSERT_TRUE(file.Write("new") && file.Commit());
    EXPECT_EQ(ReadAll(fresh), "new");

    ::chmod(target.c_str(), 0640);
    AtomicFile again(target);
    ASSERT_TRUE(again.Open() && again.Write("again") && again.Commit());
    EXPECT_EQ(ReadAll(target), "again");
    EXPECT_EQ(fs::status(target).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(FilesInFolder(), 2u);
}

TEST_P(AtomicFileTest, RoomReservedAheadIsNotPartOfTheFile)
{
    AtomicFile file(target);
    ASSERT_TRUE(file.Open());
    file.Reserve(1 << 20);
    EXPECT_TRUE(file.Write("short"));
    EXPECT_FALSE(file.Seek(6)) << "the reserved room is not written bytes";
    file.Reserve(3);
    EXPECT_TRUE(file.Commit());
    EXPECT_EQ(ReadAll(target), "short") << "a file written short of its reservation ends there";
}

TEST_P(AtomicFileTest, AbandonedWriteLeavesThePreviousFileAndNoTemporary)
{
    {
        AtomicFile file(target);
        ASSERT_TRUE(file.Open());
        file.Write("half a fi");
    }
    EXPECT_EQ(ReadAll(target), "previous");
    EXPECT_EQ(FilesInFolder(), 1u);

    AtomicFile failed(target);
    ASSERT_TRUE(failed.Open());
    failed.Write("x");
    failed.Discard();
    EXPECT_FALSE(failed.Commit());
    EXPECT_EQ(ReadAll(target), "previous");
    EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_P(AtomicFileTest, UnwritableFolderFailsWithAReason)
{
    const fs::path path = folder.Path() / "no such folder" / "file.tif";
    AtomicFile file(path);
    EXPECT_FALSE(file.Open());
    EXPECT_TRUE(file.Failed());
    EXPECT_EQ(file.Error(), "cannot write " + path.string() + ": No such file or directory");
    EXPECT_FALSE(file.Write("x"));
    EXPECT_FALSE(file.Commit());
    EXPECT_FALSE(file.Seek(0));

    std::string error;
    EXPECT_FALSE(AtomicFile::CheckWritable(path, error));
    EXPECT_EQ(error, file.Error());
    EXPECT_TRUE(AtomicFile::CheckWritable(folder.Path() / "new.tif", error));
    EXPECT_TRUE(AtomicFile::CheckWritable(target, error));
    EXPECT_EQ(ReadAll(target), "previous") << "the check changes nothing";
    EXPECT_EQ(FilesInFolder(), 1u) << "and leaves nothing";
    if (::geteuid() != 0) {  // root writes into read-only folders
        const fs::path readOnly = folder.Path() / "read-only";
        fs::create_directory(readOnly);
        ::chmod(readOnly.c_str(), 0555);
        EXPECT_FALSE(AtomicFile::CheckWritable(readOnly / "file.tif", error));
        EXPECT_EQ(error,
                  "cannot write " + (readOnly / "file.tif").string() + ": Permission denied");
    }
}

// A link is written through, never replaced by a file: to a regular file, to a device (here
// /dev/null and /dev/full, reached through a link of our own so that a fault here can only
// replace that link), and to a named pipe.
TEST_P(AtomicFileTest, LinksAreFollowedAndDevicesWrittenInPlace)
{
    const fs::path link = folder.Path() / "link.txt";
    fs::create_symlink(target, link);
    AtomicFile throughLink(link);
    ASSERT_TRUE(throughLink.Open() && throughLink.Write("via link") && throughLink.Commit());
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadAll(target), "via link");
    EXPECT_TRUE(AtomicFile::WouldReplace(link));

    const fs::path dangling = folder.Path() / "dangling.txt";
    fs::create_symlink("made-by-link.txt", dangling);
    AtomicFile toNew(dangling);
    ASSERT_TRUE(toNew.Open() && toNew.Write("made") && toNew.Commit());
    EXPECT_TRUE(fs::is_symlink(dangling));
    EXPECT_EQ(ReadAll(folder.Path() / "made-by-link.txt"), "made");

    const fs::path null = folder.Path() / "null.tif";
    fs::create_symlink("/dev/null", null);
    EXPECT_FALSE(AtomicFile::WouldReplace(null));
    AtomicFile toNull(null);
    ASSERT_TRUE(toNull.Open());
    EXPECT_TRUE(toNull.WritesInPlace());
    EXPECT_TRUE(toNull.Write("gone") && toNull.Seek(0) && toNull.Write("G"));
    EXPECT_TRUE(toNull.Commit());
    EXPECT_TRUE(fs::is_symlink(null));

    const fs::path full = folder.Path() / "full.txt";
    fs::create_symlink("/dev/full", full);
    AtomicFile toFull(full);
    ASSERT_TRUE(toFull.Open());
    EXPECT_FALSE(toFull.Write("no room"));
    EXPECT_EQ(toFull.Error(), "cannot write " + full.string() + ": No space left on device");
    EXPECT_FALSE(toFull.Commit());
    EXPECT_TRUE(fs::is_symlink(full));
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));

    const fs::path pipe = folder.Path() / "pipe.txt";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    AtomicFile noReader(pipe);
    EXPECT_FALSE(noReader.Open()) << "a pipe nobody reads is an error, not a wait";
    std::string error;
    EXPECT_TRUE(AtomicFile::CheckWritable(pipe, error));
    auto reader = std::async(std::launch::async, [&pipe] { return ReadAll(pipe); });
    AtomicFile toPipe(pipe);
    bool opened = false;
    for (int attempt = 0; attempt < 500 && !opened; ++attempt) {
        opened = toPipe.Open();  // once the reader is there
        if (!opened)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_TRUE(opened);
    EXPECT_TRUE(toPipe.Write("through the pipe"));
    EXPECT_TRUE(toPipe.Commit());
    EXPECT_EQ(reader.get(), "through the pipe");
    EXPECT_TRUE(fs::is_fifo(pipe));

    AtomicFile intoFolder(folder.Path());
    EXPECT_FALSE(intoFolder.Open());
    EXPECT_EQ(intoFolder.Error(), "cannot write " + folder.Path().string() + ": Is a directory");
    EXPECT_TRUE(fs::is_directory(folder.Path()));
}

INSTANTIATE_TEST_SUITE_P(Temporaries, AtomicFileTest, ::testing::Values("unnamed", "named"));

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
