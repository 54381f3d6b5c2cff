#pragma once

#include <string>
#include <vector>

namespace scanora::cli {

// What the command line asked for.
struct CliOptions {
    std::string cameraSpec;  // --camera, else SCANORA_CAMERA, else "auto"
    std::string traceFile;   // --trace
    bool json = false;       // --json
    bool help = false;       // --help
    bool yes = false;        // --yes: answer questions with yes
    std::string command;     // info, status, send, ...
    std::vector<std::string> arguments;
};

// Parses argv. False, with `error` set to a one-line reason, on a usage error.
bool ParseCliOptions(const std::vector<std::string>& argv, const char* cameraEnvironment,
                     CliOptions& options, std::string& error);

// The text of --help.
std::string CliUsage();

}  // namespace scanora::cli
