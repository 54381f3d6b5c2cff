#pragma once

#include <atomic>
#include <cstdio>
#include <optional>
#include <string>

#include "cli/CliOptions.h"
#include "cli/RetrievalTarget.h"

namespace scanora {
class AppContext;
}

namespace scanora::cli {

class CliUiPort;

// `scanora-cli prescan` and `scanora-cli scan`: the capture options are applied to the output
// geometry, exposure, curve and preferences of this session, then the capture sequence runs
// on this thread's command loop with a progress bar. Ctrl+C stops a prescan after its current
// block and a scan at once ("CLA"), and ends a series.
class CaptureCommand {
public:
    CaptureCommand(const CliOptions& options, AppContext& context, CliUiPort& ui, std::FILE* out,
                   std::FILE* err, const std::atomic<bool>& stopRequested);

    // The usage error in the capture options, or empty.
    [[nodiscard]] static std::string CheckArguments(const CliOptions& options);

    int Run();

private:
    // Makes the stored settings named by --size, --exposure, --curve and --histogram current
    // (a --curve that names an existing file loads that tone curve file instead). A usage
    // error, or empty.
    std::string SelectStoredSettings();
    // Applies the options; the usage error, or empty.
    std::string ApplyOptions();
    int Prescan();
    int Scan();
    // The exit status of a capture that failed, and with --json its result line: the message
    // the user was shown, else `fallback`.
    int Failed(const std::string& fallback) const;
    // The same for a capture stopped by Ctrl+C.
    int Stopped(const std::string& why) const;

    const CliOptions& options_;
    AppContext& context_;
    CliUiPort& ui_;
    std::FILE* out_;
    std::FILE* err_;
    const std::atomic<bool>& stopRequested_;
    // Where --retrieve brings the scans home.
    std::optional<RetrievalTarget> retrieveTarget_;
};

}  // namespace scanora::cli
