#include "cli/PrefsCommand.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/CliApp.h"
#include "cli/CliReport.h"
#include "context/AppContext.h"
#include "platform/OutputStream.h"
#include "settings/PreferenceKeyEdit.h"
#include "settings/QVCameraSetting.h"
#include "settings/SettingLists.h"
#include "settings/StoredSettingChoice.h"

namespace scanora::cli {
namespace {

// One setting list as the commands show it.
struct ListView {
    std::string_view key;    // "size"
    std::string_view title;  // "Size settings"
    std::int16_t current = 0;
    std::vector<std::pair<std::string, bool>> entries;  // name, changeable

    [[nodiscard]] std::string CurrentName() const
    {
        const bool valid = current > 0 && static_cast<std::size_t>(current) <= entries.size();
        return valid ? entries[static_cast<std::size_t>(current) - 1].first : std::string();
    }
};

template <typename Record>
ListView ViewOf(const SettingLists& lists, std::string_view key, std::string_view title)
{
    ListView view{key, title, lists.CurrentIndex<Record>(), {}};
    for (const auto& record : lists.List<Record>())
        view.entries.emplace_back(record->GetName(), record->IsChangeable());
    return view;
}

std::array<ListView, 4> Views(const SettingLists& lists)
{
    return {ViewOf<SizeSetting>(lists, "size", "Size settings"),
            ViewOf<ExposureSetting>(lists, "exposure", "Exposure settings"),
            ViewOf<CurveSetting>(lists, "curve", "Curve settings"),
            ViewOf<HistogramSetting>(lists, "histogram", "Histogram settings")};
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Whether a text is a number as JSON writes it.
bool IsJsonNumber(std::string_view text)
{
    std::size_t i = 0;
    auto digits = [&] {
        const std::size_t start = i;
        while (i < text.size() && IsDigit(text[i])) ++i;
        return i > start;
    };
    if (i < text.size() && text[i] == '-')
        ++i;
    if (i < text.size() && text[i] == '0')
        ++i;
    else if (!digits())
        return false;
    if (i < text.size() && text[i] == '.') {
        ++i;
        if (!digits())
            return false;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        if (!digits())
            return false;
    }
    return i == text.size();
}

// A preference's value as JSON: flags as booleans, quoted texts as strings, single numbers as
// numbers, anything else (colours, lists) as the text.
std::string JsonValue(std::string_view value)
{
    if (value == "true" || value == "false")
        return std::string(value);
    if (value.starts_with('"'))
        return CliReport::JsonString(QVSetting::ExtractQuoted(value));
    while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
    return IsJsonNumber(value) ? std::string(value) : CliReport::JsonString(value);
}

std::string JsonStrings(const std::vector<std::string>& texts)
{
    std::string json = "[";
    for (std::size_t i = 0; i < texts.size(); ++i)
        json += (i ? ", " : "") + CliReport::JsonString(texts[i]);
    return json + "]";
}

std::string Joined(const std::vector<std::string>& texts, std::string_view none)
{
    if (texts.empty())
        return std::string(none);
    std::string joined;
    for (const std::string& text : texts) joined += (joined.empty() ? "" : ", ") + text;
    return joined;
}

// Why the defaults are in use, or empty when the file was read.
std::string DefaultsNote(const SettingsFileReport& report, bool skipped)
{
    if (skipped)
        return "not read (--no-prefs): the defaults are in use";
    if (!report.opened)
        return "not found: the defaults are in use";
    if (report.defaultsCreated)
        return "holds no settings: the defaults are in use";
    return {};
}

}  // namespace

PrefsCommand::PrefsCommand(const CliOptions& options, AppContext& context, std::FILE* out,
                           std::FILE* err)
    : options_(options), context_(context), out_(out), err_(err)
{
}

std::string PrefsCommand::CheckArguments(const CliOptions& options)
{
    const std::vector<std::string>& args = options.arguments;
    constexpr const char* kCommands =
        "show, reset, check FILE, select KIND NAME, get KEY, set KEY VALUE";
    if (args.empty())
        return std::string("prefs needs one of: ") + kCommands;
    if (args[0] == "show" || args[0] == "reset")
        return args.size() == 1 ? std::string() : "prefs " + args[0] + " takes no arguments";
    if (args[0] == "check")
        return args.size() == 2 ? std::string() : "prefs check needs one file";
    if (args[0] == "select") {
        if (args.size() != 3 || !StoredSettingChoice::KindNamed(args[1]))
            return "prefs select needs a list (size, exposure, curve or histogram) and a name";
        if (options.noPrefs)
            return "prefs select changes the preferences file; it does not go with --no-prefs";
        return {};
    }
    if (args[0] == "get")
        return args.size() == 2 ? std::string()
                                : "prefs get needs one key, e.g. prefs get ScanName";
    if (args[0] == "set") {
        if (args.size() != 3)
            return "prefs set needs a key and its value, e.g. prefs set TimeLapseSeconds 30";
        if (options.noPrefs)
            return "prefs set changes the preferences file; it does not go with --no-prefs";
        return {};
    }
    return "unknown prefs command '" + args[0] + "' (" + kCommands + ")";
}

int PrefsCommand::Run()
{
    context_.UsePreferencesPath(options_.prefsFile);
    const std::string& what = options_.arguments.front();
    if (what == "reset")
        return Reset();
    // As at start-up: --reset-prefs rewrites the file before anything reads it.
    std::string error;
    if (options_.resetPrefs && !context_.ResetPreferences(&error))
        return Fail(error);
    if (what == "select")
        return Select();
    if (what == "get" || what == "set")
        return what == "get" ? Get() : Set();
    return what == "show" ? Show() : Check();
}

int PrefsCommand::Get()
{
    const SettingsFileReport report =
        context_.LoadPreferences({options_.prefsFile, options_.noPrefs, /*reset=*/false});
    if (!report.fileError.empty())
        return Fail(report.fileError);
    const std::string& key = options_.arguments[1];
    const std::optional<std::string> value = PreferenceKeyEdit::Get(context_.CameraSetting(), key);
    if (!value) {
        std::fprintf(err_, "scanora-cli: no preference called \"%s\" (prefs show lists them)\n",
                     key.c_str());
        return kExitUsage;
    }
    if (options_.json)
        std::fprintf(out_, "{\"key\": %s, \"value\": %s}\n", CliReport::JsonString(key).c_str(),
                     JsonValue(*value).c_str());
    else
        std::fprintf(out_, "%s\n", value->c_str());
    return kExitSuccess;
}

int PrefsCommand::Set()
{
    const SettingsFileReport report =
        context_.LoadPreferences({options_.prefsFile, false, /*reset=*/false});
    if (!report.fileError.empty())
        return Fail(report.fileError);
    const std::string& key = options_.arguments[1];
    const PreferenceKeyEdit::Outcome outcome =
        PreferenceKeyEdit::Set(context_.CameraSetting(), key, options_.arguments[2]);
    switch (outcome.result) {
    case PreferenceKeyEdit::Result::Changed: break;
    case PreferenceKeyEdit::Result::UnknownKey:
    case PreferenceKeyEdit::Result::NotAValue:
        std::fprintf(err_, "scanora-cli: %s\n", outcome.message.c_str());
        return kExitUsage;
    case PreferenceKeyEdit::Result::OutOfRange:
        // The preferences dialog's own message, as it shows it.
        return Fail(outcome.message);
    }
    std::string error;
    if (!context_.SavePreferences(&error))
        return Fail(error);
    const std::string value = *PreferenceKeyEdit::Get(context_.CameraSetting(), key);
    if (options_.json)
        std::fprintf(out_, "{\"file\": %s, \"key\": %s, \"value\": %s}\n",
                     CliReport::JsonString(context_.PreferencesPath().string()).c_str(),
                     CliReport::JsonString(key).c_str(), JsonValue(value).c_str());
    else
        std::fprintf(out_, "%s is now %s in %s\n", key.c_str(), value.c_str(),
                     context_.PreferencesPath().c_str());
    return kExitSuccess;
}

int PrefsCommand::Select()
{
    const SettingsFileReport report =
        context_.LoadPreferences({options_.prefsFile, false, /*reset=*/false});
    if (!report.fileError.empty())
        return Fail(report.fileError);
    const std::string& word = options_.arguments[1];
    const std::string& name = options_.arguments[2];
    const SettingKind kind = *StoredSettingChoice::KindNamed(word);
    SettingLists& lists = context_.Lists();
    if (!StoredSettingChoice::Select(lists, context_.Tools(), kind, name)) {
        std::fprintf(err_, "scanora-cli: %s\n",
                     StoredSettingChoice::UnknownName(lists, kind, name).c_str());
        return kExitUsage;
    }
    std::string error;
    if (!context_.SavePreferences(&error))
        return Fail(error);
    const std::string path = context_.PreferencesPath().string();
    if (options_.json) {
        std::fprintf(out_, "{\"file\": %s, \"list\": %s, \"current\": %s}\n",
                     CliReport::JsonString(path).c_str(), CliReport::JsonString(word).c_str(),
                     CliReport::JsonString(name).c_str());
    } else {
        std::fprintf(out_, "The current %s setting is now \"%s\" in %s\n", word.c_str(),
                     name.c_str(), path.c_str());
    }
    return kExitSuccess;
}

int PrefsCommand::Fail(const std::string& message)
{
    return CliApp::Failure(out_, err_, options_.json, message);
}

int PrefsCommand::Reset()
{
    const std::string path = context_.PreferencesPath().string();
    std::string error;
    if (!context_.ResetPreferences(&error))
        return Fail(error);
    if (options_.json) {
        std::fprintf(out_, "{\"file\": %s, \"reset\": true}\n",
                     CliReport::JsonString(path).c_str());
    } else {
        std::fprintf(out_, "Wrote the built-in preferences to %s\n", path.c_str());
    }
    return kExitSuccess;
}

int PrefsCommand::Show()
{
    // --reset-prefs has been done by Run.
    const SettingsFileReport report =
        context_.LoadPreferences({options_.prefsFile, options_.noPrefs, /*reset=*/false});
    if (!report.fileError.empty())
        return Fail(report.fileError);
    // What the tools hold now is what the program would work with.
    context_.CameraSetting().Gather(context_.Targets());
    if (options_.json)
        PrintShowJson(report);
    else
        PrintShowText(report);
    return kExitSuccess;
}

void PrefsCommand::PrintShowText(const SettingsFileReport& report) const
{
    const std::string note = DefaultsNote(report, options_.noPrefs);
    std::fprintf(out_, "Preferences file: %s%s%s%s\n", context_.PreferencesPath().c_str(),
                 note.empty() ? "" : " (", note.c_str(), note.empty() ? "" : ")");
    for (const ListView& view : Views(context_.Lists())) {
        std::fprintf(out_, "%.*s (%zu):\n", static_cast<int>(view.title.size()), view.title.data(),
                     view.entries.size());
        for (std::size_t i = 0; i < view.entries.size(); ++i) {
            const bool current = static_cast<std::size_t>(view.current) == i + 1;
            std::fprintf(out_, "  %s %2zu  %s%s\n", current ? "*" : " ", i + 1,
                         view.entries[i].first.c_str(),
                         view.entries[i].second ? "" : " (unchangeable)");
        }
    }
    std::fputs("Preferences:\n", out_);
    for (const auto& [key, value] : PreferenceKeyEdit::Lines(context_.CameraSetting()))
        std::fprintf(out_, "  %s %s\n", key.c_str(), value.c_str());
}

void PrefsCommand::PrintShowJson(const SettingsFileReport& report) const
{
    std::string json = "{\"file\": " + CliReport::JsonString(context_.PreferencesPath().string()) +
                       ", \"read\": " + (report.opened && !options_.noPrefs ? "true" : "false") +
                       ", \"lists\": {";
    bool firstList = true;
    for (const ListView& view : Views(context_.Lists())) {
        json += std::string(firstList ? "" : ", ") + CliReport::JsonString(view.key) +
                ": {\"current\": " + std::to_string(view.current) + ", \"entries\": [";
        for (std::size_t i = 0; i < view.entries.size(); ++i) {
            json += std::string(i ? ", " : "") +
                    "{\"name\": " + CliReport::JsonString(view.entries[i].first) +
                    ", \"changeable\": " + (view.entries[i].second ? "true" : "false") + "}";
        }
        json += "]}";
        firstList = false;
    }
    json += "}, \"preferences\": {";
    std::vector<std::string> seen;
    for (const auto& [key, value] : PreferenceKeyEdit::Lines(context_.CameraSetting())) {
        // A key kept twice ("CropPrescan") is one value; the profile list is one array.
        if (key == "ICCProfile" || std::find(seen.begin(), seen.end(), key) != seen.end())
            continue;
        json += (seen.empty() ? "" : ", ") + CliReport::JsonString(key) + ": " + JsonValue(value);
        seen.push_back(key);
    }
    json += ", \"ICCProfile\": " + JsonStrings(context_.CameraSetting().Prefs().iccProfiles);
    json += "}}\n";
    std::fputs(json.c_str(), out_);
}

int PrefsCommand::Check()
{
    const std::string file = options_.arguments[1];
    SettingsFileReport report = context_.Preferences().ReadSettingsFile(file);
    if (!report.opened)
        return Fail(report.fileError.empty() ? "cannot read " + file : report.fileError);
    // A file of which nothing could be read is a problem like any other: the status and the
    // list of problems say the same.
    if (report.defaultsCreated)
        report.problems.insert(report.problems.begin(), std::string(kNothingRead));
    if (options_.json)
        PrintCheckJson(file, report);
    else
        PrintCheckText(file, report);
    return report.problems.empty() ? kExitSuccess : kExitCameraFailure;
}

void PrefsCommand::PrintCheckText(const std::string& file, const SettingsFileReport& report) const
{
    std::fprintf(out_, "File: %s\n", file.c_str());
    const std::array counts{report.sizeRecords, report.exposureRecords, report.curveRecords,
                            report.histogramRecords};
    const auto views = Views(context_.Lists());
    for (std::size_t i = 0; i < views.size() && !report.defaultsCreated; ++i) {
        const std::string current = views[i].CurrentName();
        std::fprintf(out_, "%.*s: %zu (current: %s)\n", static_cast<int>(views[i].title.size()),
                     views[i].title.data(), counts[i],
                     views[i].current > 0 ? current.c_str() : "none");
    }
    std::fprintf(out_, "Preferences: %s\n", report.cameraSection ? "yes" : "no");
    std::fprintf(out_, "Current state: %s\n", Joined(report.currentState, "none").c_str());
    std::fprintf(out_, "End line: %s\n", report.endLine ? "yes" : "no");
    if (!report.unknownSections.empty())
        std::fprintf(out_, "Unknown sections: %s\n", Joined(report.unknownSections, "").c_str());
    if (report.problems.empty())
        std::fputs("Problems: none\n", out_);
    for (const std::string& problem : report.problems)
        std::fprintf(out_, "Problem: %s\n", problem.c_str());
}

void PrefsCommand::PrintCheckJson(const std::string& file, const SettingsFileReport& report) const
{
    const std::array counts{report.sizeRecords, report.exposureRecords, report.curveRecords,
                            report.histogramRecords};
    std::string json = "{\"file\": " + CliReport::JsonString(file) + ", \"lists\": {";
    const auto views = Views(context_.Lists());
    for (std::size_t i = 0; i < views.size(); ++i) {
        const ListView& view = views[i];
        json += std::string(i ? ", " : "") + CliReport::JsonString(view.key) +
                ": {\"count\": " + std::to_string(counts[i]) +
                ", \"current\": " + std::to_string(view.current) +
                ", \"currentName\": " + CliReport::JsonString(view.CurrentName()) + "}";
    }
    json += std::string("}, \"preferences\": ") + (report.cameraSection ? "true" : "false") +
            ", \"currentState\": " + JsonStrings(report.currentState) +
            ", \"endLine\": " + (report.endLine ? "true" : "false") +
            ", \"defaults\": " + (report.defaultsCreated ? "true" : "false") +
            ", \"unknownSections\": " + JsonStrings(report.unknownSections) +
            ", \"problems\": " + JsonStrings(report.problems) + "}\n";
    std::fputs(json.c_str(), out_);
}

}  // namespace scanora::cli
