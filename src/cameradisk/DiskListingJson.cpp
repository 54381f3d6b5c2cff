#include "cameradisk/DiskListingJson.h"

#include <optional>
#include <string_view>

#include "cameradisk/DiskListText.h"
#include "cameradisk/DiskListing.h"
#include "platform/JsonObject.h"

namespace scanora {

namespace {

constexpr std::string_view kColumnNames[] = {"slot", "name", "size", "time", "date", "notes"};

}  // namespace

std::string DiskListingJson::Line(const DiskListing& listing, std::size_t unread)
{
    const std::optional<std::uint16_t> newest = listing.NewestSlot();
    std::string json = "{\"items\": " + std::to_string(listing.Entries().size()) +
                       ", \"unreadable\": " + std::to_string(unread) + ", \"sort\": \"" +
                       std::string(kColumnNames[static_cast<int>(listing.SortColumn())]) +
                       "\", \"ascending\": " + (listing.Ascending() ? "true" : "false") +
                       ", \"entries\": [";
    for (std::size_t i = 0; i < listing.Entries().size(); ++i) {
        const DiskEntry& entry = listing.Entries()[i];
        json += std::string(i ? ", " : "") + "{\"slot\": " + std::to_string(entry.slot) +
                ", \"readable\": " + (entry.unread ? "false" : "true");
        if (entry.unread) {
            // Whatever the fields hold, it is not what the camera has in the slot.
            json +=
                ", \"free\": null, \"name\": null, \"sizeMB\": null, \"kind\": null, "
                "\"block\": null, \"width\": null, \"height\": null, \"time\": null, "
                "\"timeText\": null, \"dateText\": null, \"notes\": null, \"newest\": false}";
            continue;
        }
        const DiskListRow row = listing.Row(i);
        json +=
            std::string(", \"free\": ") + (entry.IsFree() ? "true" : "false") +
            ", \"name\": " + JsonObject::Quote(entry.IsFree() ? "" : entry.name) +
            ", \"sizeMB\": " +
            DiskListText::Fixed1(DiskListText::Megabytes(entry, listing.FourMegabyteUnits()), 0) +
            ", \"kind\": " + std::to_string(entry.kind) +
            ", \"block\": " + std::to_string(entry.block) +
            ", \"width\": " + std::to_string(entry.width) +
            ", \"height\": " + std::to_string(entry.height) +
            ", \"time\": " + std::to_string(entry.time) +
            ", \"timeText\": " + JsonObject::Quote(row.time == " " ? "" : row.time) +
            ", \"dateText\": " + JsonObject::Quote(row.date == " " ? "" : row.date) +
            ", \"notes\": " + JsonObject::Quote(row.notes) +
            ", \"newest\": " + (newest == entry.slot ? "true" : "false") + "}";
    }
    json +=
        "], \"totalAvailableMB\": " + DiskListText::Fixed1(listing.TotalAvailableMegabytes(), 0) +
        ", \"largestAvailableMB\": " +
        DiskListText::Fixed1(listing.LargestAvailableMegabytes(), 0) +
        ", \"newestSlot\": " + (newest ? std::to_string(*newest) : std::string("null")) + "}";
    return json;
}

}  // namespace scanora
