#include "settings/PreferencesFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "RecordingSettingTools.h"
#include "SettingsTestSupport.h"
#include "context/HeldSettingTools.h"
#include "platform/UiPort.h"
#include "settings/BuiltInSettings.h"
#include "settings/CurveFileImport.h"
#include "settings/PreferenceCommands.h"
#include "settings/QVCameraSetting.h"
#include "settings/QVSize.h"
#include "settings/SettingLists.h"
#include "support/RecordingUiPort.h"
#include "support/TempDir.h"

namespace scanora {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr std::string_view kFramingOnly = "BeginSettingFile\r\nEndSettingFile\r\n";

std::string BuiltInText()
{
    MemoryOutputStream out;
    BuiltInSettings::Write(out, BuiltInSettings::kWindowsFolder);
    return std::string(out.Text());
}

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteFile(const std::filesystem::path& path, std::string_view bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Replaced(std::string text, std::string_view from, std::string_view to)
{
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

template <typename Record>
std::vector<std::string> Names(const SettingLists& lists)
{
    std::vector<std::string> names;
    for (const auto& record : lists.List<Record>()) names.push_back(record->GetName());
    return names;
}

// A program's settings without its windows: the geometry of the camera models with 6000 pixels
// and 8000 lines, held exposure, curve and histogram values, the four lists and the preferences.
class PreferencesFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        file_.SetVersionText(std::string(PreferencesFile::kBuiltInVersion));
        file_.SetBuiltInFolder(std::string(BuiltInSettings::kWindowsFolder));
        camera_.Apply(targets_);
    }

    std::string Written()
    {
        MemoryOutputStream out;
        file_.WriteSettings(out);
        return std::string(out.Text());
    }

    template <typename Record>
    std::string CurrentName() const
    {
        const Record* record = lists_.Current<Record>();
        return record ? record->GetName() : "(none)";
    }

    test::RecordingUiPort ui_;
    QVSize size_{SensorGeometry{}, ui_};
    HeldSettingTools held_{size_};
    test::RecordingSettingTools tools_{held_};
    SettingLists lists_;
    QVCameraSetting camera_;
    PreferenceTargets targets_{&lists_, &size_, &held_, nullptr, nullptr};
    PreferencesFile file_{lists_, camera_, tools_, targets_};
};

// The built-in file is compared with tests/data/settings/BuiltInPreferences.txt. After an
// intended change of the format, regenerate it by running the tests with SCANORA_UPDATE_GOLDEN=1
// and review the difference.
TEST_F(PreferencesFileTest, BuiltInFileReadAndWrittenAgainIsTheSameByteForByte)
{
    const std::string builtIn = BuiltInText();
    test::ExpectMatchesGolden(builtIn, "BuiltInPreferences.txt");

    const SettingsFileReport report = file_.ReadSettings(builtIn);
    EXPECT_EQ(report.sizeRecords, 1u);
    EXPECT_EQ(report.exposureRecords, 5u);
    EXPECT_EQ(report.curveRecords, 13u);
    EXPECT_EQ(report.histogramRecords, 3u);
    EXPECT_TRUE(report.cameraSection);
    EXPECT_THAT(report.currentState, ElementsAre("size", "exposure", "curve", "histogram"));
    EXPECT_TRUE(report.endLine);
    EXPECT_TRUE(report.problems.empty());
    EXPECT_FALSE(report.defaultsCreated);

    EXPECT_EQ(Written(), builtIn);
}

TEST_F(PreferencesFileTest, LoneLineFeedsReadLikeCrLf)
{
    file_.ReadSettings(Replaced(BuiltInText(), "\r\n", "\n"));
    EXPECT_EQ(Written(), BuiltInText()) << "written back with CR LF";
}

TEST_F(PreferencesFileTest, FramingLinesAloneGiveTheFiveDefaults)
{
    const SettingsFileReport report = file_.ReadSettings(kFramingOnly);
    EXPECT_TRUE(report.defaultsCreated);
    EXPECT_THAT(Names<SizeSetting>(lists_), ElementsAre("Default Setting"));
    EXPECT_THAT(Names<ExposureSetting>(lists_), ElementsAre("Default Setting"));
    EXPECT_THAT(Names<CurveSetting>(lists_), ElementsAre("None 14 bit", "Default Setting"));
    EXPECT_THAT(Names<HistogramSetting>(lists_), ElementsAre("Default Setting"));
    const CurveSetting& none14 = *lists_.List<CurveSetting>().Get(1);
    EXPECT_TRUE(none14.IsNone14());
    EXPECT_FALSE(none14.IsChangeable());
    EXPECT_FALSE(lists_.List<CurveSetting>().Get(2)->IsNone14());
    EXPECT_FALSE(lists_.List<SizeSetting>().Get(1)->IsChangeable());
    // The last of each list is current: the default curve, not the 14-bit mode.
    EXPECT_EQ(lists_.CurrentIndex<CurveSetting>(), 2);
    EXPECT_EQ(lists_.CurrentIndex<SizeSetting>(), 1);
    EXPECT_FALSE(held_.IsNone14Mode());
    // The defaults are made from the tools: the exposure tool starts at one stop everywhere.
    EXPECT_EQ(lists_.List<ExposureSetting>().Get(1)->GetNeutralBlue(), 1.0);
    // The histogram tool starts with the shipped default sliders (a slider bar with its bands
    // and false colours, the last slider at 255), not with none.
    const HistogramSetting& histogram = *lists_.List<HistogramSetting>().Get(1);
    ASSERT_EQ(histogram.GetSliderCount(), 7);
    EXPECT_EQ(histogram.GetSliders().back().value, 255);
    EXPECT_TRUE(histogram.GetSliders().front().falseColor);

    // What is written of them reads back as the same lists, not as defaults again.
    SettingLists lists;
    QVCameraSetting camera;
    PreferencesFile again(lists, camera, held_, {});
    EXPECT_FALSE(again.ReadSettings(Written()).defaultsCreated);
    EXPECT_THAT(Names<CurveSetting>(lists), ElementsAre("None 14 bit", "Default Setting"));
    EXPECT_FALSE(lists.List<CurveSetting>().Get(1)->IsChangeable());
}

TEST_F(PreferencesFileTest, ACameraSectionAloneCountsAsSettings)
{
    const SettingsFileReport report = file_.ReadSettings(
        "BeginSettingFile\r\nBeginCameraSetting\r\nBaselineISO 400\r\nEndCameraSetting\r\n"
        "EndSettingFile\r\n");
    EXPECT_FALSE(report.defaultsCreated);
    EXPECT_EQ(lists_.List<SizeSetting>().Count(), 0u);
    EXPECT_EQ(camera_.Prefs().baselineISO, 400);
}

TEST_F(PreferencesFileTest, CurrentCurveIndexEightMakesBent6StopsCurrentBeforeTheCurrentState)
{
    file_.ReadSettings(BuiltInText());
    EXPECT_EQ(CurrentName<CurveSetting>(), "bent 6 stops");
    EXPECT_EQ(CurrentName<ExposureSetting>(), "Daylight New CCD");
    EXPECT_EQ(CurrentName<HistogramSetting>(), "Default Setting");
    // The current entries are applied in the order size, exposure, curve, histogram; then the
    // current state (records without names) in the same order.
    EXPECT_THAT(tools_.applied, ElementsAre("size Default Setting", "exposure Daylight New CCD",
                                            "curve bent 6 stops", "histogram Default Setting",
                                            "size ", "exposure ", "curve ", "histogram "));
    CurveSetting live;
    held_.Capture(live);
    EXPECT_EQ(live.GetHandles()[0], (CurveHandle{29, 3})) << "the current state has the last word";
}

TEST_F(PreferencesFileTest, ACurrentCurveInThe14BitModeKeepsItsHandles)
{
    const std::string text =
        Replaced(Replaced(BuiltInText(), "ToneCurve 7  29 3", "ToneCurve 7  11 3"),
                 "None14 false\r\nNegative false\r\nEndCurveSetting\r\nBeginHistogramSetting\r\n"
                 "SettingName \"\"",
                 "None14 true\r\nNegative false\r\nEndCurveSetting\r\nBeginHistogramSetting\r\n"
                 "SettingName \"\"");
    file_.ReadSettings(text);
    EXPECT_TRUE(held_.IsNone14Mode());
    CurveSetting live;
    held_.Capture(live);
    EXPECT_EQ(live.GetHandles()[0], (CurveHandle{11, 3}));
    // Written back, the state says both: the mode and the handles to return to.
    EXPECT_THAT(Written(), HasSubstr("ToneCurve 7  11 3  80 28  113 56  142 106  195 220  212 245  "
                                     "230 255  \r\nBlackOnTop false\r\nNone14 true\r\n"));
}

TEST_F(PreferencesFileTest, AnIndexBeyondItsListSelectsNothing)
{
    file_.ReadSettings(
        Replaced(BuiltInText(), "CurrentCurveSettingIndex 8", "CurrentCurveSettingIndex 40"));
    EXPECT_EQ(lists_.CurrentIndex<CurveSetting>(), 0);
    EXPECT_EQ(std::count_if(tools_.applied.begin(), tools_.applied.end(),
                            [](const std::string& a) { return a.starts_with("curve "); }),
              1)
        << "only the current state's curve";
    EXPECT_THAT(Written(), HasSubstr("CurrentCurveSettingIndex 0\r\n"));
}

TEST_F(PreferencesFileTest, LinesAfterTheEndLineAreNeverRead)
{
    const SettingsFileReport report =
        file_.ReadSettings(std::string(kFramingOnly) +
                           "BeginSizeSetting\r\nSettingName \"Late\"\r\nEndSizeSetting\r\n");
    EXPECT_TRUE(report.defaultsCreated);
    EXPECT_THAT(Names<SizeSetting>(lists_), ElementsAre("Default Setting"));
}

TEST_F(PreferencesFileTest, SectionsThatCanNotBeReadAreReported)
{
    const SettingsFileReport report = file_.ReadSettings(
        "Qorvane Scanora Settings File anything\r\nBeginSettingFile\r\n"
        "BeginMysterySetting\r\nEndMysterySetting\r\n"
        "BeginCurveSetting\r\nSettingName \"Cut\"\r\nToneCurve 5  1 1  2 2  3 3  4 4  5 5\r\n");
    EXPECT_THAT(report.unknownSections, ElementsAre("BeginMysterySetting"));
    ASSERT_EQ(report.problems.size(), 1u);
    EXPECT_THAT(report.problems[0], HasSubstr("\"Cut\""));
    EXPECT_THAT(report.problems[0], HasSubstr("EndCurveSetting"));
    EXPECT_FALSE(report.endLine);
    // What was read of it is kept, as the rest of the program always has.
    EXPECT_THAT(Names<CurveSetting>(lists_), ElementsAre("Cut"));
}

TEST_F(PreferencesFileTest, SkippedOrMissingFilesGiveTheDefaults)
{
    const test::TempDir dir;
    const auto path = dir.Path() / "Scanora Prefs";
    WriteFile(path, BuiltInText());

    const SettingsFileReport skipped = file_.ReadSettingsFile(path, /*skip=*/true);
    EXPECT_FALSE(skipped.opened);
    EXPECT_TRUE(skipped.defaultsCreated);
    EXPECT_EQ(lists_.List<ExposureSetting>().Count(), 1u);

    lists_.Clear();
    const SettingsFileReport missing = file_.ReadSettingsFile(dir.Path() / "none");
    EXPECT_FALSE(missing.opened);
    EXPECT_TRUE(missing.defaultsCreated);

    lists_.Clear();
    const SettingsFileReport read = file_.ReadSettingsFile(path);
    EXPECT_TRUE(read.opened);
    EXPECT_EQ(lists_.List<ExposureSetting>().Count(), 5u);
}

TEST_F(PreferencesFileTest, WritingGathersTheLiveState)
{
    file_.ReadSettings(BuiltInText());
    held_.SetLineTimeIndex(3);
    held_.SelectLineTimeTable(ExposurePreferences::k50HzTable);
    lists_.Select<HistogramSetting>(3, tools_);
    const std::string text = Written();
    EXPECT_THAT(text, HasSubstr("\r\nLineTimeIndex 3\r\n"));
    EXPECT_THAT(text, HasSubstr("\r\nLineTimeSync \"50Hz\"\r\n"));
    EXPECT_THAT(text, HasSubstr("\r\nCurrentHistoSettingIndex 3\r\n"));
    // The current state is the tools', here the slider set just selected.
    EXPECT_THAT(text, HasSubstr("SettingName \"\"\r\nChangeable true\r\nBeginSlider\r\n"
                                "SliderValue 10\r\n"));
}

std::vector<std::filesystem::path> FilesIn(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        files.push_back(entry.path().filename());
    return files;
}

// Lowers the largest file this process may write, for the life of the object.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
};

TEST_F(PreferencesFileTest, AFailedWriteLeavesTheOldFileAndNoTemporary)
{
    const test::TempDir dir;
    const auto path = dir.Path() / "Scanora Prefs";
    WriteFile(path, "the previous preferences\r\n");
    file_.ReadSettings(kFramingOnly);
    {
        // The disk fills up after a few hundred bytes.
        const FileSizeLimit limit(300);
        EXPECT_FALSE(file_.WriteSettingsFile(path));
        EXPECT_FALSE(file_.WriteBuiltInDefaults(path));
    }
    EXPECT_EQ(ReadFile(path), "the previous preferences\r\n");
    EXPECT_THAT(FilesIn(dir.Path()), ElementsAre("Scanora Prefs"));

    EXPECT_FALSE(file_.WriteSettingsFile(dir.Path() / "no such folder" / "Scanora Prefs"));
    EXPECT_TRUE(ui_.Messages().empty()) << "a file that can not be written is skipped silently";

    EXPECT_TRUE(file_.WriteSettingsFile(path));
    EXPECT_EQ(ReadFile(path), Written());
    EXPECT_TRUE(file_.WriteBuiltInDefaults(path));
    EXPECT_EQ(ReadFile(path), BuiltInText());
}

// The menu commands around the file.
class PreferenceCommandsTest : public PreferencesFileTest {
protected:
    void SetUp() override
    {
        PreferencesFileTest::SetUp();
        WriteFile(builtInPath_, BuiltInText());
    }

    test::TempDir dir_;
    std::filesystem::path builtInPath_ = dir_.Path() / "Studio.snp";
    std::filesystem::path defaultPath_ = dir_.Path() / "Scanora Prefs";
    bool capturing_ = false;
    PreferenceCommands commands_{file_,       lists_, tools_, ui_, [this] { return capturing_; },
                                 defaultPath_};
};

TEST_F(PreferenceCommandsTest, EveryFileCommandIsRefusedDuringACapture)
{
    WriteFile(dir_.Path() / "Curve.cur", "3 0 0 128 140 255 255 ");
    capturing_ = true;
    EXPECT_FALSE(commands_.OpenPreferences(builtInPath_));
    EXPECT_FALSE(commands_.SavePreferencesAs(dir_.Path() / "Other.snp"));
    EXPECT_FALSE(commands_.SavePreferences());
    EXPECT_FALSE(commands_.MayOpenPreferencesDialog());
    EXPECT_FALSE(commands_.LoadToneCurve(dir_.Path() / "Curve.cur"));
    EXPECT_FALSE(commands_.SaveToneCurve(dir_.Path() / "Saved.cur"));

    const auto messages = ui_.Messages();
    ASSERT_EQ(messages.size(), 6u);
    for (const auto& message : messages) {
        EXPECT_EQ(message.text, "Prescan/Scan in Progress");
        EXPECT_EQ(message.icon, MessageIcon::Exclamation);
    }
    EXPECT_EQ(lists_.List<CurveSetting>().Count(), 0u);
    EXPECT_THAT(FilesIn(dir_.Path()), testing::UnorderedElementsAre("Studio.snp", "Curve.cur"));

    capturing_ = false;
    EXPECT_TRUE(commands_.OpenPreferences(builtInPath_));
    EXPECT_TRUE(commands_.SavePreferences());
    EXPECT_TRUE(commands_.MayOpenPreferencesDialog());
    EXPECT_EQ(ui_.Messages().size(), 6u);
    EXPECT_EQ(ReadFile(defaultPath_), BuiltInText());
}

TEST_F(PreferenceCommandsTest, OpeningAFileReplacesTheListsAndAddsItsGuides)
{
    WriteFile(builtInPath_, Replaced(BuiltInText(), "Guides 0 ", "Guides 1 40 vertical "));
    ASSERT_TRUE(commands_.OpenPreferences(builtInPath_));
    lists_.Select<CurveSetting>(3, tools_);
    ASSERT_TRUE(commands_.OpenPreferences(builtInPath_));
    EXPECT_EQ(lists_.List<CurveSetting>().Count(), 13u);
    EXPECT_EQ(lists_.List<ExposureSetting>().Count(), 5u);
    EXPECT_EQ(CurrentName<CurveSetting>(), "bent 6 stops");
    EXPECT_EQ(camera_.Prefs().guides.size(), 2u) << "the guides are added to, not replaced";
}

TEST_F(PreferenceCommandsTest, ALoadedCurveFileBecomesTheCurrentCurve)
{
    commands_.OpenPreferences(builtInPath_);
    WriteFile(dir_.Path() / "Portrait.cur", "3 0 0 128 140 255 255 ");
    ASSERT_TRUE(commands_.LoadToneCurve(dir_.Path() / "Portrait.cur"));
    EXPECT_EQ(lists_.List<CurveSetting>().Count(), 14u);
    EXPECT_EQ(lists_.CurrentIndex<CurveSetting>(), 14) << "the index agrees with the selection";
    const CurveSetting& loaded = *lists_.Current<CurveSetting>();
    EXPECT_EQ(loaded.GetName(), "Portrait");
    EXPECT_THAT(loaded.GetHandles(),
                ElementsAre(CurveHandle{0, 0}, CurveHandle{128, 140}, CurveHandle{255, 255}));

    ASSERT_TRUE(commands_.SaveToneCurve(dir_.Path() / "Saved.cur"));
    EXPECT_EQ(ReadFile(dir_.Path() / "Saved.cur"), "3 0 0 128 140 255 255 ");
    EXPECT_FALSE(commands_.LoadToneCurve(dir_.Path() / "missing.cur"));
    EXPECT_EQ(lists_.List<CurveSetting>().Count(), 14u);
}

// A curve file holds handles only: loading one, from the menu or from the command line (both
// go through CurveFileImport), replaces the handles and keeps the current curve's flags.
TEST_F(PreferenceCommandsTest, ALoadedCurveFileKeepsTheCurvesFlagsOnEveryPath)
{
    commands_.OpenPreferences(builtInPath_);
    const std::filesystem::path file = dir_.Path() / "Portrait.cur";
    WriteFile(file, "3 0 0 128 140 255 255 ");
    // A negative curve with black on top, switched off for the 14-bit output.
    const auto setFlags = [this] {
        CurveSetting flags;
        held_.Capture(flags);
        flags.SetNegative(true);
        flags.SetBlackOnTop(true);
        held_.Apply(flags);
        flags.SetNone14(true);
        held_.Apply(flags);
    };

    // The menu command.
    setFlags();
    ASSERT_TRUE(commands_.LoadToneCurve(file));
    const CurveState fromMenu = held_.CurveEditor().CurrentCurve();
    CurveSetting menuSetting;
    held_.Capture(menuSetting);
    EXPECT_TRUE(lists_.Current<CurveSetting>()->IsNegative());
    EXPECT_TRUE(lists_.Current<CurveSetting>()->IsBlackOnTop());

    // The command line's --curve, from the same state.
    setFlags();
    const CurveFileImport::Result loaded = CurveFileImport::Load(file, held_);
    ASSERT_TRUE(loaded.loadedHandles);
    EXPECT_EQ(loaded.setting->GetName(), "Portrait");
    const CurveState fromOption = held_.CurveEditor().CurrentCurve();
    CurveSetting optionSetting;
    held_.Capture(optionSetting);

    for (const CurveState& state : {fromMenu, fromOption}) {
        EXPECT_THAT(state.handles,
                    ElementsAre(CurveHandle{0, 0}, CurveHandle{128, 140}, CurveHandle{255, 255}));
        EXPECT_TRUE(state.negative);
        EXPECT_FALSE(state.none14) << "a chosen curve is applied";
    }
    EXPECT_TRUE(menuSetting.IsBlackOnTop());
    EXPECT_TRUE(optionSetting.IsBlackOnTop());

    // A file without handles changes nothing but still names a setting; one that can not be
    // read gives nothing.
    WriteFile(dir_.Path() / "Empty.cur", "0 ");
    const CurveFileImport::Result empty = CurveFileImport::Load(dir_.Path() / "Empty.cur", held_);
    EXPECT_FALSE(empty.loadedHandles);
    ASSERT_NE(empty.setting, nullptr);
    EXPECT_EQ(empty.setting->GetHandleCount(), 3);
    EXPECT_EQ(CurveFileImport::Load(dir_.Path() / "missing.cur", held_).setting, nullptr);
}

TEST(SettingListsTest, TheProgramsFirstEntriesCanNotBeDeleted)
{
    SettingLists lists;
    test::RecordingUiPort ui;
    QVSize size(SensorGeometry{}, ui);
    HeldSettingTools tools(size);
    for (const char* name : {"None 14 bit", "Default Setting", "Mine"}) {
        auto curve = std::make_unique<CurveSetting>();
        curve->SetName(name);
        lists.Append(std::move(curve));
    }
    EXPECT_EQ(lists.CurrentIndex<CurveSetting>(), 3);
    EXPECT_TRUE(lists.CanDeleteCurrent<CurveSetting>());
    lists.Select<CurveSetting>(2, tools);
    EXPECT_FALSE(lists.CanDeleteCurrent<CurveSetting>());
    lists.List<CurveSetting>().Get(3)->SetUnchangeable();
    lists.Select<CurveSetting>(3, tools);
    EXPECT_FALSE(lists.CanDeleteCurrent<CurveSetting>()) << "not changeable";

    auto size1 = std::make_unique<SizeSetting>();
    lists.Append(std::move(size1));
    EXPECT_FALSE(lists.CanDeleteCurrent<SizeSetting>()) << "the first size entry";
    lists.Clear();
    EXPECT_EQ(lists.CurrentIndex<CurveSetting>(), 0);
    EXPECT_EQ(lists.Current<CurveSetting>(), nullptr);
}

}  // namespace
}  // namespace scanora
