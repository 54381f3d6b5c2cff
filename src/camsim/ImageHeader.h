#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "camsim/CaptureParameters.h"

namespace camsim {

// The header block the camera keeps with an image on its disk, written out from a capture's
// parameters when the camera has no parameter blocks of its own to copy (the images it makes
// itself). The layout is that of the four block bodies one after another: hexadecimal fields of
// four upper-case digits, the line time at 80, the three gain codes at 96, the curve (count,
// seven points x × 256 + y) at 112, the output flags at 154, the name at 192 (64 characters,
// blank-padded), the notes' length byte at 256 and the notes from 257, blanks behind them.
class ImageHeader {
public:
    static constexpr std::size_t kSize = 512;
    static constexpr std::size_t kLineTimeOffset = 80;
    static constexpr std::size_t kGainsOffset = 96;
    static constexpr std::size_t kCurveOffset = 112;
    static constexpr std::size_t kFlagsOffset = 154;
    static constexpr std::size_t kNameOffset = 192;
    static constexpr std::size_t kNotesLengthOffset = 256;
    static constexpr std::size_t kNotesOffset = 257;
    static constexpr std::size_t kMostNotes = 255;

    // `integration` is the time each line integrated (1/3000 s), which the header keeps as its
    // line time.
    [[nodiscard]] static std::array<std::uint8_t, kSize> Compose(const CaptureParameters& p,
                                                                 std::uint16_t integration);
};

}  // namespace camsim
