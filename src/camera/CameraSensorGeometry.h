#pragma once

#include "settings/SensorGeometry.h"

namespace scanora {

class QVCamera;

// The sensor values the output geometry rests on, read from the camera's current model.
[[nodiscard]] SensorGeometry CameraSensorGeometry(const QVCamera& camera);

}  // namespace scanora
