#include "settings/SizeUnits.h"

namespace scanora {

double SizeUnits::PerInch(std::int32_t code)
{
    switch (code) {
    case kMillimeters: return 25.4;
    case kCentimeters: return 2.54;
    case kMeters: return 0.0254;
    // The program's own rounded constant, not 1/12: stored resolutions depend on it.
    case kFeet: return 0.08333;
    // Inches, furlongs (and the unused code 2 that a file turns into furlongs), pixels.
    default: return 1.0;
    }
}

bool SizeUnits::IsMetric(std::int32_t code)
{
    return code == kMillimeters || code == kCentimeters || code == kMeters;
}

}  // namespace scanora
