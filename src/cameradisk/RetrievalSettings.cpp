#include "cameradisk/RetrievalSettings.h"

#include "acquire/AppContext.h"
#include "settings/CurveSetting.h"
#include "settings/QVCameraSetting.h"
#include "settings/QVSize.h"

namespace scanora {

RetrievalSettings RetrievalSettings::FromContext(AppContext& context,
                                                 const std::filesystem::path& programFolder)
{
    RetrievalSettings settings;
    const QVCameraSetting& cameraSetting = context.CameraSetting();
    const CameraPreferences& prefs = cameraSetting.Prefs();
    settings.autoSave = prefs.autoSaveScans;
    settings.saveScansFolder = prefs.saveScansFolder;
    settings.openAfter = prefs.autoOpenRetrieves;
    settings.openWithApplication = prefs.openWithApplicationName;

    // The curve editor's state: what the current curve record would capture from it.
    CurveSetting current;
    context.Tools().Capture(current);
    const auto handles = current.GetHandles();
    settings.choice.tonePanel.handles.assign(handles.begin(), handles.end());
    settings.choice.tonePanel.negative = current.IsNegative();
    settings.choice.tonePanel.none14 = context.Tools().IsNone14Mode();

    RetrievalMetadataOptions& metadata = settings.metadata;
    metadata.descriptionType = prefs.fileDescriptionTextType;
    const FileResolution resolution = context.Size().ResolutionForFile();
    metadata.resolution = resolution.value;
    metadata.resolutionUnit = resolution.unit;
    metadata.embedOrientation = prefs.embedOrientation;
    metadata.baselineISO = prefs.baselineISO;
    metadata.iccProfile = cameraSetting.ProfileData();
    QVCamera& camera = context.Camera();
    metadata.modelName = camera.GetModelName();
    metadata.serialNumber = camera.IsConnected() ? camera.GetSerialNumber() : 0;
    metadata.versionText = SCANORA_VERSION;
    metadata.dngColor = RetrievalDngColor::ForFolder(programFolder);
    return settings;
}

}  // namespace scanora
