#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "imaging/PreviewRotation.h"

namespace scanora {

class ColorCorrectingToneCurve;
class PreviewImage;
class QVCameraSetting;
struct CameraPreferences;
class UiPort;
struct TIFFDescription;

// Where the samples of a saved prescan come from, after the curve editor's state.
enum class PrescanSamples {
    Raw,       // the preview's own 16-bit samples ("None14")
    Curve16,   // the samples through a 16-bit table of the editor's curve ("Use16BitCurve")
    Display8,  // the 8-bit display copy, with false colour when the view shows it
};

// Everything a prescan file records besides the pixels. The caller fills it from the
// preferences, the editor, the view and the camera.
struct PrescanSaveOptions {
    // The displayed region to store, in display coordinates; empty for the whole image.
    ImageRect crop;
    PrescanSamples samples = PrescanSamples::Display8;
    // The editor's curve: handles, negative flag and channel gains (Curve16 only).
    const ColorCorrectingToneCurve* curve = nullptr;
    // False colour by display level (R + G + B) / 3: 256 entries, each -1 for none or the colour
    // red + 256 * green + 65536 * blue. Empty when the view's false colour is off (Display8 only).
    std::vector<std::int32_t> falseColorByLevel;
    std::int16_t colorMode = 0;  // CameraPreferences::kColor, kRed, kGreen, kBlue
    std::int16_t descriptionType = 0;
    std::string baseName;      // "<scan name>_pre"
    std::string captureNotes;  // the camera's notes for the current capture, both parts joined
    std::string modelName;
    std::string versionText;
    bool metricUnits = false;  // resolution in centimetres instead of inches
    std::vector<std::uint8_t> iccProfile;

    // Takes colour mode, description type and profile bytes from the preferences.
    void TakePreferences(const QVCameraSetting& setting);
};

// Writes the preview, or the cropped part of it, as a TIFF file. The file holds the region of
// the unrotated preview (camera pixels along the line, camera lines down) that the displayed
// rectangle covers, with Orientation 1, so a saved prescan loads back unchanged whatever the
// view's rotation was when it was saved and is when it is loaded.
class PrescanSaver {
public:
    static constexpr std::string_view kCannotOpen = "Could Not Open File: ";

    // Starts a program on a saved file (OpenWith::Open unless a test gives another).
    using Opener = std::function<bool(const std::string&, const std::filesystem::path&)>;

    explicit PrescanSaver(UiPort& ui);
    PrescanSaver(UiPort& ui, Opener opener) : ui_(ui), opener_(std::move(opener)) {}

    // The user's Save command with the file chosen in the dialog: refused with "Prescan/Scan in
    // Progress" while a capture runs; nothing is written unless the file's extension is "tif" or
    // "tiff" in any case. The written file is opened as the preferences ask.
    bool SaveChosen(const PreviewImage& image, PrescanSaveOptions options,
                    const std::filesystem::path& path, std::string_view scanName,
                    const CameraPreferences& prefs, bool capturing);
    // The automatic save at the end of a prescan: "<scan name>_pre.tif" in "SavePrescansFolder"
    // (a scan name that is no legal file name becomes "NeedLegalFileName"), then opened as the
    // preferences ask. False when no folder is set or the file cannot be written.
    bool AutoSave(const PreviewImage& image, PrescanSaveOptions options, std::string_view scanName,
                  const CameraPreferences& prefs);

    // Finds out, before a prescan, whether its file can be written at `path`: false after the
    // message "Could Not Open File: %s" when it cannot (missing or read-only folder).
    bool CheckCanCreate(const std::filesystem::path& path);

    // Writes the file at `path` (atomically). False, after the message "Could Not Open File: %s"
    // when the file cannot be written, or when there is nothing to save.
    bool Save(const PreviewImage& image, const PrescanSaveOptions& options,
              const std::filesystem::path& path);

    // The description the file is written with for a region `width` by `height`.
    [[nodiscard]] static TIFFDescription Describe(const PrescanSaveOptions& options,
                                                  std::uint32_t width, std::uint32_t height);
    // The region of the unrotated preview that the displayed rectangle covers (whole image for
    // an empty rectangle), clipped to the preview.
    [[nodiscard]] static ImageRect StoredRegion(const PreviewImage& image, const ImageRect& crop);

private:
    void ShowCannotOpen(const std::filesystem::path& path);
    bool SaveAndOpen(const PreviewImage& image, const PrescanSaveOptions& options,
                     const std::filesystem::path& path, const CameraPreferences& prefs);

    UiPort& ui_;
    Opener opener_;
};

}  // namespace scanora
