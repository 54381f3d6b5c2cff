#pragma once

#include <cstdio>
#include <string>

#include "cli/CliOptions.h"

namespace scanora {
class AppContext;
}

namespace scanora::cli {

// "rm SLOT... [--yes]": deletes images from the camera's disk by their slot numbers, after the
// program's question ("Delete %s?" or "Delete %d files?"), answered at the terminal or by --yes.
// Without a terminal to ask at, --yes is required.
class DiskDeleteCommand {
public:
    DiskDeleteCommand(const CliOptions& options, AppContext& context, std::FILE* out,
                      std::FILE* err);

    // A usage error for the command's arguments and options, or empty when they are fine.
    // `interactive`: a person can answer questions at the terminal.
    [[nodiscard]] static std::string CheckArguments(const CliOptions& options, bool interactive);

    int Run();

private:
    const CliOptions& options_;
    AppContext& context_;
    std::FILE* out_;
    std::FILE* err_;
};

}  // namespace scanora::cli
