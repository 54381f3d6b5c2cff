#include <gtest/gtest.h>

#include <string>

#include "camsim/SimConfig.h"

namespace camsim {
namespace {

TEST(SimConfigParse, ReadsEveryKey)
{
    SimConfig config;
    std::string error;
    ASSERT_TRUE(
        ParseSimConfig("model=2,link=scsi,speed=0.25,firmware=4.1,serial=bEEf,"
                       "revision=3.9,disk=/tmp/cam disk,fault=noreply:CS+drop:5",
                       config, error))
        << error;
    EXPECT_EQ(config.model, 2);
    EXPECT_EQ(config.link, SimLink::Scsi);
    EXPECT_DOUBLE_EQ(config.speed, 0.25);
    EXPECT_EQ(config.firmware, 410);
    EXPECT_EQ(config.serial, 0xBEEF);
    EXPECT_EQ(config.revision, "3.9");
    EXPECT_EQ(config.diskDir, "/tmp/cam disk");
    ASSERT_EQ(config.faults.size(), 2u);
    EXPECT_EQ(config.faults[0].kind, SimFault::Kind::NoReply);
    EXPECT_EQ(config.faults[0].command, "CS");
    EXPECT_EQ(config.faults[1].kind, SimFault::Kind::Drop);
    EXPECT_EQ(config.faults[1].value, 5u);
}

TEST(SimConfigParse, FirmwareIsADecimalVersionInHundredths)
{
    SimConfig config;
    std::string error;
    ASSERT_TRUE(ParseSimConfig("firmware=4.14", config, error));
    EXPECT_EQ(config.firmware, 0x019E);
    ASSERT_TRUE(ParseSimConfig("firmware=4", config, error));
    EXPECT_EQ(config.firmware, 400);
    ASSERT_TRUE(ParseSimConfig("firmware=3.09", config, error));
    EXPECT_EQ(config.firmware, 309);
}

TEST(SimConfigParse, EmptyTextGivesTheDefaults)
{
    SimConfig config;
    config.model = 3;
    std::string error;
    ASSERT_TRUE(ParseSimConfig("", config, error));
    EXPECT_EQ(config.model, 6);
    EXPECT_EQ(config.link, SimLink::Usb);
    EXPECT_DOUBLE_EQ(config.speed, 1.0);
    EXPECT_EQ(config.firmware, 0x019E);
    EXPECT_TRUE(config.faults.empty());
}

TEST(SimConfigParse, BadInputIsRefusedWithAReasonAndChangesNothing)
{
    const char* const bad[] = {
        "model=0",
        "model=8",
        "model=six",
        "model=",
        "link=firewire",
        "speed=-1",
        "speed=fast",
        "speed=nan",
        "speed=inf",
        "firmware=4.145",
        "firmware=x",
        "firmware=700",
        "firmware=4.",
        "serial=12345",
        "revision=4.140",
        "disk=",
        "colour=red",
        "model",
        "model=6,",
        ",model=6",
        "model=6,,link=usb",
        "samples=yes",
        "bigimage=10200",
        "bigimage=0x100",
        "bigimage=100x65536",
        "bigimage=x5",
        "bigimage=-1x5",
    };
    for (const char* keys : bad) {
        SimConfig config;
        config.model = 3;
        std::string error;
        EXPECT_FALSE(ParseSimConfig(keys, config, error)) << keys;
        EXPECT_FALSE(error.empty()) << keys;
        EXPECT_EQ(error.find('\n'), std::string::npos) << keys;
        EXPECT_EQ(config.model, 3) << keys;
    }
}

TEST(SimFaultParse, ReadsEveryKind)
{
    std::vector<SimFault> faults;
    std::string error;
    ASSERT_TRUE(ParseSimFaults("noreply:MM+error:CS:33+xfer:CDQ+drop:0+slow:200", faults, error))
        << error;
    ASSERT_EQ(faults.size(), 5u);
    EXPECT_EQ(faults[1].kind, SimFault::Kind::Error);
    EXPECT_EQ(faults[1].command, "CS");
    EXPECT_EQ(faults[1].value, 0x33u);
    EXPECT_EQ(faults[2].kind, SimFault::Kind::Transfer);
    EXPECT_EQ(faults[2].command, "CDQ");
    EXPECT_EQ(faults[3].kind, SimFault::Kind::Drop);
    EXPECT_EQ(faults[3].value, 0u);
    EXPECT_EQ(faults[4].kind, SimFault::Kind::Slow);
    EXPECT_EQ(faults[4].value, 200u);
}

TEST(SimConfigParse, SamplesAndTheBigImageAreSetUpForANewDisk)
{
    SimConfig config;
    std::string error;
    ASSERT_TRUE(ParseSimConfig("", config, error));
    EXPECT_TRUE(config.sampleImages);
    EXPECT_EQ(config.bigImageWidth, 0u);
    ASSERT_TRUE(ParseSimConfig("samples=off,bigimage=10200x60000", config, error)) << error;
    EXPECT_FALSE(config.sampleImages);
    EXPECT_EQ(config.bigImageWidth, 10200u);
    EXPECT_EQ(config.bigImageLines, 60000u);
    ASSERT_TRUE(ParseSimConfig("samples=on", config, error));
    EXPECT_TRUE(config.sampleImages);
}

TEST(SimFaultParse, DropDataCountsBytesBeyondFourGigabytes)
{
    std::vector<SimFault> faults;
    std::string error;
    ASSERT_TRUE(ParseSimFaults("dropdata:5000000000+drop:3", faults, error)) << error;
    ASSERT_EQ(faults.size(), 2u);
    EXPECT_EQ(faults[0].kind, SimFault::Kind::DropData);
    EXPECT_EQ(faults[0].bytes, 5000000000u);
}

TEST(SimFaultParse, UnplugTakesACommandCountAndTheTimeAway)
{
    std::vector<SimFault> faults;
    std::string error;
    ASSERT_TRUE(ParseSimFaults("unplug:4:2500", faults, error)) << error;
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_EQ(faults[0].kind, SimFault::Kind::Unplug);
    EXPECT_EQ(faults[0].value, 4u);
    EXPECT_EQ(faults[0].away, 2500u);
}

TEST(SimFaultParse, BadFaultsAreRefused)
{
    const char* const bad[] = {
        "",
        "noreply",
        "noreply:",
        "error:CS",
        "error:CS:",
        "error:CS:GG",
        "error::33",
        "drop:-1",
        "drop:x",
        "slow:",
        "slow:999999",
        "jam:CS",
        "noreply:CS+",
        "+drop:1",
        "xfer:C S",
        "dropdata",
        "dropdata:",
        "dropdata:-5",
        "dropdata:1k",
        "unplug:3",
        "unplug:3:",
        "unplug::100",
        "unplug:x:100",
        "unplug:3:700000",
    };
    for (const char* text : bad) {
        std::vector<SimFault> faults{SimFault{}};
        std::string error;
        EXPECT_FALSE(ParseSimFaults(text, faults, error)) << text;
        EXPECT_FALSE(error.empty()) << text;
        EXPECT_EQ(faults.size(), 1u) << text;
    }
}

}  // namespace
}  // namespace camsim
