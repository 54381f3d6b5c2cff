#pragma once

#include <cstdint>

#include "camsim/CameraModel.h"
#include "camsim/CaptureEngine.h"
#include "camsim/SimClock.h"
#include "camsim/SimConfig.h"
#include "camsim/SimDisk.h"
#include "camsim/SimMotor.h"
#include "camsim/SimStage.h"

namespace camsim {

// Everything the camera back knows about itself: identity, the motor output and its two motors,
// the status words, the disk and the capture side. The command handlers read and change it; the
// links move its data. A new disk gets the sample images (and the big image) the configuration
// asks for; a disk read back from its folder is left as it was kept.
class CameraState {
public:
    // Motor positions in steps. Both motors rest at home (0) when the camera starts; "CMH"
    // brings the selected one back there.
    static constexpr std::uint16_t kHome = 0;
    static constexpr double kCarriageStepsPerSecond = 2000.0;
    // Raw supply voltage word: 0x0333 × 15.143 mV ≈ 12.4 V.
    static constexpr std::uint16_t kSupplyVoltageRaw = 0x0333;
    static constexpr std::uint16_t kMotorMovingFlag = 0x0010;

    CameraState(const SimConfig& config, const SimClock& clock);

    [[nodiscard]] const CameraModel& Model() const { return model_; }
    [[nodiscard]] int ModelCode() const { return modelCode_; }
    [[nodiscard]] std::uint16_t Firmware() const { return firmware_; }
    [[nodiscard]] std::uint16_t Serial() const { return serial_; }
    [[nodiscard]] const SimClock& Clock() const { return clock_; }

    // The motor output drives the sensor carriage, or the turntable stage in auxiliary mode.
    void SelectStage(bool stage) { stageSelected_ = stage; }
    [[nodiscard]] bool IsStageSelected() const { return stageSelected_; }
    [[nodiscard]] SimMotor& SelectedMotor() { return stageSelected_ ? stage_.Motor() : carriage_; }
    [[nodiscard]] const SimMotor& SelectedMotor() const
    {
        return stageSelected_ ? stage_.Motor() : carriage_;
    }
    [[nodiscard]] SimStage& Stage() { return stage_; }
    [[nodiscard]] const SimStage& Stage() const { return stage_; }
    // The destination register that the next move goes to.
    void SetDestination(std::uint16_t destination) { destination_ = destination; }
    [[nodiscard]] std::uint16_t Destination() const { return destination_; }

    // The five status words, in the order of the status reply. The moving flag is also up while
    // a capture runs (the carriage travels).
    [[nodiscard]] std::uint16_t StatusFlags() const;
    [[nodiscard]] std::uint16_t LinesScanned() const { return capture_.LinesScanned(); }
    [[nodiscard]] std::uint16_t MotorPosition() const;
    // Where the sensor carriage is, whichever motor the output drives.
    [[nodiscard]] std::uint16_t CarriagePosition() const
    {
        return carriage_.Position(clock_.Now());
    }
    [[nodiscard]] std::uint16_t SupplyVoltageRaw() const { return kSupplyVoltageRaw; }
    [[nodiscard]] std::uint16_t DiskFreeMegabytes() const;

    [[nodiscard]] SimDisk& Disk() { return disk_; }
    [[nodiscard]] const SimDisk& Disk() const { return disk_; }
    [[nodiscard]] CaptureEngine& Capture() { return capture_; }
    [[nodiscard]] const CaptureEngine& Capture() const { return capture_; }

private:
    const SimClock& clock_;
    const CameraModel& model_;
    int modelCode_;
    std::uint16_t firmware_;
    std::uint16_t serial_;
    SimMotor carriage_;
    SimStage stage_;
    bool stageSelected_ = false;
    std::uint16_t destination_ = 0;
    SimDisk disk_;
    CaptureEngine capture_;
};

}  // namespace camsim
