#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace camsim {

// What the four parameter blocks of a capture say, decoded.
struct CaptureParameters {
    static constexpr std::size_t kCurvePoints = 7;
    static constexpr std::size_t kNameLength = 64;

    // H00
    bool prescan = false;           // capture code 'D' in its first place
    bool rotatingStage = false;     // capture code 'P' in its second place
    std::uint32_t captureTime = 0;  // seconds since 1904-01-01 00:00
    int model = 0;
    std::uint16_t pixelsPerLine = 0;
    std::uint32_t lines = 0;
    std::uint16_t firstPixelPosition = 0;  // hundredths of a millimetre along the sensor
    std::uint16_t firstLinePosition = 0;   // hundredths of a millimetre along the travel
    std::uint16_t focalLength = 0;         // 1000, or the rotating stage's focal length × 10
    int sizeStep = 0;
    std::uint16_t format = 0;
    std::uint16_t linePeriod = 0;  // 1/3000 s
    std::array<std::uint16_t, 3> gainCodes{};
    std::uint16_t curvePointCount = 0;
    std::array<std::uint16_t, kCurvePoints> curvePoints{};  // x × 256 + y; 0 and 1 in H00

    // H01
    std::uint16_t outputFlags = 0;  // bit 0 16-bit curve, 1 no curve, 2 negative, 4..5 insert
    int insertCode = 2;             // 1 From Left, 2 From Top, 3 From Right, 4 From Bottom
    std::string name;               // as sent, blanks included

    // H02 and H03: the notes, the capture notes line and the user's notes.
    std::string notes;
};

}  // namespace camsim
