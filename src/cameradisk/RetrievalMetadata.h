#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cameradisk/RetrievalDngColor.h"
#include "output/TIFFDescription.h"

namespace scanora {

struct DiskEntry;
struct RetrievalFormat;
struct RetrievalHeader;

// What a retrieved file records besides the pixels, from the preferences and the camera.
struct RetrievalMetadataOptions {
    std::int16_t descriptionType = 1;  // 0 none, 1 the capture notes, 2 the file name
    double resolution = 300.0;
    std::uint16_t resolutionUnit = 2;  // 2 inch, 3 centimetre
    bool embedOrientation = true;      // "Auto Rotate"
    std::int16_t baselineISO = 100;
    std::vector<std::uint8_t> iccProfile;  // empty: none
    std::string modelName;
    std::uint16_t serialNumber = 0;
    std::string versionText;
    RetrievalDngColor dngColor = RetrievalDngColor::BuiltIn();
};

// Builds the description of a retrieved image file: its form, the scan's exposure, time and
// notes from the header, and for a DNG the camera's colour calibration.
class RetrievalMetadata {
public:
    static constexpr const char* kMake = "Qorvane";
    static constexpr const char* kSoftwarePrefix = "Scanora Version ";
    // Seconds from 1904-01-01 to 1970-01-01.
    static constexpr std::int64_t kSeconds1904To1970 = 2082844800;

    // `name` is the name the file is saved under (without its folder and extension).
    [[nodiscard]] static TIFFDescription Describe(const DiskEntry& entry,
                                                  const RetrievalHeader& header,
                                                  const RetrievalFormat& format,
                                                  const std::string& name,
                                                  const RetrievalMetadataOptions& options);

    // TIFF orientation for the header's rotation code: 0 -> 1, 1 -> 3, 2 -> 6, 3 -> 8.
    [[nodiscard]] static std::uint16_t Orientation(int rotationCode);
    // 1 / exposure time in seconds: trunc(3000 / line time); 0 when unknown.
    [[nodiscard]] static std::uint16_t ExposureDenominator(std::uint32_t lineTimeCode);
    // trunc(green gain) x baseline ISO, limited to the 16-bit field.
    [[nodiscard]] static std::uint16_t IsoSpeed(double greenGain, std::int16_t baselineISO);
    // The capture time as local time, "%Y:%m:%d %H:%M:%S"; nothing for an unknown time (0).
    [[nodiscard]] static std::optional<std::string> DateTime(std::uint32_t seconds1904);
};

}  // namespace scanora
