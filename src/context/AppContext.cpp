#include "context/AppContext.h"

#include <system_error>

#include "acquire/PanoCaptureStage.h"
#include "camera/CameraSensorGeometry.h"
#include "camera/LineTimeLimits.h"
#include "camera/QVExposure.h"
#include "camera/QVPanoControl.h"
#include "camsim/SimCamera.h"
#include "context/AppCaptureConditions.h"
#include "context/AppSettingTools.h"
#include "context/HeldSettingTools.h"
#include "platform/UserFolders.h"
#include "settings/QVCameraSetting.h"
#include "settings/QVSize.h"
#include "settings/SettingLists.h"

namespace scanora {

std::unique_ptr<AppContext> AppContext::Create(std::string_view cameraSpec, UiPort& ui,
                                               std::string& error, CameraOptions options)
{
    CameraConnection connection;
    if (!ParseCameraSpec(cameraSpec, connection, error))
        return nullptr;
    return std::make_unique<AppContext>(std::move(connection), ui, options);
}

AppContext::AppContext(CameraConnection connection, UiPort& ui, CameraOptions options)
    : ui_(ui), connection_(std::move(connection))
{
    camera_ = std::make_unique<QVCamera>(std::move(connection_.links), ui_, options);
    size_ = std::make_unique<QVSize>(CameraSensorGeometry(*camera_), ui_);
    exposure_ = std::make_unique<QVExposure>(LineTimeLimits::FromCamera(*camera_), ui_);
    pano_ = std::make_unique<QVPanoControl>(*camera_, ui_);
    stage_ = std::make_unique<PanoCaptureStage>(*pano_, *size_);
    camera_->SetRotatingStageProbe([this] { return pano_->IsRotatingCapture(); });
    heldTools_ = std::make_unique<HeldSettingTools>(*size_);
    tools_ = std::make_unique<AppSettingTools>(*heldTools_, *exposure_);
    lists_ = std::make_unique<SettingLists>();
    cameraSetting_ = std::make_unique<QVCameraSetting>(camera_->IsOrbiscan());
    targets_.lists = lists_.get();
    targets_.size = size_.get();
    targets_.exposure = exposure_.get();
    targets_.stage = pano_.get();
    conditions_ =
        std::make_unique<AppCaptureConditions>(*camera_, *size_, *pano_, cameraSetting_->Prefs());
    exposure_->AttachConditions(conditions_.get());
    preferences_ = std::make_unique<PreferencesFile>(*lists_, *cameraSetting_, *tools_, targets_);

    const UserFolders folders;
    preferences_->SetBuiltInFolder(folders.PicturesFolder().string());
    defaultPrefsPath_ = DefaultPreferencesPath(folders);
    prefsPath_ = defaultPrefsPath_;
    // The tools start from the preferences' own initial values, as if read from a file.
    cameraSetting_->Apply(targets_);
}

void AppContext::AttachPreferenceDisplays(PreferenceDisplays* displays)
{
    targets_.displays = displays;
    preferences_->AttachDisplays(displays);
}

AppContext::~AppContext()
{
    // The tools go before the camera they were made for.
    preferences_.reset();
    cameraSetting_.reset();
    lists_.reset();
    tools_.reset();
    heldTools_.reset();
    exposure_->AttachConditions(nullptr);
    conditions_.reset();
    camera_->SetRotatingStageProbe({});
    stage_.reset();
    pano_.reset();
    exposure_.reset();
    size_.reset();
    camera_.reset();
}

CaptureStage& AppContext::Stage()
{
    return *stage_;
}

QVCurveEditor& AppContext::CurveEditor()
{
    return heldTools_->CurveEditor();
}

CaptureTools AppContext::ForCapture()
{
    return CaptureTools(*camera_, *exposure_, *size_, *cameraSetting_, *lists_,
                        heldTools_->CurveEditor(), ui_);
}

RetrievalTools AppContext::ForRetrieval()
{
    return RetrievalTools(*camera_, ui_, *cameraSetting_, *tools_, *size_, prefsPath_);
}

std::filesystem::path AppContext::DefaultPreferencesPath(const UserFolders& folders)
{
    const std::filesystem::path config = folders.ConfigHome();
    return config.empty() ? config : config / "Scanora" / "Scanora Prefs";
}

void AppContext::PrepareFolder() const
{
    if (!defaultPath_ || prefsPath_.empty())
        return;
    std::error_code ignored;
    std::filesystem::create_directories(prefsPath_.parent_path(), ignored);
}

void AppContext::UsePreferencesPath(const std::filesystem::path& path)
{
    defaultPath_ = path.empty();
    prefsPath_ = defaultPath_ ? defaultPrefsPath_ : path;
}

SettingsFileReport AppContext::LoadPreferences(const PreferencesOptions& options)
{
    UsePreferencesPath(options.path);
    std::string resetError;
    if (options.reset)
        ResetPreferences(&resetError);
    SettingsFileReport report = preferences_->ReadSettingsFile(prefsPath_, options.skip);
    if (!resetError.empty())
        report.fileError = std::move(resetError);
    return report;
}

void AppContext::StageValuesChanged()
{
    size_->SetPanoramaLines(pano_->IsRotatingCapture()
                                ? std::optional<int>(pano_->RotatingCaptureLines())
                                : std::nullopt);
}

bool AppContext::StartStage()
{
    StageValuesChanged();
    if (!camera_->IsConnected() || camera_->GetModelCode() == 0)
        return true;
    return pano_->StartUp(pano_->CurrentStageValues());
}

bool AppContext::ResetPreferences(std::string* error)
{
    if (prefsPath_.empty()) {
        if (error)
            *error = std::string(kNoPreferencesPlace);
        return false;
    }
    PrepareFolder();
    return preferences_->WriteBuiltInDefaults(prefsPath_, error);
}

bool AppContext::SavePreferences(std::string* error)
{
    if (prefsPath_.empty()) {
        if (error)
            *error = std::string(kNoPreferencesPlace);
        return false;
    }
    PrepareFolder();
    return preferences_->WriteSettingsFile(prefsPath_, error);
}

void AppContext::SavePreferencesOnExit()
{
    if (cameraSetting_->Prefs().autoSavePrefs)
        SavePreferences();
}

}  // namespace scanora
