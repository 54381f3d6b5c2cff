#pragma once

#include <array>
#include <cstdint>

namespace scanora {

// The five words of one status reply ("CS"), as one consistent set: flags, lines scanned, motor
// position, raw supply voltage and free disk megabytes.
struct CameraStatus {
    static constexpr std::uint32_t kMotorMovingFlag = 0x10;  // bit 4 of the flags

    std::array<std::uint32_t, 5> words{};

    [[nodiscard]] std::uint32_t Word(int index) const
    {
        return index >= 0 && index < static_cast<int>(words.size())
                   ? words[static_cast<std::size_t>(index)]
                   : 0;
    }
    [[nodiscard]] std::uint16_t Flags() const { return static_cast<std::uint16_t>(words[0]); }
    // Set while the carriage or the stage moves.
    [[nodiscard]] bool MotorMoving() const { return (words[0] & kMotorMovingFlag) != 0; }
    [[nodiscard]] std::uint32_t LinesScanned() const { return words[1]; }
    [[nodiscard]] std::uint16_t MotorPosition() const
    {
        return static_cast<std::uint16_t>(words[2]);
    }
    [[nodiscard]] std::uint32_t RawVoltage() const { return words[3]; }
    [[nodiscard]] std::uint32_t DiskFreeMB() const { return words[4]; }
};

}  // namespace scanora
