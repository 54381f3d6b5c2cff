// scanora-camsim: the simulated camera back as a process of its own, serving its USB link on a
// local socket until it is interrupted.

#include <csignal>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <pthread.h>

#include "camsim/CameraModel.h"
#include "camsim/SimCamera.h"
#include "camsim/SimConfig.h"
#include "camsim/SimServer.h"

namespace {

constexpr int kUsageError = 2;

constexpr const char* kUsage =
    "Usage: scanora-camsim --listen PATH|tcp:127.0.0.1:PORT [options]\n"
    "Serves a simulated Scanora camera back on a local socket until interrupted.\n"
    "\n"
    "  --listen PATH          listen on a Unix socket at PATH\n"
    "  --listen tcp:127.0.0.1:PORT\n"
    "                         listen on a loopback TCP port (0 picks a free one)\n"
    "  --model N              model code 1..7 (default 6, Model Cedar)\n"
    "  --link usb             the link the camera serves (the socket carries USB)\n"
    "  --speed F              time scale of camera actions: 1 real time, 0 no waiting\n"
    "  --firmware V           firmware version, e.g. 4.14\n"
    "  --serial HHHH          serial number in hexadecimal\n"
    "  --revision TEXT        SCSI identification revision (default from the firmware)\n"
    "  --disk DIR             keep the camera disk in DIR\n"
    "  --samples on|off       five sample images on a new disk (default on)\n"
    "  --bigimage WxL         also a W x L 16-bit colour image on a new disk\n"
    "  --overshoot C/F        steps the stage coasts past a coarse/fine move (default 67/1)\n"
    "  --fault F+F...         faults: noreply:CMD error:CMD:CODE xfer:CMD drop:N\n"
    "                         dropdata:BYTES slow:MS stall:LINES\n"
    "  --focus D|sweep:D:S    the lens: D pixels of blur (0 sharp), or a sweep from D pixels\n"
    "                         through best focus after S seconds of focus readings and back\n"
    "  --help                 show this text\n";

int UsageError(const std::string& message)
{
    std::fprintf(stderr, "scanora-camsim: %s\nTry 'scanora-camsim --help'.\n", message.c_str());
    return kUsageError;
}

struct Options {
    camsim::SimConfig config;
    std::string listen;
    bool help = false;
};

// Reads the command line into `options`; false with `error` set on a usage error.
bool ParseOptions(const std::vector<std::string_view>& arguments, Options& options,
                  std::string& error)
{
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string_view option = arguments[i];
        if (option == "--help" || option == "-h") {
            options.help = true;
            return true;
        }
        if (!option.starts_with("--")) {
            error = "unexpected argument '" + std::string(option) + "'";
            return false;
        }
        option.remove_prefix(2);
        std::string_view value;
        if (const std::size_t equals = option.find('='); equals != std::string_view::npos) {
            value = option.substr(equals + 1);
            option = option.substr(0, equals);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            error = "option --" + std::string(option) + " needs a value";
            return false;
        }
        if (option == "listen") {
            options.listen = std::string(value);
        } else if (option == "disk" || option == "model" || option == "link" || option == "speed" ||
                   option == "firmware" || option == "serial" || option == "revision" ||
                   option == "samples" || option == "bigimage" || option == "fault" ||
                   option == "focus" || option == "overshoot") {
            if (!camsim::SetSimConfigKey(option, value, options.config, error))
                return false;
        } else {
            error = "unknown option --" + std::string(option);
            return false;
        }
    }
    if (options.listen.empty()) {
        error = "--listen PATH or --listen tcp:127.0.0.1:PORT is required";
        return false;
    }
    if (!camsim::SimServer::CheckEndpoint(options.listen, error))
        return false;
    if (options.config.link != camsim::SimLink::Usb) {
        error = "the socket carries the USB link only: use --link usb";
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    Options options;
    std::string error;
    if (!ParseOptions(arguments, options, error))
        return UsageError(error);
    if (options.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }

    // The stop signals are taken by sigwait below, not by a handler: block them before the
    // server thread starts so that it inherits the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    const std::string modelName(camsim::CameraModel::ForCode(options.config.model).name);
    camsim::SimCamera camera(std::move(options.config));
    if (const std::string why = camera.DiskError(); !why.empty()) {
        std::fprintf(stderr, "scanora-camsim: %s\n", why.c_str());
        return 1;
    }
    camsim::SimServer server(camera);
    if (!server.Start(options.listen, error)) {
        std::fprintf(stderr, "scanora-camsim: %s\n", error.c_str());
        return 1;
    }
    std::printf("scanora-camsim: %s listening on %s\n", modelName.c_str(),
                server.Endpoint().c_str());
    std::fflush(stdout);

    int signal = 0;
    sigwait(&stopSignals, &signal);
    server.Stop();
    return 0;
}
