#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "SimulatedCamera.h"
#include "camera/QVCamera.h"
#include "camsim/SimCamera.h"
#include "support/RecordingUiPort.h"

namespace scanora {
namespace {

// One camera used by two threads at once, as the control panel's poll and a command of the user
// thread use it: each caller must read the reply of its own command.
class QVCameraSharedTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override { test::ConnectSimulatedCamera(GetParam(), ui_, sim_, camera_); }

    test::RecordingUiPort ui_;
    std::unique_ptr<camsim::SimCamera> sim_;
    std::unique_ptr<QVCamera> camera_;
};

// What one thread saw go wrong; reported after both have finished.
struct Faults {
    std::atomic<int> count{0};
    std::string first;  // written by the first fault only
    void Note(const std::string& what)
    {
        if (count.fetch_add(1) == 0)
            first = what;
    }
};

TEST_P(QVCameraSharedTest, EachCallerReadsTheReplyToItsOwnCommand)
{
    QVCamera& camera = *camera_;
    // The answers of the idle camera, read while nobody else talks to it.
    ASSERT_EQ(camera.QueryStatus(), 0);
    const std::uint32_t diskFree = camera.GetDiskFreeMB();
    const std::uint32_t rawVoltage = camera.GetStatusWord(3);
    const std::uint16_t position = camera.GetStatusWord2();
    const std::uint16_t serial = camera.GetSerialNumber();
    const double firmware = camera.GetFirmwareVersion();
    const int slots = camera.GetDirectoryCount();
    ASSERT_NE(diskFree, 0u);
    ASSERT_NE(rawVoltage, 0u);
    ASSERT_NE(serial, 0);
    ASSERT_GT(slots, 0);
    ui_.Clear();

    constexpr int kRounds = 100;
    Faults pollFaults;
    Faults userFaults;
    std::thread poll([&] {
        for (int i = 0; i < kRounds; ++i) {
            const double volts = camera.QueryVoltage();
            if (volts <= 0.0)
                pollFaults.Note("voltage " + std::to_string(volts));
            CameraStatus status;
            if (const int result = camera.QueryStatus(status); result != 0)
                pollFaults.Note("status query " + std::to_string(result));
            else if (status.DiskFreeMB() != diskFree || status.Word(3) != rawVoltage)
                pollFaults.Note("status words of another reply");
        }
    });
    for (int i = 0; i < kRounds; ++i) {
        CameraStatus status;
        if (const int result = camera.QueryStatus(status); result != 0)
            userFaults.Note("status query " + std::to_string(result));
        else if (status.MotorPosition() != position || status.DiskFreeMB() != diskFree)
            userFaults.Note("status words of another reply");
        if (const std::uint16_t got = camera.GetSerialNumber(); got != serial)
            userFaults.Note("serial number " + std::to_string(got));
        if (const double got = camera.GetFirmwareVersion(); got != firmware)
            userFaults.Note("firmware " + std::to_string(got));
        if (const int got = camera.GetDirectoryCount(); got != slots)
            userFaults.Note("directory count " + std::to_string(got));
        if (const std::uint16_t got = camera.QueryModel(); got != 6)
            userFaults.Note("model " + std::to_string(got));
    }
    poll.join();
    EXPECT_EQ(pollFaults.count.load(), 0) << pollFaults.first;
    EXPECT_EQ(userFaults.count.load(), 0) << userFaults.first;
    EXPECT_TRUE(ui_.MessageTexts().empty());
}

INSTANTIATE_TEST_SUITE_P(Links, QVCameraSharedTest, ::testing::Values("usb", "scsi"));

}  // namespace
}  // namespace scanora
