#pragma once

#include <atomic>
#include <cstdio>
#include <optional>
#include <string>

#include "cli/CliOptions.h"

namespace scanora {
class AppContext;
class FocusHistory;
class JsonEvents;
struct FocusReading;
}  // namespace scanora

namespace scanora::cli {

class CliUiPort;

// "focus": the focus aid in the terminal. Parks the carriage at the line picked with --line
// (preview lines; default the middle), reads the window at --column (preview columns; default
// the middle) and --zoom (0 widest ... 3 finest, default 1) again and again, and prints each
// reading's score per channel with the best so far. --channels picks the measured channels
// (any of r, g, b); --readings N and --seconds S end it, else Ctrl+C does; --pause MS is the
// pause between readings (default 100). At the end the carriage is centred again. With --json
// every reading is a "reading" event, and the result gives the best of each channel.
class FocusCommand {
public:
    FocusCommand(const CliOptions& options, AppContext& context, CliUiPort& ui, std::FILE* out,
                 std::FILE* err, const std::atomic<bool>& stopRequested);

    [[nodiscard]] static std::string CheckArguments(const CliOptions& options);

    int Run();

private:
    struct Settings {
        std::optional<int> column;
        std::optional<int> line;
        int zoom = 1;
        std::optional<long long> readings;
        std::optional<double> seconds;
        int intervalMs = 100;
        std::string channels = "rgb";
    };

    // The settings from the options; false with `error` set when one is unusable.
    static bool Read(const CliOptions& options, Settings& settings, std::string& error);
    // One reading for a person, or as a "reading" event.
    void Print(const FocusReading& reading, const FocusHistory& history, JsonEvents* events) const;
    // Sleeps `ms`, waking early for Ctrl+C.
    void Pause(int ms) const;

    const CliOptions& options_;
    AppContext& context_;
    CliUiPort& ui_;
    std::FILE* out_;
    std::FILE* err_;
    const std::atomic<bool>& stopRequested_;
};

}  // namespace scanora::cli
