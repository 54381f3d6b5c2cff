#include "cli/NotesCommand.h"

#include <utility>

#include "acquire/CaptureSequence.h"
#include "acquire/CaptureView.h"
#include "acquire/PreviewImage.h"
#include "camera/QVCamera.h"
#include "cameradisk/DiskDirectory.h"
#include "cameradisk/ImageNotes.h"
#include "cli/CliApp.h"
#include "cli/CliReport.h"
#include "cli/DiskSlotArguments.h"
#include "cli/NextCaptureNotes.h"
#include "context/AppContext.h"
#include "platform/TextConversion.h"

namespace scanora::cli {

NotesCommand::NotesCommand(const CliOptions& options, AppContext& context, std::FILE* out,
                           std::FILE* err)
    : options_(options), context_(context), out_(out), err_(err)
{
}

std::string NotesCommand::CheckArguments(const CliOptions& options)
{
    if (options.next) {
        if (options.arguments.size() > 1 || options.userNotes)
            return "notes --next takes the new notes as its one argument, e.g. "
                   "scanora-cli notes --next \"Box 12, folio 3\"";
        return {};
    }
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

int NotesCommand::RunNext()
{
    // The capture notes as the next scan would send them, from the current settings.
    PreviewImage image;
    CaptureView view;
    CaptureSequence sequence(context_.ForCapture(), image, view, &context_.Stage());
    const std::string captureNotes = sequence.NextCaptureNotes();
    const NextCaptureNotes store = NextCaptureNotes::ForUser();
    if (!options_.arguments.empty()) {
        const std::string& text = options_.arguments.front();
        ImageNotes notes(captureNotes, {});
        if (!notes.SetUserNotes(TextConversion::ToWindows1252(text))) {
            return Fail(kExitUsage, "the next capture's user notes can hold at most " +
                                        std::to_string(notes.UserNotesLimit()) +
                                        " characters beside its capture notes; the text has " +
                                        std::to_string(text.size()));
        }
        std::string error;
        if (!store.Save(text, error))
            return Fail(kExitCameraFailure, error);
    }
    return Print(CliReport(),
                 ImageNotes(captureNotes, TextConversion::ToWindows1252(store.Load())));
}

int NotesCommand::Print(CliReport report, const ImageNotes& notes) const
{
    report.AddText("captureNotes", "Capture notes",
                   TextConversion::FromCamera(notes.CaptureNotes()));
    report.AddText("userNotes", "User notes", TextConversion::FromCamera(notes.UserNotes()));
    report.AddInteger("userNotesLimit", "User notes limit",
                      static_cast<long long>(notes.UserNotesLimit()),
                      std::to_string(notes.UserNotesLimit()) + " characters");
    if (options_.json)
        report.PrintJson(out_);
    else
        report.PrintText(out_);
    return kExitSuccess;
}

int NotesCommand::Run()
{
    if (options_.next)
        return RunNext();
    std::string error;
    const auto slots = DiskSlotArguments::Parse(options_.arguments, error);
    DiskDirectory directory(context_.Camera());
    DiskSelection selection = DiskSelection::Of(directory.Read(), *slots);
    if (!selection.Ok())
        return Fail(DiskSlotArguments::ExitStatus(selection), selection.error);
    DiskEntry& entry = selection.images.front();

    if (options_.userNotes) {
        ImageNotes notes = ImageNotes::FromHeader(entry.header);
        // The camera keeps the notes in its own character set, one byte a character.
        const std::string text = TextConversion::ToWindows1252(*options_.userNotes);
        if (!notes.SetUserNotes(text)) {
            return Fail(kExitUsage, "the user notes of slot " + std::to_string(entry.slot) +
                                        " can hold at most " +
                                        std::to_string(notes.UserNotesLimit()) +
                                        " characters; the text has " + std::to_string(text.size()));
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

    CliReport report;
    report.AddInteger("slot", "Slot", entry.slot);
    report.AddText("name", "Name", entry.name);
    return Print(std::move(report), ImageNotes::FromHeader(entry.header));
}

}  // namespace scanora::cli
