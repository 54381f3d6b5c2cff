#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "settings/CurveHandle.h"

namespace scanora {

struct DiskEntry;
struct RetrievalHeader;

// How retrieved samples are turned into output: the file manager's output modes.
enum class RetrievalMode : int {
    None = 0,           // the stored samples unchanged, 16 bits
    SavedWithScan = 1,  // through the curve saved with the scan
    FromTonePanel = 2,  // through the curve editor's current curve
    Dng = 3,            // the stored samples unchanged, as a linear raw DNG
};

// The curve editor's state that "from tone panel" uses.
struct TonePanelCurve {
    std::vector<CurveHandle> handles;
    bool negative = false;
    bool none14 = false;  // the editor is in its no-curve state
};

// A curve to map the samples through: the handles and the negative flag.
struct RetrievalCurve {
    std::vector<CurveHandle> handles;
    bool negative = false;
};

// What the caller chose for one retrieval.
struct RetrievalChoice {
    // The automatic retrieval after a scan follows the header's flags; a manual one the mode and
    // the depth chosen.
    bool automatic = false;
    RetrievalMode mode = RetrievalMode::SavedWithScan;
    int depth = 8;  // 8 or 16 bits; 0: as the scan was taken (the header's 16-bit flag)
    // The camera keeps 16-bit scans linear with their curve in the header, leaving the curve to
    // the host; false for a camera that applies its curve itself.
    bool hostAppliesCurve = true;
    TonePanelCurve tonePanel;
};

// The form of one retrieved image: what the camera stored and what the file holds.
struct RetrievalFormat {
    int storedBytesPerPixel = 6;  // s: kind bits 4..7
    int outputBytesPerPixel = 6;  // b
    std::uint16_t samplesPerPixel = 3;
    std::uint16_t bitsPerSample = 16;
    bool dng = false;
    std::optional<RetrievalCurve> curve;

    // The format of `entry` for `choice`. Nothing when the entry's stored pixel size is not one
    // this program can convert (1, 2, 3 or 6 bytes).
    [[nodiscard]] static std::optional<RetrievalFormat> Choose(const DiskEntry& entry,
                                                               const RetrievalHeader& header,
                                                               const RetrievalChoice& choice);

    // The lines between two of the sensor's colour rows in the stored image: the model's largest
    // size step less the image's size step, doubled on the model whose largest step is 11.
    [[nodiscard]] static std::uint32_t RowSpacing(int maxSizeStep, std::uint16_t extra);

    [[nodiscard]] int BytesPerSample() const { return bitsPerSample > 8 ? 2 : 1; }
    [[nodiscard]] bool StoredWide() const { return storedBytesPerPixel % 2 == 0; }

    // "none", "scan", "tone", "dng".
    [[nodiscard]] static std::optional<RetrievalMode> ParseMode(std::string_view text);
};

}  // namespace scanora
