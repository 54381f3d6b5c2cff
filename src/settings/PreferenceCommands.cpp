#include "settings/PreferenceCommands.h"

#include "platform/BusyMessages.h"
#include "platform/UiPort.h"
#include "settings/CurveFileImport.h"
#include "settings/PreferencesFile.h"
#include "settings/SettingLists.h"
#include "settings/SettingTools.h"
#include "settings/ToneCurveFile.h"

namespace scanora {

PreferenceCommands::PreferenceCommands(PreferencesFile& file, SettingLists& lists,
                                       SettingTools& tools, UiPort& ui,
                                       CaptureRunning captureRunning,
                                       std::filesystem::path defaultPath)
    : file_(file),
      lists_(lists),
      tools_(tools),
      ui_(ui),
      captureRunning_(std::move(captureRunning)),
      defaultPath_(std::move(defaultPath))
{
}

bool PreferenceCommands::Refused()
{
    if (!captureRunning_ || !captureRunning_())
        return false;
    ui_.ShowMessage(kCaptureRunningMessage, MessageIcon::Exclamation, MessageButtons::Ok);
    return true;
}

bool PreferenceCommands::OpenPreferences(const std::filesystem::path& path)
{
    if (Refused())
        return false;
    lists_.Clear();
    file_.ReadSettingsFile(path);
    return true;
}

bool PreferenceCommands::SavePreferencesAs(const std::filesystem::path& path)
{
    return !Refused() && file_.WriteSettingsFile(path);
}

bool PreferenceCommands::SavePreferences()
{
    return SavePreferencesAs(defaultPath_);
}

bool PreferenceCommands::MayOpenPreferencesDialog()
{
    return !Refused();
}

bool PreferenceCommands::LoadToneCurve(const std::filesystem::path& path)
{
    if (Refused())
        return false;
    auto loaded = CurveFileImport::Load(path, tools_);
    if (!loaded.setting || !lists_.Append(std::move(loaded.setting)))
        return false;
    // The new entry is the current one, whatever was current before.
    lists_.Select<CurveSetting>(static_cast<std::int16_t>(lists_.List<CurveSetting>().Count()),
                                tools_);
    return true;
}

bool PreferenceCommands::SaveToneCurve(const std::filesystem::path& path)
{
    if (Refused())
        return false;
    CurveSetting current;
    tools_.Capture(current);
    return ToneCurveFile::Save(path, current.GetHandles());
}

}  // namespace scanora
