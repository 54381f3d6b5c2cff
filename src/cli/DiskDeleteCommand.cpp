#include "cli/DiskDeleteCommand.h"

#include "camera/QVCamera.h"
#include "cameradisk/DiskDeletion.h"
#include "cameradisk/DiskDirectory.h"
#include "cameradisk/DiskListText.h"
#include "cameradisk/DiskListing.h"
#include "cli/CliApp.h"
#include "cli/DiskSlotArguments.h"
#include "context/AppContext.h"

namespace scanora::cli {

DiskDeleteCommand::DiskDeleteCommand(const CliOptions& options, AppContext& context, std::FILE* out,
                                     std::FILE* err)
    : options_(options), context_(context), out_(out), err_(err)
{
}

std::string DiskDeleteCommand::CheckArguments(const CliOptions& options, bool interactive)
{
    if (options.arguments.empty())
        return "rm needs the slot numbers of the images to delete, e.g. scanora-cli rm 2";
    std::string error;
    if (!DiskSlotArguments::Parse(options.arguments, error))
        return error;
    if (!options.yes && !interactive)
        return "rm deletes images from the camera and there is no terminal to ask at: "
               "confirm with --yes";
    return {};
}

int DiskDeleteCommand::Run()
{
    std::string error;
    const auto slots = DiskSlotArguments::Parse(options_.arguments, error);
    QVCamera& camera = context_.Camera();
    DiskDirectory directory(camera);
    const DiskSelection selection = DiskSelection::Of(directory.Read(), *slots);
    if (!selection.Ok()) {
        std::fprintf(err_, "scanora-cli: %s\n", selection.error.c_str());
        return DiskSlotArguments::ExitStatus(selection);
    }
    const DiskDeletionResult result =
        DiskDeletion(camera, context_.Ui(), directory).Delete(selection.images);
    const DiskListing after(result.entries, camera.IsOrbiscan());
    if (options_.json) {
        std::fprintf(out_,
                     "{\"confirmed\": %s, \"deleted\": %d, \"failed\": %d, "
                     "\"totalAvailableMB\": %s}\n",
                     result.confirmed ? "true" : "false", result.deleted, result.failed,
                     DiskListText::Fixed1(after.TotalAvailableMegabytes(), 0).c_str());
    } else if (!result.confirmed) {
        std::fputs("Nothing deleted.\n", out_);
    } else {
        std::fprintf(out_, "Deleted %d image%s.\n%s\n", result.deleted,
                     result.deleted == 1 ? "" : "s",
                     DiskListText::TotalAvailable(after.TotalAvailableMegabytes()).c_str());
    }
    return result.failed == 0 ? kExitSuccess : kExitCameraFailure;
}

}  // namespace scanora::cli
