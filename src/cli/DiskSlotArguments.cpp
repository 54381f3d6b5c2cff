#include "cli/DiskSlotArguments.h"

#include <algorithm>
#include <charconv>

#include "cameradisk/DiskDirectory.h"

namespace scanora::cli {

std::optional<std::vector<std::uint16_t>> DiskSlotArguments::Parse(
    const std::vector<std::string>& words, std::string& error)
{
    std::vector<std::uint16_t> slots;
    for (const std::string& word : words) {
        unsigned value = 0;
        const auto [end, failure] = std::from_chars(word.data(), word.data() + word.size(), value);
        if (failure != std::errc() || end != word.data() + word.size() || value < 1 ||
            value > 256) {
            error = "'" + word + "' is not a slot number (1 to 256, as ls lists them)";
            return std::nullopt;
        }
        slots.push_back(static_cast<std::uint16_t>(value));
    }
    return slots;
}

bool DiskSlotArguments::Select(const std::vector<DiskEntry>& entries,
                               const std::vector<std::uint16_t>& slots,
                               std::vector<DiskEntry>& selected, std::string& error)
{
    selected.clear();
    for (const std::uint16_t slot : slots) {
        const auto found = std::find_if(entries.begin(), entries.end(),
                                        [slot](const DiskEntry& e) { return e.slot == slot; });
        if (found == entries.end()) {
            error = "slot " + std::to_string(slot) + " does not exist: the camera disk has " +
                    std::to_string(entries.size()) + " slots";
            return false;
        }
        if (found->IsFree()) {
            error = "slot " + std::to_string(slot) + " is free space, not an image";
            return false;
        }
        if (!DiskDirectory::HasHeaderBlock(*found)) {
            error = "the camera did not describe the image in slot " + std::to_string(slot);
            return false;
        }
        selected.push_back(*found);
    }
    return true;
}

std::string DiskSlotArguments::Printable(std::string_view text)
{
    std::string shown(text);
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    }
    return shown;
}

}  // namespace scanora::cli
