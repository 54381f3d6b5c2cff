#include "camera/StageMotor.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <string>
#include <thread>

#include "camera/QVCamera.h"

namespace scanora {

namespace {

constexpr std::uint16_t kCoarseSpeed = 0x0001;
constexpr std::uint16_t kFineSpeed = 0x0008;
constexpr std::size_t kParamA = 0;
constexpr std::size_t kAcceleration = 6;
constexpr std::size_t kCruiseRate = 7;

}  // namespace

StageMotor::StageMotor(QVCamera& camera, StageTiming timing)
    : camera_(camera), timing_(std::move(timing))
{
}

bool StageMotor::UploadParameters(const MotorParams& params)
{
    if (!camera_.SetAuxMode(true))
        return false;
    for (std::size_t i = kParamA; i < kParamA + 6; ++i) {
        const std::string name{'M', static_cast<char>('a' + i)};
        if (!SendHex(name, params[i], name))
            return false;
    }
    return true;
}

bool StageMotor::Move(std::uint16_t destination, const MotorParams& params)
{
    return camera_.SetAuxMode(true) && SendHex("MA", params[kAcceleration], "MA") &&
           SendHex("MR", params[kCruiseRate], "MR") && SendHex("MD", destination, "MD") &&
           camera_.Command("CMG\r", "#OK", kMoveTimeoutTicks);
}

bool StageMotor::MoveCoarse(std::uint16_t destination, const MotorParams& params)
{
    return MoveAtSpeed(kCoarseSpeed, destination, params);
}

bool StageMotor::MoveFine(std::uint16_t destination, const MotorParams& params)
{
    return MoveAtSpeed(kFineSpeed, destination, params);
}

bool StageMotor::MoveAtSpeed(std::uint16_t speed, std::uint16_t destination,
                             const MotorParams& params)
{
    // The speed belongs to the stage's motor too, so the output is switched before it.
    return camera_.SetAuxMode(true) && SendHex("MS", speed, "MS") && Move(destination, params);
}

bool StageMotor::Stop()
{
    return camera_.Command("CMS\r", {}, kStopTimeoutTicks);
}

bool StageMotor::Preset(std::uint16_t position)
{
    return camera_.SetAuxMode(true) && SendHex("MD", position, "MD") &&
           camera_.Command("CMP\r", "#OK");
}

std::optional<std::uint16_t> StageMotor::ReadOffset()
{
    const CameraReply answer = camera_.Exchange("MT\r", "MT");
    if (!answer.accepted)
        return std::nullopt;
    const std::string& reply = answer.text;
    unsigned value = 0;
    if (reply.size() > 2)
        std::from_chars(reply.data() + 2, reply.data() + reply.size(), value, 16);
    return static_cast<std::uint16_t>(value);
}

std::optional<std::uint16_t> StageMotor::ReadPosition()
{
    CameraStatus status;
    if (camera_.QueryStatus(status) != 0)
        return std::nullopt;
    return status.MotorPosition();
}

bool StageMotor::WaitUntilStopped(std::chrono::milliseconds firstPause,
                                  std::chrono::milliseconds interval,
                                  const std::function<void()>& redraw)
{
    const auto now = [this] {
        return timing_.now ? timing_.now() : std::chrono::steady_clock::now();
    };
    const auto start = now();
    if (firstPause.count() > 0)
        Sleep(firstPause);
    for (;;) {
        CameraStatus status;
        if (camera_.QueryStatus(status) != 0)
            return false;
        if (!status.MotorMoving())
            return true;
        if (now() - start >= kMotionWaitLimit)
            return false;
        Sleep(interval);
        if (redraw)
            redraw();
    }
}

void StageMotor::Sleep(std::chrono::milliseconds duration)
{
    if (timing_.sleep)
        timing_.sleep(duration);
    else
        std::this_thread::sleep_for(duration);
}

bool StageMotor::SendHex(std::string_view name, std::uint16_t value,
                         std::string_view expectedPrefix)
{
    std::array<char, 16> digits{};
    std::snprintf(digits.data(), digits.size(), "%.4X\r", static_cast<unsigned>(value));
    return camera_.Command(std::string(name) + digits.data(), expectedPrefix);
}

}  // namespace scanora
