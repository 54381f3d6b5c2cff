#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace scanora {

// The stage and panorama values the preferences keep for the stage control: what the stage is,
// how its motor is driven, and the geometry of panoramas, roll-outs and object series.
struct StageValues {
    static constexpr std::size_t kMotorParamCount = 11;
    using MotorParams = std::array<std::uint16_t, kMotorParamCount>;

    // Stage types.
    static constexpr std::int16_t kLargeStage = 0;
    static constexpr std::int16_t kSmallStage = 1;
    static constexpr std::int16_t kCustomStage = 2;
    static constexpr std::int16_t kOrbiscanCamera = 3;
    // Panorama modes.
    static constexpr std::int16_t kPanoOff = 0;
    static constexpr std::int16_t kPanoOn = 1;
    static constexpr std::int16_t kPanoRollout = 2;
    static constexpr std::int16_t kPanoObject = 3;

    std::int16_t stageType = kSmallStage;
    // a, b, c, d, e, f, acceleration, cruise rate, minimum, maximum and centre position.
    MotorParams motorParams = DefaultMotorParams(kSmallStage);
    double focalLength = 100.0;
    double scanExtent = 90.0;
    std::int16_t numImages = 10;
    double numDegrees = 360.0;
    bool returnAfterScan = true;
    std::int16_t panoMode = kPanoOff;
    std::int16_t latentPanoMode = kPanoOff;
    double rolloutHeight = 100.0;
    double rolloutDiameter = 50.0;

    // The motor parameters a stage type starts with. A custom stage has none of its own and
    // starts like the small stage.
    static constexpr MotorParams DefaultMotorParams(std::int16_t type)
    {
        switch (type) {
        case kLargeStage:
            return {1745, 51200, 2048, 1536, 128, 22587, 8192, 2048, 4096, 49152, 26624};
        case kOrbiscanCamera:
            return {7855, 51200, 2048, 1536, 128, 22587, 10384, 1684, 4096, 49152, 26624};
        default: return {2618, 51200, 2048, 1536, 128, 22587, 8192, 2048, 4096, 49152, 26624};
        }
    }

    bool operator==(const StageValues&) const = default;
};

}  // namespace scanora
