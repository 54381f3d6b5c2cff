#include "ui/PreviewColorManagement.h"

#include <QImage>

#include <algorithm>
#include <utility>

#include "settings/QVCameraSetting.h"

namespace scanora {

void PreviewColorManagement::Update(const QVCameraSetting& setting,
                                    std::span<const std::uint8_t> displayProfile)
{
    const CameraPreferences& prefs = setting.Prefs();
    // The profile's name matters only while it is embedded.
    const std::string& name = prefs.embedICCProfile ? prefs.iccProfileName : std::string();
    const bool sameDisplay = std::ranges::equal(displayProfile, displayProfile_);
    if (updated_ && prefs.embedICCProfile == embed_ && name == profileName_ && sameDisplay)
        return;
    updated_ = true;
    embed_ = prefs.embedICCProfile;
    profileName_ = name;
    if (!sameDisplay)
        displayProfile_.assign(displayProfile.begin(), displayProfile.end());
    Rebuild(setting);
}

void PreviewColorManagement::Rebuild(const QVCameraSetting& setting)
{
    ++generation_;
    transform_.reset();
    error_.clear();
    // No bytes when the switch is off or the file cannot be read: the preview is then sRGB.
    const std::vector<std::uint8_t> source = setting.ProfileData();
    if (!source.empty()) {
        DisplayColorTransform chosen(source, displayProfile_);
        if (chosen.IsValid()) {
            transform_.emplace(std::move(chosen));
            return;
        }
        // A profile that cannot be used is passed over: the preview is shown as sRGB.
        error_ = chosen.ErrorMessage();
    }
    if (displayProfile_.empty())
        return;
    DisplayColorTransform fromSrgb({}, displayProfile_);
    if (fromSrgb.IsValid())
        transform_.emplace(std::move(fromSrgb));
    else if (error_.empty())
        error_ = fromSrgb.ErrorMessage();
}

bool PreviewColorManagement::Apply(QImage& image)
{
    if (image.format() != QImage::Format_RGB888)
        return false;
    if (!transform_ || image.isNull())
        return true;
    const auto bytes = static_cast<std::size_t>(image.sizeInBytes());
    return transform_->Apply(std::span(image.bits(), bytes), image.width(), image.height(),
                             static_cast<std::size_t>(image.bytesPerLine()));
}

}  // namespace scanora
