#pragma once

#include <atomic>
#include <cstdio>
#include <string>

#include "cli/CliOptions.h"

namespace scanora::cli {

class SessionBusClient;

// "--attach COMMAND": the command goes to the running desktop program over the session bus
// instead of to a camera this program opens, so that a script and the photographer share one
// camera: status, prescan, scan and abort. A prescan or a scan is followed through the program's
// events until its result; with --json every event line is printed as the program sends it,
// then the result. Without a running program it says so and exits 1.
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
    // Starts a capture with `method` and follows its events to the result.
    int Follow(SessionBusClient& bus, const char* method);

    const CliOptions& options_;
    std::FILE* out_;
    std::FILE* err_;
    const std::atomic<bool>& stopRequested_;
};

}  // namespace scanora::cli
