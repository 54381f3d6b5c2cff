#include "output/ScanNaming.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "output/CaptureSound.h"
#include "settings/QVCameraSetting.h"
#include "support/RecordingUiPort.h"

namespace scanora {
namespace {

using test::RecordingUiPort;

TEST(ScanNamingTest, AdvanceScanNamePadsTheNumberToTheSuffixLength)
{
    QVCameraSetting setting;
    CameraPreferences& p = setting.Prefs();
    p.autoFileName = "File";
    p.suffixLength = 2;
    p.autoFileSuffix = 0;
    p.autoFileIncrement = 1;
    EXPECT_EQ(ScanNaming::AdvanceScanName(setting), "File_01");
    p.autoFileSuffix = 122;
    EXPECT_EQ(ScanNaming::AdvanceScanName(setting), "File_123");
    p.autoFileIncrement = 0;  // counts as one
    EXPECT_EQ(ScanNaming::AdvanceScanName(setting), "File_124");
    p.suffixLength = 0;
    p.autoFileIncrement = 5;
    EXPECT_EQ(ScanNaming::AdvanceScanName(setting), "File_129");
    p.suffixLength = 4;
    p.autoFileName = std::string(80, 'a');
    const std::string longName = ScanNaming::AdvanceScanName(setting);
    EXPECT_EQ(longName, std::string(58, 'a') + "_0134");
}

TEST(ScanNamingTest, TurningSuffixesOnShowsTheCurrentNameWithoutCounting)
{
    QVCameraSetting setting;
    setting.Prefs().scanName = "Untitled";
    setting.Prefs().autoFileSuffix = 7;
    EXPECT_EQ(ScanNaming::SetUseAutoSuffixes(setting, true), "File_07");
    EXPECT_EQ(setting.Prefs().autoFileSuffix, 7);
    EXPECT_TRUE(setting.Prefs().useAutoSuffixes);
    EXPECT_EQ(ScanNaming::SetUseAutoSuffixes(setting, false), "Untitled");
}

TEST(ScanNamingTest, NamesThatWouldLeaveTheFolderAreReplaced)
{
    RecordingUiPort ui;
    const std::string folder = "/tmp/prescans";
    const std::vector<std::string> names{"../evil",  "a/b", "..", ".",    "",
                                         "x\\y",     "a:b", "q?", "t\"x", std::string("nul\0x", 5),
                                         "tab\tname"};
    for (const std::string& bad : names) {
        EXPECT_FALSE(ScanNaming::IsLegalFileName(bad)) << bad;
        const auto path = ScanNaming::AutoPrescanPath(folder, bad, ui);
        ASSERT_TRUE(path.has_value());
        EXPECT_EQ(*path, std::filesystem::path(folder) / "NeedLegalFileName_pre.tif") << bad;
        EXPECT_EQ(path->parent_path(), folder);
    }
    EXPECT_EQ(ui.MessageTexts(),
              std::vector<std::string>(11, "Warning - the file name contained illegal characters"));

    ui.Clear();
    EXPECT_EQ(ScanNaming::AutoPrescanPath(folder, "Plate 4 (north)", ui),
              std::filesystem::path(folder) / "Plate 4 (north)_pre.tif");
    EXPECT_EQ(ScanNaming::AutoPrescanPath(folder, "..x", ui),
              std::filesystem::path(folder) / "..x_pre.tif");
    EXPECT_FALSE(ScanNaming::AutoPrescanPath("", "Untitled", ui).has_value());
    EXPECT_TRUE(ui.Messages().empty());
}

TEST(ScanNamingTest, ChosenFileMustBeATiff)
{
    EXPECT_TRUE(ScanNaming::HasTiffExtension("a/b.tif"));
    EXPECT_TRUE(ScanNaming::HasTiffExtension("b.TIFF"));
    EXPECT_TRUE(ScanNaming::HasTiffExtension("b.tiff"));
    EXPECT_FALSE(ScanNaming::HasTiffExtension("b.png"));
    EXPECT_FALSE(ScanNaming::HasTiffExtension("tif"));
}

// Records the sounds asked for.
class SoundPort final : public UiPort {
public:
    MessageResult ShowMessage(std::string_view, MessageIcon, MessageButtons) override
    {
        return MessageResult::Ok;
    }
    void PostCommand(WindowCommand, std::string_view) override {}
    void Beep() override {}
    void PlaySound(std::string_view path, bool wait) override
    {
        played.emplace_back(path);
        waited = waited && wait;
    }
    std::vector<std::string> played;
    bool waited = true;
};

TEST(CaptureSoundTest, PlaysTheChosenSoundAfterTheCapturesAskedFor)
{
    CameraPreferences prefs;
    prefs.soundName = "/usr/share/sounds/done.wav";
    prefs.playSoundAfterPrescans = true;
    SoundPort ui;
    EXPECT_TRUE(CaptureSound::PlayAfter(CaptureSound::Capture::Prescan, prefs, ui));
    EXPECT_FALSE(CaptureSound::PlayAfter(CaptureSound::Capture::Scan, prefs, ui));
    prefs.playSoundAfterScans = true;
    EXPECT_TRUE(CaptureSound::PlayAfter(CaptureSound::Capture::Scan, prefs, ui));
    prefs.soundName.clear();
    EXPECT_FALSE(CaptureSound::PlayAfter(CaptureSound::Capture::Scan, prefs, ui));
    EXPECT_EQ(ui.played, std::vector<std::string>(2, "/usr/share/sounds/done.wav"));
    EXPECT_TRUE(ui.waited);
}

}  // namespace
}  // namespace scanora
