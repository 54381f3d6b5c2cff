// scanora-camsim: the simulated camera back as a process of its own, serving its USB link on a
// local socket until it is interrupted.

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <poll.h>
#include <pthread.h>
#include <sys/signalfd.h>
#include <unistd.h>

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
    "                         unplug:N:MS dropdata:BYTES slow:MS stall:LINES\n"
    "  --focus D|sweep:D:S    the lens: D pixels of blur (0 sharp), or a sweep from D pixels\n"
    "                         through best focus after S seconds of focus readings and back\n"
    "  --control              read \"unplug\" and \"plug\" lines on standard input: the cable\n"
    "                         pulled out (the socket goes away) and plugged back in; the\n"
    "                         camera keeps its disk meanwhile\n"
    "  --help                 show this text\n";

int UsageError(const std::string& message)
{
    std::fprintf(stderr, "scanora-camsim: %s\nTry 'scanora-camsim --help'.\n", message.c_str());
    return kUsageError;
}

struct Options {
    camsim::SimConfig config;
    std::string listen;
    bool control = false;
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
        if (option == "--control") {
            options.control = true;
            continue;
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

// The cable, pulled out and plugged back in from standard input: unplugged, the camera is gone
// from the link and its socket from the file system, as a USB camera's device node goes.
class CableControl {
public:
    CableControl(camsim::SimCamera& camera, camsim::SimServer& server)
        : camera_(camera), server_(server), endpoint_(server.Endpoint())
    {
    }

    // Carries out one line of standard input; false with `error` set for one it does not know.
    bool Obey(std::string_view line, std::string& error)
    {
        if (line == "unplug") {
            if (!camera_.Unplugged()) {
                camera_.Unplug();
                server_.Stop();
            }
            Say("unplugged");
            return true;
        }
        if (line == "plug") {
            if (camera_.Unplugged()) {
                if (!server_.Start(endpoint_, error))
                    return false;
                camera_.Plug();
            }
            Say("plugged in");
            return true;
        }
        error = "unknown control '" + std::string(line) + "' (known: unplug, plug)";
        return false;
    }

private:
    static void Say(const char* what)
    {
        std::printf("scanora-camsim: %s\n", what);
        std::fflush(stdout);
    }

    camsim::SimCamera& camera_;
    camsim::SimServer& server_;
    std::string endpoint_;
};

// Waits for a stop signal (blocked in `stopSignals`) while carrying out the control lines that
// arrive on standard input; the end of the input leaves only the signal to wait for.
void ObeyUntilStopped(const sigset_t& stopSignals, CableControl& control)
{
    const int signals = ::signalfd(-1, &stopSignals, SFD_CLOEXEC);
    if (signals < 0) {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        return;
    }
    bool input = true;
    std::string pending;
    while (true) {
        pollfd fds[2] = {{signals, POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        if (::poll(fds, input ? 2 : 1, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[0].revents != 0)
            break;
        if (!input || fds[1].revents == 0)
            continue;
        char buffer[256];
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got <= 0) {
            input = false;
            continue;
        }
        pending.append(buffer, static_cast<std::size_t>(got));
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
            std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            std::string error;
            if (!line.empty() && !control.Obey(line, error))
                std::fprintf(stderr, "scanora-camsim: %s\n", error.c_str());
        }
    }
    ::close(signals);
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

    if (options.control) {
        CableControl control(camera, server);
        ObeyUntilStopped(stopSignals, control);
    } else {
        int signal = 0;
        sigwait(&stopSignals, &signal);
    }
    server.Stop();
    return 0;
}
