#pragma once

#include <cstdint>

namespace scanora {

// How a rotating capture turns degrees into preview lines and motor steps. The lens's focal
// length and the sensor's pixel pitch (1/100000 mm) give the pixels one degree sweeps across
// the image plane; the stage's motor parameter a (its turn per step, in 1/10000000 radian) gives
// the steps per degree. A pitch or an a of 0 makes every conversion 0 rather than infinite.
class StageScale {
public:
    // 10000000 x pi / 180: the steps per degree of a stage whose a is 1.
    static constexpr double kStepsPerDegreeAtUnitA = 174532.92519943297;

    StageScale(double focalLength, int pixelPitch, std::uint16_t motorA, double scanExtent)
        : focalLength_(focalLength),
          pixelPitch_(pixelPitch),
          motorA_(motorA),
          scanExtent_(scanExtent)
    {
    }

    [[nodiscard]] double PixelsPerDegree() const;
    // The lines the scan extent sweeps at full resolution.
    [[nodiscard]] double LinesForExtent() const;
    [[nodiscard]] double StepsPerDegree() const;
    // The steps of the whole extent, truncated.
    [[nodiscard]] std::int64_t ExtentSteps() const;
    // Half the extent's steps, halved as the motor's 16-bit positions are.
    [[nodiscard]] std::uint16_t HalfExtentSteps() const;
    [[nodiscard]] double StepsPerLine() const;
    // truncate(StepsPerDegree x degrees) and truncate(StepsPerLine x lines).
    [[nodiscard]] std::int64_t StepsForDegrees(double degrees) const;
    [[nodiscard]] std::int64_t StepsForLines(double lines) const;

private:
    double focalLength_;
    int pixelPitch_;
    std::uint16_t motorA_;
    double scanExtent_;
};

}  // namespace scanora
