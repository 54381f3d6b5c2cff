#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/CameraPreferences.h"
#include "settings/IccProfileCache.h"
#include "settings/PreferenceTargets.h"
#include "settings/QVSetting.h"

namespace scanora {

// The preferences: the one record that holds the user's choices and the state of the controls
// that are not part of the four setting lists (file naming and automatic saving, sounds, colour
// profiles, the preview's mask, grid and guides, line time and ISO steps, the stage, time lapse,
// which entry of each list is current). It is kept as the "BeginCameraSetting" section of the
// preferences file. Before it is written its values are gathered from the live objects, and
// after it is read they are applied to them; the other parts of the program read its values
// directly.
class QVCameraSetting final : public QVSetting {
public:
    static constexpr std::string_view kBeginKey = "BeginCameraSetting";
    static constexpr std::string_view kEndKey = "EndCameraSetting";
    static constexpr std::string_view kName = "Prefs";
    // Automatic file names stay within this many characters, suffix and underscore aside.
    static constexpr std::size_t kMaxBaseNameAndSuffix = 62;
    // The suffix has at most this many digits (the preferences dialog allows no more).
    static constexpr std::int16_t kMaxSuffixLength = 12;

    // The values the program starts with. The panoramic camera turns its own stage, so with it
    // the stage type is its own and panoramas are on.
    explicit QVCameraSetting(bool orbiscan = false);

    // Reading empties the list of colour profiles first; guides are added to those held.
    bool Read(LineReader& in) override;
    void Write(OutputStream& out) const override;

    [[nodiscard]] CameraPreferences& Prefs() { return prefs_; }
    [[nodiscard]] const CameraPreferences& Prefs() const { return prefs_; }

    // Refreshes the values that the live objects own from them; the others stay as they are.
    void Gather(const PreferenceTargets& targets);
    // Hands the values to the live objects, in the order the controls expect them. Repairs a
    // time lapse series of less than one image or second on the way.
    void Apply(const PreferenceTargets& targets);

    // Advances the suffix by the increment (0 counts as 1) and returns the name formed from the
    // base name and the new suffix: with "File", suffix length 2 and suffix 7, "File_08".
    std::string NextAutoFileName();
    // The name formed from the base name and the suffix as it stands.
    [[nodiscard]] std::string CurrentAutoFileName() const;

    // A time lapse series of less than one image or one second becomes one image every second,
    // switched off.
    void RepairTimeLapse();

    // Takes a colour profile the user chose: it becomes the embedded profile and the current
    // entry of the profile list.
    void AddProfile(const std::string& path);
    // The bytes to embed in a saved image: those of "ICCProfileName" when "EmbedICCProfile" is
    // on; empty when it is off, when no profile is named or when the file can not be read.
    [[nodiscard]] std::vector<std::uint8_t> ProfileData() const;

    // "Right" 0, "Left" 1, "Top" 2, "Bottom" 3; any other text is the right side.
    [[nodiscard]] static int ControlPositionCode(std::string_view text);
    [[nodiscard]] static std::string_view ControlPositionText(int code);

private:
    [[nodiscard]] std::string FormatAutoFileName(std::int16_t suffix) const;
    [[nodiscard]] std::int16_t Increment() const;

    CameraPreferences prefs_;
    mutable IccProfileCache profileCache_;
};

}  // namespace scanora
