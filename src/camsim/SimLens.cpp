#include "camsim/SimLens.h"

#include <cmath>

namespace camsim {

double SimLens::BlurAt(const SimFocus& focus, double seconds)
{
    if (focus.sweepSeconds <= 0.0)
        return focus.defocus;
    // Through best focus to as far on the other side, then back: a round trip of 4 S.
    const double s = focus.sweepSeconds;
    const double within = std::fmod(seconds, 4.0 * s);
    const double signedDefocus =
        within <= 2.0 * s ? focus.defocus * (1.0 - within / s) : focus.defocus * (within / s - 3.0);
    return std::fabs(signedDefocus);
}

}  // namespace camsim
