#pragma once

#include <cstdio>
#include <string>

#include "cli/CliOptions.h"

namespace scanora {
class AppContext;
}

namespace scanora::cli {

// "export-notes SLOT... -o FILE": writes the notes of images on the camera's disk to a text
// file, the last named image first. A file of that name is replaced only when the user agrees;
// a device or a pipe (/dev/stdout) is written as it is.
class ExportNotesCommand {
public:
    ExportNotesCommand(const CliOptions& options, AppContext& context, std::FILE* out,
                       std::FILE* err);

    [[nodiscard]] static std::string CheckArguments(const CliOptions& options);

    int Run();

private:
    const CliOptions& options_;
    AppContext& context_;
    std::FILE* out_;
    std::FILE* err_;
};

}  // namespace scanora::cli
