#pragma once

#include <cstdint>
#include <vector>

#include "camsim/CameraModel.h"
#include "camsim/RecordedImage.h"

namespace camsim {

// The images a new camera disk holds before anything is scanned, one of each stored kind, all
// small and made with the camera's own model:
//   "Sample Chart 16"  16-bit colour, output flags 0x01 (16-bit, curve saved with the scan: a
//                      four-handle curve), user notes;
//   "Sample Raw 16"    16-bit colour, flags 0x13 (no curve, From Bottom), the whole field;
//   "Sample Chart 8"   8-bit colour, flags 0x32 (the samples are final, From Left);
//   "Sample Green 8"   8-bit green alone, flags 0x02;
//   "Sample Red 16"    16-bit red alone, flags 0x01 with a three-handle curve: a long strip.
// They are recorded in this order, so on a new disk they take header blocks 1 to 5.
//
// What the camera stores is what its output tables made of the sensor values. The 16-bit
// samples are the linear wide table's (4 × the 14-bit value): the curve in the header is not
// applied by the camera, the host applies it when it retrieves the image. The 8-bit samples went
// through the linear 8-bit tables and are final, so their headers say "no curve" (flag bit 1)
// and keep an identity curve.
class SampleImages {
public:
    [[nodiscard]] static std::vector<RecordedImage> Make(const CameraModel& model);

    // A 16-bit colour image of `width` × `lines` at the model's finest size step, named
    // "Big Image" (for trying retrievals of the largest sizes).
    [[nodiscard]] static RecordedImage Big(const CameraModel& model, std::uint32_t width,
                                           std::uint32_t lines);
};

}  // namespace camsim
