#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "cli/CliOptions.h"

namespace scanora {
class AppContext;
class JsonEvents;
}  // namespace scanora

namespace scanora::cli {

class CliUiPort;

// "stage move POS | jog min|max --fine|--coarse | calibrate | position | home": the motorised
// stage from a terminal. A move turns the stage onto POS as a capture does (stopping short by
// the overshoot so that it coasts onto it); a jog runs the stage towards one end of its travel
// until it gets there or Ctrl+C stops it; calibrate measures the overshoots and keeps them for
// the session; home turns the stage to its centre position. Each prints where the stage is.
class StageCommand {
public:
    StageCommand(const CliOptions& options, AppContext& context, CliUiPort& ui, std::FILE* out,
                 std::FILE* err, const std::atomic<bool>& stopRequested);

    [[nodiscard]] static std::string CheckArguments(const CliOptions& options);

    int Run();

private:
    int Move(std::uint16_t position);
    int Jog();
    int Calibrate();
    // Prints the stage's position (and whether it still turns) as the command's result.
    int ReportPosition();
    int Fail(const std::string& fallback) const;
    // With --json, where the stage has got to as a "progress" event.
    void EmitPosition(std::optional<std::uint16_t> position) const;

    const CliOptions& options_;
    AppContext& context_;
    CliUiPort& ui_;
    std::FILE* out_;
    std::FILE* err_;
    const std::atomic<bool>& stopRequested_;
    JsonEvents* events_ = nullptr;  // while a command that turns the stage runs with --json
};

}  // namespace scanora::cli
