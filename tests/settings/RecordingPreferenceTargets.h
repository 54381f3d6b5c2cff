#pragma once

#include <string>
#include <vector>

#include "settings/PreferenceDisplays.h"
#include "settings/StagePreferences.h"

namespace scanora::test {

// Preference displays that record what they were asked to show and answer with set values.
class RecordingPreferenceDisplays final : public PreferenceDisplays {
public:
    void ShowCameraColorMode(std::int16_t mode) override { Log("colour mode", colorMode = mode); }
    void ShowPreviewAppearance(const PreviewAppearance& shown) override
    {
        appearance = shown;
        calls.emplace_back("appearance");
    }
    [[nodiscard]] std::string ScanNameField() const override { return nameField; }
    void ShowScanName(std::string_view name) override
    {
        nameField = std::string(name);
        calls.push_back("name " + nameField);
    }
    [[nodiscard]] int ControlPosition() const override { return position; }
    void SetControlPosition(int value) override { Log("position", position = value); }
    [[nodiscard]] std::int32_t CurrentProfileIndex() const override { return profileIndex; }
    void ShowProfiles(const std::vector<std::string>& list, std::int32_t current,
                      bool embed) override
    {
        profiles = list;
        profileIndex = current;
        embedChecked = embed;
        calls.emplace_back("profiles");
    }
    void ShowTimeLapse(std::int16_t images, std::int16_t seconds, bool on) override
    {
        timeLapseImages = images;
        timeLapseSeconds = seconds;
        timeLapseOn = on;
        calls.emplace_back("time lapse");
    }
    [[nodiscard]] bool RulersShown() const override { return rulers; }
    void ShowRulers(bool shown) override { Log("rulers", rulers = shown); }

    std::vector<std::string> calls;
    std::int16_t colorMode = -1;
    PreviewAppearance appearance;
    std::string nameField;
    int position = 0;
    std::vector<std::string> profiles;
    std::int32_t profileIndex = 0;
    bool embedChecked = false;
    std::int16_t timeLapseImages = 0;
    std::int16_t timeLapseSeconds = 0;
    bool timeLapseOn = false;
    bool rulers = false;

private:
    void Log(const std::string& what, int value)
    {
        calls.push_back(what + " " + std::to_string(value));
    }
};

// A stage control that keeps the values it is given.
class RecordingStage final : public StagePreferences {
public:
    [[nodiscard]] StageValues CurrentStageValues() const override { return values; }
    void ApplyStageValues(const StageValues& applied) override
    {
        values = applied;
        ++applies;
    }

    StageValues values;
    int applies = 0;
};

}  // namespace scanora::test
