#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "cli/CliOptions.h"

namespace scanora {
class AppContext;
struct SettingsFileReport;
}  // namespace scanora

namespace scanora::cli {

// The "prefs" commands, which work on the preferences file without a camera:
//   prefs show         the setting lists with their current entries, and the preferences
//   prefs reset        replace the preferences file with the built-in one
//   prefs check FILE   read a preferences file and report what it holds
//   prefs select KIND NAME   make a stored setting the current one in the preferences file
//   prefs get KEY      one preference's value as the file keeps it
//   prefs set KEY VALUE      change one preference in the file, with the preferences dialog's
//                      range checks and messages
class PrefsCommand {
public:
    // The problem `prefs check` names for a file of which nothing could be read.
    static constexpr std::string_view kNothingRead =
        "no settings in the file: the program would start from its defaults";

    PrefsCommand(const CliOptions& options, AppContext& context, std::FILE* out, std::FILE* err);

    // A usage error for the command's arguments, or empty when they are fine.
    [[nodiscard]] static std::string CheckArguments(const CliOptions& options);

    // The exit status.
    int Run();

private:
    int Show();
    int Reset();
    int Check();
    int Select();
    int Get();
    int Set();
    // Prints why a file could not be used, as text or JSON.
    int Fail(const std::string& message);

    void PrintShowText(const SettingsFileReport& report) const;
    void PrintShowJson(const SettingsFileReport& report) const;
    void PrintCheckText(const std::string& file, const SettingsFileReport& report) const;
    void PrintCheckJson(const std::string& file, const SettingsFileReport& report) const;

    const CliOptions& options_;
    AppContext& context_;
    std::FILE* out_;
    std::FILE* err_;
};

}  // namespace scanora::cli
