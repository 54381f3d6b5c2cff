#pragma once

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliOptions.h"

namespace scanora {
class AppContext;
struct RetrievalReport;
}  // namespace scanora

namespace scanora::cli {

class CliUiPort;

// "get SLOT... [-o DIR] [--mode none|scan|tone|dng] [--depth 8|16]": retrieves images from the
// camera's disk by their directory slot (1-based, as listed) into TIFF or DNG files. With -o the
// files go into a folder, made when missing, under their image names, or for one image into the
// file named (see RetrievalTarget); an existing file is replaced only when the user agrees, and
// images of the same name get "_1", "_2", ... names. Without -o they go where automatic saving
// puts them, or into the current folder.
// A progress bar with the remaining time is drawn on a terminal, plain lines otherwise; with
// --json the progress comes as events on standard output.
class GetCommand {
public:
    GetCommand(const CliOptions& options, AppContext& context, CliUiPort& ui, std::FILE* out,
               std::FILE* err, const std::atomic<bool>& stopRequested);

    // A usage error for the command's arguments and options, or empty when they are fine.
    [[nodiscard]] static std::string CheckArguments(const CliOptions& options);

    // The exit status: 0 every image written, 1 a failure or an image not written, 130 stopped.
    int Run();

private:
    void PrintReport(const RetrievalReport& report) const;

    const CliOptions& options_;
    AppContext& context_;
    CliUiPort& ui_;
    std::FILE* out_;
    std::FILE* err_;
    const std::atomic<bool>& stopRequested_;
};

}  // namespace scanora::cli
