#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "settings/StageValues.h"

namespace scanora {

// One guide line of the preview: its position in percent of the image and its direction.
struct Guide {
    double position = 0.0;
    bool horizontal = false;
    bool operator==(const Guide&) const = default;
};

// The plain values of the preferences record, each named after the key it is kept under. The
// initial values are those the program starts with when there is no preferences file.
struct CameraPreferences {
    // Camera colour modes.
    static constexpr std::int16_t kColor = 0;
    static constexpr std::int16_t kRed = 1;
    static constexpr std::int16_t kGreen = 2;
    static constexpr std::int16_t kBlue = 3;
    // Line time synchronisation.
    static constexpr std::int16_t kSyncExact = 0;
    static constexpr std::int16_t kSync60Hz = 1;
    static constexpr std::int16_t kSync50Hz = 2;
    // ISO steps.
    static constexpr std::int16_t kOneTenth = 0;
    static constexpr std::int16_t kOneThird = 1;
    // Texts put into the description of retrieved images.
    static constexpr std::int16_t kDescriptionNone = 0;
    static constexpr std::int16_t kDescriptionNotes = 1;
    static constexpr std::int16_t kDescriptionFileName = 2;
    // The base file name is held in a field of this many characters.
    static constexpr std::size_t kMaxAutoFileName = 127;

    bool fastPrescan = false;
    bool cropPrescan = false;
    bool use16BitCurve = false;
    bool autoSaveScans = false;
    bool autoSavePrescans = false;
    std::string saveScansFolder;
    std::string savePrescansFolder;
    std::string autoFileName = "File";
    std::int16_t autoFileSuffix = 1;  // the last suffix used
    std::int16_t suffixLength = 2;
    std::int16_t autoFileIncrement = 1;
    bool useAutoSuffixes = false;
    bool embedICCProfile = false;
    bool autoOpenRetrieves = false;
    bool autoOpenScans = false;
    bool autoOpenPrescans = false;
    bool playSoundAfterScans = false;
    bool playSoundAfterPrescans = false;
    std::string soundName;
    std::string openWithApplicationName;
    std::string iccProfileName;
    std::int16_t cameraColorMode = kColor;
    // The current entry of each setting list, 1-based; 0 leaves the list's current entry alone.
    std::int16_t currentSizeSettingIndex = 0;
    std::int16_t currentExposureSettingIndex = 0;
    std::int16_t currentCurveSettingIndex = 0;
    std::int16_t currentHistoSettingIndex = 0;
    bool autoSavePrefs = true;
    std::uint32_t maskColor = 0;
    std::int16_t maskTransparency = 128;
    std::uint32_t gridColor = 0;
    std::uint32_t guideColor = 74 + 255 * 256 + 255 * 65536;
    std::int16_t guidePatternID = 0;
    std::int16_t gridWidth = 50;
    std::int16_t gridHeight = 50;
    std::int16_t lineTimeSync = kSync60Hz;
    std::int16_t isoIncrement = kOneTenth;
    std::int16_t baselineISO = 100;
    bool rotateCrop = false;
    StageValues stage;
    bool enablePanoMode = false;
    bool enableRulers = false;
    std::int16_t spotWidth = 5;
    std::string controlPosition = "Right";
    std::string scanName = "Untitled";
    std::vector<std::string> iccProfiles;
    std::int32_t currentICCProfileIndex = 1;  // 1-based in iccProfiles, 0 none
    std::int16_t lineTimeIndex = 9;
    bool focusRedEnabled = false;
    bool focusGreenEnabled = false;
    bool focusBlueEnabled = false;
    std::int16_t fileManagerSortOrder = 0;
    std::int16_t fileManagerSortDirection = 0;
    bool timeLapse = false;
    std::int16_t timeLapseImages = 2;
    std::int16_t timeLapseSeconds = 10;
    std::int16_t fileDescriptionTextType = kDescriptionNotes;
    bool embedOrientation = true;
    // The guides of the preview. Reading a preferences file adds its guides to these.
    std::vector<Guide> guides;
};

}  // namespace scanora
