// scanora-cli through its real transports, libusb over usbdevfs and SG_IO over the sg driver,
// with the kernel mocked by umockdev and the simulated camera behind it: every command gives
// what it gives against the in-process simulator, byte for byte.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "MockedKernel.h"
#include "support/TempDir.h"

namespace scanora {
namespace {

using ::testing::HasSubstr;

class MockedCaptureTest : public ::testing::TestWithParam<const char*> {
protected:
    // Runs `args` once under the mocked kernel and once against the in-process simulator, each
    // with a camera disk of its own; output files go to a folder of each run's own under the
    // same names, so that the two runs' files and texts can be compared.
    void RunBoth(const std::vector<std::string>& args)
    {
        mocked_ = test::RunMockedCli(Run(mockedDisk_), WithFolder(args, mockedOut_));
        simulated_ = test::RunSimulatedCli(Run(simulatedDisk_), WithFolder(args, simulatedOut_));
    }

    // Both runs succeeded with the same standard output (their own folder names aside).
    void ExpectSameOutput() const
    {
        ASSERT_EQ(mocked_.exitCode, 0) << mocked_.err;
        ASSERT_EQ(simulated_.exitCode, 0) << simulated_.err;
        EXPECT_EQ(test::WithoutTimes(Unfoldered(mocked_.out, mockedOut_)),
                  test::WithoutTimes(Unfoldered(simulated_.out, simulatedOut_)));
    }

    // The file `name` of both runs, the same but for the clock times in it.
    void ExpectSameFile(const std::string& name) const
    {
        const std::string mocked = test::FileWithoutTimes((mockedOut_.Path() / name).string());
        ASSERT_FALSE(mocked.empty()) << name << " was not written under the mocked kernel";
        EXPECT_TRUE(mocked == test::FileWithoutTimes((simulatedOut_.Path() / name).string()))
            << name << " differs from the simulator's";
    }

    test::MockedRun Run(const test::TempDir& disk) const
    {
        test::MockedRun run;
        run.link = GetParam();
        run.simKeys = "speed=0,samples=off,disk=" + disk.Path().string();
        return run;
    }

    static std::vector<std::string> WithFolder(std::vector<std::string> args,
                                               const test::TempDir& folder)
    {
        for (auto& arg : args) {
            if (arg.starts_with("OUT/"))
                arg = (folder.Path() / arg.substr(4)).string();
        }
        return args;
    }

    static std::string Unfoldered(std::string text, const test::TempDir& folder)
    {
        const std::string path = folder.Path().string();
        for (auto at = text.find(path); at != std::string::npos; at = text.find(path))
            text.replace(at, path.size(), "OUT");
        return text;
    }

    test::TempDir mockedDisk_;
    test::TempDir simulatedDisk_;
    test::TempDir mockedOut_;
    test::TempDir simulatedOut_;
    test::ProcessResult mocked_;
    test::ProcessResult simulated_;
};

TEST_P(MockedCaptureTest, IdentityStatusAndTheDiskListAreTheSimulatorsOwn)
{
    SCANORA_REQUIRE_MOCKED_KERNEL();
    RunBoth({"info"});
    ExpectSameOutput();
    EXPECT_THAT(mocked_.out, HasSubstr(std::string("Link:                     ") +
                                       (GetParam() == std::string("usb") ? "USB" : "SCSI")));
    RunBoth({"status"});
    ExpectSameOutput();
    RunBoth({"ls"});
    ExpectSameOutput();
}

TEST_P(MockedCaptureTest, APrescanInEachInsertionIsTheSimulatorsOwn)
{
    SCANORA_REQUIRE_MOCKED_KERNEL();
    for (const std::string insert : {"left", "top", "right", "bottom"}) {
        SCOPED_TRACE(insert);
        RunBoth({"prescan", "--insert", insert, "-o", "OUT/" + insert + ".tif"});
        ExpectSameOutput();
        ExpectSameFile(insert + ".tif");
    }
}

TEST_P(MockedCaptureTest, AScanRetrievedAsTiffAndAsDngIsTheSimulatorsOwn)
{
    SCANORA_REQUIRE_MOCKED_KERNEL();
    RunBoth({"scan", "--name", "Harbour", "--step", "8"});
    ExpectSameOutput();
    EXPECT_THAT(mocked_.out, HasSubstr("Scanned 1 image \"Harbour\""));
    RunBoth({"ls"});
    ExpectSameOutput();

    // The camera keeps the moment of each scan in the image's header, so the two scans differ
    // there; the image scanned under the mocked kernel is retrieved both ways.
    std::filesystem::remove_all(simulatedDisk_.Path());
    std::filesystem::copy(mockedDisk_.Path(), simulatedDisk_.Path(),
                          std::filesystem::copy_options::recursive);
    RunBoth({"get", "1", "-o", "OUT/", "--mode", "scan"});
    ExpectSameOutput();
    ExpectSameFile("Harbour.tif");
    RunBoth({"get", "1", "-o", "OUT/", "--mode", "dng"});
    ExpectSameOutput();
    ExpectSameFile("Harbour.dng");
}

INSTANTIATE_TEST_SUITE_P(Links, MockedCaptureTest, ::testing::Values("usb", "scsi"));

}  // namespace
}  // namespace scanora
