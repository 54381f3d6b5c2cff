#include "cameradisk/RetrievalFormat.h"

#include "cameradisk/DiskEntry.h"
#include "cameradisk/RetrievalHeader.h"

namespace scanora {

namespace {

// A curve whose handles a tone curve can be built from: x strictly increasing on the grid.
bool UsableHandles(std::span<const CurveHandle> handles)
{
    if (handles.empty())
        return false;
    for (std::size_t i = 0; i < handles.size(); ++i) {
        const CurveHandle& h = handles[i];
        if (h.x < 0 || h.x > 255 || h.y < 0 || h.y > 255)
            return false;
        if (i > 0 && h.x <= handles[i - 1].x)
            return false;
    }
    return true;
}

}  // namespace

std::optional<RetrievalFormat> RetrievalFormat::Choose(const DiskEntry& entry,
                                                       const RetrievalHeader& header,
                                                       const RetrievalChoice& choice)
{
    RetrievalFormat format;
    const int stored = entry.StoredBytesPerPixel();
    if (stored != 1 && stored != 2 && stored != 3 && stored != 6)
        return std::nullopt;
    format.storedBytesPerPixel = stored;

    // The curve and the depth asked for.
    std::optional<RetrievalCurve> curve;
    int depth = 16;
    const int chosenDepth = choice.depth != 0 ? choice.depth : (header.IsSixteenBit() ? 16 : 8);
    if (choice.automatic) {
        depth = header.IsSixteenBit() ? 16 : 8;
        if (!header.HasNoCurve())
            curve = RetrievalCurve{header.handles, header.IsNegative()};
    } else {
        switch (choice.mode) {
        case RetrievalMode::None: break;
        case RetrievalMode::Dng: format.dng = true; break;
        case RetrievalMode::SavedWithScan:
            depth = chosenDepth;
            if (!header.HasNoCurve())
                curve = RetrievalCurve{header.handles, header.IsNegative()};
            break;
        case RetrievalMode::FromTonePanel:
            depth = chosenDepth;
            if (!choice.tonePanel.none14)
                curve = RetrievalCurve{choice.tonePanel.handles, choice.tonePanel.negative};
            break;
        }
    }
    // Only raw 16-bit samples go through a curve, and only when the camera left it to the
    // host. Without a curve the samples are written at the depth they were stored at: halving
    // them without a curve would keep only their low bytes.
    if (!choice.hostAppliesCurve || stored % 2 != 0 || (curve && !UsableHandles(curve->handles)))
        curve.reset();
    if (!curve)
        depth = 16;

    int output = stored;
    if (stored % 2 == 0 && depth == 8)
        output = stored / 2;
    format.outputBytesPerPixel = output;
    format.samplesPerPixel = output >= 3 ? 3 : 1;
    format.bitsPerSample = (output == 6 || output == 2) ? 16 : 8;
    if (curve)
        format.curve = std::move(curve);
    return format;
}

std::uint32_t RetrievalFormat::RowSpacing(int maxSizeStep, std::uint16_t extra)
{
    const int step = static_cast<std::int16_t>(extra);
    const int spacing = (maxSizeStep - step) * (maxSizeStep == 11 ? 2 : 1);
    return spacing > 0 ? static_cast<std::uint32_t>(spacing) : 0;
}

std::optional<RetrievalMode> RetrievalFormat::ParseMode(std::string_view text)
{
    if (text == "none")
        return RetrievalMode::None;
    if (text == "scan")
        return RetrievalMode::SavedWithScan;
    if (text == "tone")
        return RetrievalMode::FromTonePanel;
    if (text == "dng")
        return RetrievalMode::Dng;
    return std::nullopt;
}

}  // namespace scanora
