#include "cli/DiagCommand.h"

#include <algorithm>

#include "camera/CameraDiagnostics.h"
#include "cli/CliApp.h"
#include "cli/CliReport.h"
#include "context/AppContext.h"

namespace scanora::cli {

namespace {

constexpr const char* kUsage =
    "diag takes 'version', 'position 7552|6144|4096|home' or 'send TEXT'";

bool IsTestPosition(const std::string& where)
{
    return where == "home" ||
           std::any_of(CameraDiagnostics::kTestPositions.begin(),
                       CameraDiagnostics::kTestPositions.end(),
                       [&](std::uint16_t p) { return where == std::to_string(p); });
}

}  // namespace

DiagCommand::DiagCommand(const CliOptions& options, AppContext& context, const CliUiPort& ui,
                         std::FILE* out, std::FILE* err)
    : options_(options), context_(context), ui_(ui), out_(out), err_(err)
{
}

std::string DiagCommand::CheckArguments(const CliOptions& options)
{
    const std::vector<std::string>& args = options.arguments;
    if (args.empty() || (args.size() == 1 && args[0] == "version"))
        return {};
    if (args[0] == "position") {
        if (args.size() != 2 || !IsTestPosition(args[1]))
            return "diag position takes one of 7552, 6144, 4096 or home";
        return {};
    }
    if (args[0] == "send") {
        if (args.size() < 2)
            return "diag send needs the command text, e.g. scanora-cli diag send CS";
        return {};
    }
    return kUsage;
}

int DiagCommand::Run()
{
    const std::vector<std::string>& args = options_.arguments;
    if (args.empty() || args[0] == "version")
        return Version();
    if (args[0] == "position")
        return Position(args[1]);
    return Send(std::vector<std::string>(args.begin() + 1, args.end()));
}

int DiagCommand::Failed(const std::string& fallback) const
{
    return CliApp::CameraFailed(out_, err_, options_.json, ui_, fallback);
}

int DiagCommand::Version()
{
    const std::string field = CameraDiagnostics(context_.Camera()).ReadVersion();
    if (field.empty())
        return Failed("The camera did not report its version.");
    const std::string version = field.substr(0, field.find('\n'));
    if (options_.json) {
        CliReport report;
        report.AddText("version", "Version", version);
        report.PrintJson(out_);
    } else {
        std::fprintf(out_, "%s\n", version.c_str());
    }
    return kExitSuccess;
}

int DiagCommand::Position(const std::string& where)
{
    CameraDiagnostics diagnostics(context_.Camera());
    const bool home = where == "home";
    const bool moved = home
                           ? diagnostics.HomeCarriage()
                           : diagnostics.MoveCarriage(static_cast<std::uint16_t>(std::stoi(where)));
    if (!moved)
        return Failed("The carriage did not move.");
    CliReport report;
    if (home)
        report.AddText("position", "Position", where);
    else
        report.AddInteger("position", "Position", std::stoi(where));
    if (options_.json)
        report.PrintJson(out_);
    else
        std::fprintf(out_, "The carriage is at %s.\n", home ? "home" : where.c_str());
    return kExitSuccess;
}

int DiagCommand::Send(const std::vector<std::string>& words)
{
    std::string text;
    for (const std::string& word : words) text += (text.empty() ? "" : " ") + word;
    if (text.empty())
        return Failed("There is no command to send.");
    const CameraReply reply = CameraDiagnostics(context_.Camera()).SendTyped(text);
    if (!reply.accepted)
        return Failed("The camera did not accept the command.");
    if (options_.json) {
        CliReport report;
        report.AddText("command", "Command", text);
        report.AddText("reply", "Reply", reply.text);
        report.PrintJson(out_);
    } else {
        std::fprintf(out_, "%s\n", reply.text.c_str());
    }
    return kExitSuccess;
}

}  // namespace scanora::cli
