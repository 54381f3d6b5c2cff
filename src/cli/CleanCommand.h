#pragma once

#include <cstdio>
#include <string>

#include "cli/CliOptions.h"

namespace scanora {
class AppContext;
}

namespace scanora::cli {

class CliUiPort;

// "clean [--done]": moves the sensor carriage to the cleaning position and leaves it there; with
// --done brings it back to the centre and then home.
class CleanCommand {
public:
    CleanCommand(const CliOptions& options, AppContext& context, const CliUiPort& ui,
                 std::FILE* out, std::FILE* err);

    [[nodiscard]] static std::string CheckArguments(const CliOptions& options);

    int Run();

private:
    const CliOptions& options_;
    AppContext& context_;
    const CliUiPort& ui_;
    std::FILE* out_;
    std::FILE* err_;
};

}  // namespace scanora::cli
