#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "output/TIFFDescription.h"
#include "output/TiffLayout.h"
#include "platform/OutputStream.h"

namespace scanora {

// Writes one TIFF or DNG file into an OutputStream: everything before the pixels at Open, the
// pixel rows as the caller delivers them, the final directories and header at Close. Rows go
// straight to the stream, so memory does not grow with the image.
class TiffWriter {
public:
    // `stream` must outlive the writer.
    explicit TiffWriter(OutputStream& stream) : stream_(stream) {}

    // Plans the file for `description` and writes its header, directories and data blocks at the
    // stream's start. False when the description cannot be written (no pixels, samples per pixel
    // other than 1 or 3, a depth outside 1..16 bits) or the stream fails.
    bool Open(const TIFFDescription& description);
    // Appends pixel bytes at the stream's position: rows top to bottom, the samples of a pixel
    // interleaved, 16-bit samples little-endian. False, with nothing written, when the bytes
    // would run past the end of the image; false when the stream fails.
    bool WriteData(std::span<const std::uint8_t> bytes);
    // Appends 16-bit samples given in the machine's own byte order.
    bool WriteSamples(std::span<const std::uint16_t> samples);
    // Writes the final directories and header. False when the image is not complete (the stream
    // is not at the end of the pixels) or when any write since Open failed.
    bool Close();

    [[nodiscard]] bool IsOpen() const { return layout_.has_value(); }
    // The plan of the open file.
    [[nodiscard]] const std::optional<TiffLayout>& Layout() const { return layout_; }

private:
    OutputStream& stream_;
    std::optional<TiffLayout> layout_;
};

}  // namespace scanora
