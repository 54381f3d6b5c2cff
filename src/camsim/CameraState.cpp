#include "camsim/CameraState.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "camsim/SampleImages.h"

namespace camsim {

CameraState::CameraState(const SimConfig& config, const SimClock& clock)
    : clock_(clock),
      model_(CameraModel::ForCode(config.model)),
      modelCode_(config.model),
      firmware_(config.firmware),
      serial_(config.serial),
      carriage_(kCarriageStepsPerSecond, kHome),
      stage_(config.stageCoarseOvershoot, config.stageFineOvershoot, kHome),
      disk_(config.diskDir),
      capture_(model_, clock_, disk_)
{
    for (const SimFault& fault : config.faults) {
        if (fault.kind == SimFault::Kind::Stall)
            capture_.StallScansAfter(static_cast<std::uint16_t>(fault.value));
    }
    if (!disk_.IsNew())
        return;
    if (config.sampleImages) {
        for (RecordedImage& image : SampleImages::Make(model_)) disk_.Record(std::move(image));
    }
    if (config.bigImageWidth != 0 && config.bigImageLines != 0)
        disk_.Record(SampleImages::Big(model_, config.bigImageWidth, config.bigImageLines));
}

std::uint16_t CameraState::StatusFlags() const
{
    const SimTimePoint now = clock_.Now();
    const bool moving = carriage_.IsMoving(now) || stage_.IsMoving(now) || capture_.IsBusy();
    return moving ? kMotorMovingFlag : 0;
}

std::uint16_t CameraState::MotorPosition() const
{
    return SelectedMotor().Position(clock_.Now());
}

std::uint16_t CameraState::DiskFreeMegabytes() const
{
    return static_cast<std::uint16_t>(
        std::min<std::uint32_t>(disk_.FreeMegabytes(), std::numeric_limits<std::uint16_t>::max()));
}

}  // namespace camsim
