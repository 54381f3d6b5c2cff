#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "camera/QVCamera.h"
#include "cameradisk/DiskEntry.h"

namespace scanora {

// Reads the camera disk's directory: the slot count ("CDQ"), every slot ("CDR"), and the header
// block of every image, from which the image's name comes. Also reads and writes single header
// blocks. Everything the camera sends is parsed defensively: a slot whose reply cannot be read
// keeps its fields zero and is marked unread, as is an image whose header block cannot be read.
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
    // does not answer. Slots after the camera stopped answering are left zero and unread.
    std::vector<DiskEntry> Read();
    // How many of `entries` could not be read.
    [[nodiscard]] static std::size_t UnreadCount(const std::vector<DiskEntry>& entries);
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
    // trimmed, at most 63 kept, read as Windows-1252 into UTF-8.
    [[nodiscard]] static std::string ParseName(
        std::span<const std::uint8_t, DiskEntry::kHeaderBytes> header);
    // The name the directory lists for an image scanned under `scanName`: what the camera
    // keeps of the name the parameter blocks carry ("Untitled" for none).
    [[nodiscard]] static std::string StoredName(std::string_view scanName);
    // The "CDR" query for slot `index` (0-based).
    [[nodiscard]] static std::string SlotQuery(int index);

private:
    // Queries one slot; false when the camera gave no usable exchange. A failed exchange is
    // shown as `reporting` says, which then becomes Quiet.
    bool ReadSlot(int index, DiskEntry& entry, QVCamera::Reporting& reporting);
    // A name field's text as ParseName reads it.
    [[nodiscard]] static std::string NameFromField(std::string_view field);

    QVCamera& camera_;
    Pause pause_;
};

// The whole directory of the camera's disk, with the camera's own pauses.
inline std::vector<DiskEntry> ReadDirectory(QVCamera& camera)
{
    return DiskDirectory(camera).Read();
}

}  // namespace scanora
