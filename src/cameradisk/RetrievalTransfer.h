#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "cameradisk/RetrievalFormat.h"

namespace scanora {

class RetrievalProgress;
class TIFFFile;

// Moves one stored image from the camera disk into an open image file, a 3 MiB block at a time,
// in memory that does not grow with the image: two blocks and the look-ahead, block k + 1 read
// before block k is converted because bringing a pixel's colour rows together reads up to two
// row spacings ahead. Each block is realigned (colour rows together, samples in host order),
// mapped through the raw table of the curve when there is one, and appended to the file a piece
// at a time, while the piece is still in the processor's cache. Exactly the image's bytes
// reach the file: width x height pixels of the output's size, never the lines stored beyond
// them.
class RetrievalTransfer {
public:
    static constexpr std::uint16_t kSectorsPerBlock = 6144;
    static constexpr std::size_t kSectorBytes = 512;
    static constexpr std::size_t kBlockBytes = std::size_t{kSectorsPerBlock} * kSectorBytes;

    // Reads block `chunkIndex` of the stored image into `buffer` (kBlockBytes); returns the bytes
    // read, or a negative transport result.
    using BlockReader = std::function<std::int32_t(std::span<std::uint8_t>, std::uint16_t)>;

    enum class Outcome {
        Done,
        Cancelled,    // the cancel flag was raised
        ReadFailed,   // the camera's transfer failed (ReadResult() has its result)
        ShortRead,    // the camera sent fewer bytes than asked
        WriteFailed,  // the file refused the bytes
        NoMemory,     // the blocks could not be had
        Unsupported,  // the image cannot be transferred (too many blocks, rows too far apart)
    };

    // `rowSpacing` is RetrievalFormat::RowSpacing of the image.
    RetrievalTransfer(const RetrievalFormat& format, std::uint32_t width, std::uint32_t height,
                      std::uint32_t rowSpacing);
    ~RetrievalTransfer();
    RetrievalTransfer(const RetrievalTransfer&) = delete;
    RetrievalTransfer& operator=(const RetrievalTransfer&) = delete;

    // The blocks read from the camera.
    [[nodiscard]] std::uint32_t BlockCount() const;
    // The bytes of the image as the file holds it: width x height x output bytes per pixel.
    [[nodiscard]] std::uint64_t OutputBytes() const;
    // True when the image can be transferred at all.
    [[nodiscard]] bool Supported() const;

    // Reads, converts and writes the whole image into `file` (already open with the image's
    // description). The cancel flag is looked at after every block.
    Outcome Run(const BlockReader& read, TIFFFile& file, const std::atomic<bool>& cancel,
                RetrievalProgress* progress);

    // Whether the blocks are kept in a mirrored buffer (the default, where the system gives
    // one) or in plain memory with the look-ahead copied; the result is the same.
    void SetMirrored(bool mirrored) { mirrored_ = mirrored; }

    // The last reader result when the outcome was ReadFailed or ShortRead.
    [[nodiscard]] std::int32_t ReadResult() const { return readResult_; }

private:
    // Converts stored pixels [first, first + count) of `block` in place (`spanBytes` from the
    // block on are readable, the lines after it included); returns where the piece's output
    // lies, or nothing when the colour rows would be read beyond the span.
    std::span<const std::uint8_t> ConvertPiece(std::uint8_t* block, std::size_t spanBytes,
                                               std::size_t first, std::size_t count);
    std::size_t LookAheadBytes() const;

    RetrievalFormat format_;
    std::uint32_t width_;
    std::uint32_t height_;
    std::uint32_t rowSpacing_;
    std::vector<std::uint16_t> table_;  // the curve's raw table; empty without a curve
    std::int32_t readResult_ = 0;
    bool mirrored_ = true;
};

}  // namespace scanora
