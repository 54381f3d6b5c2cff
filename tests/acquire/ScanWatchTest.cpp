#include "acquire/ScanWatch.h"

#include <gtest/gtest.h>

#include <limits>

namespace scanora {
namespace {

using namespace std::chrono_literals;
using Verdict = ScanWatch::Verdict;

class ScanWatchTest : public ::testing::Test {
protected:
    void SetUp() override { watch_.Start(1000, {10s, 30s}, start_); }

    Verdict At(std::chrono::milliseconds when, std::optional<std::uint32_t> lines)
    {
        return watch_.Observe(lines, start_ + when);
    }

    const ScanWatch::Clock::time_point start_ = ScanWatch::Clock::now();
    ScanWatch watch_;
};

TEST_F(ScanWatchTest, AMovingCountIsWatchedToItsLastLine)
{
    EXPECT_EQ(At(0ms, 0), Verdict::Scanning);
    EXPECT_EQ(At(25s, 10), Verdict::Scanning);
    EXPECT_EQ(At(50s, 999), Verdict::Scanning);
    EXPECT_EQ(At(75s, 1000), Verdict::Complete);
    // A count past the end (a camera that counts its trailing lines) is complete too.
    watch_.Start(1000, {10s, 30s}, start_);
    EXPECT_EQ(At(1s, 1004), Verdict::Complete);
}

TEST_F(ScanWatchTest, ACountThatStandsStillIsGivenUpAfterTheStallLimit)
{
    EXPECT_EQ(At(0ms, 0), Verdict::Scanning);
    EXPECT_EQ(At(30s, 0), Verdict::Scanning) << "exactly the limit is still waited";
    EXPECT_EQ(At(30001ms, 0), Verdict::Stalled);

    // Every move starts the wait again; failed queries in between do not end it.
    watch_.Start(1000, {10s, 30s}, start_);
    EXPECT_EQ(At(20s, 5), Verdict::Scanning);
    EXPECT_EQ(At(25s, std::nullopt), Verdict::Scanning);
    EXPECT_EQ(At(45s, 5), Verdict::Scanning);
    EXPECT_EQ(At(50001ms, 5), Verdict::Stalled);
}

TEST_F(ScanWatchTest, ACameraThatDoesNotAnswerIsGivenUpAfterTheNoAnswerLimit)
{
    EXPECT_EQ(At(5s, std::nullopt), Verdict::Scanning);
    EXPECT_EQ(At(10s, std::nullopt), Verdict::Scanning);
    EXPECT_EQ(At(10001ms, std::nullopt), Verdict::NoAnswer);

    // An answer starts the wait again.
    watch_.Start(1000, {10s, 30s}, start_);
    EXPECT_EQ(At(8s, 3), Verdict::Scanning);
    EXPECT_EQ(At(17s, std::nullopt), Verdict::Scanning);
    EXPECT_EQ(At(18001ms, std::nullopt), Verdict::NoAnswer);
}

TEST(ScanWatchLimits, SlowLinesLengthenTheStallLimit)
{
    EXPECT_EQ(ScanWatch::StallLimit(30s, 1.0 / 3000.0), 30s);
    EXPECT_EQ(ScanWatch::StallLimit(30s, 2.0), 40s) << "twenty line periods";
    EXPECT_EQ(ScanWatch::StallLimit(30s, 0.0), 30s);
    EXPECT_EQ(ScanWatch::StallLimit(30s, -1.0), 30s);
    EXPECT_EQ(ScanWatch::StallLimit(30s, std::numeric_limits<double>::infinity()), 30s)
        << "a line time that is no number";
}

}  // namespace
}  // namespace scanora
