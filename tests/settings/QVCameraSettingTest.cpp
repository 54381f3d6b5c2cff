#include "settings/QVCameraSetting.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "RecordingPreferenceTargets.h"
#include "SettingsTestSupport.h"
#include "context/HeldSettingTools.h"
#include "settings/QVSize.h"
#include "settings/SettingLists.h"
#include "support/RecordingUiPort.h"
#include "support/TempDir.h"

namespace scanora {
namespace {

using test::Written;
using ::testing::HasSubstr;

// The camera section with the given lines between its Begin and End lines.
std::string Section(const std::string& lines)
{
    return "BeginCameraSetting\r\n" + lines + "EndCameraSetting\r\n";
}

// Reads a whole section, Begin line included.
void ReadText(QVCameraSetting& camera, const std::string& text)
{
    LineReader in(text);
    std::string_view begin;
    in.ReadLine(begin);
    EXPECT_TRUE(camera.Read(in));
}

void ReadInto(QVCameraSetting& camera, const std::string& lines)
{
    ReadText(camera, Section(lines));
}

CameraPreferences Read(const std::string& lines)
{
    QVCameraSetting camera;
    ReadInto(camera, lines);
    return camera.Prefs();
}

TEST(QVCameraSettingTest, StartsWithTheSmallStageOrThePanoramicCamerasOwn)
{
    const QVCameraSetting usual;
    EXPECT_EQ(usual.GetName(), "Prefs");
    EXPECT_EQ(usual.Kind(), SettingKind::Camera);
    EXPECT_EQ(usual.Prefs().stage.stageType, StageValues::kSmallStage);
    EXPECT_EQ(usual.Prefs().stage.motorParams[0], 2618);
    EXPECT_EQ(usual.Prefs().stage.panoMode, StageValues::kPanoOff);

    const QVCameraSetting orbiscan(/*orbiscan=*/true);
    EXPECT_EQ(orbiscan.Prefs().stage.stageType, StageValues::kOrbiscanCamera);
    EXPECT_EQ(orbiscan.Prefs().stage.panoMode, StageValues::kPanoOn);
    EXPECT_EQ(orbiscan.Prefs().stage.latentPanoMode, StageValues::kPanoOn);
    EXPECT_EQ(orbiscan.Prefs().stage.motorParams,
              (StageValues::MotorParams{7855, 51200, 2048, 1536, 128, 22587, 10384, 1684, 4096,
                                        49152, 26624}));
}

TEST(QVCameraSettingTest, WritesTheListLinesAsTheFileKeepsThem)
{
    QVCameraSetting camera;
    CameraPreferences& p = camera.Prefs();
    p.guides = {{25, false}, {50.5, true}};
    p.iccProfiles = {"/usr/share/color/icc/a.icc", "b.icm"};
    p.stage.stageType = StageValues::kOrbiscanCamera;
    p.stage.panoMode = StageValues::kPanoRollout;
    p.cameraColorMode = CameraPreferences::kGreen;
    p.lineTimeSync = CameraPreferences::kSync50Hz;
    p.saveScansFolder = "C:\\Scans\\";

    const std::string text = Written(camera);
    EXPECT_TRUE(
        text.starts_with("BeginCameraSetting\r\nSettingName \"Prefs\"\r\n"
                         "Changeable true\r\nFastPrescan false\r\nCropPrescan false\r\n"));
    EXPECT_THAT(text, HasSubstr("\r\nICCProfile \"/usr/share/color/icc/a.icc\"\r\n"
                                "ICCProfile \"b.icm\"\r\nCurrentICCProfileIndex 1\r\n"));
    EXPECT_THAT(text, HasSubstr("\r\nComment: \"a-f params, acceleration, cruise rate, min "
                                "position, max position, center position\"\r\nMotorParams 2618 "
                                "51200 2048 1536 128 22587 8192 2048 4096 49152 26624 \r\n"));
    EXPECT_THAT(text, HasSubstr("\r\nStageType \"Orbiscan Camera\"\r\n"));
    EXPECT_THAT(text, HasSubstr("\r\nCameraColorMode \"Green\"\r\n"));
    EXPECT_TRUE(
        text.ends_with("EmbedOrientation true\r\nGuides 2 25 vertical 50.5 horizontal "
                       "\r\nEndCameraSetting\r\n"));

    // Every value written comes back as it was (folders from Windows included).
    QVCameraSetting twin;
    ReadText(twin, text);
    EXPECT_EQ(Written(twin), text);
    EXPECT_EQ(twin.Prefs().saveScansFolder, "C:\\Scans\\");

    // Codes outside their tables are written as a word no reader takes for a code.
    p.stage.stageType = 7;
    p.stage.panoMode = -1;
    p.cameraColorMode = 9;
    p.guides.clear();
    const std::string odd = Written(camera);
    EXPECT_THAT(odd, HasSubstr("\r\nStageType \"Unknown\"\r\n"));
    EXPECT_THAT(odd, HasSubstr("\r\nPanoMode \"Unknown\"\r\n"));
    EXPECT_THAT(odd, HasSubstr("\r\nCameraColorMode \"Color\"\r\n"));
    EXPECT_THAT(odd, HasSubstr("\r\nGuides 0 \r\n"));
}

TEST(QVCameraSettingTest, UnknownWordsFollowEachEnumerationsOwnRule)
{
    const CameraPreferences p = Read(
        "StageType \"Large Stage\"\r\nStageType \"Turntable\"\r\n"
        "PanoMode \"Rollout\"\r\nPanoMode \"Sideways\"\r\nLatentPanoMode \"Object\"\r\n"
        "LineTimeSync \"Exact\"\r\nLineTimeSync \"400Hz\"\r\n"
        "ISOIncrement \"one third\"\r\nCameraColorMode \"Purple\"\r\n");
    EXPECT_EQ(p.stage.stageType, StageValues::kLargeStage) << "unknown stage type: unchanged";
    EXPECT_EQ(p.stage.panoMode, StageValues::kPanoOff) << "unknown pano mode: Off";
    EXPECT_EQ(p.stage.latentPanoMode, StageValues::kPanoObject);
    EXPECT_EQ(p.lineTimeSync, CameraPreferences::kSyncExact) << "unknown sync: unchanged";
    EXPECT_EQ(p.isoIncrement, CameraPreferences::kOneTenth) << "only \"One Third\" is a third";
    EXPECT_EQ(p.cameraColorMode, CameraPreferences::kColor);
    EXPECT_EQ(Read("ISOIncrement \"One Third\"\r\nCameraColorMode \"Green\"\r\n").isoIncrement,
              CameraPreferences::kOneThird);
}

TEST(QVCameraSettingTest, ValuesOutsideTheirFieldsAreRefused)
{
    EXPECT_EQ(Read("FileDescriptionTextType 5\r\n").fileDescriptionTextType, 1);
    EXPECT_EQ(Read("FileDescriptionTextType 2\r\n").fileDescriptionTextType, 2);
    EXPECT_EQ(
        Read("FileDescriptionTextType 0\r\nFileDescriptionTextType x\r\n").fileDescriptionTextType,
        0);
    EXPECT_EQ(Read("GridWidth 40000\r\n").gridWidth, 50) << "beyond 16 bits: unchanged";
    EXPECT_EQ(Read("GuideColor 74 255 255\r\n").guideColor, 74u + 255u * 256u + 255u * 65536u);
    EXPECT_EQ(Read("TimeLapse \"true\"\r\n").timeLapse, true);
    EXPECT_EQ(Read("TimeLapse TRUE\r\n").timeLapse, false);
    EXPECT_EQ(Read("AutoFileName \"" + std::string(300, 'n') + "\"\r\n").autoFileName.size(),
              CameraPreferences::kMaxAutoFileName);
    // A motor parameter list that breaks off keeps the values after the break.
    const CameraPreferences motor = Read("MotorParams 1 2 x 4\r\n");
    EXPECT_EQ(motor.stage.motorParams[0], 1);
    EXPECT_EQ(motor.stage.motorParams[1], 2);
    EXPECT_EQ(motor.stage.motorParams[2], 2048);
    EXPECT_EQ(motor.stage.motorParams[3], 1536);
}

TEST(QVCameraSettingTest, ReadingEmptiesTheProfileListButAddsToTheGuides)
{
    QVCameraSetting camera;
    camera.Prefs().iccProfiles = {"old.icc"};
    camera.Prefs().guides = {{10, false}};
    ReadInto(camera,
             "ICCProfile \"a.icc\"\r\nICCProfile b.icc\r\n"
             "Guides 3 20 horizontal 30 diagonal 40\r\n");
    EXPECT_EQ(camera.Prefs().iccProfiles, (std::vector<std::string>{"a.icc", "b.icc"}));
    // The third guide has no direction: the guides before it are kept.
    EXPECT_EQ(camera.Prefs().guides, (std::vector<Guide>{{10, false}, {20, true}, {30, false}}));

    ReadInto(camera, "Guides 1 70 horizontal \r\n");
    EXPECT_EQ(camera.Prefs().guides.size(), 4u) << "a second read adds its guides";
    EXPECT_TRUE(camera.Prefs().iccProfiles.empty());
}

TEST(QVCameraSettingTest, AutomaticFileNames)
{
    QVCameraSetting camera;
    CameraPreferences& p = camera.Prefs();
    p.autoFileName = "File";
    p.suffixLength = 2;
    p.autoFileSuffix = 7;
    p.autoFileIncrement = 1;
    EXPECT_EQ(camera.NextAutoFileName(), "File_08");
    EXPECT_EQ(p.autoFileSuffix, 8);
    EXPECT_EQ(camera.CurrentAutoFileName(), "File_08");

    p.autoFileIncrement = 0;  // counts as 1
    EXPECT_EQ(camera.NextAutoFileName(), "File_09");
    p.autoFileIncrement = 100;
    EXPECT_EQ(camera.NextAutoFileName(), "File_109") << "more digits than the length: no zeros";

    // The base name is cut so that name and suffix stay within 62 characters.
    p.autoFileName = std::string(70, 'a');
    p.suffixLength = 4;
    p.autoFileSuffix = 0;
    p.autoFileIncrement = 1;
    EXPECT_EQ(camera.NextAutoFileName(), std::string(58, 'a') + "_0001");

    // A suffix length only a hand-edited file can hold is held to what the dialog allows.
    p.autoFileName = "x";
    p.suffixLength = 30000;
    EXPECT_EQ(camera.NextAutoFileName(), "x_000000000002");
    p.suffixLength = -5;
    EXPECT_EQ(camera.NextAutoFileName(), "x_3");
}

// The tools the preferences reach, as a test builds them.
class CameraSettingApplyTest : public ::testing::Test {
protected:
    PreferenceTargets Targets() { return {&lists_, &size_, &tools_, &stage_, &displays_}; }

    test::RecordingUiPort ui_;
    QVSize size_{SensorGeometry{}, ui_};
    HeldSettingTools tools_{size_};
    SettingLists lists_;
    test::RecordingStage stage_;
    test::RecordingPreferenceDisplays displays_;
    QVCameraSetting camera_;
};

TEST_F(CameraSettingApplyTest, HandsEveryValueOverInTheControlsOrder)
{
    ReadInto(camera_,
             "CameraColorMode \"Blue\"\r\nISOIncrement \"One Third\"\r\n"
             "LineTimeSync \"50Hz\"\r\nMaskColor 1 2 3\r\nGridWidth 40\r\n"
             "GuidePatternID 2\r\nScanName \"Chart\"\r\nCropPrescan true\r\n"
             "LineTimeIndex 14\r\nSpotWidth 3\r\nStageType \"Large Stage\"\r\n"
             "ControlPosition \"Bottom\"\r\nICCProfile \"a.icc\"\r\n"
             "CurrentICCProfileIndex 1\r\nEmbedICCProfile true\r\n"
             "TimeLapse true\r\nTimeLapseImages 4\r\nTimeLapseSeconds 30\r\n"
             "enableRulers true\r\n");
    camera_.Apply(Targets());

    EXPECT_EQ(displays_.calls,
              (std::vector<std::string>{"colour mode 3", "appearance", "name Chart", "position 3",
                                        "profiles", "time lapse", "rulers 1"}));
    EXPECT_EQ(tools_.GetLevelStep(), ExposurePreferences::kThirdStop);
    EXPECT_EQ(tools_.GetLineTimeTable(), ExposurePreferences::k50HzTable);
    EXPECT_EQ(tools_.GetLineTimeIndex(), 14);
    EXPECT_EQ(tools_.GetSpotWidth(), 3);
    EXPECT_TRUE(size_.IsCropPrescan());
    EXPECT_EQ(stage_.values.stageType, StageValues::kLargeStage);
    EXPECT_EQ(displays_.appearance.maskColor, 1u + 2u * 256u + 3u * 65536u);
    EXPECT_EQ(displays_.appearance.gridWidth, 40);
    EXPECT_EQ(displays_.appearance.guidePattern, 2);
    EXPECT_EQ(displays_.profiles, std::vector<std::string>{"a.icc"});
    EXPECT_TRUE(displays_.embedChecked);
    EXPECT_EQ(displays_.timeLapseImages, 4);
    EXPECT_EQ(displays_.timeLapseSeconds, 30);
    EXPECT_TRUE(displays_.timeLapseOn) << "\"TimeLapse true\" switches time lapse on";
}

TEST_F(CameraSettingApplyTest, ASeriesOfNoImagesIsRepairedAndSwitchedOff)
{
    ReadInto(camera_, "TimeLapse true\r\nTimeLapseImages 0\r\nTimeLapseSeconds 45\r\n");
    camera_.Apply(Targets());
    EXPECT_EQ(displays_.timeLapseImages, 1);
    EXPECT_EQ(displays_.timeLapseSeconds, 1);
    EXPECT_FALSE(displays_.timeLapseOn);
    EXPECT_FALSE(camera_.Prefs().timeLapse);

    ReadInto(camera_, "TimeLapse true\r\nTimeLapseImages 3\r\nTimeLapseSeconds -2\r\n");
    camera_.Apply(Targets());
    EXPECT_EQ(camera_.Prefs().timeLapseImages, 1);
    EXPECT_FALSE(displays_.timeLapseOn);
}

TEST_F(CameraSettingApplyTest, OnlyPositiveCurrentIndexesAreTakenOver)
{
    lists_.SetCurrentIndex<SizeSetting>(3);
    lists_.SetCurrentIndex<CurveSetting>(5);
    ReadInto(camera_,
             "CurrentSizeSettingIndex 0\r\nCurrentCurveSettingIndex 8\r\n"
             "CurrentHistoSettingIndex -2\r\n");
    camera_.Apply(Targets());
    EXPECT_EQ(lists_.CurrentIndex<SizeSetting>(), 3) << "0 leaves the current entry alone";
    EXPECT_EQ(lists_.CurrentIndex<CurveSetting>(), 8);
    EXPECT_EQ(lists_.CurrentIndex<HistogramSetting>(), 0);
}

TEST_F(CameraSettingApplyTest, WithAutomaticSuffixesTheNameFieldShowsTheLastSuffix)
{
    ReadInto(camera_,
             "UseAutoSuffixes true\r\nAutoFileName \"Shoot\"\r\nAutoFileSuffix 4\r\n"
             "AutoFileIncrement 5\r\nSuffixLength 3\r\n");
    camera_.Apply(Targets());
    EXPECT_EQ(displays_.nameField, "Shoot_004");
    EXPECT_EQ(camera_.Prefs().autoFileSuffix, 4);
}

TEST_F(CameraSettingApplyTest, GatherTakesWhatTheLiveObjectsOwn)
{
    CameraPreferences& p = camera_.Prefs();
    tools_.SelectLineTimeTable(ExposurePreferences::kExactTable);
    tools_.SetLineTimeIndex(17);
    tools_.SetSpotWidth(1);
    lists_.SetCurrentIndex<ExposureSetting>(4);
    size_.SetCropPrescan(true);
    stage_.values.focalLength = 35;
    displays_.nameField = "Barn";
    displays_.position = 1;
    displays_.profileIndex = 2;
    displays_.rulers = true;
    p.iccProfileName = "kept.icc";

    camera_.Gather(Targets());
    EXPECT_EQ(p.lineTimeSync, CameraPreferences::kSyncExact);
    EXPECT_EQ(p.lineTimeIndex, 17);
    EXPECT_EQ(p.spotWidth, 1);
    EXPECT_EQ(p.currentExposureSettingIndex, 4);
    EXPECT_TRUE(p.cropPrescan);
    EXPECT_EQ(p.stage.focalLength, 35);
    EXPECT_EQ(p.scanName, "Barn");
    EXPECT_EQ(p.controlPosition, "Left");
    EXPECT_EQ(p.currentICCProfileIndex, 2);
    EXPECT_TRUE(p.enableRulers);
    EXPECT_EQ(p.iccProfileName, "kept.icc") << "the dialog's fields stay as they are";

    // With automatic suffixes the name field shows a formed name, not the scan name.
    p.useAutoSuffixes = true;
    displays_.nameField = "File_03";
    displays_.position = 7;
    camera_.Gather(Targets());
    EXPECT_EQ(p.scanName, "Barn");
    EXPECT_EQ(p.controlPosition, "Right");
}

TEST(QVCameraSettingTest, ControlPositions)
{
    EXPECT_EQ(QVCameraSetting::ControlPositionCode("Right"), 0);
    EXPECT_EQ(QVCameraSetting::ControlPositionCode("Top"), 2);
    EXPECT_EQ(QVCameraSetting::ControlPositionCode("Bottom"), 3);
    EXPECT_EQ(QVCameraSetting::ControlPositionCode("Middle"), 0);
    EXPECT_EQ(QVCameraSetting::ControlPositionText(1), "Left");
    EXPECT_EQ(QVCameraSetting::ControlPositionText(0), "Right");
    EXPECT_EQ(QVCameraSetting::ControlPositionText(4), "Right");
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(QVCameraSettingTest, ProfileBytesAreReadOnceForEachName)
{
    const test::TempDir dir;
    const auto first = dir.Path() / "first.icc";
    const auto second = dir.Path() / "second.icc";
    WriteFile(first, "profile one");

    QVCameraSetting camera;
    CameraPreferences& p = camera.Prefs();
    p.iccProfileName = first.string();
    EXPECT_TRUE(camera.ProfileData().empty()) << "embedding is off";
    p.embedICCProfile = true;
    const std::vector<std::uint8_t> bytes = camera.ProfileData();
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "profile one");

    // While the name stays the same, the bytes read are used again.
    WriteFile(first, "changed on disk");
    const std::vector<std::uint8_t> again = camera.ProfileData();
    EXPECT_EQ(std::string(again.begin(), again.end()), "profile one");

    // A file that is not there gives no profile, and is tried again next time.
    p.iccProfileName = second.string();
    EXPECT_TRUE(camera.ProfileData().empty());
    WriteFile(second, "profile two");
    const std::vector<std::uint8_t> later = camera.ProfileData();
    EXPECT_EQ(std::string(later.begin(), later.end()), "profile two");

    p.iccProfileName.clear();
    EXPECT_TRUE(camera.ProfileData().empty());
    p.iccProfileName = dir.Path().string();
    EXPECT_TRUE(camera.ProfileData().empty()) << "a folder is no profile";
}

TEST(QVCameraSettingTest, AddingAProfileMakesItTheEmbeddedCurrentOne)
{
    QVCameraSetting camera;
    camera.Prefs().iccProfiles = {"a.icc"};
    camera.AddProfile("/home/u/.local/share/icc/b.icc");
    EXPECT_EQ(camera.Prefs().iccProfileName, "/home/u/.local/share/icc/b.icc");
    EXPECT_EQ(camera.Prefs().iccProfiles.size(), 2u);
    EXPECT_EQ(camera.Prefs().currentICCProfileIndex, 2);
    EXPECT_TRUE(camera.Prefs().embedICCProfile);
}

}  // namespace
}  // namespace scanora
