#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "acquire/CaptureTools.h"
#include "camera/CameraConnection.h"
#include "camera/QVCamera.h"
#include "cameradisk/RetrievalTools.h"
#include "context/AppSettingTools.h"
#include "platform/UiPort.h"
#include "settings/PreferenceTargets.h"
#include "settings/PreferencesFile.h"
#include "settings/SettingTools.h"

namespace scanora {

class AppCaptureConditions;
class CaptureStage;
class HeldSettingTools;
class QVExposure;
class QVPanoControl;
class QVCameraSetting;
class QVCurveEditor;
class QVSize;
class SettingLists;
class UserFolders;

// How the preferences file is loaded at start-up.
struct PreferencesOptions {
    std::filesystem::path path;  // empty: the default place
    bool skip = false;           // do not read it: start from the defaults (Shift held)
    bool reset = false;          // first replace it with the built-in text (Alt held)
};

// Owns the program-wide tools for the life of the program (or of a test): the camera link, the
// camera object, the output geometry, the four setting lists with their current entries, the
// preferences record and, as they arrive, the other tools. Everything that needs a tool is
// handed it by reference from here; nothing reaches for a global.
class AppContext {
public:
    // Why the preferences file has no place: neither --prefs nor a home folder names one.
    static constexpr std::string_view kNoPreferencesPlace =
        "there is no place for the preferences file (no home folder): use --prefs FILE";

    // Opens the camera link named by `cameraSpec` and identifies the camera (connected or not).
    // Null, with `error` set, when the link text itself is unusable.
    static std::unique_ptr<AppContext> Create(std::string_view cameraSpec, UiPort& ui,
                                              std::string& error, CameraOptions options = {});
    // Identifies the camera over an already parsed link (an empty connection: no camera), then
    // makes the tools and applies the preferences' initial values.
    AppContext(CameraConnection connection, UiPort& ui, CameraOptions options = {});
    ~AppContext();
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    QVCamera& Camera() { return *camera_; }
    UiPort& Ui() { return ui_; }
    // The in-process simulated camera, when the link is `sim`.
    camsim::SimCamera* Simulator() { return connection_.simulator.get(); }
    [[nodiscard]] const std::string& LinkName() const { return connection_.linkName; }

    QVSize& Size() { return *size_; }
    SettingLists& Lists() { return *lists_; }
    QVCameraSetting& CameraSetting() { return *cameraSetting_; }
    QVExposure& Exposure() { return *exposure_; }
    // The motorised stage, and the stage as the capture sequence uses it.
    QVPanoControl& Pano() { return *pano_; }
    CaptureStage& Stage();
    // The tools the setting records are made from and applied to.
    SettingTools& Tools() { return *tools_; }
    // The tone curve, histogram and exposure values of the last records applied.
    HeldSettingTools& HeldTools() { return *heldTools_; }
    // The current tone curve and the editor state behind its graph.
    QVCurveEditor& CurveEditor();
    PreferencesFile& Preferences() { return *preferences_; }
    // The tools a capture sequence works with, and those a retrieval takes its settings from.
    [[nodiscard]] CaptureTools ForCapture();
    [[nodiscard]] RetrievalTools ForRetrieval();
    [[nodiscard]] PreferenceTargets Targets() const { return targets_; }
    // The windows that show the preferences and own some of them (null: none, as before the
    // windows exist and after they are gone).
    void AttachPreferenceDisplays(PreferenceDisplays* displays);

    // ~/.config/Scanora/Scanora Prefs ($XDG_CONFIG_HOME honoured); empty without a home folder.
    [[nodiscard]] static std::filesystem::path DefaultPreferencesPath(const UserFolders& folders);
    // The preferences file in use: the default one, or the one LoadPreferences was given.
    [[nodiscard]] const std::filesystem::path& PreferencesPath() const { return prefsPath_; }

    // Uses `path` as the preferences file from now on; empty: the default place.
    void UsePreferencesPath(const std::filesystem::path& path);
    // The start-up step: rewrites the preferences file from the built-in text when asked to,
    // then reads it (or, when told to skip it or when it can not be read, makes the defaults).
    SettingsFileReport LoadPreferences(const PreferencesOptions& options);
    // The stage's start-up, once the preferences are in: the stage control takes its values from
    // them, sends its motor parameters to the camera and, while a rotating capture is in use,
    // presets the stage at the start of the extent. Nothing is sent without a connected camera
    // of a known model (true). False when the camera failed a command (it has said why).
    bool StartStage();
    // After the stage's mode or geometry changed: while a rotating capture is in use its lines
    // replace the camera's travel in the output geometry.
    void StageValuesChanged();
    // Replaces the preferences file with the built-in text. False when it could not be written
    // (`error` says why).
    bool ResetPreferences(std::string* error = nullptr);
    // Writes the preferences file. False when it could not be written (`error` says why).
    bool SavePreferences(std::string* error = nullptr);
    // At exit: writes the preferences file when the user keeps "AutoSavePrefs" on; a file that
    // can not be written is skipped without a word.
    void SavePreferencesOnExit();

private:
    // Makes the folder of the default preferences file on first use.
    void PrepareFolder() const;

    UiPort& ui_;
    CameraConnection connection_;  // declared first: the simulator outlives the camera
    std::unique_ptr<QVCamera> camera_;
    std::unique_ptr<QVSize> size_;
    std::unique_ptr<QVExposure> exposure_;
    std::unique_ptr<QVPanoControl> pano_;
    std::unique_ptr<CaptureStage> stage_;
    std::unique_ptr<AppCaptureConditions> conditions_;
    std::unique_ptr<HeldSettingTools> heldTools_;  // curve and histogram until their tools come
    std::unique_ptr<AppSettingTools> tools_;
    std::unique_ptr<SettingLists> lists_;
    std::unique_ptr<QVCameraSetting> cameraSetting_;
    PreferenceTargets targets_;
    std::unique_ptr<PreferencesFile> preferences_;
    std::filesystem::path defaultPrefsPath_;
    std::filesystem::path prefsPath_;
    bool defaultPath_ = true;
};

}  // namespace scanora
