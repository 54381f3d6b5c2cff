// scanora-cli stopped by a signal in the middle of writing an image: nothing half-written stays
// in the folder, whichever way the program ends.

#include <signal.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <thread>

#include "support/ProcessRunner.h"
#include "support/TempDir.h"

namespace scanora {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::set<std::string> Names(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// Waits until the program `pid` has a file in `folder` open that holds some megabytes (the
// transfer has begun and is not over).
bool WaitForWriting(pid_t pid, const fs::path& folder, std::chrono::milliseconds limit)
{
    const fs::path descriptors = "/proc/" + std::to_string(pid) + "/fd";
    const std::string prefix = folder.string() + "/";
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(descriptors, error)) {
            const fs::path file = fs::read_symlink(entry.path(), error);
            struct stat info {};
            if (!error && file.string().starts_with(prefix) &&
                ::stat(entry.path().c_str(), &info) == 0 && info.st_size > (8 << 20))
                return true;
        }
        std::this_thread::sleep_for(2ms);
    }
    return false;
}

// The signal, and whether the temporary files have names (file systems without unnamed ones).
class CliInterruptTest : public ::testing::TestWithParam<std::tuple<int, bool>> {
protected:
    void SetUp() override
    {
        if (Named())
            ::setenv("SCANORA_TEMPORARY_FILES", "named", 1);
    }
    void TearDown() override { ::unsetenv("SCANORA_TEMPORARY_FILES"); }

    [[nodiscard]] int Signal() const { return std::get<0>(GetParam()); }
    [[nodiscard]] bool Named() const { return std::get<1>(GetParam()); }

    std::vector<std::string> Cli(std::vector<std::string> args) const
    {
        // A big image alone on the disk: the transfer takes long enough to be interrupted.
        args.insert(args.begin(),
                    {SCANORA_CLI_PATH, "--no-prefs", "--camera",
                     "sim:speed=0,samples=off,bigimage=6000x5000,disk=" + disk_.Path().string()});
        return args;
    }

    test::TempDir disk_;
    test::TempDir out_;
};

TEST_P(CliInterruptTest, AnInterruptedRetrievalLeavesNothingBehind)
{
    test::BackgroundProcess get(Cli({"get", "1", "-o", out_.Path().string()}));
    ASSERT_TRUE(WaitForWriting(get.Pid(), out_.Path(), 60s));
    get.Signal(Signal());
    EXPECT_EQ(get.Wait(10s), 128 + Signal()) << "the signal ends the program at once";

    if (Named() && Signal() == SIGKILL) {
        // Nobody was left to remove the hidden file; the next program that writes into the
        // folder does (one started a moment later: files written within a quarter of a second
        // of its start count as fresh, since file times come from a coarse clock).
        ASSERT_EQ(Names(out_.Path()).size(), 1u);
        EXPECT_TRUE(Names(out_.Path()).begin()->starts_with(".Big Image.tif."));
        std::this_thread::sleep_for(400ms);
        const fs::path notes = out_.Path() / "notes.txt";
        const test::ProcessResult next =
            test::RunProcess(Cli({"export-notes", "1", "-o", notes.string()}), 20s);
        ASSERT_EQ(next.exitCode, 0) << next.err;
        EXPECT_EQ(Names(out_.Path()), std::set<std::string>{"notes.txt"});
    } else {
        EXPECT_TRUE(Names(out_.Path()).empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Signals, CliInterruptTest,
                         ::testing::Combine(::testing::Values(SIGTERM, SIGHUP, SIGKILL),
                                            ::testing::Bool()),
                         [](const auto& info) {
                             const int signal = std::get<0>(info.param);
                             return std::string(signal == SIGTERM  ? "Term"
                                                : signal == SIGHUP ? "Hangup"
                                                                   : "Kill") +
                                    (std::get<1>(info.param) ? "Named" : "Unnamed");
                         });

}  // namespace
}  // namespace scanora
