#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "cameradisk/DiskEntry.h"
#include "settings/CurveHandle.h"

namespace scanora {

// What a retrieval reads from an image's 512-byte header block: the line time and gains the
// scan was taken with, the tone curve saved with it, its output flags and its notes. The numeric
// fields are blank-separated hexadecimal texts; a field that cannot be read stays zero.
struct RetrievalHeader {
    static constexpr std::size_t kLineTimeOffset = 80;
    static constexpr std::size_t kGainOffset = 96;
    static constexpr std::size_t kCurveOffset = 112;
    static constexpr std::size_t kFlagsOffset = 154;
    static constexpr std::size_t kNotesLengthOffset = 256;
    static constexpr std::size_t kNotesOffset = 257;
    static constexpr std::size_t kMaxHandles = 7;

    // Output flags.
    static constexpr unsigned kSixteenBit = 0x01;
    static constexpr unsigned kNoCurve = 0x02;
    static constexpr unsigned kNegative = 0x04;

    std::uint32_t lineTimeCode = 0;            // 1/3000 s
    std::array<std::uint32_t, 3> gainCodes{};  // red, green, blue
    std::vector<CurveHandle> handles;          // the curve saved with the scan (may be empty)
    unsigned flags = 0;
    std::string captureNotes;  // the notes up to their first carriage return
    std::string userNotes;     // the rest of the notes

    [[nodiscard]] static RetrievalHeader Parse(
        std::span<const std::uint8_t, DiskEntry::kHeaderBytes> block);

    [[nodiscard]] bool IsSixteenBit() const { return (flags & kSixteenBit) != 0; }
    [[nodiscard]] bool HasNoCurve() const { return (flags & kNoCurve) != 0; }
    [[nodiscard]] bool IsNegative() const { return (flags & kNegative) != 0; }
    // Bits 4..5: how the insert was turned (0..3).
    [[nodiscard]] int RotationCode() const { return static_cast<int>((flags >> 4) & 0x3); }
    // The gain of a colour: 10^((code - 260) / 2550).
    [[nodiscard]] double Gain(std::size_t colour) const;
};

}  // namespace scanora
