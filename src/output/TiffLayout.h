#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "output/TIFFDescription.h"
#include "output/TiffFormat.h"

namespace scanora {

// Where everything of one TIFF file goes, planned from its description before a byte is written:
// the 8-byte header, the image directory (IFD0) and the EXIF directory with their entries, the
// data blocks the entries point to, and the one strip of pixels at the end.
//
// The classic layout is little-endian with 32-bit offsets: the header, IFD0 at offset 8, the EXIF
// directory right after it, then every data block of the description in a fixed order, each
// padded to an even length, then the strip. A file whose strip would end beyond what 32-bit
// offsets reach is planned as BigTIFF instead: the same directories and blocks with 64-bit counts
// and offsets, and values of up to 8 bytes held in the entries themselves.
class TiffLayout {
public:
    // The plan for `description`, or nothing when it cannot be written: no pixels, samples per
    // pixel other than 1 or 3, or a depth outside 1..16 bits.
    [[nodiscard]] static std::optional<TiffLayout> Plan(const TIFFDescription& description);

    [[nodiscard]] bool IsBigTiff() const { return bigTiff_; }
    [[nodiscard]] std::uint64_t DirectoryOffset() const { return headerSize_; }
    [[nodiscard]] std::uint64_t StripOffset() const { return stripOffset_; }
    [[nodiscard]] std::uint64_t StripByteCount() const { return stripBytes_; }
    [[nodiscard]] std::uint64_t StripEnd() const { return stripOffset_ + stripBytes_; }

    // The header. Until the strip is complete (`final` false) it names no directory, so that an
    // unfinished file is never taken for an image.
    [[nodiscard]] std::vector<std::uint8_t> Header(bool final) const;
    // IFD0 and the EXIF directory as they stand at DirectoryOffset(). The provisional ones
    // (`final` false) have their final size but a zero strip offset and byte count.
    [[nodiscard]] std::vector<std::uint8_t> Directories(bool final) const;
    // Everything before the strip: the header, the directories and the data blocks.
    [[nodiscard]] std::vector<std::uint8_t> Head(bool final) const;

private:
    // What an entry's value is: bytes of its own, a data block, or one of the offsets and counts
    // that are only known once the layout is arranged.
    enum class ValueKind { Immediate, Block, StripOffset, StripByteCount, ExifDirectory };

    struct Entry {
        std::uint16_t tag = 0;
        tiff::Type type = tiff::Type::Long;
        std::uint64_t count = 1;
        ValueKind kind = ValueKind::Immediate;
        std::array<std::uint8_t, 4> immediate{};  // little-endian, left-justified
        std::size_t block = 0;
    };

    struct Block {
        std::vector<std::uint8_t> bytes;
        bool written = false;
        std::uint64_t offset = 0;
    };

    explicit TiffLayout(const TIFFDescription& description);

    std::size_t AddBlock(std::vector<std::uint8_t> bytes);
    void AddImmediate(std::vector<Entry>& directory, std::uint16_t tag, tiff::Type type,
                      std::uint64_t count, std::array<std::uint8_t, 4> value);
    void AddShort(std::vector<Entry>& directory, std::uint16_t tag, std::uint16_t value);
    void AddLong(std::vector<Entry>& directory, std::uint16_t tag, std::uint32_t value);
    void AddBlockEntry(std::vector<Entry>& directory, std::uint16_t tag, tiff::Type type,
                       std::uint64_t count, std::size_t block);
    void AddText(std::vector<Entry>& directory, std::uint16_t tag,
                 const std::optional<std::size_t>& block);
    void AddSpecial(std::vector<Entry>& directory, std::uint16_t tag, ValueKind kind);

    // Places the directories, blocks and strip for the classic or the BigTIFF form.
    void Arrange(bool bigTiff);
    [[nodiscard]] bool FitsClassic() const;
    [[nodiscard]] std::uint32_t InlineCapacity() const { return bigTiff_ ? 8 : 4; }
    [[nodiscard]] std::uint64_t DirectorySize(const std::vector<Entry>& directory) const;
    [[nodiscard]] std::uint64_t ValueSize(const Entry& entry) const;
    void AppendDirectory(std::vector<std::uint8_t>& out, const std::vector<Entry>& directory,
                         bool final) const;
    void AppendValueField(std::vector<std::uint8_t>& out, const Entry& entry, bool final) const;

    std::vector<Entry> ifd0_;
    std::vector<Entry> exif_;
    std::vector<Block> blocks_;
    bool bigTiff_ = false;
    std::uint64_t headerSize_ = tiff::kClassicHeaderSize;
    std::uint64_t exifOffset_ = 0;
    std::uint64_t stripOffset_ = 0;
    std::uint64_t stripBytes_ = 0;
    std::uint32_t rowsPerStrip_ = 0;
};

}  // namespace scanora
