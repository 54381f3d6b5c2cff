#pragma once

#include <string_view>

namespace scanora {

// The fixed parameters of one camera model.
struct CameraModel {
    int code = 0;
    std::string_view name;
    int sensorWidth = 0;  // pixels across the sensor row
    int maxLines = 0;     // lines along the full travel
    int pixelPitch = 0;   // 1/100000 mm
    int maxSizeStep = 0;
    int minSizeStep = 0;
    int maxLineTimeIndex = 0;  // shortest usable line time without the new firmware
};

// The parameters of a model code; any code but 1..7 gives the "No Camera" row.
const CameraModel& LookUpCameraModel(int code);

}  // namespace scanora
