#pragma once

namespace scanora {

struct CameraPreferences;
class UiPort;

// The sound played when a capture has ended: the file named by "SoundName", after a prescan
// when "PlaySoundAfterPrescans" is on and after a scan when "PlaySoundAfterScans" is on. The
// caller waits until it has been played.
class CaptureSound {
public:
    enum class Capture { Prescan, Scan };

    // True when a sound was asked for.
    static bool PlayAfter(Capture capture, const CameraPreferences& prefs, UiPort& ui);
};

}  // namespace scanora
