// Feeds arbitrary bytes to the readers of the camera disk's directory: the first line is a slot
// reply ("CDR"), the next 512 bytes a header block, whose name, notes and curve are read as the
// list, the notes window and the notes export read them. None may read out of bounds or crash,
// whatever the camera sends.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string_view>

#include "cameradisk/DiskDirectory.h"
#include "cameradisk/DiskEntry.h"
#include "cameradisk/DiskListing.h"
#include "cameradisk/ImageNotes.h"
#include "cameradisk/NotesExport.h"

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

    ImageNotes notes = ImageNotes::FromHeader(entry.header);
    notes.SetUserNotes(notes.UserNotes() + "x");
    notes.WriteTo(entry.header);
    // Rebuilt notes read back as they were written.
    const ImageNotes again = ImageNotes::FromHeader(entry.header);
    if (again.CaptureNotes() != notes.CaptureNotes() || again.UserNotes() != notes.UserNotes())
        __builtin_trap();

    const std::tm created{};
    const DiskEntry entries[] = {entry};
    static_cast<void>(NotesExport::Build(entries, created, true));
    DiskListing listing({entry, entry}, false);
    listing.Sort(DiskColumn::Notes, true);
    static_cast<void>(listing.Row(0));
    return 0;
}
