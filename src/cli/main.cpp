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
#include "platform/LiveTemporaryFiles.h"

namespace {

// The stop request: with LiveTemporaryFiles, the only process state the signal handlers touch.
std::atomic<bool> g_stopRequested{false};

extern "C" void OnInterrupt(int)
{
    if (g_stopRequested.exchange(true)) {
        // The second Ctrl+C: leave at once, but not a half-written file.
        scanora::LiveTemporaryFiles::RemoveAll();
        _exit(scanora::cli::kExitStopped);
    }
    static constexpr char kNote[] =
        "\nStopping after the current step (Ctrl+C again to quit now)\n";
    [[maybe_unused]] const auto written = write(STDERR_FILENO, kNote, sizeof kNote - 1);
}

// SIGTERM and SIGHUP (the terminal went away) end the program at once, as they always did, but
// first remove the files it was writing. The handler runs once (SA_RESETHAND): the signal raised
// again takes its default course as soon as the handler returns.
extern "C" void OnTerminate(int signal)
{
    scanora::LiveTemporaryFiles::RemoveAll();
    raise(signal);
}

void InstallHandler(int signal, void (*handler)(int), int flags)
{
    struct sigaction action {};
    action.sa_handler = handler;
    action.sa_flags = flags;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}

// True when the program was started with `signal` ignored (nohup): it stays ignored.
bool Ignored(int signal)
{
    struct sigaction current {};
    return sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
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

    InstallHandler(SIGINT, OnInterrupt, 0);
    for (const int signal : {SIGTERM, SIGHUP}) {
        if (!Ignored(signal))
            InstallHandler(signal, OnTerminate, SA_RESETHAND);
    }
    std::signal(SIGPIPE, SIG_IGN);

    scanora::cli::CliApp app(std::move(options), stdout, stderr, isatty(STDIN_FILENO) != 0,
                             g_stopRequested);
    return app.Run();
}
