#include "output/CaptureSound.h"

#include "platform/UiPort.h"
#include "settings/CameraPreferences.h"

namespace scanora {

bool CaptureSound::PlayAfter(Capture capture, const CameraPreferences& prefs, UiPort& ui)
{
    const bool wanted =
        capture == Capture::Prescan ? prefs.playSoundAfterPrescans : prefs.playSoundAfterScans;
    if (!wanted || prefs.soundName.empty())
        return false;
    ui.PlaySound(prefs.soundName, true);
    return true;
}

}  // namespace scanora
