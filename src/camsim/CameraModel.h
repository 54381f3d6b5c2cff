#pragma once

#include <string_view>

namespace camsim {

// What a model code makes of the camera back: its names and its sensor.
struct CameraModel {
    int code = 0;
    std::string_view name;       // the model name, e.g. "Model Cedar"
    std::string_view productId;  // the SCSI identification's product text (at most 16 characters)
    int sensorWidth = 0;         // pixels across the sensor
    int linesAlongTravel = 0;    // lines over the full carriage travel
    int pixelPitch = 0;          // 1/100000 mm
    int maxSizeStep = 8;         // size steps: a step s samples (maxSizeStep - s) / maxSizeStep
    int minSizeStep = 0;         // the finest size step the camera allows
    // The sensor's colour rows lie rowSpacing × maxSizeStep native lines apart, which is
    // rowSpacing × (maxSizeStep - s) lines of an image at size step s.
    int rowSpacing = 1;

    // The row of `code`; codes outside 1..7 give the row of a camera that is not there.
    static const CameraModel& ForCode(int code);
};

}  // namespace camsim
