#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "cli/CliOptions.h"

namespace scanora {
class AppContext;
}

namespace scanora::cli {

// The commands that work on the camera's disk: ls, rm, notes, export-notes and init-disk. Routes
// each to its own command.
class DiskCommands {
public:
    [[nodiscard]] static bool Handles(std::string_view command);
    // A usage error for the command's arguments and options, or empty when they are fine.
    // `interactive`: a person can answer questions at the terminal.
    [[nodiscard]] static std::string CheckArguments(const CliOptions& options, bool interactive);
    // Runs the command against the connected camera; the exit status.
    static int Run(const CliOptions& options, AppContext& context, std::FILE* out, std::FILE* err);
};

}  // namespace scanora::cli
