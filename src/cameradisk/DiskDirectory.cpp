#include "cameradisk/DiskDirectory.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <thread>

#include "camera/ParameterBlocks.h"
#include "camera/QVCamera.h"
#include "cameradisk/HexFieldReader.h"
#include "platform/TextConversion.h"

namespace scanora {

static_assert(DiskEntry::kHeaderBytes == QVCamComm::kBlockSize,
              "a directory entry keeps exactly one header block");

namespace {

// Reads `count` numbers; all of them or nothing.
template <std::size_t count>
std::optional<std::array<std::uint32_t, count>> ReadGroup(std::string_view text)
{
    HexFieldReader reader(text);
    std::array<std::uint32_t, count> values{};
    for (std::uint32_t& value : values) {
        const std::optional<std::uint32_t> next = reader.Next();
        if (!next)
            return std::nullopt;
        value = *next;
    }
    return values;
}

std::uint16_t Low16(std::uint32_t value)
{
    return static_cast<std::uint16_t>(value & 0xFFFFu);
}

// What a name is trimmed of at both ends.
constexpr std::string_view kTrimmed = " \t\r\n";

}  // namespace

DiskDirectory::DiskDirectory(QVCamera& camera, Pause pause)
    : camera_(camera), pause_(std::move(pause))
{
    if (!pause_)
        pause_ = [](std::chrono::milliseconds time) { std::this_thread::sleep_for(time); };
}

std::vector<DiskEntry> DiskDirectory::Read()
{
    const int count = camera_.GetDirectoryCount();
    if (count <= 0)
        return {};
    std::vector<DiskEntry> entries(static_cast<std::size_t>(count));
    bool answering = true;
    // The camera's message comes once, with the first slot it fails on; the caller counts the
    // slots.
    QVCamera::Reporting reporting = QVCamera::Reporting::Show;
    for (int i = 0; i < count; ++i) {
        DiskEntry& entry = entries[static_cast<std::size_t>(i)];
        entry.slot = static_cast<std::uint16_t>(i + 1);
        // Once the camera has stopped answering, every further query would only wait out its
        // own time-out: the remaining slots stay unread.
        if (answering)
            answering = ReadSlot(i, entry, reporting);
        else
            entry.unread = true;
    }
    return entries;
}

std::size_t DiskDirectory::UnreadCount(const std::vector<DiskEntry>& entries)
{
    return static_cast<std::size_t>(
        std::count_if(entries.begin(), entries.end(), [](const DiskEntry& e) { return e.unread; }));
}

std::string DiskDirectory::SlotQuery(int index)
{
    char text[16];
    std::snprintf(text, sizeof text, "CDR%.2X\r", static_cast<unsigned>(index) & 0xFFu);
    return text;
}

bool DiskDirectory::ReadSlot(int index, DiskEntry& entry, QVCamera::Reporting& reporting)
{
    const CameraReply reply = camera_.Exchange(SlotQuery(index), {}, -1, reporting);
    if (!reply.accepted) {
        entry.unread = true;
        reporting = QVCamera::Reporting::Quiet;
        // An error reply concerns this slot only; a time-out or a failed transfer, the camera.
        return reply.failure == CameraErrorKind::CameraError ||
               reply.failure == CameraErrorKind::BadReply;
    }
    pause_(kSlotPause);
    if (!ParseSlotReply(reply.text, entry)) {
        entry.unread = true;
        return true;
    }
    // An image is known by its header block: without it there is no name and no notes.
    if (!entry.IsFree() && !ReadHeader(entry))
        entry.unread = true;
    return true;
}

bool DiskDirectory::HasHeaderBlock(const DiskEntry& entry)
{
    // Block 0 names no image (a data read of it is a line read), and a header read addresses
    // blocks with one byte.
    return !entry.IsFree() && entry.block >= 1 && entry.block <= 255;
}

bool DiskDirectory::ParseSlotReply(std::string_view reply, DiskEntry& entry)
{
    const std::size_t end = reply.find_first_of(std::string_view("\0\r", 2));
    if (end != std::string_view::npos)
        reply = reply.substr(0, end);
    if (reply.size() <= kFirstGroup)
        return false;
    const auto first = ReadGroup<3>(reply.substr(kFirstGroup));
    if (!first)
        return false;
    entry.kind = Low16((*first)[0]);
    entry.reserved = Low16((*first)[1]);
    entry.size = Low16((*first)[2]);
    if (entry.IsFree() || reply.size() <= kSecondGroup)
        return true;
    const auto second = ReadGroup<6>(reply.substr(kSecondGroup));
    if (!second)
        return true;
    const auto& values = *second;
    entry.block = Low16(values[0]);
    entry.width = Low16(values[1]);
    entry.height = Low16(values[2]);
    entry.extra = Low16(values[3]);
    // The time's high half comes first.
    entry.time = (std::uint32_t{Low16(values[4])} << 16) | Low16(values[5]);
    return true;
}

std::string DiskDirectory::ParseName(std::span<const std::uint8_t, DiskEntry::kHeaderBytes> header)
{
    const auto field = header.subspan<kNameOffset, kNameField>();
    return NameFromField(
        std::string_view(reinterpret_cast<const char*>(field.data()), field.size()));
}

std::string DiskDirectory::NameFromField(std::string_view field)
{
    field = field.substr(0, field.find('\0'));
    const std::size_t first = field.find_first_not_of(kTrimmed);
    if (first == std::string_view::npos)
        return {};
    field = field.substr(first, field.find_last_not_of(kTrimmed) - first + 1);
    // The camera's characters are Windows-1252, one byte each.
    return TextConversion::FromCamera(field.substr(0, kMaxNameLength));
}

std::string DiskDirectory::StoredName(std::string_view scanName)
{
    return NameFromField(ParameterBlocks::ImageName(scanName));
}

bool DiskDirectory::ReadHeader(DiskEntry& entry)
{
    entry.header.fill(0);
    if (!HasHeaderBlock(entry))
        return false;
    std::array<std::uint8_t, QVCamComm::kBlockSize> block{};
    if (camera_.TransferBlock(static_cast<std::uint8_t>(entry.block), block, false) != 0)
        return false;
    entry.header = block;
    entry.name = ParseName(entry.header);
    return true;
}

bool DiskDirectory::WriteHeader(const DiskEntry& entry)
{
    if (!HasHeaderBlock(entry))
        return false;
    std::array<std::uint8_t, QVCamComm::kBlockSize> block = entry.header;
    return camera_.TransferBlock(static_cast<std::uint8_t>(entry.block), block, true) == 0;
}

}  // namespace scanora
