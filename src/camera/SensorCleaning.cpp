#include "camera/SensorCleaning.h"

#include <chrono>
#include <thread>

#include "camera/QVCamera.h"

namespace scanora {
namespace {

// Lets the last move settle before the dialog goes.
constexpr std::chrono::milliseconds kKeepPause{100};

}  // namespace

SensorCleaning::SensorCleaning(QVCamera& camera) : camera_(camera), carriage_(camera)
{
}

bool SensorCleaning::Clean()
{
    settled_.store(false);
    // Without the carriage selected the move would turn a stage instead.
    return camera_.SetAuxMode(false) && carriage_.MoveCarriage(kCleaningPosition);
}

void SensorCleaning::Keep()
{
    std::this_thread::sleep_for(kKeepPause);
    settled_.store(true);
}

bool SensorCleaning::Return()
{
    // Without the carriage selected the moves would turn a stage instead.
    if (!camera_.SetAuxMode(false))
        return false;
    if (settled_.exchange(true))
        return true;
    const bool centred = carriage_.CentreCarriage();
    return carriage_.HomeCarriage() && centred;
}

}  // namespace scanora
