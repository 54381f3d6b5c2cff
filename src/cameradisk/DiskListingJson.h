#pragma once

#include <cstddef>
#include <string>

namespace scanora {

class DiskListing;

// The camera disk's listing as one line of JSON for programs (scanora-cli --json ls, the
// desktop program's List on the session bus): the item count, the slots the camera did not let
// us read, the sort, every slot's fields and the free space.
class DiskListingJson {
public:
    // Without a line end.
    [[nodiscard]] static std::string Line(const DiskListing& listing, std::size_t unread);
};

}  // namespace scanora
