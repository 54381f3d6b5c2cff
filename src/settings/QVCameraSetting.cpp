#include "settings/QVCameraSetting.h"

#include <algorithm>
#include <array>
#include <limits>
#include <span>

#include "settings/ExposurePreferences.h"
#include "settings/LineReader.h"
#include "settings/PreferenceDisplays.h"
#include "settings/QVSize.h"
#include "settings/SettingLists.h"
#include "settings/StagePreferences.h"
#include "settings/ValueScanner.h"

namespace scanora {
namespace {

using P = CameraPreferences;

// The words of an enumeration, indexed by its code, and what the reader and the writer do with
// a word or a code that is not in the list.
struct EnumWords {
    std::span<const std::string_view> words;
    bool keepOnUnknownWord = false;  // otherwise an unknown word reads as code 0
    std::string_view unknownCodeText;
};

constexpr std::array<std::string_view, 4> kColorModes{"Color", "Red", "Green", "Blue"};
constexpr std::array<std::string_view, 3> kLineTimeSyncs{"Exact", "60Hz", "50Hz"};
constexpr std::array<std::string_view, 2> kIsoIncrements{"One Tenth", "One Third"};
constexpr std::array<std::string_view, 4> kStageTypes{"Large Stage", "Small Stage", "Custom Stage",
                                                      "Orbiscan Camera"};
constexpr std::array<std::string_view, 4> kPanoModes{"Off", "On", "Rollout", "Object"};

constexpr EnumWords kColorModeWords{kColorModes, false, "Color"};
constexpr EnumWords kLineTimeSyncWords{kLineTimeSyncs, true, "Unknown"};
constexpr EnumWords kIsoIncrementWords{kIsoIncrements, false, "Unknown"};
constexpr EnumWords kStageTypeWords{kStageTypes, true, "Unknown"};
constexpr EnumWords kPanoModeWords{kPanoModes, false, "Unknown"};

constexpr std::string_view kMotorComment =
    "a-f params, acceleration, cruise rate, min position, max position, center position";

// One key of the section: how its value is read into the preferences and how it is written.
struct KeyRule {
    std::string_view key;
    void (*read)(const KeyRule& rule, P& prefs, std::string_view value);
    void (*write)(const KeyRule& rule, const P& prefs, OutputStream& out);
    const EnumWords* words = nullptr;
    std::size_t maxLength = std::string::npos;
};

// The field a path of members leads to: FieldOf<&P::stage, &StageValues::focalLength>(prefs).
template <auto... Path>
constexpr auto& FieldOf(auto& prefs)
{
    // clang-format off
    return (prefs .* ... .* Path);
    // clang-format on
}

template <typename Number>
void AssignParsed(Number& field, const std::optional<Number>& parsed)
{
    if (parsed)
        field = *parsed;
}

template <auto... Path>
constexpr KeyRule Bool(std::string_view key)
{
    return {key,
            [](const KeyRule&, P& p, std::string_view value) {
                FieldOf<Path...>(p) = QVSetting::ParseBool(value);
            },
            [](const KeyRule& rule, const P& p, OutputStream& out) {
                QVSetting::WriteBool(out, rule.key, FieldOf<Path...>(p));
            }};
}

template <auto... Path>
constexpr KeyRule Quoted(std::string_view key, std::size_t maxLength = std::string::npos)
{
    return {key,
            [](const KeyRule& rule, P& p, std::string_view value) {
                QVSetting::ReadQuoted(value, FieldOf<Path...>(p), rule.maxLength);
            },
            [](const KeyRule& rule, const P& p, OutputStream& out) {
                QVSetting::WriteQuoted(out, rule.key, FieldOf<Path...>(p));
            },
            nullptr, maxLength};
}

template <auto... Path>
constexpr KeyRule Int16(std::string_view key)
{
    return {key,
            [](const KeyRule&, P& p, std::string_view value) {
                AssignParsed(FieldOf<Path...>(p), QVSetting::ParseInt16(value));
            },
            [](const KeyRule& rule, const P& p, OutputStream& out) {
                QVSetting::WriteInt16(out, rule.key, FieldOf<Path...>(p));
            }};
}

template <auto... Path>
constexpr KeyRule Int32(std::string_view key)
{
    return {key,
            [](const KeyRule&, P& p, std::string_view value) {
                AssignParsed(FieldOf<Path...>(p), QVSetting::ParseInt32(value));
            },
            [](const KeyRule& rule, const P& p, OutputStream& out) {
                QVSetting::WriteInt32(out, rule.key, FieldOf<Path...>(p));
            }};
}

template <auto... Path>
constexpr KeyRule Real(std::string_view key)
{
    return {key,
            [](const KeyRule&, P& p, std::string_view value) {
                AssignParsed(FieldOf<Path...>(p), QVSetting::ParseReal(value));
            },
            [](const KeyRule& rule, const P& p, OutputStream& out) {
                QVSetting::WriteReal(out, rule.key, FieldOf<Path...>(p));
            }};
}

template <auto... Path>
constexpr KeyRule Color(std::string_view key)
{
    return {key,
            [](const KeyRule&, P& p, std::string_view value) {
                AssignParsed(FieldOf<Path...>(p), ParseRGB(value));
            },
            [](const KeyRule& rule, const P& p, OutputStream& out) {
                QVSetting::WriteRGB(out, rule.key, FieldOf<Path...>(p));
            }};
}

// An enumeration written as its word in quotes.
template <auto... Path>
constexpr KeyRule Enum(std::string_view key, const EnumWords& words)
{
    return {key,
            [](const KeyRule& rule, P& p, std::string_view value) {
                const std::string_view word = QVSetting::ExtractQuoted(value);
                const auto& list = rule.words->words;
                const auto found = std::find(list.begin(), list.end(), word);
                if (found != list.end())
                    FieldOf<Path...>(p) = static_cast<std::int16_t>(found - list.begin());
                else if (!rule.words->keepOnUnknownWord)
                    FieldOf<Path...>(p) = 0;
            },
            [](const KeyRule& rule, const P& p, OutputStream& out) {
                const std::int16_t code = FieldOf<Path...>(p);
                const auto& list = rule.words->words;
                const bool known = code >= 0 && static_cast<std::size_t>(code) < list.size();
                QVSetting::WriteQuoted(
                    out, rule.key,
                    known ? list[static_cast<std::size_t>(code)] : rule.words->unknownCodeText);
            },
            &words};
}

constexpr KeyRule MotorComment()
{
    return {"Comment:", [](const KeyRule&, P&, std::string_view) {},
            [](const KeyRule& rule, const P&, OutputStream& out) {
                QVSetting::WriteQuoted(out, rule.key, kMotorComment);
            }};
}

// "MotorParams 2618 51200 ... 26624 ": every value after one space, and one more space.
constexpr KeyRule MotorParams()
{
    return {"MotorParams",
            [](const KeyRule&, P& p, std::string_view value) {
                ValueScanner scanner(value);
                for (std::uint16_t& param : p.stage.motorParams)
                    AssignParsed(param, scanner.NextUInt16());
            },
            [](const KeyRule& rule, const P& p, OutputStream& out) {
                std::string text;
                for (const std::uint16_t param : p.stage.motorParams)
                    text += std::to_string(param) + ' ';
                QVSetting::WriteRaw(out, rule.key, text);
            }};
}

// One line per profile; each line read adds one.
constexpr KeyRule ProfileList()
{
    return {"ICCProfile",
            [](const KeyRule&, P& p, std::string_view value) {
                p.iccProfiles.emplace_back(QVSetting::ExtractQuoted(value));
            },
            [](const KeyRule& rule, const P& p, OutputStream& out) {
                for (const std::string& profile : p.iccProfiles)
                    QVSetting::WriteQuoted(out, rule.key, profile);
            }};
}

// "Guides 2 25 vertical 50 horizontal ": the count, then position and direction of each guide,
// every item followed by one space. The guides read are added to those held.
constexpr KeyRule Guides()
{
    return {"Guides",
            [](const KeyRule&, P& p, std::string_view value) {
                ValueScanner scanner(value);
                const auto count = scanner.NextInt32();
                for (std::int32_t i = 0; count && i < *count; ++i) {
                    const auto position = scanner.NextReal();
                    const auto word = scanner.NextWord();
                    if (!position || !word)
                        break;
                    p.guides.push_back({*position, *word == "horizontal"});
                }
            },
            [](const KeyRule& rule, const P& p, OutputStream& out) {
                std::string text = std::to_string(p.guides.size()) + ' ';
                for (const Guide& guide : p.guides) {
                    text += QVSetting::FormatReal(guide.position) + ' ';
                    text += guide.horizontal ? "horizontal " : "vertical ";
                }
                QVSetting::WriteRaw(out, rule.key, text);
            }};
}

// Only the three known texts are kept; any other number read becomes the capture notes.
constexpr KeyRule DescriptionTextType()
{
    KeyRule rule = Int16<&P::fileDescriptionTextType>("FileDescriptionTextType");
    rule.read = [](const KeyRule&, P& p, std::string_view value) {
        if (const auto type = QVSetting::ParseInt16(value)) {
            const bool known = *type >= P::kDescriptionNone && *type <= P::kDescriptionFileName;
            p.fileDescriptionTextType = known ? *type : P::kDescriptionNotes;
        }
    };
    return rule;
}

using S = StageValues;

// The keys in the order they are written.
constexpr std::array kRules{
    Bool<&P::fastPrescan>("FastPrescan"),
    Bool<&P::cropPrescan>("CropPrescan"),
    Bool<&P::use16BitCurve>("Use16BitCurve"),
    Bool<&P::autoSaveScans>("AutoSaveScans"),
    Bool<&P::autoSavePrescans>("AutoSavePrescans"),
    Quoted<&P::saveScansFolder>("SaveScansFolder"),
    Quoted<&P::savePrescansFolder>("SavePrescansFolder"),
    Quoted<&P::autoFileName>("AutoFileName", P::kMaxAutoFileName),
    Int16<&P::autoFileSuffix>("AutoFileSuffix"),
    Int16<&P::suffixLength>("SuffixLength"),
    Int16<&P::autoFileIncrement>("AutoFileIncrement"),
    Bool<&P::useAutoSuffixes>("UseAutoSuffixes"),
    Bool<&P::embedICCProfile>("EmbedICCProfile"),
    Bool<&P::autoOpenRetrieves>("AutoOpenRetrieves"),
    Bool<&P::autoOpenScans>("AutoOpenScans"),
    Bool<&P::autoOpenPrescans>("AutoOpenPrescans"),
    Bool<&P::playSoundAfterScans>("PlaySoundAfterScans"),
    Bool<&P::playSoundAfterPrescans>("PlaySoundAfterPrescans"),
    Quoted<&P::soundName>("SoundName"),
    Quoted<&P::openWithApplicationName>("OpenWithApplicationName"),
    Quoted<&P::iccProfileName>("ICCProfileName"),
    Enum<&P::cameraColorMode>("CameraColorMode", kColorModeWords),
    Int16<&P::currentSizeSettingIndex>("CurrentSizeSettingIndex"),
    Int16<&P::currentExposureSettingIndex>("CurrentExposureSettingIndex"),
    Int16<&P::currentCurveSettingIndex>("CurrentCurveSettingIndex"),
    Int16<&P::currentHistoSettingIndex>("CurrentHistoSettingIndex"),
    Bool<&P::autoSavePrefs>("AutoSavePrefs"),
    Color<&P::maskColor>("MaskColor"),
    Int16<&P::maskTransparency>("MaskTransparency"),
    Color<&P::gridColor>("GridColor"),
    Color<&P::guideColor>("GuideColor"),
    Int16<&P::guidePatternID>("GuidePatternID"),
    Int16<&P::gridWidth>("GridWidth"),
    Int16<&P::gridHeight>("GridHeight"),
    Enum<&P::lineTimeSync>("LineTimeSync", kLineTimeSyncWords),
    Enum<&P::isoIncrement>("ISOIncrement", kIsoIncrementWords),
    Int16<&P::baselineISO>("BaselineISO"),
    Bool<&P::rotateCrop>("RotateCrop"),
    Enum<&P::stage, &S::stageType>("StageType", kStageTypeWords),
    MotorComment(),
    MotorParams(),
    Real<&P::stage, &S::focalLength>("FocalLength"),
    Real<&P::stage, &S::scanExtent>("ScanExtent"),
    Real<&P::stage, &S::rolloutHeight>("RolloutHeight"),
    Real<&P::stage, &S::rolloutDiameter>("RolloutDiameter"),
    Int16<&P::stage, &S::numImages>("NumImages"),
    Real<&P::stage, &S::numDegrees>("NumDegrees"),
    Bool<&P::stage, &S::returnAfterScan>("ReturnAfterScan"),
    Bool<&P::enablePanoMode>("EnablePanoMode"),
    Enum<&P::stage, &S::panoMode>("PanoMode", kPanoModeWords),
    Enum<&P::stage, &S::latentPanoMode>("LatentPanoMode", kPanoModeWords),
    Bool<&P::enableRulers>("enableRulers"),
    Bool<&P::cropPrescan>("CropPrescan"),
    Int16<&P::spotWidth>("SpotWidth"),
    Quoted<&P::controlPosition>("ControlPosition"),
    Quoted<&P::scanName>("ScanName"),
    ProfileList(),
    Int32<&P::currentICCProfileIndex>("CurrentICCProfileIndex"),
    Int16<&P::lineTimeIndex>("LineTimeIndex"),
    Bool<&P::focusRedEnabled>("FocusRedEnabled"),
    Bool<&P::focusGreenEnabled>("FocusGreenEnabled"),
    Bool<&P::focusBlueEnabled>("FocusBlueEnabled"),
    Int16<&P::fileManagerSortOrder>("FileManagerSortOrder"),
    Int16<&P::fileManagerSortDirection>("FileManagerSortDirection"),
    Bool<&P::timeLapse>("TimeLapse"),
    Int16<&P::timeLapseImages>("TimeLapseImages"),
    Int16<&P::timeLapseSeconds>("TimeLapseSeconds"),
    DescriptionTextType(),
    Bool<&P::embedOrientation>("EmbedOrientation"),
    Guides(),
};
static_assert(kRules.size() == 70);

const KeyRule* FindRule(std::string_view key)
{
    const auto found = std::find_if(kRules.begin(), kRules.end(),
                                    [key](const KeyRule& rule) { return rule.key == key; });
    return found == kRules.end() ? nullptr : &*found;
}

constexpr std::array<std::string_view, 4> kControlPositions{"Right", "Left", "Top", "Bottom"};

}  // namespace

QVCameraSetting::QVCameraSetting(bool orbiscan) : QVSetting(SettingKind::Camera)
{
    SetName(kName);
    if (orbiscan) {
        prefs_.stage.stageType = StageValues::kOrbiscanCamera;
        prefs_.stage.panoMode = StageValues::kPanoOn;
        prefs_.stage.latentPanoMode = StageValues::kPanoOn;
    }
    prefs_.stage.motorParams = StageValues::DefaultMotorParams(prefs_.stage.stageType);
}

bool QVCameraSetting::Read(LineReader& in)
{
    prefs_.iccProfiles.clear();
    return ReadSection(in, kEndKey, [this](std::string_view key, std::string_view value) {
        const KeyRule* rule = FindRule(key);
        if (rule == nullptr)
            return false;
        rule->read(*rule, prefs_, value);
        return true;
    });
}

void QVCameraSetting::Write(OutputStream& out) const
{
    WriteLine(out, kBeginKey);
    QVSetting::Write(out);
    for (const KeyRule& rule : kRules) rule.write(rule, prefs_, out);
    WriteLine(out, kEndKey);
}

void QVCameraSetting::Gather(const PreferenceTargets& targets)
{
    CameraPreferences& p = prefs_;
    if (targets.exposure) {
        const int table = targets.exposure->GetLineTimeTable();
        p.lineTimeSync = table == ExposurePreferences::kExactTable  ? P::kSyncExact
                         : table == ExposurePreferences::k50HzTable ? P::kSync50Hz
                                                                    : P::kSync60Hz;
        p.lineTimeIndex = targets.exposure->GetLineTimeIndex();
        p.spotWidth = targets.exposure->GetSpotWidth();
    }
    if (targets.lists) {
        const SettingLists& lists = *targets.lists;
        p.currentSizeSettingIndex = lists.CurrentIndex<SizeSetting>();
        p.currentExposureSettingIndex = lists.CurrentIndex<ExposureSetting>();
        p.currentCurveSettingIndex = lists.CurrentIndex<CurveSetting>();
        p.currentHistoSettingIndex = lists.CurrentIndex<HistogramSetting>();
    }
    if (targets.size)
        p.cropPrescan = targets.size->IsCropPrescan();
    if (targets.stage)
        p.stage = targets.stage->CurrentStageValues();
    if (targets.displays) {
        const PreferenceDisplays& displays = *targets.displays;
        if (!p.useAutoSuffixes)
            p.scanName = displays.ScanNameField();
        p.controlPosition = ControlPositionText(displays.ControlPosition());
        p.currentICCProfileIndex = displays.CurrentProfileIndex();
        p.enableRulers = displays.RulersShown();
    }
}

void QVCameraSetting::Apply(const PreferenceTargets& targets)
{
    CameraPreferences& p = prefs_;
    PreferenceDisplays* displays = targets.displays;
    ExposurePreferences* exposure = targets.exposure;

    if (displays)
        displays->ShowCameraColorMode(p.cameraColorMode);
    if (exposure) {
        exposure->SetLevelStep(p.isoIncrement == P::kOneThird ? ExposurePreferences::kThirdStop
                                                              : ExposurePreferences::kTenthStop);
        exposure->SelectLineTimeTable(
            p.lineTimeSync == P::kSyncExact  ? ExposurePreferences::kExactTable
            : p.lineTimeSync == P::kSync50Hz ? ExposurePreferences::k50HzTable
                                             : ExposurePreferences::k60HzTable);
    }
    if (targets.lists) {
        SettingLists& lists = *targets.lists;
        if (p.currentSizeSettingIndex > 0)
            lists.SetCurrentIndex<SizeSetting>(p.currentSizeSettingIndex);
        if (p.currentExposureSettingIndex > 0)
            lists.SetCurrentIndex<ExposureSetting>(p.currentExposureSettingIndex);
        if (p.currentCurveSettingIndex > 0)
            lists.SetCurrentIndex<CurveSetting>(p.currentCurveSettingIndex);
        if (p.currentHistoSettingIndex > 0)
            lists.SetCurrentIndex<HistogramSetting>(p.currentHistoSettingIndex);
    }
    if (displays) {
        displays->ShowPreviewAppearance({p.maskColor, p.maskTransparency, p.gridColor, p.gridWidth,
                                         p.gridHeight, p.guideColor, p.guidePatternID});
        // With automatic suffixes the name field shows the name of the last suffix used.
        displays->ShowScanName(p.useAutoSuffixes ? CurrentAutoFileName() : p.scanName);
    }
    if (targets.size)
        targets.size->SetCropPrescan(p.cropPrescan);
    if (exposure)
        exposure->SetLineTimeIndex(p.lineTimeIndex);
    if (targets.stage)
        targets.stage->ApplyStageValues(p.stage);
    if (exposure) {
        exposure->RefreshDependentValues();
        exposure->SetSpotWidth(p.spotWidth);
    }
    RepairTimeLapse();
    if (displays) {
        displays->SetControlPosition(ControlPositionCode(p.controlPosition));
        displays->ShowProfiles(p.iccProfiles, p.currentICCProfileIndex, p.embedICCProfile);
        displays->ShowTimeLapse(p.timeLapseImages, p.timeLapseSeconds, p.timeLapse);
        displays->ShowRulers(p.enableRulers);
    }
}

std::int16_t QVCameraSetting::Increment() const
{
    return prefs_.autoFileIncrement == 0 ? std::int16_t{1} : prefs_.autoFileIncrement;
}

std::string QVCameraSetting::NextAutoFileName()
{
    // The suffix is a 16-bit field; past its largest value it wraps as it always has.
    prefs_.autoFileSuffix = static_cast<std::int16_t>(prefs_.autoFileSuffix + Increment());
    return FormatAutoFileName(prefs_.autoFileSuffix);
}

std::string QVCameraSetting::CurrentAutoFileName() const
{
    return FormatAutoFileName(prefs_.autoFileSuffix);
}

std::string QVCameraSetting::FormatAutoFileName(std::int16_t suffix) const
{
    // A suffix length from a hand-edited file is held to what the dialog allows, so that a
    // name never grows beyond what a file system takes.
    const auto length = static_cast<std::size_t>(
        std::clamp<std::int16_t>(prefs_.suffixLength, 0, kMaxSuffixLength));
    const std::string base = prefs_.autoFileName.substr(0, kMaxBaseNameAndSuffix - length);
    const std::string digits = std::to_string(suffix);
    const std::size_t zeros = length > digits.size() ? length - digits.size() : 0;
    return base + '_' + std::string(zeros, '0') + digits;
}

void QVCameraSetting::RepairTimeLapse()
{
    if (prefs_.timeLapseImages < 1 || prefs_.timeLapseSeconds < 1) {
        prefs_.timeLapseImages = 1;
        prefs_.timeLapseSeconds = 1;
        prefs_.timeLapse = false;
    }
}

void QVCameraSetting::AddProfile(const std::string& path)
{
    prefs_.iccProfileName = path;
    prefs_.iccProfiles.push_back(path);
    prefs_.embedICCProfile = true;
    prefs_.currentICCProfileIndex = static_cast<std::int32_t>(
        std::min<std::size_t>(prefs_.iccProfiles.size(), std::numeric_limits<std::int32_t>::max()));
}

std::vector<std::uint8_t> QVCameraSetting::ProfileData() const
{
    if (!prefs_.embedICCProfile || prefs_.iccProfileName.empty())
        return {};
    return profileCache_.Bytes(prefs_.iccProfileName);
}

int QVCameraSetting::ControlPositionCode(std::string_view text)
{
    const auto found = std::find(kControlPositions.begin(), kControlPositions.end(), text);
    return found == kControlPositions.end() ? 0
                                            : static_cast<int>(found - kControlPositions.begin());
}

std::string_view QVCameraSetting::ControlPositionText(int code)
{
    return code >= 1 && code <= 3 ? kControlPositions[static_cast<std::size_t>(code)]
                                  : kControlPositions[0];
}

}  // namespace scanora
