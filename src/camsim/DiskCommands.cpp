#include "camsim/DiskCommands.h"

#include <optional>
#include <string>

#include "camsim/HexText.h"

namespace camsim {

namespace {

CommandOutcome ValueError()
{
    return CommandOutcome::Error(CameraErrorCode::kValueError);
}

}  // namespace

DiskCommands::DiskCommands(SimDisk& disk, const CaptureEngine& capture)
    : disk_(disk), capture_(capture)
{
}

void DiskCommands::AddTo(CommandSet& commands)
{
    commands.Add("CDQ", [this](std::string_view p) { return QueryDirectoryCount(p); });
    commands.Add("CDR", [this](std::string_view p) { return QueryDirectorySlot(p); });
    commands.Add("CDD", [this](std::string_view p) { return Delete(p); });
    commands.Add("CDI", [this](std::string_view p) { return Initialise(p); });
}

// "CDQ": "DQ" and the number of directory slots in two hexadecimal digits; 256 slots read 00.
CommandOutcome DiskCommands::QueryDirectoryCount(std::string_view parameters) const
{
    if (!parameters.empty())
        return ValueError();
    return CommandOutcome::Reply("DQ" +
                                 HexText::Format(static_cast<unsigned>(disk_.Entries().size()), 2));
}

// "CDR%.2X": one directory slot (layout above).
CommandOutcome DiskCommands::QueryDirectorySlot(std::string_view parameters) const
{
    const std::optional<unsigned> index = HexText::Parse(parameters, 2);
    if (!index || *index >= disk_.Entries().size())
        return ValueError();
    const SimDiskEntry& entry = disk_.Entries()[*index];
    const auto units = static_cast<unsigned>(entry.sectorCount / SimDisk::kSectorsPerUnit);
    std::string reply = "DR " + HexText::Format(entry.kind, 2) + " " +
                        HexText::Format(entry.reserved, 4) + " " + HexText::Format(units, 4) +
                        "   ";
    reply += HexText::Format(entry.block, 2) + " " + HexText::Format(entry.width, 4) + " " +
             HexText::Format(entry.height, 4) + " " + HexText::Format(entry.extra, 4) + " " +
             HexText::Format(entry.time >> 16, 4) + " " + HexText::Format(entry.time, 4);
    return CommandOutcome::Reply(std::move(reply));
}

// "CDD%.2X": deletes the image with that header block address.
CommandOutcome DiskCommands::Delete(std::string_view parameters)
{
    const std::optional<unsigned> block = HexText::Parse(parameters, 2);
    if (!block)
        return ValueError();
    if (capture_.IsBusy())
        return CommandOutcome::Error(CameraErrorCode::kBusy);
    switch (disk_.Delete(static_cast<std::uint8_t>(*block))) {
    case SimDisk::Change::Done: return CommandOutcome::Ok();
    case SimDisk::Change::NoImage: return ValueError();
    case SimDisk::Change::NotKept: break;
    }
    return CommandOutcome::Error(CameraErrorCode::kNotReady);
}

// "CDI": erases the disk.
CommandOutcome DiskCommands::Initialise(std::string_view parameters)
{
    if (!parameters.empty())
        return ValueError();
    if (capture_.IsBusy())
        return CommandOutcome::Error(CameraErrorCode::kBusy);
    if (disk_.Initialise() != SimDisk::Change::Done)
        return CommandOutcome::Error(CameraErrorCode::kNotReady);
    CommandOutcome outcome = CommandOutcome::Ok();
    outcome.workSeconds = std::chrono::duration<double>(kInitialiseSeconds);
    return outcome;
}

}  // namespace camsim
