#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "camera/CaptureConditions.h"
#include "settings/CurveHandle.h"

namespace scanora {

// How the camera maps sensor values to output values for a capture.
enum class TableMode : int { Linear = 0, Curve8Bit = 1, Curve16Bit = 2 };

// Colour mode of a scan: all three channels or one of them.
enum class ColourMode : int { Colour = 0, Red = 1, Green = 2, Blue = 3 };

// Everything the four parameter blocks carry, as plain values worked out by the caller.
struct CaptureBlockInputs {
    CaptureKind kind = CaptureKind::Prescan;
    bool rotatingStage = false;
    // Capture time as seconds since 1904-01-01 00:00 (only the low 32 bits are sent).
    std::uint64_t captureTime1904 = 0;
    std::uint16_t modelCode = 0;
    // Captured window: width in pixels (a scan's width is made even here) and length in lines.
    int width = 0;
    std::uint32_t lines = 0;
    // Offsets of the captured area in sensor pixels and the model's pixel pitch (hundredths of a
    // micrometre); the blocks carry pitch x offset / 1000, in hundredths of a millimetre.
    int offsetAcross = 0;
    int offsetAlong = 0;
    int pixelPitch = 0;
    // The stage's focal length in tenths of a millimetre (rotating stage only).
    int stageFocalTenths = 0;
    // The size step written twice (the caller picks GetMaxSizeStep() - 1 for a plain prescan).
    int sizeStep = 0;
    TableMode tableMode = TableMode::Linear;
    ColourMode colourMode = ColourMode::Colour;
    // Line period in 1/3000 s: the larger of these two is sent.
    int requestedLineTime = 0;
    int minLineTime = 0;
    // The gain codes' values for red, green and blue in tenths of a decibel: gain + filter, or
    // the fast prescan's totals.
    std::array<double, 3> totalTenths{};
    // The tone curve's handles (at most seven are sent).
    std::span<const CurveHandle> handles;
    bool use16BitCurve = false;
    bool none14 = false;
    bool negative = false;
    int orientation = 2;  // 1..4 as the output geometry defines it
    std::string_view name;
};

// The items of the description text that are not in the block inputs, already formatted by the
// caller (dates and times in the user's formats, labels from the controls).
struct DescriptionInputs {
    std::string_view date;
    std::string_view time;
    int outputWidth = 0;
    int outputHeight = 0;
    // Two size values " (a+b)" or, with a rotating stage, two stage values " (a.a/b.b)".
    int sizeValueA = 0;
    int sizeValueB = 0;
    double stageValueA = 0.0;
    double stageValueB = 0.0;
    int sizePercent = 100;
    std::string_view panelText;
    std::string_view lineTimeLabel;
    // The exposure setting's gain + filter per channel, tenths of a decibel (a fast prescan
    // sends other gains, but the text names the setting the user chose).
    std::array<double, 3> totalTenths{};
};

// The capture parameters as the camera takes them: four text blocks "H00".."H03" of 131
// characters, each followed by a two-digit upper-case hexadecimal checksum and a carriage
// return. The description text and the user's notes travel in H02 and H03.
class ParameterBlocks {
public:
    static constexpr std::size_t kTextLength = 131;
    static constexpr std::size_t kBlockLength = 134;
    static constexpr std::size_t kNameLength = 64;
    static constexpr std::size_t kMaxText = 255;
    static constexpr std::size_t kH02TextLength = 127;
    static constexpr std::size_t kH03TextLength = 128;
    static constexpr std::uint64_t kSeconds1904To1970 = 2082844800;

    [[nodiscard]] static std::string BuildH00(const CaptureBlockInputs& in);
    [[nodiscard]] static std::string BuildH01(const CaptureBlockInputs& in);
    // The combined text is at most 255 characters; longer input is cut.
    [[nodiscard]] static std::string BuildH02(std::string_view combined);
    [[nodiscard]] static std::string BuildH03(std::string_view combined);

    // The description text followed by as much of the user's text (in Windows-1252) as fits in
    // 255 characters.
    [[nodiscard]] static std::string CombineTexts(std::string_view description,
                                                  std::string_view userText);
    // The description text of a capture (at most 255 characters, ending in a carriage return).
    [[nodiscard]] static std::string BuildDescription(const CaptureBlockInputs& in,
                                                      const DescriptionInputs& d);

    // The capture code, format code, gain code and output flags of the blocks.
    [[nodiscard]] static std::string CaptureCode(const CaptureBlockInputs& in);
    [[nodiscard]] static int FormatCode(const CaptureBlockInputs& in);
    [[nodiscard]] static int GainCode(double totalTenths);
    [[nodiscard]] static int OutputFlags(const CaptureBlockInputs& in);
    // The name as written: "Untitled" when empty, in Windows-1252 ('?' for a character it
    // lacks), control characters as blanks, 64 at most.
    [[nodiscard]] static std::string ImageName(std::string_view name);
    // Seconds since 1904 for a Unix time.
    [[nodiscard]] static std::uint64_t SecondsSince1904(std::int64_t unixSeconds);

    // Sum of the character codes modulo 256.
    [[nodiscard]] static std::uint8_t Checksum(std::string_view text);
    // Appends "%2.2X\r" to 131 characters of text.
    [[nodiscard]] static std::string Seal(std::string text);
};

// The table mode the blocks and the description are built for: linear when there is no tone
// curve or the transport is USB (the host applies the curve), else 16 or 8 bits.
[[nodiscard]] TableMode BlockTableMode(bool usb, bool none14, bool use16BitCurve);
// The table mode a scan loads its tables with.
[[nodiscard]] TableMode ScanTableMode(bool none14, bool use16BitCurve);

}  // namespace scanora
