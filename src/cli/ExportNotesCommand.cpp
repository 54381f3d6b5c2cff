#include "cli/ExportNotesCommand.h"

#include <ctime>

#include "camera/QVCamera.h"
#include "cameradisk/DiskDirectory.h"
#include "cameradisk/NotesExport.h"
#include "cli/CliApp.h"
#include "cli/CliReport.h"
#include "cli/DiskSlotArguments.h"
#include "cli/OutputFileQuestion.h"
#include "context/AppContext.h"

namespace scanora::cli {

ExportNotesCommand::ExportNotesCommand(const CliOptions& options, AppContext& context,
                                       std::FILE* out, std::FILE* err)
    : options_(options), context_(context), out_(out), err_(err)
{
}

std::string ExportNotesCommand::CheckArguments(const CliOptions& options)
{
    if (options.arguments.empty())
        return "export-notes needs the slot numbers of the images, e.g. "
               "scanora-cli export-notes 1 2 -o notes.txt";
    if (options.outputDir.empty())
        return "export-notes needs the file to write: -o FILE";
    std::string error;
    if (!DiskSlotArguments::Parse(options.arguments, error))
        return error;
    return {};
}

int ExportNotesCommand::Run()
{
    std::string error;
    const auto slots = DiskSlotArguments::Parse(options_.arguments, error);
    QVCamera& camera = context_.Camera();
    const DiskSelection selection = DiskSelection::Of(DiskDirectory(camera).Read(), *slots);
    if (!selection.Ok()) {
        std::fprintf(err_, "scanora-cli: %s\n", selection.error.c_str());
        return DiskSlotArguments::ExitStatus(selection);
    }
    const std::vector<DiskEntry>& selected = selection.images;
    const std::string& file = options_.outputDir;
    if (!OutputFileQuestion::MayWrite(context_.Ui(), file, err_))
        return kExitCameraFailure;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const std::string text = NotesExport::Build(selected, local, camera.IsOrbiscan());
    if (!NotesExport::Write(file, text, error)) {
        // The reason already names the file: "cannot write FILE: No space left on device".
        std::fprintf(err_, "scanora-cli: %s\n", error.c_str());
        return kExitCameraFailure;
    }
    if (options_.json) {
        std::fprintf(out_, "{\"file\": %s, \"images\": %zu, \"bytes\": %zu}\n",
                     CliReport::JsonString(file).c_str(), selected.size(), text.size());
    } else {
        std::fprintf(out_, "Wrote the notes of %zu image%s to %s\n", selected.size(),
                     selected.size() == 1 ? "" : "s", file.c_str());
    }
    return kExitSuccess;
}

}  // namespace scanora::cli
