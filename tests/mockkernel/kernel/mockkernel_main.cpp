// scanora-mockkernel: runs a program against a camera back plugged into a mocked kernel. The
// camera is the simulator; the kernel is umockdev, which the program is preloaded with, so the
// program's own USB (libusb, usbdevfs) or SCSI (sg, SG_IO) code runs unchanged.
//
//   scanora-mockkernel --link usb|scsi [--sim KEYS] [--claimed] [--stall N] [--no-permission]
//                      [--control] -- PROGRAM [ARG...]
//
// --sim takes the simulator's keys as `sim:` does (the link is the one --link names).
// --claimed: another program holds the USB interface. --stall N: bulk transfer N stalls.
// --no-permission: the node is root's alone, and the program runs as nobody when started as
// root. --control: the lines "unplug" and "plug" on standard input pull the camera out and plug
// it back in (with their uevents), each answered on standard error with "mockkernel: unplugged"
// or "mockkernel: plugged"; the program then gets /dev/null as its input. The exit status is the
// program's (128 + the signal when it was killed), or 125 when the mocked kernel could not be
// set up.
#include <fcntl.h>
#include <glib-unix.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <umockdev.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "GObjectPtr.h"
#include "MockScsiCamera.h"
#include "MockUsbCamera.h"
#include "camsim/SimCamera.h"
#include "camsim/SimConfig.h"

namespace {

using namespace scanora::mockkernel;

constexpr int kSetupFailed = 125;
constexpr uid_t kNobody = 65534;

struct Options {
    camsim::SimLink link = camsim::SimLink::Usb;
    std::string simKeys;
    MockUsbFaults usbFaults;
    bool noPermission = false;
    bool control = false;
    std::vector<std::string> program;
};

int Usage(const std::string& why)
{
    std::fprintf(stderr,
                 "scanora-mockkernel: %s\nusage: scanora-mockkernel --link usb|scsi [--sim KEYS] "
                 "[--claimed] [--stall N] [--no-permission] [--control] -- PROGRAM [ARG...]\n",
                 why.c_str());
    return kSetupFailed;
}

std::optional<Options> Parse(int argc, char** argv, std::string& error)
{
    Options options;
    int i = 1;
    auto value = [&](std::string_view name) -> std::optional<std::string> {
        if (i + 1 >= argc) {
            error = std::string(name) + " needs a value";
            return std::nullopt;
        }
        return std::string(argv[++i]);
    };
    bool linkGiven = false;
    for (; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--") {
            ++i;
            break;
        }
        if (arg == "--link") {
            const auto link = value(arg);
            if (!link)
                return std::nullopt;
            if (*link != "usb" && *link != "scsi") {
                error = "--link is usb or scsi, not " + *link;
                return std::nullopt;
            }
            options.link = *link == "usb" ? camsim::SimLink::Usb : camsim::SimLink::Scsi;
            linkGiven = true;
        } else if (arg == "--sim") {
            const auto keys = value(arg);
            if (!keys)
                return std::nullopt;
            options.simKeys = *keys;
        } else if (arg == "--claimed") {
            options.usbFaults.claimedElsewhere = true;
        } else if (arg == "--stall") {
            const auto number = value(arg);
            if (!number)
                return std::nullopt;
            const long n = std::strtol(number->c_str(), nullptr, 10);
            if (n < 1) {
                error = "--stall wants a transfer number from 1";
                return std::nullopt;
            }
            options.usbFaults.stallTransfer = static_cast<unsigned>(n);
        } else if (arg == "--no-permission") {
            options.noPermission = true;
        } else if (arg == "--control") {
            options.control = true;
        } else {
            error = "unknown option " + std::string(arg);
            return std::nullopt;
        }
    }
    if (!linkGiven) {
        error = "--link is missing";
        return std::nullopt;
    }
    if (options.link == camsim::SimLink::Scsi &&
        (options.usbFaults.claimedElsewhere || options.usbFaults.stallTransfer)) {
        // The sg driver has no interface to claim and no endpoint to stall.
        error = "--claimed and --stall are faults of the USB link";
        return std::nullopt;
    }
    for (; i < argc; ++i) options.program.emplace_back(argv[i]);
    if (options.program.empty()) {
        error = "no program to run";
        return std::nullopt;
    }
    return options;
}

// Adds `value` in front of the list variable `name` (colon-separated).
void Prepend(const char* name, const std::string& value, char separator)
{
    const char* old = std::getenv(name);
    std::string joined = value;
    if (old != nullptr && *old != '\0')
        joined += separator + std::string(old);
    setenv(name, joined.c_str(), 1);
}

// The program, which inherits the preload library that redirects /sys, /dev and the nodes'
// ioctls into the testbed.
pid_t Start(const Options& options, const std::string& testbedRoot)
{
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    if (options.control) {
        const int null = open("/dev/null", O_RDONLY);
        if (null >= 0)
            dup2(null, STDIN_FILENO);
    }
    if (options.noPermission && geteuid() == 0) {
        // Root may open any node: the program runs as nobody, who may read the testbed but not
        // open the camera's node.
        chmod(testbedRoot.c_str(), 01777);
        if (setgid(kNobody) != 0 || setuid(kNobody) != 0)
            _exit(kSetupFailed);
    }
    std::vector<char*> argv;
    for (const auto& arg : options.program) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    std::fprintf(stderr, "scanora-mockkernel: cannot run %s: %s\n", argv[0], std::strerror(errno));
    _exit(127);
}

struct Run {
    GMainLoop* loop = nullptr;
    MockDevice* device = nullptr;
    int status = kSetupFailed;
};

gboolean OnControl(GIOChannel* channel, GIOCondition /*condition*/, gpointer data)
{
    auto& run = *static_cast<Run*>(data);
    gchar* line = nullptr;
    if (g_io_channel_read_line(channel, &line, nullptr, nullptr, nullptr) != G_IO_STATUS_NORMAL)
        return G_SOURCE_REMOVE;  // the end of the input: the camera stays as it is
    const std::string command = g_strstrip(line);
    g_free(line);
    if (command == "unplug") {
        run.device->Unplug();
        std::fprintf(stderr, "mockkernel: unplugged\n");
    } else if (command == "plug") {
        std::string error;
        if (run.device->Plug(error))
            std::fprintf(stderr, "mockkernel: plugged\n");
        else
            std::fprintf(stderr, "mockkernel: cannot plug: %s\n", error.c_str());
    } else if (!command.empty()) {
        std::fprintf(stderr, "mockkernel: unknown control \"%s\"\n", command.c_str());
    }
    return G_SOURCE_CONTINUE;
}

}  // namespace

int main(int argc, char** argv)
{
    // The testbed's own calls (the uevents it sends look the device up through libudev) have to
    // see the mocked /sys too: this program runs under the preload library itself, and the
    // program it starts inherits it.
    constexpr const char* kRestarted = "SCANORA_MOCKKERNEL_PRELOADED";
    if (std::getenv(kRestarted) == nullptr) {
        setenv(kRestarted, "1", 1);
        Prepend("LD_PRELOAD", "libumockdev-preload.so.0", ':');
        // AddressSanitizer wants to be the first library; umockdev has to be. Both work in
        // either order.
        Prepend("ASAN_OPTIONS", "verify_asan_link_order=0", ':');
        execv("/proc/self/exe", argv);
        std::fprintf(stderr, "scanora-mockkernel: cannot restart under umockdev: %s\n",
                     std::strerror(errno));
        return kSetupFailed;
    }
    std::string error;
    const auto options = Parse(argc, argv, error);
    if (!options)
        return Usage(error);

    camsim::SimConfig config;
    config.speed = 0.0;
    if (!camsim::ParseSimConfig(options->simKeys, config, error))
        return Usage(error);
    config.link = options->link;
    camsim::SimCamera camera(std::move(config));

    // The testbed sets UMOCKDEV_DIR for this process, and so for the program it starts.
    const GObjectPtr<UMockdevTestbed> testbed(umockdev_testbed_new());
    gchar* rootText = umockdev_testbed_get_root_dir(testbed.get());
    const std::string root = rootText;
    g_free(rootText);
    std::unique_ptr<MockDevice> device;
    if (options->link == camsim::SimLink::Usb)
        device = std::make_unique<MockUsbCamera>(testbed.get(), camera, options->usbFaults);
    else
        device = std::make_unique<MockScsiCamera>(testbed.get(), camera);
    if (!device->Plug(error))
        return Usage(error);
    if (options->noPermission) {
        // The node as udev leaves it without the camera's rule: root's alone.
        const std::string node = root + device->DevNode();
        chmod(node.c_str(), 0600);
        // umockdev's side channel to the node's ioctl handler stays open to anyone: the
        // preload library connects to it before it opens the node, and gives up the program
        // when it cannot.
        chmod((root + "/ioctl" + device->DevNode()).c_str(), 0666);
        if (geteuid() != 0)
            chmod(node.c_str(), 0);
    }

    Run run;
    run.loop = g_main_loop_new(nullptr, FALSE);
    run.device = device.get();
    const pid_t child = Start(*options, root);
    if (child < 0)
        return Usage(std::string("cannot start the program: ") + std::strerror(errno));
    g_child_watch_add(
        child,
        [](GPid, gint status, gpointer data) {
            auto& run = *static_cast<Run*>(data);
            run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            g_main_loop_quit(run.loop);
        },
        &run);
    // Stopping this program stops the one it runs, which would otherwise outlive it.
    static pid_t running = 0;
    running = child;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        g_unix_signal_add(
            signal,
            [](gpointer number) -> gboolean {
                kill(running, GPOINTER_TO_INT(number));
                return G_SOURCE_CONTINUE;
            },
            GINT_TO_POINTER(signal));
    }
    GIOChannel* input = nullptr;
    if (options->control) {
        input = g_io_channel_unix_new(STDIN_FILENO);
        g_io_add_watch(input, static_cast<GIOCondition>(G_IO_IN | G_IO_HUP), &OnControl, &run);
    }
    g_main_loop_run(run.loop);
    if (input != nullptr)
        g_io_channel_unref(input);
    g_main_loop_unref(run.loop);
    device.reset();
    return run.status;
}
