#include "settings/PreferenceChoices.h"

namespace scanora {

namespace {

std::int16_t ShownOr(std::int16_t value, std::int16_t fallback)
{
    return value < 0 ? fallback : value;
}

}  // namespace

PreferenceChoices PreferenceChoices::Of(const CameraPreferences& prefs)
{
    PreferenceChoices c;
    c.autoSaveScans = prefs.autoSaveScans;
    c.autoSavePrescans = prefs.autoSavePrescans;
    c.saveScansFolder = prefs.saveScansFolder;
    c.savePrescansFolder = prefs.savePrescansFolder;
    c.useAutoSuffixes = prefs.useAutoSuffixes;
    c.autoFileName = prefs.autoFileName;
    c.autoFileSuffix = prefs.autoFileSuffix;
    c.autoFileIncrement = prefs.autoFileIncrement;
    c.suffixLength = prefs.suffixLength;
    c.autoOpenRetrieves = prefs.autoOpenRetrieves;
    c.autoOpenPrescans = prefs.autoOpenPrescans;
    c.openWithApplicationName = prefs.openWithApplicationName;
    c.playSoundAfterScans = prefs.playSoundAfterScans;
    c.playSoundAfterPrescans = prefs.playSoundAfterPrescans;
    c.soundName = prefs.soundName;
    c.appearance.maskColor = prefs.maskColor;
    c.appearance.maskTransparency = ShownOr(prefs.maskTransparency, kShownTransparency);
    c.appearance.gridColor = prefs.gridColor;
    c.appearance.gridWidth = ShownOr(prefs.gridWidth, kShownGridSpacing);
    c.appearance.gridHeight = ShownOr(prefs.gridHeight, kShownGridSpacing);
    c.appearance.guideColor = prefs.guideColor;
    c.appearance.guidePattern = prefs.guidePatternID;
    c.lineTimeSync = prefs.lineTimeSync;
    c.isoIncrement = prefs.isoIncrement;
    c.baselineISO = prefs.baselineISO;
    c.rotateCrop = prefs.rotateCrop;
    c.timeLapse = prefs.timeLapse;
    c.timeLapseImages = prefs.timeLapseImages;
    c.timeLapseSeconds = prefs.timeLapseSeconds;
    c.fileDescriptionTextType = prefs.fileDescriptionTextType;
    c.embedOrientation = prefs.embedOrientation;
    return c;
}

void PreferenceChoices::WriteTo(CameraPreferences& prefs) const
{
    prefs.autoSaveScans = autoSaveScans;
    prefs.autoSavePrescans = autoSavePrescans;
    prefs.saveScansFolder = saveScansFolder;
    prefs.savePrescansFolder = savePrescansFolder;
    prefs.useAutoSuffixes = useAutoSuffixes;
    prefs.autoFileName = FirstCharacters(autoFileName, kMaxFileNameTaken);
    prefs.suffixLength = suffixLength;
    prefs.autoFileSuffix = autoFileSuffix;
    prefs.autoFileIncrement = autoFileIncrement;
    prefs.autoOpenRetrieves = autoOpenRetrieves;
    prefs.autoOpenPrescans = autoOpenPrescans;
    prefs.openWithApplicationName = openWithApplicationName;
    prefs.playSoundAfterScans = playSoundAfterScans;
    prefs.playSoundAfterPrescans = playSoundAfterPrescans;
    prefs.soundName = soundName;
    prefs.maskTransparency = appearance.maskTransparency;
    prefs.gridWidth = appearance.gridWidth;
    prefs.gridHeight = appearance.gridHeight;
    prefs.gridColor = appearance.gridColor;
    prefs.maskColor = appearance.maskColor;
    prefs.guideColor = appearance.guideColor;
    prefs.lineTimeSync = lineTimeSync;
    prefs.baselineISO = baselineISO;
    prefs.isoIncrement = isoIncrement;
    prefs.rotateCrop = rotateCrop;
    prefs.timeLapse = timeLapse;
    prefs.timeLapseImages = timeLapseImages;
    prefs.timeLapseSeconds = timeLapseSeconds;
    prefs.fileDescriptionTextType = fileDescriptionTextType;
    prefs.embedOrientation = embedOrientation;
    prefs.guidePatternID = appearance.guidePattern;
}

std::string PreferenceChoices::FirstCharacters(const std::string& text, std::size_t count)
{
    std::size_t end = 0;
    for (std::size_t taken = 0; end < text.size() && taken < count; ++taken) {
        ++end;
        // Continuation bytes belong to the character before them.
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
    }
    return text.substr(0, end);
}

}  // namespace scanora
