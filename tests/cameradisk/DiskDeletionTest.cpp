#include "cameradisk/DiskDeletion.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

#include "cameradisk/DiskDirectory.h"
#include "cameradisk/DiskInitialisation.h"
#include "cameradisk/DiskListing.h"
#include "cameradisk/ImageNotes.h"
#include "cameradisk/SimDiskImages.h"
#include "camsim/SimCamera.h"
#include "context/AppContext.h"
#include "support/RecordingUiPort.h"
#include "support/TempDir.h"

namespace scanora {
namespace {

using ::testing::ElementsAre;
using namespace std::chrono_literals;

std::vector<std::string> DiskCommands(AppContext& context)
{
    std::vector<std::string> sent;
    for (const std::string& command : context.Simulator()->ReceivedCommands()) {
        if (command.starts_with("CDD") || command.starts_with("CDI"))
            sent.push_back(command);
    }
    return sent;
}

std::vector<std::string> Names(const std::vector<DiskEntry>& entries)
{
    std::vector<std::string> names;
    for (const DiskEntry& entry : entries) names.push_back(DiskListing({entry}, false).Row(0).name);
    return names;
}

// Deleting, erasing and editing notes on the simulated camera's disk, over both links.
class DiskChangesSimTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        test::RecordSimImages(disk_.Path(),
                              {{"Harbour", "Harbour, 12/8/2026\rwindy", 3'850'000'000u},
                               {"Chart", "Chart\r", 3'850'000'100u},
                               {"Wedge", "Wedge\r", 3'850'000'200u}});
        std::string error;
        context_ = AppContext::Create(std::string("sim:speed=0,model=6,link=") + GetParam() +
                                          ",disk=" + disk_.Path().string(),
                                      ui_, error, CameraOptions{1ms});
        ASSERT_TRUE(context_) << error;
        ASSERT_TRUE(context_->Camera().IsConnected());
        directory_ =
            std::make_unique<DiskDirectory>(context_->Camera(), [](std::chrono::milliseconds) {});
        entries_ = directory_->Read();
        ASSERT_EQ(entries_.size(), 4u);
        ui_.Clear();
    }
    DiskDeletion Deletion() { return DiskDeletion(context_->Camera(), ui_, *directory_); }

    test::TempDir disk_;
    test::RecordingUiPort ui_;
    std::unique_ptr<AppContext> context_;
    std::unique_ptr<DiskDirectory> directory_;
    std::vector<DiskEntry> entries_;
};

TEST_P(DiskChangesSimTest, DeletesOneImageAfterAskingByNameAndTheFreeSpaceGrows)
{
    const double freeBefore = DiskListing(entries_, false).TotalAvailableMegabytes();
    const std::vector<DiskEntry> chart{entries_[1]};
    const DiskDeletionResult result = Deletion().Delete(chart);
    EXPECT_TRUE(result.confirmed);
    EXPECT_EQ(result.deleted, 1);
    ASSERT_EQ(ui_.Messages().size(), 1u);
    EXPECT_EQ(ui_.Messages()[0].text, "Delete Chart?");
    EXPECT_EQ(ui_.Messages()[0].buttons, MessageButtons::YesNo);
    EXPECT_THAT(DiskCommands(*context_),
                ElementsAre(DiskDeletion::DeleteCommand(entries_[1]).substr(0, 5)));
    EXPECT_THAT(Names(result.entries),
                ElementsAre("Harbour", "*** Available ***", "Wedge", "*** Available ***"));
    EXPECT_GT(DiskListing(result.entries, false).TotalAvailableMegabytes(), freeBefore);
}

TEST_P(DiskChangesSimTest, SeveralAreAskedOnceAndDeletedLastSelectedFirstFreeSpacePassedOver)
{
    // Selected: Wedge, the free rest, Harbour.
    const std::vector<DiskEntry> selected{entries_[2], entries_[3], entries_[0]};
    const DiskDeletionResult result = Deletion().Delete(selected);
    EXPECT_THAT(ui_.MessageTexts(), ElementsAre("Delete 3 files?"));
    EXPECT_EQ(result.deleted, 2);
    EXPECT_EQ(result.failed, 0);
    EXPECT_THAT(DiskCommands(*context_),
                ElementsAre(DiskDeletion::DeleteCommand(entries_[0]).substr(0, 5),
                            DiskDeletion::DeleteCommand(entries_[2]).substr(0, 5)));
    EXPECT_THAT(Names(result.entries),
                ElementsAre("*** Available ***", "Chart", "*** Available ***"));
}

TEST_P(DiskChangesSimTest, DecliningDeletesNothing)
{
    ui_.SetAnswer(MessageResult::No);
    const std::vector<DiskEntry> chart{entries_[1]};
    const DiskDeletionResult result = Deletion().Delete(chart);
    EXPECT_FALSE(result.confirmed);
    EXPECT_TRUE(DiskCommands(*context_).empty());
    EXPECT_EQ(directory_->Read().size(), 4u);
    // Nothing selected: nothing asked.
    ui_.Clear();
    EXPECT_FALSE(Deletion().Delete({}).confirmed);
    EXPECT_TRUE(ui_.Messages().empty());
}

TEST_P(DiskChangesSimTest, InitialisationWarnsThenEmptiesTheDisk)
{
    ui_.SetAnswer(MessageResult::No);
    EXPECT_EQ(DiskInitialisation(context_->Camera(), ui_).Run(),
              DiskInitialisation::Outcome::Declined);
    EXPECT_TRUE(DiskCommands(*context_).empty());
    ui_.SetAnswer(MessageResult::Yes);
    EXPECT_EQ(DiskInitialisation(context_->Camera(), ui_).Run(),
              DiskInitialisation::Outcome::Erased);
    ASSERT_EQ(ui_.Messages().size(), 2u);
    EXPECT_EQ(ui_.Messages()[1].text, "WARNING, all data on camera hard drive will be lost !!");
    EXPECT_EQ(ui_.Messages()[1].icon, MessageIcon::Exclamation);
    EXPECT_THAT(DiskCommands(*context_), ElementsAre("CDI"));
    const std::vector<DiskEntry> after = directory_->Read();
    ASSERT_EQ(after.size(), 1u);
    EXPECT_TRUE(after[0].IsFree());
}

TEST_P(DiskChangesSimTest, UserNotesWrittenBackAreWhatTheCameraKeeps)
{
    DiskEntry harbour = entries_[0];
    ImageNotes notes = ImageNotes::FromHeader(harbour.header);
    EXPECT_EQ(notes.UserNotes(), "windy");
    ASSERT_TRUE(notes.SetUserNotes("calm later"));
    notes.WriteTo(harbour.header);
    ASSERT_TRUE(directory_->WriteHeader(harbour));

    const std::vector<DiskEntry> again = directory_->Read();
    EXPECT_EQ(again[0].header, harbour.header);
    const ImageNotes read = ImageNotes::FromHeader(again[0].header);
    EXPECT_EQ(read.CaptureNotes(), "Harbour, 12/8/2026");
    EXPECT_EQ(read.UserNotes(), "calm later");
    EXPECT_EQ(again[0].name, "Harbour");
}

INSTANTIATE_TEST_SUITE_P(Links, DiskChangesSimTest, ::testing::Values("usb", "scsi"));

}  // namespace
}  // namespace scanora
