#include <gtest/gtest.h>

#include <fstream>

#include "cameradisk/ClaimedPaths.h"
#include "cameradisk/RetrievalDestination.h"
#include "cameradisk/RetrievalFolderChooser.h"
#include "support/RecordingUiPort.h"
#include "support/TempDir.h"

namespace scanora {
namespace {

void Touch(const std::filesystem::path& path)
{
    std::ofstream(path) << "x";
}

TEST(RetrievalDestination, IllegalNamesBecomeTheStandInAfterTheWarning)
{
    test::RecordingUiPort ui;
    EXPECT_EQ(RetrievalDestination::FileName("Scan 12", ui), "Scan 12");
    EXPECT_TRUE(ui.Messages().empty());
    for (const char* name : {"a:b", "../up", "x/y", "q?", "", ".."}) {
        ui.Clear();
        EXPECT_EQ(RetrievalDestination::FileName(name, ui), "NeedLegalFileName") << name;
        EXPECT_EQ(ui.MessageTexts(),
                  std::vector<std::string>{"Warning - the file name contained illegal characters"});
    }
}

TEST(RetrievalDestination, AutomaticNamesCountUpPastExistingAndClaimedFiles)
{
    test::TempDir folder;
    test::RecordingUiPort ui;
    ClaimedPaths claimed;
    const auto automatic = [&](bool dng) {
        return RetrievalDestination::AutomaticPath(
            folder.Path(), std::string("Scan") + (dng ? ".dng" : ".tif"), claimed, ui);
    };
    Touch(folder.Path() / "Scan.tif");
    EXPECT_EQ(automatic(false), folder.Path() / "Scan_1.tif");
    // Nothing is written yet, but the name is taken: the next image of the same name must not
    // get it too.
    EXPECT_EQ(automatic(false), folder.Path() / "Scan_2.tif");
    Touch(folder.Path() / "Scan_3.tif");
    EXPECT_EQ(automatic(false), folder.Path() / "Scan_4.tif");
    EXPECT_EQ(automatic(true), folder.Path() / "Scan.dng");
    EXPECT_EQ(automatic(true), folder.Path() / "Scan_1.dng");
    EXPECT_TRUE(ui.Messages().empty());

    EXPECT_FALSE(
        RetrievalDestination::AutomaticPath(folder.Path() / "gone", "Scan.tif", claimed, ui));
    EXPECT_FALSE(RetrievalDestination::AutomaticPath({}, "Scan.tif", claimed, ui));
    EXPECT_EQ(ui.MessageTexts(),
              std::vector<std::string>(
                  2, "Warning - the Save Scan Directory does not exist, retrieve file manualy"));
}

TEST(ClaimedPaths, AChosenFileIsReplacedOnlyWhenAgreedAndOnlyOnce)
{
    test::TempDir folder;
    const std::filesystem::path chosen = folder.Path() / "Untitled.TIFF";
    ClaimedPaths claimed;
    EXPECT_EQ(claimed.Claim(chosen, false), chosen);
    EXPECT_EQ(claimed.Claim(chosen, false), folder.Path() / "Untitled_1.TIFF");
    // The same file named another way is the same file.
    EXPECT_EQ(claimed.Claim(folder.Path() / "." / "Untitled.TIFF", true),
              folder.Path() / "." / "Untitled_2.TIFF");
    EXPECT_TRUE(claimed.IsClaimed(folder.Path() / "Untitled_1.TIFF"));

    // A file that stood there: replaced when the user agreed, passed by when not.
    Touch(folder.Path() / "Kept.tif");
    Touch(folder.Path() / "Kept_1.tif");
    ClaimedPaths other;
    EXPECT_EQ(other.Claim(folder.Path() / "Kept.tif", false), folder.Path() / "Kept_2.tif");
    EXPECT_EQ(other.Claim(folder.Path() / "Kept.tif", true), folder.Path() / "Kept.tif");
    EXPECT_EQ(other.Claim(folder.Path() / "Kept.tif", true), folder.Path() / "Kept_3.tif");
    EXPECT_FALSE(claimed.IsClaimed(folder.Path() / "Kept.tif")) << "each retrieval its own";
}

TEST(RetrievalDestination, ChosenFilesMustBeTiffOrDng)
{
    for (const char* name : {"a.tif", "a.TIFF", "b.Dng", "c.d.tif"})
        EXPECT_TRUE(RetrievalDestination::HasAcceptedExtension(name)) << name;
    for (const char* name : {"a.jpg", "a", "a.tif.txt", "tif"})
        EXPECT_FALSE(RetrievalDestination::HasAcceptedExtension(name)) << name;
}

TEST(RetrievalDestination, FreeBytesOfAFolder)
{
    test::TempDir folder;
    const auto free = RetrievalDestination::FreeBytes(folder.Path());
    ASSERT_TRUE(free);
    EXPECT_GT(*free, 0u);
    EXPECT_FALSE(RetrievalDestination::FreeBytes(folder.Path() / "gone"));
}

TEST(RetrievalFolderChooser, AsksBeforeReplacingAFileOncePerRetrieval)
{
    test::TempDir folder;
    test::RecordingUiPort ui;
    RetrievalFolderChooser chooser(folder.Path(), ui);
    chooser.BeginRetrieval();
    EXPECT_EQ(chooser.ChoosePath("Scan.tif", false), folder.Path() / "Scan.tif");
    EXPECT_TRUE(ui.Messages().empty());

    Touch(folder.Path() / "Scan.tif");
    ui.SetAnswer(MessageResult::No);
    EXPECT_EQ(chooser.ChoosePath("Scan.tif", false), folder.Path() / "Scan.tif")
        << "proposed before in this retrieval: the image gets a numbered name, no question";
    EXPECT_TRUE(ui.Messages().empty());

    chooser.BeginRetrieval();
    EXPECT_FALSE(chooser.ChoosePath("Scan.tif", false));
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, (folder.Path() / "Scan.tif").string() +
                                         " already exists.\nDo you want to replace it?");
    EXPECT_EQ(ui.Messages()[0].buttons, MessageButtons::YesNo);
    ui.SetAnswer(MessageResult::Yes);
    chooser.BeginRetrieval();
    EXPECT_EQ(chooser.ChoosePath("Scan.tif", false), folder.Path() / "Scan.tif");
    EXPECT_EQ(ui.Messages().size(), 2u);
}

}  // namespace
}  // namespace scanora
