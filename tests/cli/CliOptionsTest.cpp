#include "cli/CliOptions.h"

#include <gtest/gtest.h>

namespace scanora::cli {
namespace {

bool Parse(std::vector<std::string> args, CliOptions& options, std::string& error,
           const char* environment = nullptr)
{
    args.insert(args.begin(), "scanora-cli");
    return ParseCliOptions(args, environment, options, error);
}

TEST(CliOptions, OptionsMayStandBeforeOrAfterTheCommand)
{
    CliOptions options;
    std::string error;
    ASSERT_TRUE(Parse({"--camera", "sim:model=6", "info", "--json"}, options, error)) << error;
    EXPECT_EQ(options.cameraSpec, "sim:model=6");
    EXPECT_EQ(options.command, "info");
    EXPECT_TRUE(options.json);
    EXPECT_TRUE(options.arguments.empty());

    ASSERT_TRUE(Parse({"send", "--trace=/tmp/t", "CMX01"}, options, error));
    EXPECT_EQ(options.traceFile, "/tmp/t");
    EXPECT_EQ(options.arguments, std::vector<std::string>{"CMX01"});

    ASSERT_TRUE(Parse({"send", "--", "-X"}, options, error));
    EXPECT_EQ(options.arguments, std::vector<std::string>{"-X"});
}

TEST(CliOptions, CameraComesFromTheEnvironmentUnlessGiven)
{
    CliOptions options;
    std::string error;
    ASSERT_TRUE(Parse({"status"}, options, error));
    EXPECT_EQ(options.cameraSpec, "auto");
    ASSERT_TRUE(Parse({"status"}, options, error, "sim:link=scsi"));
    EXPECT_EQ(options.cameraSpec, "sim:link=scsi");
    ASSERT_TRUE(Parse({"--camera=usb", "status"}, options, error, "sim:link=scsi"));
    EXPECT_EQ(options.cameraSpec, "usb");
}

TEST(CliOptions, UsageErrors)
{
    CliOptions options;
    std::string error;
    EXPECT_FALSE(Parse({}, options, error));
    EXPECT_EQ(error, "no command given");
    EXPECT_FALSE(Parse({"info", "--camera"}, options, error));
    EXPECT_EQ(error, "--camera needs a value");
    EXPECT_FALSE(Parse({"--verbose", "info"}, options, error));
    EXPECT_EQ(error, "unknown option --verbose");
    EXPECT_TRUE(Parse({"--help"}, options, error)) << "help needs no command";
}

}  // namespace
}  // namespace scanora::cli
