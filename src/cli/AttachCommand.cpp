#include "cli/AttachCommand.h"

#include <chrono>
#include <filesystem>
#include <string_view>
#include <vector>

#include "cameradisk/RetrievalFormat.h"
#include "cli/CliApp.h"
#include "cli/CliReport.h"
#include "cli/DiskSlotArguments.h"
#include "settings/StoredSettingChoice.h"

namespace scanora::cli {

namespace {

// The longest a followed capture may take before the terminal gives up on it (a long series).
constexpr auto kFollowLimit = std::chrono::hours(24);

// The text value of `key` in one of the program's JSON lines (its own, flat output).
std::string Field(std::string_view json, std::string_view key)
{
    const std::string quoted = "\"" + std::string(key) + "\": ";
    const std::size_t at = json.find(quoted);
    if (at == std::string_view::npos)
        return {};
    std::string_view value = json.substr(at + quoted.size());
    if (value.starts_with('"')) {
        value.remove_prefix(1);
        return std::string(value.substr(0, value.find('"')));
    }
    return std::string(value.substr(0, value.find_first_of(",}")));
}

bool IsResult(std::string_view line)
{
    return !line.starts_with("{\"event\": ");
}

// The paths of the files a retrieval's result names as written.
std::vector<std::string> WrittenPaths(std::string_view result)
{
    constexpr std::string_view kWritten = "\"status\": \"written\", ";
    std::vector<std::string> paths;
    for (std::size_t at = result.find(kWritten); at != std::string_view::npos;
         at = result.find(kWritten, at + kWritten.size()))
        paths.push_back(Field(result.substr(at + kWritten.size()), "path"));
    return paths;
}

// Whether a followed operation's result says it did all it was asked.
bool Succeeded(std::string_view result)
{
    if (result.find("\"succeeded\": ") != std::string_view::npos)
        return Field(result, "succeeded") == "true";
    // A retrieval: not cancelled, and every file written.
    if (!Field(result, "error").empty() || Field(result, "cancelled") != "false")
        return false;
    std::size_t items = 0;
    for (std::size_t at = result.find("\"status\": "); at != std::string_view::npos;
         at = result.find("\"status\": ", at + 1))
        ++items;
    return items > 0 && WrittenPaths(result).size() == items;
}

const char* const kCommands = "status, prescan, scan, abort, ls, get and prefs select";

}  // namespace

AttachCommand::AttachCommand(const CliOptions& options, std::FILE* out, std::FILE* err,
                             const std::atomic<bool>& stopRequested)
    : options_(options), out_(out), err_(err), stopRequested_(stopRequested)
{
}

std::string AttachCommand::CheckArguments(const CliOptions& options)
{
    const std::string& command = options.command;
    const std::vector<std::string>& arguments = options.arguments;
    if (command == "get") {
        std::string error;
        if (arguments.empty())
            return "get needs the slot of at least one image, e.g. scanora-cli --attach get 1";
        if (!DiskSlotArguments::Parse(arguments, error))
            return error;
        if (!options.retrieveMode.empty() && !RetrievalFormat::ParseMode(options.retrieveMode))
            return "--mode takes none, scan, tone or dng";
        if (!options.retrieveDepth.empty())
            return "--attach get retrieves at the mode's own depth: leave out --depth";
        return {};
    }
    if (command == "prefs") {
        if (arguments.size() != 3 || arguments[0] != "select" ||
            !StoredSettingChoice::KindNamed(arguments[1]))
            return "--attach prefs takes select size|exposure|curve|histogram NAME";
        return {};
    }
    if (command != "status" && command != "prescan" && command != "scan" && command != "abort" &&
        command != "ls")
        return "--attach works with " + std::string(kCommands) + ", not " + command;
    if (!arguments.empty() || !options.outputDir.empty())
        return "--attach " + command + " takes no arguments: the desktop program's settings hold";
    if (command == "ls" && !options.json)
        return "--attach ls answers with the program's listing in JSON: add --json";
    if (command == "ls" && (!options.sortColumn.empty() || options.reverse))
        return "--attach ls lists by slot: leave out --sort and --reverse";
    return {};
}

int AttachCommand::Fail(const std::string& message) const
{
    return CliApp::Failure(out_, err_, options_.json, message);
}

int AttachCommand::Run()
{
    SessionBusClient bus;
    std::string error;
    if (!bus.Open(error))
        return Fail(std::string(kNotRunning) + " (" + error + ")");
    if (!bus.ServiceRunning())
        return Fail(kNotRunning);
    const std::string& command = options_.command;
    if (command == "prescan" || command == "scan")
        return Follow(bus, command == "scan" ? "Scan" : "Prescan");
    if (command == "get")
        return Get(bus);
    if (command == "prefs")
        return Select(bus);
    const char* method = command == "status" ? "Status" : command == "ls" ? "List" : "Abort";
    const SessionBusClient::Reply reply = bus.Call(method);
    if (!reply.ok)
        return Fail(reply.text);
    if (command == "ls") {
        std::fprintf(out_, "%s\n", reply.text.c_str());
    } else if (command == "status") {
        if (options_.json) {
            std::fprintf(out_, "%s\n", reply.text.c_str());
        } else {
            std::fprintf(out_, "Model:   %s\nCapture: %s\n", Field(reply.text, "model").c_str(),
                         Field(reply.text, "capture").c_str());
        }
    }
    return kExitSuccess;
}

int AttachCommand::Get(SessionBusClient& bus)
{
    std::string error;
    const auto slots = DiskSlotArguments::Parse(options_.arguments, error);
    std::vector<std::uint32_t> numbers(slots->begin(), slots->end());
    // The desktop program has a working folder of its own.
    std::string folder;
    if (!options_.outputDir.empty()) {
        std::error_code failure;
        folder = std::filesystem::absolute(options_.outputDir, failure).string();
        if (failure)
            return Fail("cannot name the folder " + options_.outputDir + ": " + failure.message());
    }
    return Follow(bus, "Retrieve", {std::move(numbers), folder, options_.retrieveMode});
}

int AttachCommand::Select(SessionBusClient& bus)
{
    const std::string& kind = options_.arguments[1];
    const std::string& name = options_.arguments[2];
    const SessionBusClient::Reply reply = bus.Call("SelectSetting", {kind, name});
    if (!reply.ok)
        return Fail(reply.text);
    if (options_.json)
        std::fprintf(out_, "%s\n", reply.text.c_str());
    else
        std::fprintf(out_, "Current %s setting in the desktop program: %s\n", kind.c_str(),
                     name.c_str());
    return kExitSuccess;
}

int AttachCommand::Follow(SessionBusClient& bus, const char* method,
                          const std::vector<SessionBusClient::Argument>& arguments)
{
    std::string error;
    std::string result;
    const bool watched = bus.WatchEvents(
        [&](const std::string& line) {
            if (!result.empty())
                return;
            if (options_.json) {
                std::fprintf(out_, "%s\n", line.c_str());
                std::fflush(out_);
            } else if (const std::string kind = Field(line, "event"); kind == "status") {
                std::fprintf(err_, "%s\n", Field(line, "text").c_str());
            } else if (kind == "error" || kind == "warning") {
                // What the window shows the photographer.
                std::fprintf(err_, "%s\n", Field(line, "message").c_str());
            }
            if (IsResult(line))
                result = line;
        },
        error);
    if (!watched)
        return Fail(error);
    const SessionBusClient::Reply started = bus.Call(method, arguments);
    if (!started.ok)
        return Fail(started.text);
    bool aborted = false;
    const bool followed =
        bus.Process(std::chrono::duration_cast<std::chrono::milliseconds>(kFollowLimit), [&] {
            if (stopRequested_.load() && !aborted) {
                aborted = true;
                bus.Call("Abort");
            }
            return !result.empty();
        });
    if (!followed || result.empty())
        return Fail("the desktop program's events stopped before the capture's result");
    const bool succeeded = Succeeded(result);
    if (!options_.json) {
        for (const std::string& path : WrittenPaths(result))
            std::fprintf(out_, "%s\n", path.c_str());
        if (const std::string failure = Field(result, "error"); !failure.empty())
            std::fprintf(err_, "scanora-cli: %s\n", failure.c_str());
        std::fprintf(out_, "%s %s in the desktop program\n", options_.command.c_str(),
                     succeeded ? "done" : "failed");
    }
    if (aborted)
        return kExitStopped;
    return succeeded ? kExitSuccess : kExitCameraFailure;
}

}  // namespace scanora::cli
