#include "cli/AttachCommand.h"

#include <chrono>
#include <string_view>
#include <vector>

#include "cli/CliApp.h"
#include "cli/CliReport.h"
#include "cli/SessionBusClient.h"

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

}  // namespace

AttachCommand::AttachCommand(const CliOptions& options, std::FILE* out, std::FILE* err,
                             const std::atomic<bool>& stopRequested)
    : options_(options), out_(out), err_(err), stopRequested_(stopRequested)
{
}

std::string AttachCommand::CheckArguments(const CliOptions& options)
{
    const std::string& command = options.command;
    if (command != "status" && command != "prescan" && command != "scan" && command != "abort")
        return "--attach works with status, prescan, scan and abort, not " + command;
    if (!options.arguments.empty() || !options.outputDir.empty())
        return "--attach " + command + " takes no arguments: the desktop program's settings hold";
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
    const SessionBusClient::Reply reply = bus.Call(command == "status" ? "Status" : "Abort");
    if (!reply.ok)
        return Fail(reply.text);
    if (command == "status") {
        if (options_.json) {
            std::fprintf(out_, "%s\n", reply.text.c_str());
        } else {
            std::fprintf(out_, "Model:   %s\nCapture: %s\n", Field(reply.text, "model").c_str(),
                         Field(reply.text, "capture").c_str());
        }
    }
    return kExitSuccess;
}

int AttachCommand::Follow(SessionBusClient& bus, const char* method)
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
            } else if (Field(line, "event") == "status") {
                std::fprintf(err_, "%s\n", Field(line, "text").c_str());
            }
            if (IsResult(line))
                result = line;
        },
        error);
    if (!watched)
        return Fail(error);
    const SessionBusClient::Reply started = bus.Call(method);
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
    const bool succeeded = Field(result, "succeeded") == "true";
    if (!options_.json)
        std::fprintf(out_, "%s %s in the desktop program\n", options_.command.c_str(),
                     succeeded ? "done" : "failed");
    if (aborted)
        return kExitStopped;
    return succeeded ? kExitSuccess : kExitCameraFailure;
}

}  // namespace scanora::cli
