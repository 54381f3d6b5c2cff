#pragma once

#include "settings/CurveHandle.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace scanora {

// A tone curve. Five or seven handles on a 256 by 256 grid give the 256 output levels of the
// curve indices (a cubic Hermite curve through the handles); the levels give the raw lookup
// table, indexed by the linear raw sample, that the image paths use. The curve index is
// logarithmic in the raw value: 25 steps per stop, index 255 at 90 % of the raw full scale.
//
// The levels always follow the handles. The raw table is rebuilt only by BuildRawTable, after
// the caller has set the raw bit depth, the negative flag and the output width.
class QVToneCurve {
public:
    static constexpr int kMaxHandles = 7;
    static constexpr int kLevelCount = 256;
    static constexpr int kMaxRawBits = 16;
    static constexpr std::size_t kRawTableSize = std::size_t{1} << kMaxRawBits;
    // The highest curve index (the top of the grid) and the curve steps per stop of raw value.
    static constexpr int kTopIndex = 255;
    static constexpr int kStepsPerStop = 25;

    QVToneCurve();
    virtual ~QVToneCurve() = default;
    QVToneCurve(const QVToneCurve&) = default;
    QVToneCurve& operator=(const QVToneCurve&) = default;

    // Takes the first seven handles at most (x strictly increasing) and recalculates the
    // levels. An empty list changes nothing; a single handle gives a flat curve at its level.
    void SetHandles(std::span<const CurveHandle> handles);
    // Recomputes the 256 levels from the handles.
    void Recalculate();
    // From 5 handles to 7: a new handle a third of the way from the second to the third handle
    // and one two thirds of the way from the third to the fourth, both on the current curve.
    // Does nothing unless the curve has 5 handles.
    void AddHandles();
    // From 7 handles to 5: drops the third and the fifth. Does nothing unless the curve has 7.
    void RemoveHandles();

    // Bit depth of the raw samples the table is built for, limited to 1..16 (callers use 13,
    // 14 and 16).
    void SetRawBits(int bits);
    void SetNegative(bool negative) { negative_ = negative; }
    // Words scaled to 0..65535 instead of bytes 0..255.
    void SetSixteenBit(bool sixteenBit) { sixteenBit_ = sixteenBit; }
    // No curve: the table passes every raw sample through unchanged, as a word in sixteen-bit
    // mode and as its low eight bits in byte mode, over all 65536 entries. The handles and the
    // negative flag are kept but not applied while this is on.
    void SetPassThrough(bool passThrough) { passThrough_ = passThrough; }
    // Fills the first 2^rawBits entries of the raw table from the levels; the entries above
    // keep what they held.
    void BuildRawTable();

    [[nodiscard]] int HandleCount() const { return handleCount_; }
    // The handles in use.
    [[nodiscard]] std::span<const CurveHandle> Handles() const
    {
        return std::span(handles_).first(static_cast<std::size_t>(handleCount_));
    }
    [[nodiscard]] std::span<const double, kLevelCount> Levels() const { return levels_; }
    [[nodiscard]] int RawBits() const { return rawBits_; }
    [[nodiscard]] bool IsNegative() const { return negative_; }
    [[nodiscard]] bool IsSixteenBit() const { return sixteenBit_; }
    [[nodiscard]] bool IsPassThrough() const { return passThrough_; }
    // 2^rawBits - 1 and the raw value at curve index 255, as of the last BuildRawTable.
    [[nodiscard]] std::int32_t MaxRaw() const { return maxRaw_; }
    [[nodiscard]] std::int32_t KneeRaw() const { return kneeRaw_; }

    // Output for raw sample `raw`: a byte value, or a word in sixteen-bit mode.
    [[nodiscard]] std::uint16_t RawEntry(std::uint16_t raw) const { return rawTable_[raw]; }
    // All 65536 entries; only the first 2^rawBits are current.
    [[nodiscard]] std::span<const std::uint16_t> RawTable() const { return rawTable_; }

private:
    // The output maximum of the raw table: 65535 for words, 255 for bytes.
    [[nodiscard]] std::uint16_t OutputMax() const { return sixteenBit_ ? 65535 : 255; }
    // Raw value of curve index j.
    [[nodiscard]] std::int32_t NodeRaw(int j) const;
    // The table of the pass-through mode.
    void FillPassThrough();

    std::int16_t handleCount_ = kMaxHandles;
    std::array<CurveHandle, kMaxHandles> handles_;
    std::array<double, kLevelCount> levels_{};
    std::vector<std::uint16_t> rawTable_;
    std::int16_t rawBits_ = 14;
    std::int32_t maxRaw_ = 16383;
    std::int32_t kneeRaw_ = 14744;
    bool negative_ = false;
    bool sixteenBit_ = false;
    bool passThrough_ = false;
};

}  // namespace scanora
