// scanora-cli's prefs commands as a user runs them, each in a home folder of its own.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "CliProcess.h"
#include "support/ProcessRunner.h"
#include "support/TempDir.h"

namespace scanora {
namespace {

using test::ProcessResult;
using ::testing::HasSubstr;
using ::testing::Not;
using namespace std::chrono_literals;

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteFile(const std::filesystem::path& path, std::string_view bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Replaced(std::string text, std::string_view from, std::string_view to)
{
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// The built-in preferences file as the program ships it (with Windows folders).
std::string BuiltInText()
{
    return ReadFile(std::filesystem::path(SCANORA_TEST_DATA_DIR) / "settings" /
                    "BuiltInPreferences.txt");
}

class CliPrefsTest : public ::testing::Test {
protected:
    // Runs scanora-cli with this test's home and configuration folders.
    ProcessResult Cli(const std::vector<std::string>& args) const
    {
        std::vector<std::string> argv{"/usr/bin/env", "HOME=" + Home().string(),
                                      "XDG_CONFIG_HOME=" + Config().string(), SCANORA_CLI_PATH};
        argv.insert(argv.end(), args.begin(), args.end());
        return test::RunProcess(argv, 20s);
    }

    [[nodiscard]] std::filesystem::path Home() const { return home_.Path(); }
    [[nodiscard]] std::filesystem::path Config() const { return home_.Path() / "config"; }
    [[nodiscard]] std::filesystem::path PrefsFile() const
    {
        return Config() / "Scanora" / "Scanora Prefs";
    }

    test::TempDir home_;
};

TEST_F(CliPrefsTest, ResetWritesTheBuiltInFileWithTheUsersPicturesFolder)
{
    WriteFile(Config() / "user-dirs.dirs",
              "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
              "XDG_PICTURES_DIR=\"$HOME/Photos\"\n");
    const ProcessResult reset = Cli({"prefs", "reset"});
    ASSERT_EQ(reset.exitCode, 0) << reset.err;
    EXPECT_EQ(reset.out, "Wrote the built-in preferences to " + PrefsFile().string() + "\n");
    EXPECT_EQ(reset.err, "");
    EXPECT_EQ(ReadFile(PrefsFile()),
              Replaced(BuiltInText(), "\"C:\\\"", "\"" + (Home() / "Photos").string() + "\""));

    // Without a pictures folder of its own the desktop's usual one, else the home folder.
    std::filesystem::remove(Config() / "user-dirs.dirs");
    std::filesystem::create_directories(Home() / "Pictures");
    ASSERT_EQ(Cli({"prefs", "reset"}).exitCode, 0);
    EXPECT_THAT(ReadFile(PrefsFile()),
                HasSubstr("SaveScansFolder \"" + (Home() / "Pictures").string() + "\"\r\n"));
    std::filesystem::remove(Home() / "Pictures");
    ASSERT_EQ(Cli({"--json", "prefs", "reset"}).exitCode, 0);
    EXPECT_THAT(ReadFile(PrefsFile()),
                HasSubstr("SavePrescansFolder \"" + Home().string() + "\"\r\n"));
}

TEST_F(CliPrefsTest, ShowListsTheCurrentEntriesAndThePreferencesKeyByKey)
{
    WriteFile(PrefsFile(), BuiltInText());
    const ProcessResult show = Cli({"prefs", "show"});
    ASSERT_EQ(show.exitCode, 0) << show.err;
    EXPECT_TRUE(show.out.starts_with("Preferences file: " + PrefsFile().string() + "\n" +
                                     "Size settings (1):\n  *  1  Default Setting\n"))
        << show.out;
    EXPECT_THAT(show.out, HasSubstr("Curve settings (13):\n     1  None 14 bit\n"));
    EXPECT_THAT(show.out, HasSubstr("\n  *  8  bent 6 stops\n     9  bent 5 stops\n"));
    EXPECT_THAT(show.out, HasSubstr("\n  *  2  Daylight New CCD\n"));
    EXPECT_THAT(show.out, HasSubstr("\nPreferences:\n  FastPrescan false\n"));
    EXPECT_THAT(show.out, HasSubstr("\n  SaveScansFolder \"C:\\\"\n"))
        << "a folder from a Windows file is kept as it is";
    EXPECT_THAT(show.out, HasSubstr("\n  MotorParams 2618 51200 2048"));
    EXPECT_THAT(show.out, HasSubstr("\n  LineTimeIndex 9\n"));
    EXPECT_THAT(show.out, Not(HasSubstr("Comment:")));
    EXPECT_EQ(show.err, "");

    const ProcessResult json = Cli({"prefs", "show", "--json"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    EXPECT_THAT(json.out, HasSubstr("\"read\": true"));
    EXPECT_THAT(json.out, HasSubstr("\"curve\": {\"current\": 8, \"entries\": [{\"name\": "
                                    "\"None 14 bit\", \"changeable\": true}"));
    EXPECT_THAT(json.out, HasSubstr("\"LineTimeIndex\": 9, "));
    EXPECT_THAT(json.out, HasSubstr("\"FocalLength\": 150, "));
    EXPECT_THAT(json.out, HasSubstr("\"AutoSavePrefs\": true, "));
    EXPECT_THAT(json.out, HasSubstr("\"SaveScansFolder\": \"C:\\\\\", "));
    EXPECT_THAT(json.out, HasSubstr("\"MaskColor\": \"0 128 255\", "));
    EXPECT_THAT(json.out, HasSubstr("\"ICCProfile\": []}}\n"));
    // "CropPrescan", kept twice in the file, is one value here.
    EXPECT_EQ(json.out.find("\"CropPrescan\""), json.out.rfind("\"CropPrescan\""));
}

TEST_F(CliPrefsTest, WithoutAFileOrWithNoPrefsTheDefaultsAreShown)
{
    const ProcessResult none = Cli({"prefs", "show"});
    ASSERT_EQ(none.exitCode, 0) << none.err;
    EXPECT_THAT(none.out, HasSubstr(" (not found: the defaults are in use)\n"));
    EXPECT_THAT(none.out, HasSubstr("Curve settings (2):\n     1  None 14 bit (unchangeable)\n"
                                    "  *  2  Default Setting (unchangeable)\n"));
    EXPECT_FALSE(std::filesystem::exists(PrefsFile())) << "showing writes nothing";

    WriteFile(PrefsFile(), BuiltInText());
    const ProcessResult skipped = Cli({"--no-prefs", "prefs", "show"});
    EXPECT_THAT(skipped.out, HasSubstr("(not read (--no-prefs): the defaults are in use)\n"));
    EXPECT_THAT(skipped.out, HasSubstr("Exposure settings (1):\n"));

    // --prefs names another file; --reset-prefs first rewrites it from the built-in text.
    const std::filesystem::path other = Home() / "studio.snp";
    WriteFile(other, "BeginSettingFile\r\nEndSettingFile\r\n");
    const ProcessResult otherShow = Cli({"--prefs", other.string(), "prefs", "show"});
    EXPECT_THAT(otherShow.out, HasSubstr("Preferences file: " + other.string() +
                                         " (holds no settings: the defaults are in use)\n"));
    const ProcessResult resetShow =
        Cli({"--prefs=" + other.string(), "--reset-prefs", "prefs", "show"});
    EXPECT_THAT(resetShow.out, HasSubstr("\n  *  8  bent 6 stops\n"));
    EXPECT_THAT(ReadFile(other), HasSubstr("BeginCurveSetting"));
    EXPECT_EQ(ReadFile(PrefsFile()), BuiltInText()) << "the default file is left alone";
}

TEST_F(CliPrefsTest, CheckReportsWhatAFileHoldsAndWhatItCanNotRead)
{
    const std::filesystem::path good = Home() / "good.snp";
    WriteFile(good, BuiltInText());
    const ProcessResult sound = Cli({"prefs", "check", good.string()});
    ASSERT_EQ(sound.exitCode, 0) << sound.err;
    EXPECT_EQ(sound.out, "File: " + good.string() + "\n" +
                             "Size settings: 1 (current: Default Setting)\n"
                             "Exposure settings: 5 (current: Daylight New CCD)\n"
                             "Curve settings: 13 (current: bent 6 stops)\n"
                             "Histogram settings: 3 (current: Default Setting)\n"
                             "Preferences: yes\n"
                             "Current state: size, exposure, curve, histogram\n"
                             "End line: yes\n"
                             "Problems: none\n");

    // A file cut off inside a curve section, with a section of a kind this program has not.
    const std::string text = BuiltInText();
    const std::filesystem::path cut = Home() / "cut.snp";
    WriteFile(cut, "BeginSettingFile\r\nBeginLensSetting\r\nEndLensSetting\r\n" +
                       text.substr(text.find("BeginCurveSetting"), 400));
    const ProcessResult broken = Cli({"prefs", "check", cut.string()});
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_THAT(broken.out, HasSubstr("Curve settings: 2 (current: Default Setting)\n"));
    EXPECT_THAT(broken.out, HasSubstr("End line: no\n"));
    EXPECT_THAT(broken.out, HasSubstr("Unknown sections: BeginLensSetting\n"));
    EXPECT_THAT(broken.out, HasSubstr("Problem: curve setting \"Default Setting\" is not closed: "
                                      "the file ends before EndCurveSetting\n"));

    const ProcessResult json = Cli({"--json", "prefs", "check", cut.string()});
    EXPECT_EQ(json.exitCode, 1);
    EXPECT_THAT(json.out, HasSubstr("\"curve\": {\"count\": 2, \"current\": 2, "
                                    "\"currentName\": \"Default Setting\"}"));
    EXPECT_THAT(json.out, HasSubstr("\"unknownSections\": [\"BeginLensSetting\"]"));

    const std::filesystem::path empty = Home() / "empty.snp";
    WriteFile(empty, "BeginSettingFile\nEndSettingFile\n");
    const ProcessResult nothing = Cli({"prefs", "check", empty.string()});
    EXPECT_EQ(nothing.exitCode, 1);
    EXPECT_THAT(nothing.out, HasSubstr("Problem: no settings in the file: the program would "
                                       "start from its defaults\n"));
    EXPECT_THAT(nothing.out, Not(HasSubstr("Problems: none")));

    const ProcessResult missing = Cli({"prefs", "check", (Home() / "none.snp").string()});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(test::Shown(missing),
              "scanora-cli: cannot read " + (Home() / "none.snp").string() + "\n");
    const ProcessResult folder = Cli({"prefs", "check", Home().string()});
    EXPECT_EQ(folder.exitCode, 1);
    EXPECT_EQ(test::Shown(folder),
              "scanora-cli: cannot read " + Home().string() + ": it is a folder\n");
}

TEST_F(CliPrefsTest, APreferencesFileThatCannotBeUsedStopsTheCommand)
{
    // --prefs naming a folder: the command does not run on defaults the user did not choose.
    for (const char* command : {"info", "status"}) {
        const ProcessResult folder =
            Cli({"--camera", "sim:speed=0", "--prefs", Home().string(), command});
        EXPECT_EQ(folder.exitCode, 1) << command;
        EXPECT_EQ(folder.out, "") << command;
        EXPECT_EQ(test::Shown(folder),
                  "scanora-cli: cannot read " + Home().string() + ": it is a folder\n");
    }
    const ProcessResult show = Cli({"--prefs", Home().string(), "prefs", "show"});
    EXPECT_EQ(show.exitCode, 1);

    // --reset-prefs where no file can be written (its folder is a file).
    const std::filesystem::path blocker = Home() / "plain-file";
    WriteFile(blocker, "not a folder");
    const std::string unwritable = (blocker / "Scanora Prefs").string();
    const ProcessResult reset =
        Cli({"--camera", "sim:speed=0", "--prefs", unwritable, "--reset-prefs", "--json", "info"});
    EXPECT_EQ(reset.exitCode, 1);
    EXPECT_THAT(reset.err, HasSubstr("scanora-cli: cannot write " + unwritable));
    EXPECT_THAT(reset.out, HasSubstr("{\"error\": \"cannot write "));
    EXPECT_EQ(Cli({"--prefs", unwritable, "prefs", "reset"}).exitCode, 1);
}

TEST_F(CliPrefsTest, PrefsCommandsNeedNoCamera)
{
    // A camera link that leads nowhere is not even tried.
    const ProcessResult show =
        Cli({"--camera", "socket:" + (Home() / "nobody.sock").string(), "prefs", "show"});
    EXPECT_EQ(show.exitCode, 0);
    EXPECT_EQ(show.err, "");
    EXPECT_LT(show.elapsed, 2000ms);
}

TEST_F(CliPrefsTest, CameraCommandsReadThePreferencesAtStartUp)
{
    const ProcessResult info = Cli({"--camera", "sim:speed=0", "--reset-prefs", "info"});
    ASSERT_EQ(info.exitCode, 0) << info.err;
    EXPECT_THAT(ReadFile(PrefsFile()), HasSubstr("CurrentCurveSettingIndex 8\r\n"));

    // A missing file is no reason to fail; one that is there and cannot be read is, rather than
    // a capture on settings the user did not choose.
    std::filesystem::remove(PrefsFile());
    const ProcessResult missing = Cli({"--camera", "sim:speed=0", "status"});
    EXPECT_EQ(missing.exitCode, 0) << missing.err;
    EXPECT_EQ(missing.err, "");
    std::filesystem::create_directories(PrefsFile());
    const ProcessResult status = Cli({"--camera", "sim:speed=0", "status"});
    EXPECT_EQ(status.exitCode, 1);
    EXPECT_EQ(test::Shown(status),
              "scanora-cli: cannot read " + PrefsFile().string() + ": it is a folder\n");
}

TEST_F(CliPrefsTest, GetAndSetOnePreferenceWithTheDialogsChecks)
{
    ASSERT_EQ(Cli({"prefs", "reset"}).exitCode, 0);
    const ProcessResult seconds = Cli({"prefs", "get", "TimeLapseSeconds"});
    ASSERT_EQ(seconds.exitCode, 0) << seconds.err;
    EXPECT_EQ(seconds.out, "10\n");

    // A number, a flag and a quoted text go into the file as it writes them, and stay there.
    ASSERT_EQ(Cli({"prefs", "set", "TimeLapseSeconds", "45"}).exitCode, 0);
    ASSERT_EQ(Cli({"prefs", "set", "UseAutoSuffixes", "true"}).exitCode, 0);
    const ProcessResult name = Cli({"prefs", "set", "ScanName", "Harbour at dusk"});
    ASSERT_EQ(name.exitCode, 0) << name.err;
    EXPECT_EQ(name.out, "ScanName is now \"Harbour at dusk\" in " + PrefsFile().string() + "\n");
    const std::string text = ReadFile(PrefsFile());
    EXPECT_THAT(text, HasSubstr("TimeLapseSeconds 45\r\n"));
    EXPECT_THAT(text, HasSubstr("UseAutoSuffixes true\r\n"));
    EXPECT_THAT(text, HasSubstr("ScanName \"Harbour at dusk\"\r\n"));
    EXPECT_EQ(Cli({"--json", "prefs", "get", "ScanName"}).out,
              "{\"key\": \"ScanName\", \"value\": \"Harbour at dusk\"}\n");

    // The dialog's range, with its message; the file keeps what it had.
    const ProcessResult grid = Cli({"prefs", "set", "GridWidth", "2"});
    EXPECT_EQ(grid.exitCode, 1);
    EXPECT_THAT(grid.err,
                HasSubstr("Grid Width Range: 3-500\n\nGrid Width has been changed to: 50 \n"));
    // A value the file cannot keep, and a key it does not have: usage errors.
    const ProcessResult flag = Cli({"prefs", "set", "UseAutoSuffixes", "maybe"});
    EXPECT_EQ(flag.exitCode, 2);
    EXPECT_THAT(flag.err, HasSubstr("\"maybe\" is not a value UseAutoSuffixes can keep"));
    EXPECT_EQ(Cli({"prefs", "set", "TimeLapseSeconds", "99999"}).exitCode, 2);
    EXPECT_EQ(Cli({"prefs", "set", "ScanName", "a \"quoted\" name"}).exitCode, 2);
    const ProcessResult unknown = Cli({"prefs", "get", "Bogus"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_THAT(unknown.err, HasSubstr("no preference called \"Bogus\""));
    EXPECT_EQ(ReadFile(PrefsFile()), text);
    EXPECT_EQ(Cli({"--no-prefs", "prefs", "set", "GridWidth", "40"}).exitCode, 2);
}

TEST_F(CliPrefsTest, UsageMistakes)
{
    EXPECT_EQ(Cli({"prefs"}).exitCode, 2);
    EXPECT_EQ(Cli({"prefs", "wipe"}).exitCode, 2);
    EXPECT_EQ(Cli({"prefs", "check"}).exitCode, 2);
    EXPECT_EQ(Cli({"prefs", "show", "extra"}).exitCode, 2);
    const ProcessResult noValue = Cli({"prefs", "show", "--prefs"});
    EXPECT_EQ(noValue.exitCode, 2);
    EXPECT_THAT(noValue.err, HasSubstr("--prefs needs a value"));
}

}  // namespace
}  // namespace scanora
