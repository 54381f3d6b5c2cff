#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "output/TIFFDescription.h"
#include "output/TiffInput.h"

namespace scanora {

// Reads the TIFF and DNG files this program writes, and files like them from elsewhere: one
// uncompressed strip of interleaved 8- or 16-bit samples, 1 or 3 per pixel, in either byte order,
// classic or BigTIFF. The bytes are untrusted: every offset, count and length is checked against
// the size of the file before it is used, and a file of another layout (several strips, tiles,
// compression, planes) is refused rather than misread.
class TiffReader {
public:
    explicit TiffReader(TiffInput& input) : input_(input) {}

    // Reads the header, the image directory and the EXIF directory into Description(). False,
    // with Error() saying why, when the file is not a TIFF of the layout this reader takes.
    bool ReadDescription();
    [[nodiscard]] const TIFFDescription& Description() const { return description_; }
    [[nodiscard]] std::uint64_t StripOffset() const { return stripOffset_; }

    // Reads whole rows from `firstRow` on into `out`, whose size is a multiple of the row size:
    // samples interleaved, 16-bit samples little-endian whatever the file's byte order. False
    // when the rows lie outside the image or the file ends before them.
    bool ReadRows(std::uint32_t firstRow, std::span<std::uint8_t> out);
    // Reads the whole image (ReadDescription first when that has not been done).
    bool ReadImage(std::vector<std::uint8_t>& pixels);

    [[nodiscard]] const std::string& Error() const { return error_; }

private:
    // One directory entry as the file holds it; `field` is the value field in file byte order.
    struct Entry {
        std::uint16_t tag = 0;
        std::uint16_t type = 0;
        std::uint64_t count = 0;
        std::array<std::uint8_t, 8> field{};
    };

    bool Fail(std::string reason);
    [[nodiscard]] std::uint16_t Get16(const std::uint8_t* bytes) const;
    [[nodiscard]] std::uint32_t Get32(const std::uint8_t* bytes) const;
    [[nodiscard]] std::uint64_t Get64(const std::uint8_t* bytes) const;
    [[nodiscard]] std::uint64_t GetOffset(const std::uint8_t* bytes) const;

    bool ReadHeader(std::uint64_t& firstDirectory);
    bool ReadDirectory(std::uint64_t offset, std::vector<Entry>& entries);
    std::optional<std::vector<std::uint8_t>> ValueBytes(const Entry& entry);
    std::optional<std::vector<std::uint64_t>> Numbers(const Entry& entry);
    std::optional<std::uint64_t> Number(const Entry& entry, std::uint64_t limit);
    std::optional<std::pair<std::uint32_t, std::uint32_t>> Rational(const Entry& entry);
    std::optional<std::string> Text(const Entry& entry);
    std::optional<std::vector<std::uint8_t>> Opaque(const Entry& entry);

    bool TakeImageEntry(const Entry& entry);
    bool TakeExifEntry(const Entry& entry);
    bool CheckImage();

    TiffInput& input_;
    TIFFDescription description_;
    std::string error_;
    bool described_ = false;
    bool bigEndian_ = false;
    bool bigTiff_ = false;
    std::vector<std::uint64_t> bitsPerSample_;
    std::uint64_t compression_ = 1;
    std::uint64_t planarConfiguration_ = 1;
    std::uint64_t rowsPerStrip_ = 0;
    std::optional<std::uint64_t> stripOffsetEntry_;
    std::optional<std::uint64_t> stripByteCount_;
    std::uint64_t stripOffset_ = 0;
    std::uint64_t imageBytes_ = 0;
    std::optional<std::uint64_t> exifOffset_;
};

}  // namespace scanora
