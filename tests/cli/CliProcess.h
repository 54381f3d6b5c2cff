#pragma once

#include <chrono>
#include <string>
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

}  // namespace scanora::test
