#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "camsim/LookupTables.h"

namespace camsim {

// A prescan streams its lines over the link; a scan is recorded on the camera's disk.
enum class CaptureKind { Prescan, Scan };

// Where a capture looks, in the terms of its parameter blocks.
struct CaptureGeometry {
    int model = 6;       // the model code, which fixes the sensor and its size steps
    int insertCode = 2;  // how the insert is turned: 1 From Left, 2 From Top, 3 From Right,
                         // 4 From Bottom
    int sizeStep = 0;    // a line of pixelsPerLine covers maxSizeStep / (maxSizeStep − sizeStep)
                         // native pixels per pixel
    std::uint32_t pixelsPerLine = 0;
    std::uint32_t lines = 0;
    std::uint16_t firstPixelPosition = 0;  // hundredths of a millimetre along the sensor
    std::uint16_t firstLinePosition = 0;   // hundredths of a millimetre along the travel
};

// How the sensor is exposed: how long each line integrates and the gain code of each colour.
struct SensorExposure {
    static constexpr std::uint16_t kUnityGain = 260;

    std::uint16_t integration = 100;  // 1/3000 s
    std::array<std::uint16_t, 3> gainCodes{kUnityGain, kUnityGain, kUnityGain};
};

// Everything the camera needs to produce the data of a capture, while it runs or when the image
// is read back from the disk much later.
struct CaptureRecipe {
    // Capture format codes: the high digit is the bytes per pixel, the low one C for colour or
    // the colour 1..3 (red, green, blue) of a single-colour capture.
    static constexpr std::uint16_t kColour16 = 0x6C;
    static constexpr std::uint16_t kColour8 = 0x3C;
    static constexpr std::uint16_t kSingle16 = 0x20;  // + colour
    static constexpr std::uint16_t kSingle8 = 0x10;   // + colour

    CaptureGeometry geometry;
    SensorExposure exposure;
    std::uint16_t format = kColour16;
    bool calibrated = true;  // the sensor's column calibration is loaded
    LookupTables tables;

    [[nodiscard]] static bool IsKnownFormat(std::uint16_t format);
    [[nodiscard]] std::size_t BytesPerPixel() const { return format >> 4; }
    [[nodiscard]] bool IsColour() const { return (format & 0x0F) == 0x0C; }
    [[nodiscard]] bool IsWide() const { return BytesPerPixel() % 2 == 0; }
    // The colour of a single-colour capture: 0 red, 1 green, 2 blue.
    [[nodiscard]] std::size_t SingleColour() const { return ((format & 0x0F) + 2) % 3; }
    [[nodiscard]] std::size_t LineBytes() const
    {
        return std::size_t{geometry.pixelsPerLine} * BytesPerPixel();
    }
    // The lines between two colour rows of the sensor at this size step.
    [[nodiscard]] int ColourOffset() const;
    // The raw lines a capture of `kind` exposes: its image lines, and behind them the lines that
    // bring the last image lines' red and green (2 colour offsets); a scan records 4 colour
    // offsets behind its image, as its stored image holds them.
    [[nodiscard]] std::uint64_t SensorLines(CaptureKind kind) const;
};

}  // namespace camsim
