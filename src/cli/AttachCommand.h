#pragma once

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/SessionBusClient.h"

namespace scanora::cli {

// "--attach COMMAND": the command goes to the running desktop program over the session bus
// instead of to a camera this program opens, so that a script and the photographer share one
// camera: status, prescan, scan, abort, ls (with --json), get SLOT... [-o DIR] [--mode MODE]
// and prefs select KIND NAME. A prescan, a scan or a retrieval is followed through the
// program's events until its result; with --json every event line is printed as the program
// sends it, then the result. Without a running program it says so and exits 1.
class AttachCommand {
public:
    static constexpr const char* kNotRunning =
        "Scanora is not running: --attach sends the command to the desktop program on this "
        "session bus";

    AttachCommand(const CliOptions& options, std::FILE* out, std::FILE* err,
                  const std::atomic<bool>& stopRequested);

    // A usage error, or empty.
    [[nodiscard]] static std::string CheckArguments(const CliOptions& options);

    int Run();

private:
    int Fail(const std::string& message) const;
    // Starts a capture or a retrieval with `method` and follows its events to the result.
    int Follow(SessionBusClient& bus, const char* method,
               const std::vector<SessionBusClient::Argument>& arguments = {});
    int Get(SessionBusClient& bus);
    int Select(SessionBusClient& bus);

    const CliOptions& options_;
    std::FILE* out_;
    std::FILE* err_;
    const std::atomic<bool>& stopRequested_;
};

}  // namespace scanora::cli
