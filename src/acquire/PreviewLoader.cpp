#include "acquire/PreviewLoader.h"

#include <cstdint>
#include <string>
#include <vector>

#include "output/TIFFFile.h"
#include "platform/UiPort.h"

namespace scanora {

void PreviewLoader::Tell(const char* before, const std::filesystem::path& path, const char* after)
{
    ui_.ShowMessage(std::string(before) + path.string() + after, MessageIcon::Exclamation,
                    MessageButtons::Ok);
}

bool PreviewLoader::LoadPreview(const std::filesystem::path& path, const PreviewGeometry& geometry,
                                PreviewImage& image, const ColorCorrectingToneCurve& curve)
{
    TIFFFile file(path);
    if (!file.ReadDescription())
        return false;
    const TIFFDescription& d = file.Description();
    if (geometry.width <= 0 || geometry.height <= 0 ||
        d.width != static_cast<std::uint32_t>(geometry.width) ||
        d.height != static_cast<std::uint32_t>(geometry.height) || d.samplesPerPixel != 3) {
        Tell("The file ", path, " is not a compatible preview.");
        return true;
    }

    // The pixels are read whole before the preview is touched, so a short file leaves it as
    // it was.
    std::vector<std::uint8_t> pixels;
    if (!file.ReadImage(pixels) || pixels.size() != file.Description().ImageBytes() ||
        !image.AllocatePreview(geometry)) {
        Tell("The file ", path, " could not be read.");
        return true;
    }

    // The file holds the unrotated preview; each of its pixels goes where the view's rotation
    // puts it in buffer A.
    const bool wide = file.Description().BytesPerSample() == 2;
    const PreviewRotation::IndexMap index = image.Orientation().Indices();
    const std::span<std::uint16_t> samples = image.Samples(false);
    std::size_t at = 0;
    for (int y = 0; y < geometry.height; ++y) {
        for (int x = 0; x < geometry.width; ++x) {
            std::uint16_t* pixel = samples.data() + index(x, y) * PreviewImage::kSamplesPerPixel;
            for (std::size_t c = 0; c < PreviewImage::kSamplesPerPixel; ++c) {
                if (wide) {
                    pixel[c] = static_cast<std::uint16_t>(pixels[at] | (pixels[at + 1] << 8));
                    at += 2;
                } else {
                    pixel[c] = static_cast<std::uint16_t>(pixels[at] * 257);
                    at += 1;
                }
            }
        }
    }
    image.ConvertAll(curve);
    return true;
}

}  // namespace scanora
