#pragma once

#include <optional>

#include "cameradisk/RetrievalFormat.h"

namespace scanora {

// The output depth the file manager offers for an output mode, and whether the user may change
// it: "saved with scan" follows the selected image's flags (a scan kept without a curve is
// always 16 bits), "from tone panel" follows the 16-bit curve preference unless the curve is
// switched off, "none" and "DNG" are always 16 bits.
struct RetrievalDepth {
    int bits = 8;
    bool choosable = true;

    // `selectedFlags`: the output flags of the selected image's header; none when no image is
    // selected (the depth then stays `current`).
    [[nodiscard]] static RetrievalDepth For(RetrievalMode mode,
                                            std::optional<unsigned> selectedFlags,
                                            bool use16BitCurve, bool none14, int current);
};

}  // namespace scanora
