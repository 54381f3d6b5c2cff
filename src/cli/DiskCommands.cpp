#include "cli/DiskCommands.h"

#include "cli/DiskDeleteCommand.h"
#include "cli/DiskListCommand.h"
#include "cli/ExportNotesCommand.h"
#include "cli/InitDiskCommand.h"
#include "cli/NotesCommand.h"

namespace scanora::cli {

bool DiskCommands::Handles(std::string_view command)
{
    return command == "ls" || command == "rm" || command == "notes" || command == "export-notes" ||
           command == "init-disk";
}

std::string DiskCommands::CheckArguments(const CliOptions& options, bool interactive)
{
    const std::string& command = options.command;
    if (command != "ls" && (!options.sortColumn.empty() || options.reverse))
        return "--sort and --reverse go with ls";
    if (command != "notes" && options.userNotes)
        return "--set goes with notes";
    if (command == "ls")
        return DiskListCommand::CheckArguments(options);
    if (command == "rm")
        return DiskDeleteCommand::CheckArguments(options, interactive);
    if (command == "notes")
        return NotesCommand::CheckArguments(options);
    if (command == "export-notes")
        return ExportNotesCommand::CheckArguments(options);
    return InitDiskCommand::CheckArguments(options, interactive);
}

int DiskCommands::Run(const CliOptions& options, AppContext& context, std::FILE* out,
                      std::FILE* err)
{
    const std::string& command = options.command;
    if (command == "ls")
        return DiskListCommand(options, context, out, err).Run();
    if (command == "rm")
        return DiskDeleteCommand(options, context, out, err).Run();
    if (command == "notes")
        return NotesCommand(options, context, out, err).Run();
    if (command == "export-notes")
        return ExportNotesCommand(options, context, out, err).Run();
    return InitDiskCommand(options, context, out).Run();
}

}  // namespace scanora::cli
