// The hidden temporary files: their names, the table the signal handlers empty, and the sweep
// of what killed programs left behind.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "platform/LeftoverSweep.h"
#include "platform/LiveTemporaryFiles.h"
#include "platform/TemporaryName.h"
#include "platform/UniqueFd.h"
#include "support/TempDir.h"

namespace scanora {
namespace {

namespace fs = std::filesystem;

void Touch(const fs::path& path)
{
    std::ofstream(path) << "half an image";
}

// Sets the file's times `seconds` back.
void Age(const fs::path& path, int seconds)
{
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const timespec past{now.tv_sec - seconds, 0};
    const timespec times[2] = {past, past};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

std::set<std::string> Names(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

TEST(TemporaryName, OnlyOurOwnPatternIsOurs)
{
    const std::string made = TemporaryName::Make("Scan 1.tif");
    EXPECT_EQ(made.size(), std::string(".Scan 1.tif.").size() + 6);
    EXPECT_TRUE(made.starts_with(".Scan 1.tif."));
    EXPECT_NE(made, TemporaryName::Make("Scan 1.tif"));
    EXPECT_TRUE(TemporaryName::IsOurs(made, "other.tif"));

    for (const char* name : {".a.tif.Ab12Cd", ".b.TIFF.zzzzzz", ".c.dng.000000",
                             ".notes.txt.q1W2e3", ".Curve.cur.AAAAAA"})
        EXPECT_TRUE(TemporaryName::IsOurs(name, "x")) << name;
    // The preferences file and whatever else is being written: its own name, any extension.
    EXPECT_TRUE(TemporaryName::IsOurs(".Scanora Prefs.Ab12Cd", "Scanora Prefs"));
    EXPECT_FALSE(TemporaryName::IsOurs(".Scanora Prefs.Ab12Cd", "Other Prefs"));

    for (const char* name :
         {"Scan.tif", ".Scan.tif", ".Scan.tif.Ab12C", ".Scan.tif.Ab12Cde", ".Scan.tif.Ab-2Cd",
          "..Ab12Cd", ".photo.jpg.Ab12Cd", ".tif.Ab12Cd", "x.Scan.tif.Ab12Cd"})
        EXPECT_FALSE(TemporaryName::IsOurs(name, "Scan")) << name;
}

TEST(LiveTemporaryFiles, TheHandlersRemoveWhatIsStillBeingWritten)
{
    test::TempDir folder;
    const fs::path live = folder.Path() / ".live.tif.Ab12Cd";
    const fs::path done = folder.Path() / ".done.tif.Ab12Cd";
    Touch(live);
    Touch(done);
    const std::size_t before = LiveTemporaryFiles::Count();
    const int liveEntry = LiveTemporaryFiles::Add(live.string());
    const int doneEntry = LiveTemporaryFiles::Add(done.string());
    ASSERT_GE(liveEntry, 0);
    ASSERT_GE(doneEntry, 0);
    EXPECT_EQ(LiveTemporaryFiles::Count(), before + 2);
    LiveTemporaryFiles::Remove(doneEntry);
    LiveTemporaryFiles::RemoveAll();
    EXPECT_EQ(Names(folder.Path()), std::set<std::string>{".done.tif.Ab12Cd"});
    EXPECT_EQ(LiveTemporaryFiles::Count(), 0u);
    LiveTemporaryFiles::Remove(liveEntry);  // after the handler: nothing
    LiveTemporaryFiles::Remove(-1);

    EXPECT_EQ(LiveTemporaryFiles::Add(std::string(LiveTemporaryFiles::kMaxPath, 'x')), -1);
    EXPECT_EQ(LiveTemporaryFiles::Add(""), -1);
    std::vector<int> entries;
    for (std::size_t i = 0; i < LiveTemporaryFiles::kEntries; ++i)
        entries.push_back(LiveTemporaryFiles::Add("/nonexistent/" + std::to_string(i)));
    EXPECT_EQ(std::count(entries.begin(), entries.end(), -1), 0);
    EXPECT_EQ(LiveTemporaryFiles::Add("/nonexistent/one more"), -1) << "the table is full";
    for (const int entry : entries) LiveTemporaryFiles::Remove(entry);
    EXPECT_EQ(LiveTemporaryFiles::Count(), 0u);
}

TEST(LeftoverSweep, TakesOnlyOldUnlockedFilesOfOurPattern)
{
    test::TempDir folder;
    const fs::path& f = folder.Path();
    for (const char* name :
         {".killed.tif.Ab12Cd", ".killed.dng.Ab12Cd", ".Scanora Prefs.Ab12Cd", ".busy.tif.Ab12Cd",
          ".fresh.tif.Ab12Cd", ".photo.jpg.Ab12Cd", "Scan.tif", ".Scan.tif"}) {
        Touch(f / name);
        if (std::string_view(name) != ".fresh.tif.Ab12Cd")
            Age(f / name, 3600);
    }
    fs::create_directory(f / ".folder.tif.Ab12Cd");
    Age(f / ".folder.tif.Ab12Cd", 3600);
    // A writer that is alive holds its lock.
    const UniqueFd busy(::open((f / ".busy.tif.Ab12Cd").c_str(), O_RDONLY | O_CLOEXEC));
    ASSERT_EQ(::flock(busy.Get(), LOCK_EX), 0);

    ASSERT_TRUE(LeftoverSweep::ProcessStart());
    EXPECT_EQ(LeftoverSweep::Sweep(f, "Scanora Prefs"), 3u);
    EXPECT_EQ(Names(f),
              (std::set<std::string>{".busy.tif.Ab12Cd", ".fresh.tif.Ab12Cd", ".photo.jpg.Ab12Cd",
                                     "Scan.tif", ".Scan.tif", ".folder.tif.Ab12Cd"}));
    EXPECT_EQ(LeftoverSweep::Sweep(f / "gone", "x.tif"), 0u);
}

TEST(LeftoverSweep, TheProcessStartedBeforeNow)
{
    const std::optional<double> start = LeftoverSweep::ProcessStart();
    ASSERT_TRUE(start);
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const double seconds = static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
    EXPECT_LE(*start, seconds);
    EXPECT_GT(*start, seconds - 24 * 3600) << "a test program runs for less than a day";
}

}  // namespace
}  // namespace scanora
