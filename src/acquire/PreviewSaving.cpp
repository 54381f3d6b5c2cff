#include "acquire/PreviewSaving.h"

#include "acquire/PrescanSaver.h"
#include "acquire/PreviewImage.h"
#include "camera/CapturePreparation.h"
#include "camera/QVCamera.h"
#include "output/ScanNaming.h"
#include "settings/CurveSource.h"
#include "settings/QVCameraSetting.h"
#include "settings/QVSize.h"

namespace scanora {

PreviewSaving::PreviewSaving(CaptureTools app, PreviewImage& image,
                             const CapturePreparation& preparation,
                             const ColorCorrectingToneCurve& displayCurve)
    : app_(app), image_(image), preparation_(preparation), displayCurve_(displayCurve)
{
}

void PreviewSaving::SetMarks(PreviewMarks marks)
{
    const std::lock_guard lock(marksMutex_);
    marks_ = std::move(marks);
}

PrescanSaveOptions PreviewSaving::Options() const
{
    const CameraPreferences& prefs = app_.CameraSetting().Prefs();
    const CurveState curve = app_.Curve().CurrentCurve();
    PrescanSaveOptions options;
    options.TakePreferences(app_.CameraSetting());
    options.samples = curve.none14          ? PrescanSamples::Raw
                      : prefs.use16BitCurve ? PrescanSamples::Curve16
                                            : PrescanSamples::Display8;
    options.curve = &displayCurve_;
    options.baseName = ScanNaming::PrescanBaseName(prefs.scanName);
    options.modelName = app_.Camera().GetModelName();
    options.versionText = SCANORA_VERSION;
    options.metricUnits = app_.Size().ResolutionForFile().unit == FileResolution::kPerCentimeter;
    options.captureNotes = preparation_.UploadedNotes();
    const std::lock_guard lock(marksMutex_);
    options.crop =
        CropEditor::WindowRect(marks_.crop, image_.DisplayWidth(), image_.DisplayHeight());
    if (options.samples == PrescanSamples::Display8)
        options.falseColorByLevel = marks_.falseColorByLevel;
    return options;
}

void PreviewSaving::AutoSave()
{
    const CameraPreferences& prefs = app_.CameraSetting().Prefs();
    if (!prefs.autoSavePrescans || prefs.savePrescansFolder.empty())
        return;
    image_.ConvertAll(displayCurve_);
    PrescanSaver(app_.Ui()).AutoSave(image_, Options(), prefs.scanName, prefs);
}

bool PreviewSaving::Save(const std::filesystem::path& path, bool capturing)
{
    const CameraPreferences& prefs = app_.CameraSetting().Prefs();
    if (image_.HasImage() && !capturing)
        image_.ConvertAll(displayCurve_);
    return PrescanSaver(app_.Ui()).SaveChosen(image_, Options(), path, prefs.scanName, prefs,
                                              capturing);
}

}  // namespace scanora
