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

TEST(CliOptions, PreferenceOptions)
{
    CliOptions options;
    std::string error;
    ASSERT_TRUE(
        Parse({"prefs", "check", "a.snp", "--prefs", "my prefs", "--no-prefs"}, options, error));
    EXPECT_EQ(options.prefsFile, "my prefs");
    EXPECT_TRUE(options.noPrefs);
    EXPECT_FALSE(options.resetPrefs);
    EXPECT_EQ(options.arguments, (std::vector<std::string>{"check", "a.snp"}));
    ASSERT_TRUE(Parse({"--reset-prefs", "--prefs=/tmp/p", "info"}, options, error));
    EXPECT_EQ(options.prefsFile, "/tmp/p");
    EXPECT_TRUE(options.resetPrefs);
}

TEST(CliOptions, UsageErrors)
{
    CliOptions options;
    std::string error;
    EXPECT_FALSE(Parse({}, options, error));
    EXPECT_EQ(error, "no command given");
    EXPECT_FALSE(Parse({"info", "--camera"}, options, error));
    EXPECT_EQ(error, "--camera needs a value");
    EXPECT_FALSE(Parse({"--loud", "info"}, options, error));
    EXPECT_EQ(error, "unknown option --loud");
    EXPECT_TRUE(Parse({"--help"}, options, error)) << "help needs no command";
}

}  // namespace
}  // namespace scanora::cli
