#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace scanora {

// Converts 8-bit RGB pixels from an image's colour profile into the display's, with the
// perceptual ("images") rendering intent, through Little CMS. Empty profile bytes stand for
// sRGB. Profiles that cannot be read, or that do not describe RGB, give no transform: IsValid()
// is false and ErrorMessage() says why; nothing is printed and nothing aborts.
//
// Not thread-safe: one transform is used from one thread (the preview's, the GUI thread).
class DisplayColorTransform {
public:
    DisplayColorTransform(std::span<const std::uint8_t> sourceProfile,
                          std::span<const std::uint8_t> displayProfile);
    ~DisplayColorTransform();
    DisplayColorTransform(DisplayColorTransform&&) noexcept;
    DisplayColorTransform& operator=(DisplayColorTransform&&) noexcept;
    DisplayColorTransform(const DisplayColorTransform&) = delete;
    DisplayColorTransform& operator=(const DisplayColorTransform&) = delete;

    [[nodiscard]] bool IsValid() const;
    // What went wrong while the transform was made or used; empty when nothing did.
    [[nodiscard]] const std::string& ErrorMessage() const;

    // Converts `height` rows of `width` R, G, B byte triples in place, row y starting at byte
    // y * stride of `rows`, in one call and without allocating. False, with nothing changed,
    // when the transform is not valid or the rows do not fit in `rows`.
    bool Apply(std::span<std::uint8_t> rows, int width, int height, std::size_t stride);

private:
    struct Lcms;
    std::unique_ptr<Lcms> lcms_;
};

}  // namespace scanora
