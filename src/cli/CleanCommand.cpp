#include "cli/CleanCommand.h"

#include "camera/SensorCleaning.h"
#include "cli/CliApp.h"
#include "cli/CliReport.h"
#include "context/AppContext.h"

namespace scanora::cli {

CleanCommand::CleanCommand(const CliOptions& options, AppContext& context, const CliUiPort& ui,
                           std::FILE* out, std::FILE* err)
    : options_(options), context_(context), ui_(ui), out_(out), err_(err)
{
}

std::string CleanCommand::CheckArguments(const CliOptions& options)
{
    if (!options.arguments.empty())
        return "clean takes no arguments (--done brings the carriage back)";
    return {};
}

int CleanCommand::Run()
{
    SensorCleaning cleaning(context_.Camera());
    CliReport report;
    if (options_.done) {
        if (!cleaning.Return())
            return CliApp::CameraFailed(out_, err_, options_.json, ui_,
                                        "The carriage did not return.");
        report.AddBool("returned", "Returned", true);
        if (!options_.json) {
            std::fputs("The carriage is back at the centre and home.\n", out_);
            return kExitSuccess;
        }
    } else {
        if (!cleaning.Clean())
            return CliApp::CameraFailed(out_, err_, options_.json, ui_,
                                        "The carriage did not reach the cleaning position.");
        cleaning.Keep();
        report.AddInteger("position", "Position", SensorCleaning::kCleaningPosition);
        if (!options_.json) {
            std::fprintf(out_,
                         "The carriage is at the cleaning position (%d). Once the sensor is "
                         "clean: scanora-cli clean --done\n",
                         SensorCleaning::kCleaningPosition);
            return kExitSuccess;
        }
    }
    report.PrintJson(out_);
    return kExitSuccess;
}

}  // namespace scanora::cli
