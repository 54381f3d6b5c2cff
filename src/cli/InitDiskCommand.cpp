#include "cli/InitDiskCommand.h"

#include "cameradisk/DiskInitialisation.h"
#include "cli/CliApp.h"
#include "context/AppContext.h"

namespace scanora::cli {

InitDiskCommand::InitDiskCommand(const CliOptions& options, AppContext& context, std::FILE* out)
    : options_(options), context_(context), out_(out)
{
}

std::string InitDiskCommand::CheckArguments(const CliOptions& options, bool interactive)
{
    if (!options.arguments.empty())
        return "init-disk takes no arguments";
    if (!options.yes && !interactive)
        return "init-disk erases every image on the camera and there is no terminal to ask at: "
               "confirm with --yes";
    return {};
}

int InitDiskCommand::Run()
{
    const DiskInitialisation::Outcome outcome =
        DiskInitialisation(context_.Camera(), context_.Ui()).Run();
    const bool erased = outcome == DiskInitialisation::Outcome::Erased;
    if (options_.json) {
        std::fprintf(out_, "{\"confirmed\": %s, \"erased\": %s}\n",
                     outcome == DiskInitialisation::Outcome::Declined ? "false" : "true",
                     erased ? "true" : "false");
    } else if (outcome == DiskInitialisation::Outcome::Declined) {
        std::fputs("Nothing erased.\n", out_);
    } else if (erased) {
        std::fputs("The camera disk is empty.\n", out_);
    }
    return outcome == DiskInitialisation::Outcome::Failed ? kExitCameraFailure : kExitSuccess;
}

}  // namespace scanora::cli
