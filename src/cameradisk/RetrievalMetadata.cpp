#include "cameradisk/RetrievalMetadata.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <ctime>

#include "cameradisk/DiskEntry.h"
#include "cameradisk/RetrievalFormat.h"
#include "cameradisk/RetrievalHeader.h"
#include "settings/CameraPreferences.h"

namespace scanora {

namespace {

constexpr std::uint16_t kLinearRaw = 34892;

}  // namespace

std::uint16_t RetrievalMetadata::Orientation(int rotationCode)
{
    static constexpr std::array<std::uint16_t, 4> kCodes{1, 3, 6, 8};
    return kCodes[static_cast<std::size_t>(rotationCode) & 3];
}

std::uint16_t RetrievalMetadata::ExposureDenominator(std::uint32_t lineTimeCode)
{
    if (lineTimeCode == 0)
        return 0;
    return static_cast<std::uint16_t>(std::min<std::uint32_t>(3000 / lineTimeCode, 65535));
}

std::uint16_t RetrievalMetadata::IsoSpeed(double greenGain, std::int16_t baselineISO)
{
    const double iso = std::trunc(greenGain) * baselineISO;
    return static_cast<std::uint16_t>(std::clamp(iso, 0.0, 65535.0));
}

std::optional<std::string> RetrievalMetadata::DateTime(std::uint32_t seconds1904)
{
    if (seconds1904 == 0)
        return std::nullopt;
    const auto unix = static_cast<std::time_t>(std::int64_t{seconds1904} - kSeconds1904To1970);
    std::tm local{};
    if (!::localtime_r(&unix, &local))
        return std::nullopt;
    std::array<char, 32> text{};
    const std::size_t length = std::strftime(text.data(), text.size(), "%Y:%m:%d %H:%M:%S", &local);
    if (length != 19)
        return std::nullopt;
    return std::string(text.data(), length);
}

TIFFDescription RetrievalMetadata::Describe(const DiskEntry& entry, const RetrievalHeader& header,
                                            const RetrievalFormat& format, const std::string& name,
                                            const RetrievalMetadataOptions& options)
{
    TIFFDescription d;
    d.width = entry.width;
    d.height = entry.height;
    d.samplesPerPixel = format.samplesPerPixel;
    d.photometric = format.samplesPerPixel == 3 ? 2 : 1;
    d.bitsPerSample = format.bitsPerSample;
    if (options.descriptionType == CameraPreferences::kDescriptionNotes)
        d.description = header.captureNotes;
    else if (options.descriptionType == CameraPreferences::kDescriptionFileName)
        d.description = name;
    d.xResolution = options.resolution;
    d.yResolution = options.resolution;
    d.resolutionUnit = options.resolutionUnit;
    d.orientation = options.embedOrientation ? Orientation(header.RotationCode()) : 1;
    d.hasExif = true;
    d.exposureDenominator = ExposureDenominator(header.lineTimeCode);
    d.isoSpeed = IsoSpeed(header.Gain(1), options.baselineISO);
    d.makerNote.assign(entry.header.begin(), entry.header.end());
    if (!header.userNotes.empty())
        d.userComment = header.userNotes;
    d.dateTime = DateTime(entry.time);
    d.software = kSoftwarePrefix + options.versionText;
    d.make = kMake;
    d.model = options.modelName;
    d.iccProfile = options.iccProfile;

    if (format.dng) {
        d.photometric = kLinearRaw;
        d.isDng = true;
        d.uniqueCameraModel = std::string(kMake) + " " + options.modelName;
        d.cameraSerialNumber = std::to_string(options.serialNumber);
        const RetrievalDngColor& color = options.dngColor;
        d.illuminant1 = color.calibrations[0].illuminant;
        d.colorMatrix1 = color.calibrations[0].matrix;
        d.illuminant2 = color.calibrations[1].illuminant;
        d.colorMatrix2 = color.calibrations[1].matrix;
        const std::array<double, 3> balance =
            color.Balance({header.Gain(0), header.Gain(1), header.Gain(2)});
        for (std::size_t i = 0; i < balance.size(); ++i)
            d.analogBalance[i] = static_cast<float>(balance[i]);
        d.asShotNeutral = {1.0f, 1.0f, 1.0f};
    }
    return d;
}

}  // namespace scanora
