#pragma once

#include <cstdio>
#include <string>

#include "cli/CliOptions.h"
#include "cli/CliReport.h"

namespace scanora {
class AppContext;
class ImageNotes;
}  // namespace scanora

namespace scanora::cli {

// "notes SLOT [--set TEXT]": the notes of an image on the camera's disk, the capture notes the
// program wrote when it was taken and the user's notes. --set replaces the user's notes in the
// image's header block on the camera and shows the notes as the camera then holds them.
// "notes --next [TEXT]": the notes of the next capture, as the desktop program's Notes button
// shows them; TEXT becomes the user notes of every prescan and scan after it.
class NotesCommand {
public:
    NotesCommand(const CliOptions& options, AppContext& context, std::FILE* out, std::FILE* err);

    [[nodiscard]] static std::string CheckArguments(const CliOptions& options);

    int Run();

private:
    int RunNext();
    // Prints `report` with the notes' fields added; the exit status.
    int Print(CliReport report, const ImageNotes& notes) const;
    int Fail(int status, const std::string& message) const;

    const CliOptions& options_;
    AppContext& context_;
    std::FILE* out_;
    std::FILE* err_;
};

}  // namespace scanora::cli
