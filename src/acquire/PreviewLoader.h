#pragma once

#include <filesystem>

#include "acquire/PreviewImage.h"

namespace scanora {

class ColorCorrectingToneCurve;
class UiPort;

// Brings a saved prescan back into the preview: a TIFF file of the camera's preview size with
// red, green and blue samples, taken as the unrotated preview and shown at the view's rotation.
// 8-bit files are widened to 16 bits (v * 257).
class PreviewLoader {
public:
    explicit PreviewLoader(UiPort& ui) : ui_(ui) {}

    // False only when the file cannot be opened or is not a TIFF that can be read (no message).
    // True otherwise: loaded, or refused with "The file %s is not a compatible preview." when
    // its size is not `geometry` with three samples per pixel, or "The file %s could not be
    // read." when its pixels or the preview's buffer cannot be had; a refused file leaves the
    // preview as it was.
    bool LoadPreview(const std::filesystem::path& path, const PreviewGeometry& geometry,
                     PreviewImage& image, const ColorCorrectingToneCurve& curve);

private:
    void Tell(const char* before, const std::filesystem::path& path, const char* after);

    UiPort& ui_;
};

}  // namespace scanora
