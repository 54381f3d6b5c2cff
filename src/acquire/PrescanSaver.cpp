#include "acquire/PrescanSaver.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <ctime>
#include <span>

#include "acquire/PreviewImage.h"
#include "imaging/ColorCorrectingToneCurve.h"
#include "output/ScanNaming.h"
#include "output/TIFFDescription.h"
#include "output/TIFFFile.h"
#include "platform/AtomicFile.h"
#include "platform/BusyMessages.h"
#include "platform/OpenWith.h"
#include "platform/UiPort.h"
#include "settings/CameraPreferences.h"
#include "settings/QVCameraSetting.h"

namespace scanora {

namespace {

constexpr std::string_view kMake = "Qorvane";
constexpr std::string_view kSoftwarePrefix = "Scanora Version ";

std::string LocalTimeNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    std::array<char, 32> text{};
    const std::size_t length = std::strftime(text.data(), text.size(), "%Y:%m:%d %H:%M:%S", &local);
    return {text.data(), length};
}

// The channels a file holds: all three, or the one of the colour mode.
struct ChannelChoice {
    int first = 0;
    int count = 3;

    explicit ChannelChoice(std::int16_t colorMode)
    {
        if (colorMode >= CameraPreferences::kRed && colorMode <= CameraPreferences::kBlue) {
            first = colorMode - CameraPreferences::kRed;
            count = 1;
        }
    }
};

// Turns the preview's rows into the file's rows, one sample path each.
class RowConverter {
public:
    RowConverter(const PreviewImage& image, const PrescanSaveOptions& options)
        : image_(image),
          options_(options),
          channels_(options.colorMode),
          row_(static_cast<std::size_t>(image.Width()) * PreviewImage::kSamplesPerPixel)
    {
        if (options.samples == PrescanSamples::Curve16 && options.curve != nullptr) {
            QVToneCurve table = *options.curve;
            table.SetSixteenBit(true);
            table.SetRawBits(16);
            table.BuildRawTable();
            const auto raw = table.RawTable();
            table_.assign(raw.begin(), raw.end());
            gains_ = {options.curve->GainRed(), options.curve->GainGreen(),
                      options.curve->GainBlue()};
        }
    }

    [[nodiscard]] bool Ready() const
    {
        switch (options_.samples) {
        case PrescanSamples::Raw: return true;
        case PrescanSamples::Curve16: return !table_.empty();
        case PrescanSamples::Display8:
            // A stale copy (after a rotation, before the next conversion) is not written.
            return image_.DisplayValid() &&
                   image_.DisplayCopy().size() >=
                       static_cast<std::size_t>(image_.DisplayWidth()) * image_.DisplayHeight() * 3;
        }
        return false;
    }

    // Appends preview row `y`, columns [left, right), to `out` in file byte form.
    bool Convert(int y, int left, int right, std::vector<std::uint8_t>& out)
    {
        out.clear();
        if (options_.samples == PrescanSamples::Display8)
            return ConvertDisplay(y, left, right, out);
        if (!image_.ReadPreviewRow(y, row_))
            return false;
        for (int x = left; x < right; ++x) {
            for (int c = channels_.first; c < channels_.first + channels_.count; ++c) {
                std::uint16_t sample = row_[static_cast<std::size_t>(x) * 3 + c];
                if (options_.samples == PrescanSamples::Curve16)
                    sample = table_[Gained(sample, gains_[static_cast<std::size_t>(c)])];
                out.push_back(static_cast<std::uint8_t>(sample & 0xFF));
                out.push_back(static_cast<std::uint8_t>(sample >> 8));
            }
        }
        return true;
    }

private:
    static std::uint16_t Gained(std::uint16_t sample, double gain)
    {
        const double scaled = std::trunc(sample * gain + 0.5);
        return static_cast<std::uint16_t>(std::clamp(scaled, 0.0, 65535.0));
    }

    bool ConvertDisplay(int y, int left, int right, std::vector<std::uint8_t>& out) const
    {
        const PreviewRotation rotation = image_.Orientation();
        const auto display = image_.DisplayCopy();
        const auto& falseColor = options_.falseColorByLevel;
        for (int x = left; x < right; ++x) {
            const ImagePoint at = rotation.ToDisplay({x, y});
            const std::size_t index =
                (static_cast<std::size_t>(at.y) * rotation.DisplayWidth() + at.x) * 3;
            std::array<std::uint8_t, 3> pixel{display[index], display[index + 1],
                                              display[index + 2]};
            if (falseColor.size() == 256) {
                const int level = (pixel[0] + pixel[1] + pixel[2]) / 3;
                const std::int32_t color = falseColor[static_cast<std::size_t>(level)];
                if (color >= 0) {
                    pixel = {static_cast<std::uint8_t>(color & 0xFF),
                             static_cast<std::uint8_t>((color >> 8) & 0xFF),
                             static_cast<std::uint8_t>((color >> 16) & 0xFF)};
                }
            }
            for (int c = channels_.first; c < channels_.first + channels_.count; ++c)
                out.push_back(pixel[static_cast<std::size_t>(c)]);
        }
        return true;
    }

    const PreviewImage& image_;
    const PrescanSaveOptions& options_;
    ChannelChoice channels_;
    std::vector<std::uint16_t> row_;
    std::vector<std::uint16_t> table_;
    std::array<double, 3> gains_{1.0, 1.0, 1.0};
};

}  // namespace

PrescanSaver::PrescanSaver(UiPort& ui) : ui_(ui), opener_(&OpenWith::Open)
{
}

bool PrescanSaver::SaveChosen(const PreviewImage& image, PrescanSaveOptions options,
                              const std::filesystem::path& path, std::string_view scanName,
                              const CameraPreferences& prefs, bool capturing)
{
    if (capturing) {
        ui_.ShowMessage(kCaptureRunningMessage, MessageIcon::Exclamation, MessageButtons::Ok);
        return false;
    }
    if (!ScanNaming::HasTiffExtension(path))
        return false;
    options.baseName = ScanNaming::PrescanBaseName(scanName);
    return SaveAndOpen(image, options, path, prefs);
}

bool PrescanSaver::AutoSave(const PreviewImage& image, PrescanSaveOptions options,
                            std::string_view scanName, const CameraPreferences& prefs)
{
    const auto path = ScanNaming::AutoPrescanPath(prefs.savePrescansFolder, scanName, ui_);
    if (!path)
        return false;
    options.baseName = path->stem().string();
    return SaveAndOpen(image, options, *path, prefs);
}

bool PrescanSaver::SaveAndOpen(const PreviewImage& image, const PrescanSaveOptions& options,
                               const std::filesystem::path& path, const CameraPreferences& prefs)
{
    if (!Save(image, options, path))
        return false;
    if (prefs.autoOpenPrescans && !prefs.openWithApplicationName.empty() && opener_)
        opener_(prefs.openWithApplicationName, path);
    return true;
}

void PrescanSaveOptions::TakePreferences(const QVCameraSetting& setting)
{
    colorMode = setting.Prefs().cameraColorMode;
    descriptionType = setting.Prefs().fileDescriptionTextType;
    iccProfile = setting.ProfileData();
}

ImageRect PrescanSaver::StoredRegion(const PreviewImage& image, const ImageRect& crop)
{
    const ImageRect whole{0, 0, image.Width(), image.Height()};
    if (crop.IsEmpty())
        return whole;
    const ImageRect region = image.Orientation().ToPreviewRect(crop);
    return {std::clamp(region.left, 0, whole.right), std::clamp(region.top, 0, whole.bottom),
            std::clamp(region.right, 0, whole.right), std::clamp(region.bottom, 0, whole.bottom)};
}

TIFFDescription PrescanSaver::Describe(const PrescanSaveOptions& options, std::uint32_t width,
                                       std::uint32_t height)
{
    TIFFDescription d;
    d.width = width;
    d.height = height;
    d.bitsPerSample = options.samples == PrescanSamples::Display8 ? 8 : 16;
    const ChannelChoice channels(options.colorMode);
    d.samplesPerPixel = static_cast<std::uint16_t>(channels.count);
    d.photometric = channels.count == 3 ? 2 : 1;
    d.xResolution = 300.0;
    d.yResolution = 300.0;
    d.resolutionUnit = options.metricUnits ? 3 : 2;
    d.orientation = 1;
    d.make = std::string(kMake);
    d.model = options.modelName;
    d.software = std::string(kSoftwarePrefix) + options.versionText;
    d.dateTime = LocalTimeNow();
    d.iccProfile = options.iccProfile;
    if (options.descriptionType == CameraPreferences::kDescriptionNotes)
        d.description = options.captureNotes;
    else if (options.descriptionType == CameraPreferences::kDescriptionFileName)
        d.description = options.baseName;
    return d;
}

bool PrescanSaver::Save(const PreviewImage& image, const PrescanSaveOptions& options,
                        const std::filesystem::path& path)
{
    if (!image.HasImage())
        return false;
    const ImageRect region = StoredRegion(image, options.crop);
    RowConverter converter(image, options);
    if (region.IsEmpty() || !converter.Ready())
        return false;

    TIFFFile file(path);
    const TIFFDescription description =
        Describe(options, static_cast<std::uint32_t>(region.Width()),
                 static_cast<std::uint32_t>(region.Height()));
    bool written = file.Open(description);
    std::vector<std::uint8_t> row;
    for (int y = region.top; written && y < region.bottom; ++y)
        written = converter.Convert(y, region.left, region.right, row) && file.WriteData(row);
    // A file that could not be completed is reported like one that could not be created: in
    // either case nothing is left under the name.
    if (!(written && file.Close())) {
        ShowCannotOpen(path);
        return false;
    }
    return true;
}

bool PrescanSaver::CheckCanCreate(const std::filesystem::path& path)
{
    std::string error;
    if (AtomicFile::CheckWritable(path, error))
        return true;
    ShowCannotOpen(path);
    return false;
}

void PrescanSaver::ShowCannotOpen(const std::filesystem::path& path)
{
    ui_.ShowMessage(std::string(kCannotOpen) + path.string(), MessageIcon::Exclamation,
                    MessageButtons::Ok);
}

}  // namespace scanora
