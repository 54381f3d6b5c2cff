#include "cli/DiskListCommand.h"

#include <algorithm>
#include <optional>

#include "camera/QVCamera.h"
#include "cameradisk/DiskDirectory.h"
#include "cameradisk/DiskListText.h"
#include "cameradisk/DiskListing.h"
#include "cameradisk/DiskListingJson.h"
#include "cli/CliApp.h"
#include "context/AppContext.h"
#include "platform/TextConversion.h"

namespace scanora::cli {

namespace {

// `text` padded with blanks to `width` characters.
std::string Padded(std::string text, std::size_t width, bool left)
{
    const std::size_t length = TextConversion::CharacterCount(text);
    if (length >= width)
        return text;
    const std::string blanks(width - length, ' ');
    return left ? text + blanks : blanks + text;
}

}  // namespace

DiskListCommand::DiskListCommand(const CliOptions& options, AppContext& context, std::FILE* out,
                                 std::FILE* err)
    : options_(options), context_(context), out_(out), err_(err)
{
}

std::string DiskListCommand::CheckArguments(const CliOptions& options)
{
    if (!options.arguments.empty())
        return "ls takes no arguments";
    if (!options.sortColumn.empty() && !DiskListing::ColumnFromName(options.sortColumn))
        return "unknown column '" + options.sortColumn +
               "' for --sort (slot, name, size, time, date, notes)";
    return {};
}

int DiskListCommand::Run()
{
    QVCamera& camera = context_.Camera();
    std::vector<DiskEntry> entries = DiskDirectory(camera).Read();
    // The camera object has shown why already.
    if (entries.empty() && camera.Errors().HasError()) {
        std::fputs("scanora-cli: the camera disk could not be listed\n", err_);
        return kExitCameraFailure;
    }
    const std::size_t unread = DiskDirectory::UnreadCount(entries);
    DiskListing listing(std::move(entries), camera.IsOrbiscan());
    const DiskColumn column = options_.sortColumn.empty()
                                  ? DiskColumn::Slot
                                  : *DiskListing::ColumnFromName(options_.sortColumn);
    listing.Sort(column, !options_.reverse);
    if (options_.json)
        std::fprintf(out_, "%s\n", DiskListingJson::Line(listing, unread).c_str());
    else
        PrintText(listing);
    if (unread == 0)
        return kExitSuccess;
    // The camera's own message came once, with the first slot it failed on; this says what
    // the list is missing.
    const std::size_t count = listing.Entries().size();
    std::fprintf(err_, "scanora-cli: %zu of %zu slot%s could not be read from the camera\n", unread,
                 count, count == 1 ? "" : "s");
    return kExitCameraFailure;
}

void DiskListCommand::PrintText(const DiskListing& listing) const
{
    const std::size_t count = listing.Entries().size();
    std::vector<DiskListRow> rows;
    std::size_t nameWidth = 4;
    std::size_t sizeWidth = 4;
    for (std::size_t i = 0; i < count; ++i) {
        DiskListRow row = listing.Row(i);
        row.name = TextConversion::ForTerminal(row.name);
        row.notes = TextConversion::ForTerminal(row.notes);
        nameWidth = std::max(nameWidth, TextConversion::CharacterCount(row.name));
        sizeWidth = std::max(sizeWidth, row.size.size());
        rows.push_back(std::move(row));
    }
    const std::optional<std::uint16_t> newest = listing.NewestSlot();
    std::fprintf(out_, "%s\n", DiskListText::Items(count).c_str());
    if (count > 0) {
        std::fprintf(out_, "  Slot  %s  %s  %11s  %16s  Notes\n",
                     Padded("Name", nameWidth, true).c_str(),
                     Padded("Size", sizeWidth, false).c_str(), "Time", "Date");
    }
    for (const DiskListRow& row : rows) {
        const std::string line =
            std::string(newest == row.slot ? "*" : " ") +
            Padded(std::to_string(row.slot), 5, false) + "  " + Padded(row.name, nameWidth, true) +
            "  " + Padded(row.size, sizeWidth, false) + "  " + Padded(row.time, 11, false) + "  " +
            Padded(row.date, 16, false) + "  " + row.notes;
        const std::size_t end = line.find_last_not_of(' ');
        std::fprintf(out_, "%s\n", line.substr(0, end == std::string::npos ? 0 : end + 1).c_str());
    }
    std::fprintf(out_, "%s\n%s\n",
                 DiskListText::TotalAvailable(listing.TotalAvailableMegabytes()).c_str(),
                 DiskListText::LargestAvailable(listing.LargestAvailableMegabytes()).c_str());
}

}  // namespace scanora::cli
