#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliOptions.h"

namespace scanora {
class AppContext;
}

namespace scanora::cli {

class CliUiPort;

// "diag [version]", "diag position 7552|6144|4096|home" and "diag send TEXT": the diagnostics
// window's service operations from a terminal. `send` is "diag send" too.
class DiagCommand {
public:
    DiagCommand(const CliOptions& options, AppContext& context, const CliUiPort& ui, std::FILE* out,
                std::FILE* err);

    [[nodiscard]] static std::string CheckArguments(const CliOptions& options);

    int Run();
    // Sends the words, joined by blanks, as one command and prints the reply.
    int Send(const std::vector<std::string>& words);

private:
    int Version();
    int Position(const std::string& where);
    int Failed(const std::string& fallback) const;

    const CliOptions& options_;
    AppContext& context_;
    const CliUiPort& ui_;
    std::FILE* out_;
    std::FILE* err_;
};

}  // namespace scanora::cli
