// Text that comes from the camera (names and notes, Windows-1252 bytes) and from the user (scan
// names, notes) as scanora-cli shows it: valid UTF-8 in JSON, nothing a terminal would act on in
// text, and names as the camera keeps them.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "cameradisk/SimDiskImages.h"
#include "cli/CliReport.h"
#include "platform/TextConversion.h"
#include "support/ProcessRunner.h"
#include "support/TempDir.h"

namespace scanora {
namespace {

using test::ProcessResult;
using ::testing::HasSubstr;
using ::testing::Not;
using namespace std::chrono_literals;

// True when `text` holds a byte a terminal acts on: C0 (but the line feed), DEL, or a C1 control
// in UTF-8.
bool HasTerminalControl(const std::string& text)
{
    for (std::size_t position = 0; position < text.size();) {
        const char32_t c = TextConversion::NextUtf8(text, position);
        if (c != U'\n' && TextConversion::IsControl(c))
            return true;
    }
    return false;
}

bool IsUtf8(const std::string& text)
{
    return TextConversion::ValidUtf8(text) == text;
}

class CliCameraTextTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("TZ", "UTC", 1); }
    ProcessResult Cli(std::vector<std::string> args)
    {
        const std::vector<std::string> common{SCANORA_CLI_PATH, "--no-prefs", "--camera",
                                              "sim:speed=0,model=6,disk=" + disk_.Path().string()};
        args.insert(args.begin(), common.begin(), common.end());
        return test::RunProcess(args, 30s);
    }
    test::TempDir disk_;
};

TEST_F(CliCameraTextTest, CameraBytesAreReadAsWindows1252AndControlsNeverReachTheTerminal)
{
    test::RecordSimImages(disk_.Path(), {{"Caf\xE9 \x80", "Caf\xE9\rcr\xE8me \x1B[2J\x07\x9B", 1},
                                         {"Bell\x07\x1B]0;owned\x07", "x\r", 2}});
    const ProcessResult json = Cli({"--json", "ls"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    EXPECT_TRUE(IsUtf8(json.out)) << json.out;
    EXPECT_FALSE(HasTerminalControl(json.out)) << json.out;
    EXPECT_THAT(json.out, HasSubstr("\"name\": \"Caf\u00E9 \u20AC\""));
    EXPECT_THAT(json.out, HasSubstr("\"notes\": \"cr\u00E8me \\u001b[2J\\u0007\u203A\""));
    EXPECT_THAT(json.out, HasSubstr("\"name\": \"Bell\\u0007\\u001b]0;owned\\u0007\""));

    const ProcessResult text = Cli({"ls"});
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_TRUE(IsUtf8(text.out));
    EXPECT_FALSE(HasTerminalControl(text.out)) << text.out;
    // Columns line up by characters, not by bytes.
    EXPECT_THAT(text.out, HasSubstr("\n*    2  Bell??]0;owned?        0.5 MB"));
    EXPECT_THAT(text.out, HasSubstr("\n     1  Caf\u00E9 \u20AC                 0.5 MB"));
    EXPECT_THAT(text.out, HasSubstr("cr\u00E8me ?[2J?\u203A\n"));

    const ProcessResult notes = Cli({"notes", "2"});
    ASSERT_EQ(notes.exitCode, 0) << notes.err;
    EXPECT_THAT(notes.out, HasSubstr("Name:             Bell??]0;owned?\n"));
    EXPECT_FALSE(HasTerminalControl(notes.out));
    const ProcessResult notesJson = Cli({"--json", "notes", "1"});
    EXPECT_THAT(notesJson.out, HasSubstr("\"captureNotes\": \"Caf\u00E9\""));
    EXPECT_TRUE(IsUtf8(notesJson.out));

    // The retrieval's status line names the image, and the confirmation of a deletion does.
    const ProcessResult get = Cli({"get", "2", "-o", disk_.Path().string()});
    EXPECT_FALSE(HasTerminalControl(get.err)) << get.err;
    const ProcessResult rm = Cli({"rm", "2", "--yes"});
    ASSERT_EQ(rm.exitCode, 0) << rm.err;
    EXPECT_EQ(rm.err, "Delete Bell??]0;owned??\n");
}

TEST_F(CliCameraTextTest, NotesTypedInUtf8ComeBackAsTyped)
{
    test::RecordSimImages(disk_.Path(), {{"Harbour", "Harbour\r", 1}});
    const ProcessResult set = Cli({"notes", "1", "--set", "cr\u00E8me br\u00FBl\u00E9e \u20AC5"});
    ASSERT_EQ(set.exitCode, 0) << set.err;
    EXPECT_THAT(set.out, HasSubstr("User notes:       cr\u00E8me br\u00FBl\u00E9e \u20AC5\n"));
    // One byte a character on the camera, as its own program writes them.
    const std::array<std::uint8_t, 512> header = [&] {
        std::array<std::uint8_t, 512> block{};
        camsim::SimDisk(disk_.Path().string()).ReadHeaderBlock(1, block);
        return block;
    }();
    const std::string stored =
        "Harbour\rcr\xE8me br\xFBl\xE9"
        "e \x80"
        "5";
    EXPECT_EQ(header[256], stored.size());
    EXPECT_EQ(std::string(header.begin() + 257, header.begin() + 257 + stored.size()), stored);
}

TEST_F(CliCameraTextTest, TheScanLineNamesTheImageAsTheCameraKeepsIt)
{
    const auto scan = [&](const std::string& name) {
        return Cli({"scan", "--crop", "10,10,0,0", "--step", "10", "--name", name});
    };
    const ProcessResult hostile = scan("\x1B[2J\x07Harbour\r" + std::string(300, 'x'));
    ASSERT_EQ(hostile.exitCode, 0) << hostile.err;
    EXPECT_FALSE(HasTerminalControl(hostile.out)) << hostile.out;
    // Controls go to the camera as blanks; 63 characters are kept.
    const std::string kept = "[2J Harbour " + std::string(51, 'x');
    EXPECT_THAT(hostile.out, HasSubstr("Scanned 1 image \"" + kept + "\": "));

    const ProcessResult untitled = scan("");
    ASSERT_EQ(untitled.exitCode, 0) << untitled.err;
    EXPECT_THAT(untitled.out, HasSubstr("Scanned 1 image \"Untitled\": "));

    const ProcessResult cafe = scan("Caf\u00E9 \u65E5");
    ASSERT_EQ(cafe.exitCode, 0) << cafe.err;
    EXPECT_THAT(cafe.out, HasSubstr("Scanned 1 image \"Caf\u00E9 ?\": "));

    // What the line says is what the camera lists.
    const ProcessResult json = Cli({"--json", "ls"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    for (const std::string& name : {kept, std::string("Untitled"), std::string("Caf\u00E9 ?")})
        EXPECT_THAT(json.out, HasSubstr("\"name\": " + cli::CliReport::JsonString(name))) << name;
}

TEST(CliJsonString, IsValidUtf8WithEveryControlEscaped)
{
    using cli::CliReport;
    EXPECT_EQ(CliReport::JsonString("a\"b\\c\n\t"), "\"a\\\"b\\\\c\\n\\t\"");
    EXPECT_EQ(CliReport::JsonString("\x1B\x7F\u0085"), "\"\\u001b\\u007f\\u0085\"");
    EXPECT_EQ(CliReport::JsonString("Caf\u00E9"), "\"Caf\u00E9\"");
    // Bytes that are no UTF-8 (a path, say) cannot make the document invalid.
    EXPECT_EQ(CliReport::JsonString("Caf\xE9"), "\"Caf\uFFFD\"");
}

}  // namespace
}  // namespace scanora
