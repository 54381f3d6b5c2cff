#include <gtest/gtest.h>

#include <fstream>

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

TEST(RetrievalDestination, AutomaticNamesCountUpPastExistingFiles)
{
    test::TempDir folder;
    test::RecordingUiPort ui;
    EXPECT_EQ(RetrievalDestination::AutomaticPath(folder.Path(), "Scan", false, ui),
              folder.Path() / "Scan.tif");
    Touch(folder.Path() / "Scan.tif");
    EXPECT_EQ(RetrievalDestination::AutomaticPath(folder.Path(), "Scan", false, ui),
              folder.Path() / "Scan_1.tif");
    Touch(folder.Path() / "Scan_1.tif");
    EXPECT_EQ(RetrievalDestination::AutomaticPath(folder.Path(), "Scan", false, ui),
              folder.Path() / "Scan_2.tif");
    EXPECT_EQ(RetrievalDestination::AutomaticPath(folder.Path(), "Scan", true, ui),
              folder.Path() / "Scan.dng");
    EXPECT_TRUE(ui.Messages().empty());

    EXPECT_FALSE(RetrievalDestination::AutomaticPath(folder.Path() / "gone", "Scan", false, ui));
    EXPECT_FALSE(RetrievalDestination::AutomaticPath({}, "Scan", false, ui));
    EXPECT_EQ(ui.MessageTexts(),
              std::vector<std::string>(
                  2, "Warning - the Save Scan Directory does not exist, retrieve file manualy"));
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

TEST(RetrievalFolderChooser, AsksBeforeReplacingAFile)
{
    test::TempDir folder;
    test::RecordingUiPort ui;
    RetrievalFolderChooser chooser(folder.Path(), ui);
    EXPECT_EQ(chooser.ChoosePath("Scan.tif", false), folder.Path() / "Scan.tif");
    EXPECT_TRUE(ui.Messages().empty());

    Touch(folder.Path() / "Scan.tif");
    ui.SetAnswer(MessageResult::No);
    EXPECT_FALSE(chooser.ChoosePath("Scan.tif", false));
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, (folder.Path() / "Scan.tif").string() +
                                         " already exists.\nDo you want to replace it?");
    EXPECT_EQ(ui.Messages()[0].buttons, MessageButtons::YesNo);
    ui.SetAnswer(MessageResult::Yes);
    EXPECT_EQ(chooser.ChoosePath("Scan.tif", false), folder.Path() / "Scan.tif");
}

}  // namespace
}  // namespace scanora
