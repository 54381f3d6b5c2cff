#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace scanora {

// The image properties and metadata of one TIFF or DNG file: what the caller fills in before
// writing, and what the reader found in a file. Texts are plain C-style texts: they end at their
// first NUL.
struct TIFFDescription {
    static constexpr std::uint16_t kLittleEndian = 0x4949;  // "II"
    static constexpr std::uint16_t kBigEndian = 0x4D4D;     // "MM"

    std::uint32_t width = 0;
    std::uint32_t height = 0;
    // 8 or 16; a raw depth of 9..15 bits is stored in 16-bit samples and written as 16.
    std::uint16_t bitsPerSample = 8;
    // Filled by the reader: the byte order mark of the file read.
    std::uint16_t byteOrder = kLittleEndian;
    // 2 RGB, 1 one channel with black at zero, 34892 linear raw (DNG).
    std::uint16_t photometric = 2;
    std::uint16_t samplesPerPixel = 3;
    // At most 255 characters are kept.
    std::optional<std::string> description;
    // Pixels per unit. Both resolution entries of the file carry `xResolution`.
    double xResolution = 300.0;
    double yResolution = 300.0;
    std::uint32_t resolutionUnit = 2;      // 2 inch, 3 centimetre
    std::vector<std::uint8_t> iccProfile;  // empty: none
    std::uint16_t orientation = 1;         // 0: no Orientation entry

    bool isDng = false;
    std::optional<std::string> uniqueCameraModel;
    // Nonzero also means that the matching colour matrix is written.
    std::uint16_t illuminant1 = 0;
    std::uint16_t illuminant2 = 0;
    std::array<double, 9> colorMatrix1{};
    std::array<double, 9> colorMatrix2{};
    std::array<float, 3> analogBalance{1.0f, 1.0f, 1.0f};
    std::optional<std::string> cameraSerialNumber;
    std::uint16_t makerNoteSafety = 0;
    std::array<float, 3> asShotNeutral{1.0f, 1.0f, 1.0f};

    bool hasExif = false;
    // The exposure time is 1 / exposureDenominator seconds; 0 means unknown.
    std::uint16_t exposureDenominator = 0;
    std::uint16_t isoSpeed = 0;
    std::optional<std::string> make;
    std::optional<std::string> model;
    std::optional<std::string> software;
    // "YYYY:MM:DD HH:MM:SS" as strftime's "%Y:%m:%d %H:%M:%S" gives it.
    std::optional<std::string> dateTime;
    std::vector<std::uint8_t> makerNote;  // empty: none
    // The EXIF user comment: raw bytes when given (they win), otherwise a text stored with the
    // "ASCII" character code. The reader fills both when the comment is an ASCII one.
    std::optional<std::string> userComment;
    std::vector<std::uint8_t> rawUserComment;

    // Bytes per stored sample: 1 up to 8 bits, 2 above.
    [[nodiscard]] std::uint32_t BytesPerSample() const { return bitsPerSample > 8 ? 2 : 1; }
    // Bytes of one row of pixels, and of the whole image.
    [[nodiscard]] std::uint64_t RowBytes() const
    {
        return std::uint64_t{width} * samplesPerPixel * BytesPerSample();
    }
    [[nodiscard]] std::uint64_t ImageBytes() const { return RowBytes() * height; }
};

}  // namespace scanora
