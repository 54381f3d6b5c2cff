#pragma once

#include <cstdint>
#include <string>

#include "settings/CameraPreferences.h"
#include "settings/PreferenceDisplays.h"

namespace scanora {

// The preferences the preferences dialog edits, as the dialog holds them while it is open: taken
// from the preferences record when it opens and written back only when the user confirms.
struct PreferenceChoices {
    // Values a shown field falls back to when the record holds none (a negative number).
    static constexpr std::int16_t kShownTransparency = 128;
    static constexpr std::int16_t kShownGridSpacing = 50;
    // At most this many characters of the base file name are taken back.
    static constexpr std::size_t kMaxFileNameTaken = 62;

    bool autoSaveScans = false;
    bool autoSavePrescans = false;
    std::string saveScansFolder;
    std::string savePrescansFolder;
    bool useAutoSuffixes = false;
    std::string autoFileName;
    std::int16_t autoFileSuffix = 0;
    std::int16_t autoFileIncrement = 1;
    std::int16_t suffixLength = 2;
    bool autoOpenRetrieves = false;
    bool autoOpenPrescans = false;
    std::string openWithApplicationName;
    bool playSoundAfterScans = false;
    bool playSoundAfterPrescans = false;
    std::string soundName;
    PreviewAppearance appearance;
    std::int16_t lineTimeSync = CameraPreferences::kSync60Hz;
    std::int16_t isoIncrement = CameraPreferences::kOneTenth;
    std::int16_t baselineISO = 100;
    bool rotateCrop = false;
    bool timeLapse = false;
    std::int16_t timeLapseImages = 1;
    std::int16_t timeLapseSeconds = 1;
    std::int16_t fileDescriptionTextType = CameraPreferences::kDescriptionNotes;
    bool embedOrientation = true;

    // What the dialog shows for `prefs`: a negative mask transparency shows 128, a negative
    // grid width or height 50.
    [[nodiscard]] static PreferenceChoices Of(const CameraPreferences& prefs);
    // Writes every choice back into `prefs`; the base file name keeps at most 62 characters
    // (whole characters: a name is never cut inside one).
    void WriteTo(CameraPreferences& prefs) const;

    // The first `count` characters of the UTF-8 text `text`.
    [[nodiscard]] static std::string FirstCharacters(const std::string& text, std::size_t count);
};

}  // namespace scanora
