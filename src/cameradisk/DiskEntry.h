#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace scanora {

// One slot of the camera disk's directory: an image (with a copy of its header block) or a run
// of free space.
struct DiskEntry {
    static constexpr std::uint16_t kFreeKind = 255;
    static constexpr std::size_t kHeaderBytes = 512;

    std::uint16_t slot = 0;      // 1-based: the index of its "CDR" query plus one
    std::uint16_t kind = 0;      // kFreeKind for free space; bits 4..7: bytes per stored pixel
    std::uint16_t reserved = 0;  // the slot reply's second value, kept as read
    std::uint16_t size = 0;      // in 0.5 MB (4 MB for the type-2 camera family)
    std::uint16_t block = 0;     // header block address; also what "CDD" takes
    std::uint16_t width = 0;     // pixels per line
    std::uint16_t height = 0;    // lines
    std::uint16_t extra = 0;     // the size step the image was taken at (two's complement)
    std::uint32_t time = 0;      // capture time, seconds since 1904-01-01 00:00; 0 when unknown
    std::string name;            // from the header block, trimmed, at most 63 characters, in UTF-8
    std::array<std::uint8_t, kHeaderBytes> header{};
    // The camera did not let the slot be read: its reply (or, for an image, its header block)
    // failed or could not be read, or the camera had stopped answering before its turn. The
    // fields above are then zero or partial and describe nothing.
    bool unread = false;

    [[nodiscard]] bool IsFree() const { return kind == kFreeKind; }
    // Bytes per pixel of the stored image (kind bits 4..7).
    [[nodiscard]] int StoredBytesPerPixel() const { return (kind >> 4) & 0x0F; }
};

}  // namespace scanora
