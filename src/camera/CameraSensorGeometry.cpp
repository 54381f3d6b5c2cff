#include "camera/CameraSensorGeometry.h"

#include "camera/QVCamera.h"

namespace scanora {

SensorGeometry CameraSensorGeometry(const QVCamera& camera)
{
    return SensorGeometry{camera.GetSensorWidth(), camera.GetMaxLines(), camera.GetMaxSizeStep(),
                          camera.GetMinSizeStep()};
}

}  // namespace scanora
