#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <thread>

#include "acquire/CaptureStateMachine.h"

namespace scanora {
namespace {

using namespace std::chrono_literals;

constexpr std::array kPhases{CapturePhase::Idle,          CapturePhase::Prescan,
                             CapturePhase::ScanStarting,  CapturePhase::Scanning,
                             CapturePhase::SeriesWaiting, CapturePhase::Stopping};
constexpr std::array kCalls{CaptureCall::Prescan, CaptureCall::Scan, CaptureCall::NextImage,
                            CaptureCall::AbortKey, CaptureCall::SavePreview};

// Puts a fresh machine into `phase`; Stopping is reached the way the user reaches it, by
// stopping a prescan.
void Enter(CaptureStateMachine& state, CapturePhase phase)
{
    if (phase == CapturePhase::Stopping) {
        ASSERT_TRUE(state.Move(CapturePhase::Idle, CapturePhase::Prescan));
        ASSERT_EQ(state.RequestStop(), CapturePhase::Prescan);
    } else if (phase != CapturePhase::Idle) {
        ASSERT_TRUE(state.Move(CapturePhase::Idle, phase));
    }
    ASSERT_EQ(state.Phase(), phase);
}

// Every command in every phase: a capture is never started over another one, a scan is never
// disturbed, a stop is taken wherever there is something to stop, and the preview is saved
// only while nothing writes it.
TEST(CaptureStateMachine, EveryCommandInEveryPhase)
{
    // ok: allowed; quiet: ignored; scan: "Scan in Progress"; busy: "Prescan/Scan in Progress".
    constexpr CaptureRefusal ok = CaptureRefusal::None, quiet = CaptureRefusal::Quietly,
                             scan = CaptureRefusal::ScanInProgress,
                             busy = CaptureRefusal::CaptureRunning;
    // clang-format off
    const std::array<std::array<CaptureRefusal, kCalls.size()>, kPhases.size()> expected{{
        //   Prescan  Scan   NextImage AbortKey SavePreview
        {    ok,      ok,    quiet,    quiet,   ok   },  // Idle
        {    quiet,   busy,  quiet,    ok,      busy },  // Prescan
        {    scan,    quiet, quiet,    ok,      busy },  // ScanStarting
        {    scan,    scan,  scan,     ok,      busy },  // Scanning
        {    scan,    scan,  ok,       ok,      ok   },  // SeriesWaiting
        {    quiet,   quiet, ok,       quiet,   busy },  // Stopping
    }};
    // clang-format on
    for (std::size_t p = 0; p < kPhases.size(); ++p) {
        for (std::size_t c = 0; c < kCalls.size(); ++c) {
            CaptureStateMachine state;
            Enter(state, kPhases[p]);
            EXPECT_EQ(state.Admit(kCalls[c]), expected[p][c]) << "phase " << p << ", call " << c;
            EXPECT_EQ(state.Phase(), kPhases[p]) << "asking changes nothing";
        }
    }
}

TEST(CaptureStateMachine, TheShownStateKeepsWhatIsBeingStoppedUntilItEnds)
{
    const auto stateWhileStopping = [](CapturePhase running) {
        CaptureStateMachine state;
        state.Move(CapturePhase::Idle, running);
        EXPECT_EQ(state.RequestStop(), running);
        EXPECT_EQ(state.Phase(), CapturePhase::Stopping);
        return state.State();
    };
    EXPECT_EQ(stateWhileStopping(CapturePhase::Prescan), CaptureState::Prescan);
    EXPECT_EQ(stateWhileStopping(CapturePhase::ScanStarting), CaptureState::Scan);
    EXPECT_EQ(stateWhileStopping(CapturePhase::SeriesWaiting), CaptureState::Idle);

    // A running scan is not put into Stopping: the caller aborts it at once.
    CaptureStateMachine scanning;
    scanning.Move(CapturePhase::Idle, CapturePhase::Scanning);
    EXPECT_EQ(scanning.RequestStop(), CapturePhase::Scanning);
    EXPECT_EQ(scanning.Phase(), CapturePhase::Scanning);
    EXPECT_FALSE(scanning.StopRequested());
    // Idle has nothing to stop and keeps no stale request for the next capture.
    CaptureStateMachine idle;
    EXPECT_EQ(idle.RequestStop(), CapturePhase::Idle);
    EXPECT_FALSE(idle.StopRequested());
    EXPECT_FALSE(idle.StopFlag().load());
}

TEST(CaptureStateMachine, OnlyTheWorkThatWasStoppedCanFinishItsStop)
{
    CaptureStateMachine state;
    state.Move(CapturePhase::Idle, CapturePhase::Prescan);
    state.RequestStop();
    EXPECT_FALSE(state.Finish(CapturePhase::SeriesWaiting, CapturePhase::Idle));
    EXPECT_FALSE(state.Move(CapturePhase::Prescan, CapturePhase::Idle)) << "it is Stopping now";
    EXPECT_TRUE(state.Finish(CapturePhase::Prescan, CapturePhase::Idle));
    EXPECT_EQ(state.Phase(), CapturePhase::Idle);
    EXPECT_FALSE(state.Finish(CapturePhase::Prescan, CapturePhase::Idle)) << "only once";
}

// The stop request is the prescan's and the scan start's until they end; a stopped series
// keeps it so that its countdown ends too; the next capture starts without it.
TEST(CaptureStateMachine, TheStopRequestLastsAsLongAsWhatItStops)
{
    CaptureStateMachine state;
    state.Move(CapturePhase::Idle, CapturePhase::Prescan);
    state.RequestStop();
    EXPECT_TRUE(state.StopRequested());
    EXPECT_TRUE(state.StopFlag().load()) << "the readout sees it";
    state.Finish(CapturePhase::Prescan, CapturePhase::Idle);
    EXPECT_FALSE(state.StopRequested());
    EXPECT_FALSE(state.StopFlag().load());

    state.Move(CapturePhase::Idle, CapturePhase::SeriesWaiting);
    state.SetSeries(2);
    state.RequestStop();
    state.EndSeries();
    state.Finish(CapturePhase::SeriesWaiting, CapturePhase::Idle);
    EXPECT_TRUE(state.StopRequested());
    EXPECT_FALSE(state.Sleep(1h)) << "a countdown still running ends at once";
    EXPECT_EQ(state.ImagesRemaining(), 0);

    state.Move(CapturePhase::Idle, CapturePhase::ScanStarting);
    EXPECT_FALSE(state.StopRequested());
    EXPECT_TRUE(state.Sleep(1ms));
}

TEST(CaptureStateMachine, AStopFromAnotherThreadWakesASleeper)
{
    CaptureStateMachine state;
    state.Move(CapturePhase::Idle, CapturePhase::SeriesWaiting);
    const auto start = std::chrono::steady_clock::now();
    std::thread user([&] {
        std::this_thread::sleep_for(20ms);
        state.RequestStop();
    });
    EXPECT_FALSE(state.Sleep(1h));
    user.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);

    CaptureStateMachine closing;
    std::thread owner([&] {
        std::this_thread::sleep_for(20ms);
        closing.ShutDown();
    });
    EXPECT_FALSE(closing.Sleep(1h));
    owner.join();
    EXPECT_TRUE(closing.StopFlag().load()) << "a readout ends with the sequence";
}

TEST(CaptureStateMachine, QuietOnlyWhenIdleWithoutWorkers)
{
    CaptureStateMachine state;
    EXPECT_TRUE(state.Quiet());
    state.WorkerStarted();
    EXPECT_FALSE(state.Quiet());
    state.WorkerEnded();
    state.Move(CapturePhase::Idle, CapturePhase::SeriesWaiting);
    EXPECT_FALSE(state.Quiet()) << "a series between two images is not over";

    state.SetSeries(1);
    EXPECT_TRUE(state.TakeSeriesImage());
    EXPECT_FALSE(state.TakeSeriesImage());
    EXPECT_EQ(state.ImagesTotal(), 1);
    EXPECT_EQ(state.ImagesRemaining(), 0);
}

TEST(CaptureStateMachine, ResultsOfTheLastCapture)
{
    CaptureStateMachine state;
    state.SetScanStarted(false);
    EXPECT_FALSE(state.LastResults().scansOk) << "a scan that did not start did not succeed";
    state.BeginScans();
    state.SetScanStarted(true);
    EXPECT_TRUE(state.LastResults().scansOk);
    EXPECT_TRUE(state.LastResults().scanStarted);
    state.ScanFailed();
    state.SetScanStarted(true);
    EXPECT_FALSE(state.LastResults().scansOk) << "one failed scan fails the command";
}

}  // namespace
}  // namespace scanora
