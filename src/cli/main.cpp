// scanora-cli: the camera program driven from a terminal.

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/CliApp.h"
#include "cli/CliOptions.h"

namespace {

// The one piece of process state a signal handler may touch.
std::atomic<bool> g_stopRequested{false};

extern "C" void OnInterrupt(int)
{
    if (g_stopRequested.exchange(true))
        _exit(scanora::cli::kExitStopped);  // the second Ctrl+C: leave at once
    static constexpr char kNote[] = "\nStopping after the current step (Ctrl+C again to quit now)\n";
    [[maybe_unused]] const auto written = write(STDERR_FILENO, kNote, sizeof kNote - 1);
}

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv, argv + argc);
    scanora::cli::CliOptions options;
    std::string error;
    if (!scanora::cli::ParseCliOptions(args, std::getenv("SCANORA_CAMERA"), options, error)) {
        std::fprintf(stderr, "scanora-cli: %s\nTry 'scanora-cli --help'.\n", error.c_str());
        return scanora::cli::kExitUsage;
    }

    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    scanora::cli::CliApp app(std::move(options), stdout, stderr, isatty(STDIN_FILENO) != 0,
                             g_stopRequested);
    return app.Run();
}
