#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

#include "cli/CliOptions.h"

namespace scanora {
class AppContext;
class DiskListing;
}  // namespace scanora

namespace scanora::cli {

// "ls [--sort slot|name|size|time|date|notes] [--reverse]": the images and free space on the
// camera's disk, one slot a line, with the item count, the free space in all and the largest free
// stretch. The newest image is marked with "*". Slots the camera did not let us read are listed
// as such, and make the command fail once the list is out.
class DiskListCommand {
public:
    DiskListCommand(const CliOptions& options, AppContext& context, std::FILE* out, std::FILE* err);

    // A usage error for the command's arguments and options, or empty when they are fine.
    [[nodiscard]] static std::string CheckArguments(const CliOptions& options);

    int Run();

private:
    void PrintText(const DiskListing& listing) const;

    const CliOptions& options_;
    AppContext& context_;
    std::FILE* out_;
    std::FILE* err_;
};

}  // namespace scanora::cli
