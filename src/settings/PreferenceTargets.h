#pragma once

namespace scanora {

class ExposurePreferences;
class PreferenceDisplays;
class QVSize;
class SettingLists;
class StagePreferences;

// The live objects the preferences record is gathered from before it is written and applied to
// after it is read. Each is borrowed and may be absent (null): what belongs to an absent object
// stays in the record.
struct PreferenceTargets {
    SettingLists* lists = nullptr;            // the current entry of each setting list
    QVSize* size = nullptr;                   // the crop prescan flag
    ExposurePreferences* exposure = nullptr;  // line time, ISO step, spot width
    StagePreferences* stage = nullptr;        // stage and panorama values
    PreferenceDisplays* displays = nullptr;   // what the windows show and own
};

}  // namespace scanora
