#pragma once

namespace scanora {

class QVCamera;

// The camera model values that bound the line time, taken apart from the camera object so that
// the exposure can be worked out (and tested) without one: the shortest line time the firmware
// allows, and the carriage geometry that sets the shortest line the motor can follow.
struct LineTimeLimits {
    int maxLineTimeIndex = 12;  // the model's shortest index, 3 higher on USB
    bool newFirmware = true;    // firmware 4.14 or later (or no camera): every index is usable
    int maxSizeStep = 8;
    int pixelPitch = 1200;   // 1/100000 mm
    bool panoramic = false;  // the rotating panoramic camera (model code 2)
    int minSizeStep = 0;     // the model's finest sampling; prescans check their line against it

    // The values of the camera's current model.
    [[nodiscard]] static LineTimeLimits FromCamera(const QVCamera& camera);
};

}  // namespace scanora
