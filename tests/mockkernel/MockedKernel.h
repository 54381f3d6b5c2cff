#pragma once

#include <string>
#include <vector>

#include "support/ProcessRunner.h"

namespace scanora::test {

// How scanora-cli is run under the mocked kernel: the link, the simulator's keys and the mock's
// own faults (scanora-mockkernel options such as "--claimed").
struct MockedRun {
    std::string link = "usb";
    std::string simKeys = "speed=0";
    std::vector<std::string> mockOptions;
    std::string camera;  // scanora-cli's --camera; the link's name when empty
};

// True when this build can run a program under umockdev's preload library; otherwise `why` says
// what stands in the way.
bool MockedKernelUsable(std::string& why);

// scanora-cli with `args`, talking to the simulated camera through the real USB or SCSI code
// and umockdev's mocked kernel.
ProcessResult RunMockedCli(const MockedRun& run, const std::vector<std::string>& args);

// The same command against the in-process simulator (`--camera sim:KEYS,link=LINK`).
ProcessResult RunSimulatedCli(const MockedRun& run, const std::vector<std::string>& args);

// `text` with every clock time in it ("05:48:29", "5:48:29") made "hh:mm:ss" or "h:mm:ss": two
// runs of the same command a second apart differ in nothing else.
std::string WithoutTimes(std::string text);
// The bytes of a file the same way; empty when the file cannot be read.
std::string FileWithoutTimes(const std::string& path);

}  // namespace scanora::test

// Skips the test, with the reason on the test's own output, where umockdev cannot preload.
#define SCANORA_REQUIRE_MOCKED_KERNEL()                            \
    do {                                                           \
        std::string mockedKernelWhy;                               \
        if (!::scanora::test::MockedKernelUsable(mockedKernelWhy)) \
            GTEST_SKIP() << mockedKernelWhy;                       \
    } while (false)
