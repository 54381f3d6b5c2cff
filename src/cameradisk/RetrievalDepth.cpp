#include "cameradisk/RetrievalDepth.h"

#include "cameradisk/RetrievalHeader.h"

namespace scanora {

RetrievalDepth RetrievalDepth::For(RetrievalMode mode, std::optional<unsigned> selectedFlags,
                                   bool use16BitCurve, bool none14, int current)
{
    switch (mode) {
    case RetrievalMode::SavedWithScan:
        if (!selectedFlags)
            return {current, true};
        if ((*selectedFlags & RetrievalHeader::kNoCurve) != 0)
            return {16, false};
        return {(*selectedFlags & RetrievalHeader::kSixteenBit) != 0 ? 16 : 8, true};
    case RetrievalMode::FromTonePanel:
        if (none14)
            return {16, false};
        return {use16BitCurve ? 16 : 8, true};
    case RetrievalMode::None:
    case RetrievalMode::Dng: break;
    }
    return {16, false};
}

}  // namespace scanora
