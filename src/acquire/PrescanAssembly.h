#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "acquire/LargeAllocation.h"

namespace scanora {

class ColorCorrectingToneCurve;
class PreviewImage;

// What one prescan reads, in preview lines: the region and the spacing of the sensor's colour
// rows.
struct PrescanPlan {
    // The crop prescan's first line F and line count Q (the size object's crop, used when crop
    // prescan is on and the pass is not a super prescan); none reads the whole preview.
    struct Region {
        int firstLine = 0;
        int lineCount = 0;
    };
    std::optional<Region> crop;
    int colourOffset = 1;  // d

    // d: 1, or for a super prescan the largest size step minus the current size step; doubled
    // for model code 1. Never below 0.
    static int ColourOffset(bool superPrescan, int maxSizeStep, int sizeStep,
                            std::uint16_t modelCode);
};

// The buffer side of a prescan readout: where the camera's blocks go, how many to ask for, and
// the assembly of each group of four lines into the current preview buffer (colour
// realignment, byte order, placement in the preview's orientation, display conversion). The
// capture sequence drives it:
//
//   if (assembly.Begin(plan) != PrescanAssembly::Start::Ready) ...report...
//   while (!assembly.IsComplete()) {
//       if (stop requested) ...abort...
//       if (assembly.BlocksToRead() > 0 && camera.ReadBlocks(assembly.BlocksToRead(),
//                                                            assembly.ReadBuffer(), hint) != 0)
//           ...report the transport error, return false...
//       const auto rows = assembly.AssembleGroup();   // preview rows now shown
//   }
//
// The first read asks for 2d + 4 lines, every later read for four more (whole 512-byte
// blocks), and the reads add up to the T = 6P * (Q + 2d) bytes the camera sends. Lines are
// placed in the orientation of the preview's rotation. A From Top preview whose region reaches
// the last line is read straight into the image when the reads fit its allocation; otherwise a
// scratch buffer receives the lines.
class PrescanAssembly {
public:
    enum class Start {
        Ready,
        NoImage,   // the preview has no buffers yet (allocate it first)
        NoMemory,  // the scratch buffer cannot be had
        TooLarge,  // a group of lines needs more blocks than one read can carry
    };
    struct Rows {
        int first = 0;
        int count = 0;
    };
    static constexpr int kGroupLines = 4;
    static constexpr std::size_t kBlockBytes = 512;

    // `displayCurve` (borrowed, may be null) converts each placed group into the display copy.
    PrescanAssembly(PreviewImage& image, const ColorCorrectingToneCurve* displayCurve);
    ~PrescanAssembly();
    PrescanAssembly(const PrescanAssembly&) = delete;
    PrescanAssembly& operator=(const PrescanAssembly&) = delete;

    // Sets up the readout of `plan` into the preview's current buffer.
    Start Begin(const PrescanPlan& plan);

    // True when all Q lines are placed and all T bytes read (at once when T is 0).
    [[nodiscard]] bool IsComplete() const;
    // 512-byte blocks the next read asks for; 0 when the data for the next group is already in
    // (the read is then skipped).
    [[nodiscard]] std::uint16_t BlocksToRead() const;
    // Where the next read goes: BlocksToRead() * 512 bytes.
    [[nodiscard]] std::span<std::uint8_t> ReadBuffer();
    // Counts the read blocks in, then realigns and places the next group of (up to four) lines
    // and converts them for display. Returns the preview rows placed.
    Rows AssembleGroup();
    // Frees the scratch buffer; the assembly is complete afterwards.
    void Release();

    [[nodiscard]] std::size_t TotalBytes() const { return total_; }
    [[nodiscard]] std::size_t BytesRead() const { return bytesRead_; }
    // Whole lines still to be read: (T - bytes read) / line bytes, 0 once everything is in.
    [[nodiscard]] std::size_t RemainingLines() const;
    [[nodiscard]] int FirstLine() const { return firstLine_; }
    [[nodiscard]] int LineCount() const { return lineCount_; }
    [[nodiscard]] int LinesPlaced() const { return placed_; }
    [[nodiscard]] bool ReadsIntoImage() const { return scratch_ == nullptr && active_; }
    // Bytes of the scratch buffer for a preview of L lines of P pixels at offset d:
    // ceil(6P(L + 2d) / 512) * 512 + ((L + 2d) mod 4) * K * 512 + 5 * K * 512, K = ceil(6P / 512).
    [[nodiscard]] static std::size_t ScratchBytes(int pixels, int lines, int colourOffset);

private:
    [[nodiscard]] std::size_t ReadLimit() const;
    [[nodiscard]] std::size_t PendingBytes() const;

    PreviewImage& image_;
    const ColorCorrectingToneCurve* curve_;
    bool active_ = false;
    LargeArray<std::uint16_t> scratch_;
    std::span<std::uint8_t> target_;  // the image's allocation or the scratch buffer
    std::span<std::uint8_t> imageBytes_;
    int pixels_ = 0;
    int lines_ = 0;
    int firstLine_ = 0;
    int lineCount_ = 0;
    int colourOffset_ = 0;
    int orientation_ = 2;
    std::size_t lineBytes_ = 0;
    std::size_t total_ = 0;
    std::size_t bytesRead_ = 0;
    std::size_t groupTarget_ = 0;  // bytes the next group needs, before the limit to T
    int placed_ = 0;
};

}  // namespace scanora
