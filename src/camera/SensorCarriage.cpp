#include "camera/SensorCarriage.h"

#include <cstdio>
#include <string>

#include "camera/QVCamera.h"

namespace scanora {
namespace {

// A move may take the carriage across its whole travel: ten seconds.
constexpr int kMoveTicks = 600;

}  // namespace

bool SensorCarriage::MoveCarriage(std::uint16_t position)
{
    char destination[16];
    std::snprintf(destination, sizeof destination, "MD%.4X\r", static_cast<unsigned>(position));
    // The move is started even when the destination was refused: the camera then goes to the
    // destination it holds, as it always has.
    const bool destinationTaken = camera_.Command(destination, "MD");
    return camera_.Command("CMV\r", "#OK", kMoveTicks) && destinationTaken;
}

bool SensorCarriage::CentreCarriage()
{
    return MoveCarriage(CarriagePositions::kCentre);
}

bool SensorCarriage::HomeCarriage()
{
    return camera_.Command("CMH\r", "#OK", kMoveTicks);
}

}  // namespace scanora
