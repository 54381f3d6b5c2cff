#pragma once

#include <filesystem>
#include <functional>
#include <string_view>

namespace scanora {

class PreferencesFile;
class SettingLists;
class SettingTools;
class UiPort;

// The menu commands that open and save preference files and tone curve files, after the user
// chose the file. None of them runs while a prescan or scan is in progress: the user is told
// "Prescan/Scan in Progress" instead.
class PreferenceCommands {
public:
    // Whether a prescan or scan is in progress.
    using CaptureRunning = std::function<bool()>;

    PreferenceCommands(PreferencesFile& file, SettingLists& lists, SettingTools& tools, UiPort& ui,
                       CaptureRunning captureRunning, std::filesystem::path defaultPath);

    // Replaces the four setting lists with those of another preference file (the preview's
    // guides are added to). False when refused.
    bool OpenPreferences(const std::filesystem::path& path);
    // False when refused or when the file could not be written (which is not reported).
    bool SavePreferencesAs(const std::filesystem::path& path);
    bool SavePreferences();
    // Whether the preferences dialog may open now; tells the user when it may not.
    bool MayOpenPreferencesDialog();
    // Gives the handles of a tone curve file to the curve and appends a curve setting named
    // after the file, which becomes the current one. False when refused or when the file can
    // not be read (which is not reported).
    bool LoadToneCurve(const std::filesystem::path& path);
    // Writes the current curve's handles as a tone curve file.
    bool SaveToneCurve(const std::filesystem::path& path);

private:
    // Tells the user and returns true while a capture runs.
    bool Refused();

    PreferencesFile& file_;
    SettingLists& lists_;
    SettingTools& tools_;
    UiPort& ui_;
    CaptureRunning captureRunning_;
    std::filesystem::path defaultPath_;
};

}  // namespace scanora
