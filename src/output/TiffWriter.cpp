#include "output/TiffWriter.h"

#include <algorithm>
#include <array>
#include <bit>

namespace scanora {

bool TiffWriter::Open(const TIFFDescription& description)
{
    layout_ = TiffLayout::Plan(description);
    if (!layout_)
        return false;
    if (stream_.Position() != 0 && !stream_.Seek(0)) {
        layout_.reset();
        return false;
    }
    // The header written now names no directory: until Close the stream holds no image.
    if (!stream_.Write(layout_->Head(false))) {
        layout_.reset();
        return false;
    }
    stream_.Reserve(layout_->StripEnd());
    return true;
}

bool TiffWriter::WriteData(std::span<const std::uint8_t> bytes)
{
    if (!layout_)
        return false;
    const std::uint64_t position = stream_.Position();
    if (position < layout_->StripOffset() || position > layout_->StripEnd() ||
        bytes.size() > layout_->StripEnd() - position)
        return false;
    return stream_.Write(bytes);
}

bool TiffWriter::WriteSamples(std::span<const std::uint16_t> samples)
{
    if constexpr (std::endian::native == std::endian::little) {
        return WriteData(
            std::span(reinterpret_cast<const std::uint8_t*>(samples.data()), samples.size_bytes()));
    } else {
        // Swapped a piece at a time, so that nothing grows with the image.
        std::array<std::uint8_t, 65536> buffer;
        while (!samples.empty()) {
            const std::size_t n = std::min(samples.size(), buffer.size() / 2);
            for (std::size_t i = 0; i < n; ++i) {
                buffer[2 * i] = static_cast<std::uint8_t>(samples[i]);
                buffer[2 * i + 1] = static_cast<std::uint8_t>(samples[i] >> 8);
            }
            if (!WriteData(std::span(buffer).first(2 * n)))
                return false;
            samples = samples.subspan(n);
        }
        return true;
    }
}

bool TiffWriter::Close()
{
    if (!layout_)
        return false;
    const TiffLayout layout = std::move(*layout_);
    layout_.reset();
    if (stream_.Failed() || stream_.Position() != layout.StripEnd())
        return false;
    // The second pass: the directories with the strip in them, then the header that makes the
    // file an image.
    bool written = stream_.Seek(layout.DirectoryOffset()) &&
                   stream_.Write(layout.Directories(true)) && stream_.Seek(0) &&
                   stream_.Write(layout.Header(true));
    written = stream_.Seek(layout.StripEnd()) && written;
    return written && !stream_.Failed();
}

}  // namespace scanora
