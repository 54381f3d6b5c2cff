#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "imaging/DisplayColorTransform.h"

class QImage;

namespace scanora {

class QVCameraSetting;

// The colour management of the preview on screen: the display copy is in the colour profile
// the user chose ("ICCProfileName") while "EmbedICCProfile" is on, and in sRGB otherwise; it is
// converted into the display's profile before it is drawn. The transform is made again only
// when the switch, the chosen profile's name or the display's profile changes. GUI thread only.
class PreviewColorManagement {
public:
    // Follows the preferences and the display's profile (no bytes: sRGB).
    void Update(const QVCameraSetting& setting, std::span<const std::uint8_t> displayProfile);

    // Converts an image of format RGB888 in place. False, with the image unchanged, for another
    // format; true when no conversion is needed.
    bool Apply(QImage& image);

    // Whether pixels are converted at all: not when both sides are sRGB or no transform could
    // be made.
    [[nodiscard]] bool Converts() const { return transform_.has_value(); }
    // Why the chosen or the display's profile could not be used; empty when they could.
    [[nodiscard]] const std::string& ErrorMessage() const { return error_; }
    // Counts the transforms made, so that a change of colours can be told from a repaint.
    [[nodiscard]] int Generation() const { return generation_; }

private:
    void Rebuild(const QVCameraSetting& setting);

    bool updated_ = false;
    bool embed_ = false;
    std::string profileName_;
    std::vector<std::uint8_t> displayProfile_;
    std::optional<DisplayColorTransform> transform_;
    std::string error_;
    int generation_ = 0;
};

}  // namespace scanora
