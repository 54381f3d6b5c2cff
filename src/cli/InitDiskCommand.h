#pragma once

#include <cstdio>
#include <string>

#include "cli/CliOptions.h"

namespace scanora {
class AppContext;
}

namespace scanora::cli {

// "init-disk [--yes]": erases the camera's disk after the program's warning, answered at the
// terminal or by --yes. Without a terminal to ask at, --yes is required.
class InitDiskCommand {
public:
    InitDiskCommand(const CliOptions& options, AppContext& context, std::FILE* out);

    [[nodiscard]] static std::string CheckArguments(const CliOptions& options, bool interactive);

    int Run();

private:
    const CliOptions& options_;
    AppContext& context_;
    std::FILE* out_;
};

}  // namespace scanora::cli
