#pragma once

#include <atomic>
#include <cstdio>
#include <memory>
#include <string>

#include "cli/CliOptions.h"
#include "cli/CliReport.h"
#include "cli/CliUiPort.h"
#include "cli/TraceFile.h"
#include "platform/Logger.h"

namespace scanora {
class AppContext;
}

namespace scanora::cli {

enum ExitCode : int {
    kExitSuccess = 0,
    kExitCameraFailure = 1,
    kExitUsage = 2,
    kExitStopped = 130
};

// Runs one scanora-cli command against the camera and prints its result.
class CliApp {
public:
    // `stopRequested` is raised by the first Ctrl+C; operations check it between steps.
    CliApp(CliOptions options, std::FILE* out, std::FILE* err, bool interactive,
           const std::atomic<bool>& stopRequested);
    ~CliApp();

    // Runs the command; every failure ends in a non-zero status with a message on standard
    // error, output that could not be written (a full disk, a closed pipe) included.
    int Run();

    // Prints "scanora-cli: <message>" on `err` (and the error object with --json on `out`);
    // returns the exit status of a failed file or camera.
    static int Failure(std::FILE* out, std::FILE* err, bool json, const std::string& message);
    // A failed camera operation: the message the camera object showed (already on `err`), or
    // else `fallback` on `err`; with --json the error object on `out`. Returns the exit status.
    static int CameraFailed(std::FILE* out, std::FILE* err, bool json, const CliUiPort& ui,
                            const std::string& fallback);

private:
    int RunCommand();
    // The command and its arguments, for the log.
    [[nodiscard]] std::string CommandLine() const;
    // The command's status, made a failure when its output or the trace did not get out whole.
    int CheckOutput(int status);
    int Info();
    int Status();
    int Send();
    // The prefs commands, which need no camera.
    int Prefs();
    // Prints a failed camera operation: the message the camera object showed, or `fallback`
    // when it showed none. Returns the exit status for it.
    int Failed(const std::string& fallback);
    // A file failed (the preferences, the trace): its message, and exit status 1.
    int FileFailed(const std::string& message) const;
    int Usage(const std::string& error);
    void Print(const CliReport& report) const;
    [[nodiscard]] bool Stopped() const { return stopRequested_.load(); }

    CliOptions options_;
    std::FILE* out_;
    std::FILE* err_;
    const std::atomic<bool>& stopRequested_;
    const bool interactive_;  // a person can answer questions at the terminal
    Logger logger_;
    CliUiPort ui_;
    std::unique_ptr<TraceFile> trace_;
    std::unique_ptr<AppContext> context_;
};

}  // namespace scanora::cli
