#include "settings/PreferencesFile.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>
#include <type_traits>

#include "platform/AtomicFile.h"
#include "settings/BuiltInSettings.h"
#include "settings/LineReader.h"
#include "settings/QVCameraSetting.h"
#include "settings/SettingLists.h"
#include "settings/SettingTools.h"

namespace scanora {
namespace {

constexpr std::string_view kBeginFile = "BeginSettingFile";
constexpr std::string_view kEndFile = "EndSettingFile";
constexpr std::string_view kBeginCurrentState = "BeginCurrentState";
constexpr std::string_view kEndCurrentState = "EndCurrentState";

// How a record kind is named in reports.
template <typename Record>
constexpr std::string_view KindName()
{
    if constexpr (std::is_same_v<Record, SizeSetting>)
        return "size";
    else if constexpr (std::is_same_v<Record, ExposureSetting>)
        return "exposure";
    else if constexpr (std::is_same_v<Record, CurveSetting>)
        return "curve";
    else
        return "histogram";
}

template <typename Record>
void WriteList(OutputStream& out, const SettingLists& lists)
{
    for (const auto& record : lists.List<Record>()) record->Write(out);
}

// The file's bytes, at most `limit` of them; false when it can not be read, with `error` saying
// why unless the file is simply not there. `cut` tells whether there was more.
bool LoadText(const std::filesystem::path& path, std::size_t limit, std::string& text, bool& cut,
              std::string& error)
{
    std::error_code status;
    if (std::filesystem::is_directory(path, status)) {
        error = "cannot read " + path.string() + ": it is a folder";
        return false;
    }
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (errno != ENOENT)
            error = "cannot read " + path.string() + ": " + std::strerror(errno ? errno : EIO);
        return false;
    }
    std::array<char, 64 * 1024> chunk{};
    text.clear();
    while (text.size() <= limit && in) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        text.append(chunk.data(),
                    static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    }
    cut = text.size() > limit;
    if (cut)
        text.resize(limit);
    if (in.bad()) {
        error = "cannot read " + path.string() + ": " + std::strerror(errno ? errno : EIO);
        return false;
    }
    return true;
}

// Writes a file through `write` safely; `error` (when asked for) says why it failed.
template <typename Writer>
bool WriteAtomically(const std::filesystem::path& path, std::string* error, Writer&& write)
{
    AtomicFile file(path);
    const bool written = file.Open() && (write(file), file.Commit());
    if (!written && error)
        *error = file.Error().empty() ? "cannot write " + path.string() : file.Error();
    return written;
}

}  // namespace

PreferencesFile::PreferencesFile(SettingLists& lists, QVCameraSetting& camera, SettingTools& tools,
                                 const PreferenceTargets& targets)
    : lists_(lists), camera_(camera), tools_(tools), targets_(targets)
{
    targets_.lists = &lists_;
}

std::string PreferencesFile::ProgramVersionText()
{
    return std::string("Version: ") + SCANORA_VERSION + " - " + __DATE__;
}

SettingsFileReport PreferencesFile::ReadSettingsFile(const std::filesystem::path& path, bool skip)
{
    std::string text;
    bool cut = false;
    std::string error;
    const bool opened = !skip && !path.empty() && LoadText(path, kMaxFileBytes, text, cut, error);
    SettingsFileReport report = ReadSettings(opened ? std::string_view(text) : std::string_view());
    report.opened = opened;
    report.fileError = std::move(error);
    if (cut) {
        report.problems.push_back("the file is larger than " +
                                  std::to_string(kMaxFileBytes / (1024 * 1024)) +
                                  " MiB; only its beginning was read");
    }
    return report;
}

template <typename Record>
void PreferencesFile::ReadRecord(LineReader& in, bool inCurrentState,
                                 std::unique_ptr<Record>& pending, std::size_t& listed,
                                 SettingsFileReport& report)
{
    // Made from the live tool, so that keys the section lacks keep the tool's values.
    std::unique_ptr<Record> record = tools_.Create<Record>();
    if (!record->Read(in)) {
        report.problems.push_back(std::string(KindName<Record>()) + " setting \"" +
                                  record->GetName() + "\" is not closed: the file ends before " +
                                  std::string(Record::kEndKey));
    }
    if (inCurrentState) {
        report.currentState.emplace_back(KindName<Record>());
        pending = std::move(record);
        return;
    }
    const std::string name = record->GetName();
    if (lists_.Append(std::move(record))) {
        ++listed;
    } else {
        report.problems.push_back(std::string(KindName<Record>()) + " setting \"" + name +
                                  "\" is left out: the list is full");
    }
}

SettingsFileReport PreferencesFile::ReadSettings(std::string_view text)
{
    SettingsFileReport report;
    CurrentStateRecords pending;
    bool inCurrentState = false;
    bool anySection = false;

    LineReader in(text);
    std::string_view key;
    std::string_view value;
    while (QVSetting::ReadKeyValue(in, key, value)) {
        if (key == kEndFile) {
            report.endLine = true;
            break;
        }
        if (key == SizeSetting::kBeginKey) {
            ReadRecord(in, inCurrentState, pending.size, report.sizeRecords, report);
        } else if (key == ExposureSetting::kBeginKey) {
            ReadRecord(in, inCurrentState, pending.exposure, report.exposureRecords, report);
        } else if (key == CurveSetting::kBeginKey) {
            ReadRecord(in, inCurrentState, pending.curve, report.curveRecords, report);
        } else if (key == HistogramSetting::kBeginKey) {
            ReadRecord(in, inCurrentState, pending.histogram, report.histogramRecords, report);
        } else if (key == QVCameraSetting::kBeginKey) {
            if (!camera_.Read(in)) {
                report.problems.push_back("the preferences are not closed: the file ends before " +
                                          std::string(QVCameraSetting::kEndKey));
            }
            camera_.Apply(targets_);
            report.cameraSection = true;
        } else if (key == kBeginCurrentState) {
            inCurrentState = true;
            continue;
        } else if (key == kEndCurrentState) {
            inCurrentState = false;
            continue;
        } else {
            if (key.starts_with("Begin") && key != kBeginFile)
                report.unknownSections.emplace_back(key);
            continue;
        }
        anySection = true;
    }

    if (!anySection) {
        CreateDefaults();
        report.defaultsCreated = true;
    }
    lists_.SelectCurrentEntries(tools_);
    ApplyCurrentState(pending);
    return report;
}

void PreferencesFile::CreateDefaults()
{
    auto size = tools_.Create<SizeSetting>();
    size->SetName(kDefaultName);
    size->SetUnchangeable();
    lists_.Append(std::move(size));

    auto exposure = tools_.Create<ExposureSetting>();
    exposure->SetName(kDefaultName);
    exposure->SetUnchangeable();
    lists_.Append(std::move(exposure));

    auto none14 = tools_.Create<CurveSetting>();
    none14->SetName(kNone14Name);
    none14->SetNone14(true);
    none14->SetNegative(false);
    none14->SetUnchangeable();
    lists_.Append(std::move(none14));

    auto curve = tools_.Create<CurveSetting>();
    curve->SetName(kDefaultName);
    curve->SetUnchangeable();
    lists_.Append(std::move(curve));

    auto histogram = tools_.Create<HistogramSetting>();
    histogram->SetName(kDefaultName);
    histogram->SetUnchangeable();
    lists_.Append(std::move(histogram));
}

void PreferencesFile::ApplyCurrentState(CurrentStateRecords& pending)
{
    if (pending.size)
        tools_.Apply(*pending.size);
    if (pending.exposure)
        tools_.Apply(*pending.exposure);
    if (pending.curve) {
        // A curve saved in the 14-bit mode still carries the handles to come back to: they are
        // loaded first, then the mode is switched on.
        if (pending.curve->IsNone14()) {
            pending.curve->SetNone14(false);
            tools_.Apply(*pending.curve);
            pending.curve->SetNone14(true);
        }
        tools_.Apply(*pending.curve);
    }
    if (pending.histogram)
        tools_.Apply(*pending.histogram);
}

void PreferencesFile::WriteContent(OutputStream& out, std::string_view versionText,
                                   const SettingLists& lists, const QVCameraSetting& camera,
                                   const CurrentStateRecords& current)
{
    QVSetting::WriteLine(out, std::string(kHeader) + ' ' + std::string(versionText));
    QVSetting::WriteLine(out, kBeginFile);
    WriteList<SizeSetting>(out, lists);
    WriteList<ExposureSetting>(out, lists);
    WriteList<CurveSetting>(out, lists);
    WriteList<HistogramSetting>(out, lists);
    camera.Write(out);
    QVSetting::WriteLine(out, kBeginCurrentState);
    if (current.size)
        current.size->Write(out);
    if (current.exposure)
        current.exposure->Write(out);
    if (current.curve)
        current.curve->Write(out);
    if (current.histogram)
        current.histogram->Write(out);
    QVSetting::WriteLine(out, kEndCurrentState);
    QVSetting::WriteLine(out, kEndFile);
}

void PreferencesFile::WriteSettings(OutputStream& out)
{
    camera_.Gather(targets_);
    CurrentStateRecords current{tools_.Create<SizeSetting>(), tools_.Create<ExposureSetting>(),
                                tools_.Create<CurveSetting>(), tools_.Create<HistogramSetting>()};
    current.curve->SetNone14(tools_.IsNone14Mode());
    WriteContent(out, versionText_, lists_, camera_, current);
}

bool PreferencesFile::WriteSettingsFile(const std::filesystem::path& path, std::string* error)
{
    return WriteAtomically(path, error, [this](OutputStream& out) { WriteSettings(out); });
}

bool PreferencesFile::WriteBuiltInDefaults(const std::filesystem::path& path,
                                           std::string* error) const
{
    return WriteAtomically(
        path, error, [this](OutputStream& out) { BuiltInSettings::Write(out, builtInFolder_); });
}

}  // namespace scanora
