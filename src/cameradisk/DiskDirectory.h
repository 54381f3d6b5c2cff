#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cameradisk/DiskEntry.h"

namespace scanora {

class QVCamera;

// Reads the camera disk's directory: the slot count ("CDQ"), every slot ("CDR"), and the header
// block of every image, from which the image's name comes. Also reads and writes single header
// blocks. Everything the camera sends is parsed defensively: a slot whose reply cannot be read
// keeps its fields zero.
class DiskDirectory {
public:
    // Waits between a slot's reply and the next query; replaceable so tests need not wait.
    using Pause = std::function<void(std::chrono::milliseconds)>;

    static constexpr std::chrono::milliseconds kSlotPause{10};
    static constexpr std::size_t kNameOffset = 192;
    static constexpr std::size_t kNameField = 64;
    static constexpr std::size_t kMaxNameLength = 63;
    static constexpr std::size_t kFirstGroup = 3;    // kind, reserved, size
    static constexpr std::size_t kSecondGroup = 18;  // block, width, height, extra, time

    // `pause` empty: a real sleep.
    explicit DiskDirectory(QVCamera& camera, Pause pause = {});

    // One entry per directory slot, in slot order; empty when the camera reports no slots or
    // does not answer. Slots after the camera stopped answering are left zero.
    std::vector<DiskEntry> Read();
    // Reads the header block of `entry` into entry.header (zeros first). False when the entry
    // names no readable block or the transfer failed.
    bool ReadHeader(DiskEntry& entry);
    // Writes entry.header back to the camera at the entry's block address.
    bool WriteHeader(const DiskEntry& entry);

    // Whether `entry` is an image with a header block the camera can address (1..255).
    [[nodiscard]] static bool HasHeaderBlock(const DiskEntry& entry);
    // Fills kind, reserved and size, and for an image block, width, height, extra and time from
    // a "CDR" reply. A group that cannot be read leaves its fields as they were; false when
    // the first group could not be read.
    static bool ParseSlotReply(std::string_view reply, DiskEntry& entry);
    // The image name from a header block: 64 characters at offset 192, cut at a NUL, blanks
    // trimmed, at most 63 kept.
    [[nodiscard]] static std::string ParseName(
        std::span<const std::uint8_t, DiskEntry::kHeaderBytes> header);
    // The "CDR" query for slot `index` (0-based).
    [[nodiscard]] static std::string SlotQuery(int index);

private:
    // Queries one slot; false when the camera gave no usable exchange.
    bool ReadSlot(int index, DiskEntry& entry);

    QVCamera& camera_;
    Pause pause_;
};

// The whole directory of the camera's disk, with the camera's own pauses.
inline std::vector<DiskEntry> ReadDirectory(QVCamera& camera)
{
    return DiskDirectory(camera).Read();
}

}  // namespace scanora
