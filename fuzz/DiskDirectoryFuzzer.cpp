// Feeds arbitrary bytes to the readers of the camera disk's directory: the first line is a slot
// reply ("CDR"), the next 512 bytes a header block. Neither may read out of bounds or crash,
// whatever the camera sends.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "cameradisk/DiskDirectory.h"
#include "cameradisk/DiskEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace scanora;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t lineEnd = std::min(input.find('\n'), input.size());

    DiskEntry entry;
    DiskDirectory::ParseSlotReply(input.substr(0, lineEnd), entry);

    const std::string_view rest = lineEnd < input.size() ? input.substr(lineEnd + 1) : "";
    std::copy_n(rest.begin(), std::min(rest.size(), entry.header.size()), entry.header.begin());
    entry.name = DiskDirectory::ParseName(entry.header);
    return 0;
}
