#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "support/ProcessRunner.h"

namespace scanora::test {

// scanora-cli run as a user runs it, without the user's preferences file, with `args`.
inline ProcessResult RunCli(std::vector<std::string> args,
                            std::chrono::milliseconds limit = std::chrono::seconds(30))
{
    args.insert(args.begin(), {SCANORA_CLI_PATH, "--no-prefs"});
    return RunProcess(args, limit);
}

// Standard error of a command as the user saw it before the command named its log. A command
// that failed (exit status 1) ends with "scanora-cli: the log is in ..."; that line is checked
// and taken off (without it the result says so, so that the comparison fails).
inline std::string Shown(const ProcessResult& result)
{
    static constexpr std::string_view kPointer = "scanora-cli: the log is in ";
    if (result.exitCode != 1)
        return result.err;
    const std::size_t line = result.err.rfind(kPointer);
    if (line == std::string::npos || (line > 0 && result.err[line - 1] != '\n') ||
        !result.err.ends_with(".log\n"))
        return result.err + "(no line naming the log)\n";
    return result.err.substr(0, line);
}

}  // namespace scanora::test
