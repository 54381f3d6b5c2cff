#include <gtest/gtest.h>

#include "cameradisk/RetrievalDepth.h"
#include "cameradisk/RetrievalHeader.h"

namespace scanora {
namespace {

TEST(RetrievalDepth, EachModeOffersItsDepth)
{
    constexpr unsigned k16 = RetrievalHeader::kSixteenBit;
    constexpr unsigned kRaw = RetrievalHeader::kNoCurve;
    const auto depth = [](RetrievalMode mode, std::optional<unsigned> flags, bool use16,
                          bool none14, int current) {
        const RetrievalDepth d = RetrievalDepth::For(mode, flags, use16, none14, current);
        return std::pair{d.bits, d.choosable};
    };
    // Saved with scan: the selected image's flags; a scan kept without a curve is 16 bits.
    EXPECT_EQ(depth(RetrievalMode::SavedWithScan, k16, false, false, 8), std::pair(16, true));
    EXPECT_EQ(depth(RetrievalMode::SavedWithScan, 0u, false, false, 16), std::pair(8, true));
    EXPECT_EQ(depth(RetrievalMode::SavedWithScan, kRaw, false, false, 8), std::pair(16, false));
    EXPECT_EQ(depth(RetrievalMode::SavedWithScan, kRaw | 0x30u, false, false, 8),
              std::pair(16, false));
    EXPECT_EQ(depth(RetrievalMode::SavedWithScan, std::nullopt, false, false, 16),
              std::pair(16, true))
        << "nothing selected: the choice stays";
    // From the tone panel: the 16-bit curve preference, unless the curve is switched off.
    EXPECT_EQ(depth(RetrievalMode::FromTonePanel, kRaw, true, false, 8), std::pair(16, true));
    EXPECT_EQ(depth(RetrievalMode::FromTonePanel, k16, false, false, 16), std::pair(8, true));
    EXPECT_EQ(depth(RetrievalMode::FromTonePanel, 0u, false, true, 8), std::pair(16, false));
    // None and DNG keep the samples as they are.
    EXPECT_EQ(depth(RetrievalMode::None, 0u, false, false, 8), std::pair(16, false));
    EXPECT_EQ(depth(RetrievalMode::Dng, std::nullopt, false, false, 8), std::pair(16, false));
}

}  // namespace
}  // namespace scanora
