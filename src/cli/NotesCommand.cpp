#include "cli/NotesCommand.h"

#include "acquire/AppContext.h"
#include "camera/QVCamera.h"
#include "cameradisk/DiskDirectory.h"
#include "cameradisk/ImageNotes.h"
#include "cli/CliApp.h"
#include "cli/CliReport.h"
#include "cli/DiskSlotArguments.h"

namespace scanora::cli {

NotesCommand::NotesCommand(const CliOptions& options, AppContext& context, std::FILE* out,
                           std::FILE* err)
    : options_(options), context_(context), out_(out), err_(err)
{
}

std::string NotesCommand::CheckArguments(const CliOptions& options)
{
    if (options.arguments.size() != 1)
        return "notes needs one slot number, e.g. scanora-cli notes 1 [--set TEXT]";
    std::string error;
    if (!DiskSlotArguments::Parse(options.arguments, error))
        return error;
    return {};
}

int NotesCommand::Fail(int status, const std::string& message) const
{
    std::fprintf(err_, "scanora-cli: %s\n", message.c_str());
    if (options_.json)
        std::fprintf(out_, "{\"error\": %s}\n", CliReport::JsonString(message).c_str());
    return status;
}

int NotesCommand::Run()
{
    std::string error;
    const auto slots = DiskSlotArguments::Parse(options_.arguments, error);
    DiskDirectory directory(context_.Camera());
    std::vector<DiskEntry> selected;
    if (!DiskSlotArguments::Select(directory.Read(), *slots, selected, error))
        return Fail(kExitUsage, error);
    DiskEntry& entry = selected.front();

    if (options_.userNotes) {
        ImageNotes notes = ImageNotes::FromHeader(entry.header);
        if (!notes.SetUserNotes(*options_.userNotes)) {
            return Fail(kExitUsage, "the user notes of slot " + std::to_string(entry.slot) +
                                        " can hold at most " +
                                        std::to_string(notes.UserNotesLimit()) +
                                        " characters; the text has " +
                                        std::to_string(options_.userNotes->size()));
        }
        notes.WriteTo(entry.header);
        if (!directory.WriteHeader(entry))
            return Fail(kExitCameraFailure, "the camera did not take the image's header block");
    }
    // What the camera holds now, read afresh.
    const DiskEntry written = entry;
    if (!directory.ReadHeader(entry))
        return Fail(kExitCameraFailure, "the camera did not send the image's header block");
    if (options_.userNotes && entry.header != written.header)
        return Fail(kExitCameraFailure, "the camera holds other notes than were written");

    const ImageNotes notes = ImageNotes::FromHeader(entry.header);
    CliReport report;
    report.AddInteger("slot", "Slot", entry.slot);
    report.AddText("name", "Name",
                   options_.json ? entry.name : DiskSlotArguments::Printable(entry.name));
    report.AddText(
        "captureNotes", "Capture notes",
        options_.json ? notes.CaptureNotes() : DiskSlotArguments::Printable(notes.CaptureNotes()));
    report.AddText(
        "userNotes", "User notes",
        options_.json ? notes.UserNotes() : DiskSlotArguments::Printable(notes.UserNotes()));
    report.AddInteger("userNotesLimit", "User notes limit",
                      static_cast<long long>(notes.UserNotesLimit()),
                      std::to_string(notes.UserNotesLimit()) + " characters");
    if (options_.json)
        report.PrintJson(out_);
    else
        report.PrintText(out_);
    return kExitSuccess;
}

}  // namespace scanora::cli
