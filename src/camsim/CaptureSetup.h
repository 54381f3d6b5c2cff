#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "camsim/CameraModel.h"
#include "camsim/CaptureParameters.h"
#include "camsim/ParameterBlock.h"

namespace camsim {

// The capture the host is setting up, in the order the camera takes it: the four parameter
// blocks (H00 first: it starts a new set-up), "CLB" to accept them together, "EE" for an exposure
// shorter than the line period, "CLP" to make ready. Each step returns a CameraErrorCode.
class CaptureSetup {
public:
    static constexpr std::size_t kHeaderSize = 512;
    // Where the header block keeps the line time: it holds the time the sensor integrated.
    static constexpr std::size_t kHeaderLineTimeOffset = 80;

    explicit CaptureSetup(const CameraModel& model);

    // A parameter block as the command text brought it (without the carriage return).
    [[nodiscard]] unsigned ReceiveBlock(std::string_view block);
    [[nodiscard]] unsigned Begin();
    [[nodiscard]] unsigned SetExposureTime(std::uint16_t time);
    [[nodiscard]] unsigned Prepare();
    // After "CLT" the set-up must be begun and prepared again before the next start.
    void Consume() { stage_ = Stage::Collecting; }
    void Clear();

    [[nodiscard]] bool IsPrepared() const { return stage_ == Stage::Prepared; }
    [[nodiscard]] const CaptureParameters& Parameters() const { return parameters_; }
    // How long the sensor integrates each line: the "EE" time when it is shorter than the line
    // period, else the line period.
    [[nodiscard]] std::uint16_t IntegrationTime() const;
    // The header block the disk keeps with a scan: the four block bodies one after the other
    // (so the image name lies at 192 and the notes' length at 256), with the integration time
    // at kHeaderLineTimeOffset.
    [[nodiscard]] std::array<std::uint8_t, kHeaderSize> HeaderBlock() const;

private:
    enum class Stage { Collecting, Begun, Prepared };

    const CameraModel& model_;
    std::array<std::optional<std::string>, ParameterBlock::kCount> bodies_;
    CaptureParameters parameters_;
    std::optional<std::uint16_t> exposureTime_;
    Stage stage_ = Stage::Collecting;
};

}  // namespace camsim
