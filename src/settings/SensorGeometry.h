#pragma once

namespace scanora {

// The model values of the camera that the output geometry rests on, taken apart from the camera
// object (CameraSensorGeometry reads them from it) so that the geometry can be worked out (and
// tested) without one.
struct SensorGeometry {
    int sensorWidth = 6000;  // pixels along the sensor row
    int maxLines = 8000;     // lines along the full travel
    int steps = 8;           // size step count; resolution numbers run below it
    int lowestStep = -4;     // the finest resolution number the model allows

    // The coarsest resolution number; prescans use it.
    [[nodiscard]] int HighestStep() const { return steps - 1; }
};

}  // namespace scanora
