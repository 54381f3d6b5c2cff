#include "camera/LineTimeLimits.h"

#include "camera/QVCamera.h"

namespace scanora {

LineTimeLimits LineTimeLimits::FromCamera(const QVCamera& camera)
{
    return LineTimeLimits{camera.GetMaxLineTimeIndex(), camera.HasNewFirmware(),
                          camera.GetMaxSizeStep(),      camera.GetPixelPitch(),
                          camera.IsOrbiscan(),          camera.GetMinSizeStep()};
}

}  // namespace scanora
