#include "cameradisk/RetrievalSettings.h"

#include "camera/QVCamera.h"
#include "settings/CurveSetting.h"
#include "settings/QVCameraSetting.h"
#include "settings/QVSize.h"
#include "settings/SettingTools.h"

namespace scanora {

RetrievalSettings RetrievalSettings::From(const RetrievalTools& tools,
                                          const std::filesystem::path& programFolder)
{
    RetrievalSettings settings;
    const QVCameraSetting& cameraSetting = tools.CameraSetting();
    const CameraPreferences& prefs = cameraSetting.Prefs();
    settings.autoSave = prefs.autoSaveScans;
    settings.saveScansFolder = prefs.saveScansFolder;
    settings.openAfter = prefs.autoOpenRetrieves;
    settings.openWithApplication = prefs.openWithApplicationName;

    // The curve editor's state: what the current curve record would capture from it.
    CurveSetting current;
    tools.Tools().Capture(current);
    const auto handles = current.GetHandles();
    settings.choice.tonePanel.handles.assign(handles.begin(), handles.end());
    settings.choice.tonePanel.negative = current.IsNegative();
    settings.choice.tonePanel.none14 = tools.Tools().IsNone14Mode();

    RetrievalMetadataOptions& metadata = settings.metadata;
    metadata.descriptionType = prefs.fileDescriptionTextType;
    const FileResolution resolution = tools.Size().ResolutionForFile();
    metadata.resolution = resolution.value;
    metadata.resolutionUnit = resolution.unit;
    metadata.embedOrientation = prefs.embedOrientation;
    metadata.baselineISO = prefs.baselineISO;
    metadata.iccProfile = cameraSetting.ProfileData();
    QVCamera& camera = tools.Camera();
    metadata.modelName = camera.GetModelName();
    metadata.serialNumber = camera.IsConnected() ? camera.GetSerialNumber() : 0;
    metadata.versionText = SCANORA_VERSION;
    metadata.dngColor = RetrievalDngColor::ForFolder(programFolder);
    return settings;
}

void RetrievalSettings::ChooseForScript(RetrievalMode mode, int depth, bool toneCurveIs16Bit)
{
    choice.automatic = false;
    choice.mode = mode;
    if (depth != 0)
        choice.depth = depth;
    else if (mode == RetrievalMode::FromTonePanel)
        choice.depth = toneCurveIs16Bit ? 16 : 8;
    else
        choice.depth = 0;
    openAfter = false;
}

}  // namespace scanora
