// Feeds arbitrary header blocks (and what follows them as a "DNGColor" text) to the retrieval's
// readers: the header's values, the format chosen from them and the file description. Nothing
// may be read past the block, a curve handed on must be one a tone curve can be built from, and
// the notes never exceed what the block holds.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "cameradisk/DiskEntry.h"
#include "cameradisk/RetrievalDngColor.h"
#include "cameradisk/RetrievalFormat.h"
#include "cameradisk/RetrievalHeader.h"
#include "cameradisk/RetrievalMetadata.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace scanora;
    DiskEntry entry;
    const std::size_t headerBytes = std::min(size, entry.header.size());
    std::copy_n(data, headerBytes, entry.header.begin());
    entry.kind = static_cast<std::uint16_t>(headerBytes > 0 ? data[0] : 0x6C);
    entry.width = 64;
    entry.height = 48;

    const RetrievalHeader header = RetrievalHeader::Parse(entry.header);
    if (header.handles.size() > RetrievalHeader::kMaxHandles)
        std::abort();
    if (header.captureNotes.size() + header.userNotes.size() > 255)
        std::abort();

    for (const bool automatic : {true, false}) {
        RetrievalChoice choice;
        choice.automatic = automatic;
        choice.depth = 0;
        const auto format = RetrievalFormat::Choose(entry, header, choice);
        if (!format)
            continue;
        if (format->curve) {
            const auto& handles = format->curve->handles;
            for (std::size_t i = 1; i < handles.size(); ++i) {
                if (handles[i].x <= handles[i - 1].x)
                    std::abort();
            }
        }
        RetrievalMetadataOptions options;
        options.dngColor.ApplyOverride(std::string_view(
            reinterpret_cast<const char*>(data) + headerBytes, size - headerBytes));
        const TIFFDescription description =
            RetrievalMetadata::Describe(entry, header, *format, "name", options);
        if (description.makerNote.size() != entry.header.size())
            std::abort();
    }
    return 0;
}
