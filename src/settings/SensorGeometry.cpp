#include "settings/SensorGeometry.h"

#include "camera/QVCamera.h"

namespace scanora {

SensorGeometry SensorGeometry::FromCamera(const QVCamera& camera)
{
    return SensorGeometry{camera.GetSensorWidth(), camera.GetMaxLines(), camera.GetMaxSizeStep(),
                          camera.GetMinSizeStep()};
}

}  // namespace scanora
