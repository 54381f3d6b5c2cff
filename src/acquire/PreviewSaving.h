#pragma once

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <vector>

#include "acquire/CaptureTools.h"
#include "imaging/CropEditor.h"

namespace scanora {

class CapturePreparation;
class ColorCorrectingToneCurve;
class PreviewImage;
struct PrescanSaveOptions;

// What the preview's window adds to a saved prescan: the crop it shows, in percent of the
// displayed image, and the false colour by display level while it shows false colour (256
// entries, -1 for none; empty when false colour is off).
struct PreviewMarks {
    CropPercent crop;
    std::vector<std::int32_t> falseColorByLevel;
};

// The preview's way into a file: what a saved prescan holds (the samples the curve settings
// choose, the preferences' metadata, the notes the camera was given for the capture, the
// window's crop and false colour), saved at the user's command or automatically after a
// prescan. The marks come from the window's thread, the saves from the user's or the prescan's
// thread, never while a capture writes the preview.
class PreviewSaving {
public:
    // Everything is borrowed; `displayCurve` is the curve the capture converts the preview with.
    PreviewSaving(CaptureTools app, PreviewImage& image, const CapturePreparation& preparation,
                  const ColorCorrectingToneCurve& displayCurve);

    void SetMarks(PreviewMarks marks);
    // After a prescan: saves into the prescan folder when the preferences ask for it.
    void AutoSave();
    // Saves at `path`; `capturing` refuses it with the saver's message. False, after the
    // message, when nothing was written.
    bool Save(const std::filesystem::path& path, bool capturing);

private:
    [[nodiscard]] PrescanSaveOptions Options() const;

    CaptureTools app_;
    PreviewImage& image_;
    const CapturePreparation& preparation_;
    const ColorCorrectingToneCurve& displayCurve_;
    mutable std::mutex marksMutex_;
    PreviewMarks marks_;
};

}  // namespace scanora
