// The desktop program on its real USB code, with the camera pulled out and plugged back in
// through the mocked kernel's uevents: libusb's hot-plug events have the panel follow at once,
// without waiting for the camera poll (every 4 s).

#include <gtest/gtest.h>

#include <chrono>
#include <iostream>

#include "MockedKernel.h"
#include "support/ProcessRunner.h"
#include "support/TempDir.h"

namespace scanora {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kPollInterval = 4000ms;
constexpr const char* kShown = "the panel shows the camera: ";

TEST(MockedHotplug, ThePanelFollowsTheCameraOutAndBackInAtOnce)
{
    SCANORA_REQUIRE_MOCKED_KERNEL();
#ifndef SCANORA_GUI_PATH
    GTEST_SKIP() << "the desktop program is not built here (SCANORA_BUILD_GUI=OFF)";
#else
    // A folder of its own for the program's instance socket: a Scanora the developer has open
    // is not this one.
    const test::TempDir runtime;
    const std::string folder = runtime.Path().string();
    test::BackgroundProcess program(
        {SCANORA_MOCKKERNEL_PATH, "--link", "usb", "--control", "--", "/usr/bin/env",
         "QT_QPA_PLATFORM=offscreen", "SCANORA_LOG=info", "TMPDIR=" + folder,
         "XDG_RUNTIME_DIR=" + folder, SCANORA_GUI_PATH, "--no-prefs", "--camera", "usb"},
        {.errors = true, .input = true});
    ASSERT_TRUE(program.WaitForNextOutput(std::string(kShown) + "Model Cedar", 30s));

    // Each way three times: the watch keeps working after the device it watched has gone.
    for (int round = 1; round <= 3; ++round) {
        SCOPED_TRACE(round);
        const auto unplugged = Clock::now();
        ASSERT_TRUE(program.Send("unplug\n"));
        ASSERT_TRUE(program.WaitForNextOutput(std::string(kShown) + "No Camera", 10s));
        const auto gone = Clock::now() - unplugged;

        const auto plugged = Clock::now();
        ASSERT_TRUE(program.Send("plug\n"));
        ASSERT_TRUE(program.WaitForNextOutput(std::string(kShown) + "Model Cedar", 10s));
        const auto back = Clock::now() - plugged;

        using std::chrono::duration_cast;
        using std::chrono::milliseconds;
        std::cout << "round " << round << ": unplug to \"No Camera\" "
                  << duration_cast<milliseconds>(gone).count() << " ms, replug to the model "
                  << duration_cast<milliseconds>(back).count() << " ms\n";
        EXPECT_LT(gone, kPollInterval / 2) << "the panel waited for the poll";
        EXPECT_LT(back, kPollInterval / 2) << "the panel waited for the poll";
    }
#endif
}

}  // namespace
}  // namespace scanora
