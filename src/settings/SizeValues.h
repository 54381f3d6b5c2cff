#pragma once

#include <cstdint>

#include "settings/InsertRotation.h"
#include "settings/SizeUnits.h"

namespace scanora {

// The plain values of a size setting record, in the record's field order: what the output
// geometry takes when a setting is applied and gives when a setting is made from it.
struct SizeValues {
    double outputWidth = 16.6667;
    double outputHeight = 12.5;
    double widthOffsetPercent = 0.0;
    double heightOffsetPercent = 0.0;
    double resolutionNumber = 3.0;  // a real in the record, whole in the geometry
    std::int32_t insertRotation = InsertRotation::kFromLeft;
    double resolution = 300.0;
    std::int32_t units = SizeUnits::kInches;
    std::int32_t resolutionUnits = SizeUnits::kInches;
    bool fileSizeLocked = false;
    bool cropRatioLocked = false;
};

}  // namespace scanora
