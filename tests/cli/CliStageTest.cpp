// The stage command end to end against the simulated camera: where moves and jogs leave the
// stage, what calibration measures, and the start-up every session sends.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "CliProcess.h"
#include "support/ProcessRunner.h"

namespace scanora {
namespace {

using test::ProcessResult;
using test::RunProcess;
using ::testing::HasSubstr;
using namespace std::chrono_literals;

ProcessResult Stage(const std::string& sim, std::vector<std::string> args)
{
    args.insert(args.begin(), {SCANORA_CLI_PATH, "--no-prefs", "--camera", "sim:speed=0" + sim});
    return RunProcess(args, 20s);
}

TEST(CliStage, CalibrationReportsTheStagesOvershoot)
{
    const ProcessResult standard = Stage("", {"stage", "calibrate"});
    ASSERT_EQ(standard.exitCode, 0) << standard.err;
    EXPECT_EQ(standard.out, "Calibration: 67, 1\n");

    for (const char* link : {"usb", "scsi"}) {
        const ProcessResult other =
            Stage(std::string(",overshoot=150/4,link=") + link, {"stage", "calibrate"});
        ASSERT_EQ(other.exitCode, 0) << other.err;
        EXPECT_EQ(other.out, "Calibration: 150, 4\n") << link;
    }
    const ProcessResult json = Stage(",overshoot=0/0", {"--json", "stage", "calibrate"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    EXPECT_THAT(json.out, HasSubstr("\"coarse\": 0"));
    EXPECT_THAT(json.out, HasSubstr("\"fine\": 0"));
}

TEST(CliStage, MovesLandWhereAskedWhenTheOvershootIsKnown)
{
    // From home (0): a long way up is a coarse move, a short one a fine move.
    for (const char* target : {"30000", "100"}) {
        const ProcessResult move = Stage("", {"stage", "move", target});
        ASSERT_EQ(move.exitCode, 0) << move.err;
        EXPECT_THAT(move.out, HasSubstr(std::string("Position: ") + target + "\n"));
        EXPECT_THAT(move.out, HasSubstr("Moving:   no"));
        EXPECT_THAT(move.err, HasSubstr("Rotating stage..."));
    }
    const ProcessResult home = Stage("", {"--json", "stage", "home"});
    ASSERT_EQ(home.exitCode, 0) << home.err;
    EXPECT_THAT(home.out, HasSubstr("\"position\": 26624"));

    const ProcessResult position = Stage("", {"stage", "position"});
    ASSERT_EQ(position.exitCode, 0) << position.err;
    EXPECT_THAT(position.out, HasSubstr("Position: 0\n"));
}

TEST(CliStage, JogsRunToTheEndsOfTheTravel)
{
    // The stage coasts past the end by its overshoot, as it does on a real stage.
    const ProcessResult coarse = Stage("", {"stage", "jog", "max", "--coarse"});
    ASSERT_EQ(coarse.exitCode, 0) << coarse.err;
    EXPECT_THAT(coarse.out, HasSubstr("Position: 49219\n"));
    const ProcessResult fine = Stage("", {"stage", "jog", "min", "--fine"});
    ASSERT_EQ(fine.exitCode, 0) << fine.err;
    EXPECT_THAT(fine.out, HasSubstr("Position: 4097\n")) << "up from home to the minimum";
}

TEST(CliStage, UsageErrorsAndCameraFailures)
{
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"stage"},
                                               {"stage", "spin"},
                                               {"stage", "move"},
                                               {"stage", "move", "65536"},
                                               {"stage", "move", "-1"},
                                               {"stage", "jog", "max"},
                                               {"stage", "jog", "up", "--fine"},
                                               {"stage", "jog", "max", "--fine", "--coarse"},
                                               {"stage", "calibrate", "--fine"},
                                               {"stage", "position", "now"}}) {
        const ProcessResult usage = Stage("", args);
        EXPECT_EQ(usage.exitCode, 2) << args.back();
        EXPECT_THAT(usage.err, HasSubstr("Try 'scanora-cli --help'.")) << args.back();
    }
    const ProcessResult refused = Stage(",fault=error:CMG:11", {"stage", "move", "30000"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(test::Shown(refused), "Rotating stage...\nCamera Reported Error: Busy\n");
    const ProcessResult json = Stage(",fault=error:CMG:11", {"--json", "stage", "calibrate"});
    EXPECT_EQ(json.exitCode, 1);
    EXPECT_THAT(json.out, HasSubstr("{\"error\": \"Camera Reported Error: "));
}

TEST(CliStage, EverySessionUploadsTheMotorParametersButARawCommandDoesNot)
{
    const std::string trace = testing::TempDir() + "/scanora-stage-trace.txt";
    const ProcessResult status = Stage("", {"--trace", trace, "status"});
    ASSERT_EQ(status.exitCode, 0) << status.err;
    std::ifstream file(trace);
    const std::string text((std::istreambuf_iterator<char>(file)), {});
    // The small stage's a ... f, after the motor output went to the stage.
    for (const char* sent : {">> CMX01\\r", ">> Ma0A3A\\r", ">> MbC800\\r", ">> Mc0800\\r",
                             ">> Md0600\\r", ">> Me0080\\r", ">> Mf583B\\r"})
        EXPECT_THAT(text, HasSubstr(sent));
    EXPECT_LT(text.find("CMX01"), text.find("Ma0A3A"));
    EXPECT_EQ(text.find("CMP"), std::string::npos) << "no panorama: the stage is not preset";

    const ProcessResult send = Stage("", {"--trace", trace, "send", "CS"});
    ASSERT_EQ(send.exitCode, 0) << send.err;
    std::ifstream again(trace);
    const std::string raw((std::istreambuf_iterator<char>(again)), {});
    EXPECT_EQ(raw.find("Ma0A3A"), std::string::npos);
}

}  // namespace
}  // namespace scanora
