#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace camsim {

enum class SimLink { Usb, Scsi };

// One injected fault (see the `fault=` key).
struct SimFault {
    enum class Kind {
        NoReply,   // noreply:CMD   the camera never answers CMD
        Error,     // error:CMD:CODE  CMD is answered "#E" with the hex CODE
        Transfer,  // xfer:CMD      the transport transfer of CMD's reply fails
        Drop,      // drop:N        the link goes dead after N commands
        Slow,      // slow:MS       every reply MS milliseconds late
        DropData,  // dropdata:BYTES the link goes dead once the host has read BYTES of image
                   //               data from the disk: the read that would go past them fails
        Stall,     // stall:LINES   a scan's carriage stops after LINES lines: the count stays
                   //               there and the scan never ends (until it is aborted)
        Unplug,    // unplug:N:MS   the cable is pulled as command N + 1 arrives and plugged
                   //               back in MS milliseconds later
    };
    Kind kind = Kind::NoReply;
    std::string command;      // NoReply, Error, Transfer: the command name, e.g. "CS"
    unsigned value = 0;       // Error: the code; Drop, Unplug: N; Slow: milliseconds; Stall: LINES
    unsigned away = 0;        // Unplug: the milliseconds until the cable is plugged back in
    std::uint64_t bytes = 0;  // DropData: BYTES
};

// Where the simulated lens focuses (see the `focus=` key): `defocus` native pixels of blur at the
// start; with a sweep the photographer turns the lens at an even pace so that it reaches best
// focus after `sweepSeconds` of simulated time, goes as far past it, and comes back.
struct SimFocus {
    double defocus = 0.0;
    double sweepSeconds = 0.0;  // 0: the lens stays where it is
};

// How the simulated camera is set up: the `sim:key=value,...` keys and the scanora-camsim options.
struct SimConfig {
    int model = 6;  // model code 1..7
    SimLink link = SimLink::Usb;
    double speed = 1.0;               // 1 = real time, 0 = no waiting
    std::uint16_t firmware = 0x019E;  // "MV" value: hundredths of a version, 0x019E = 4.14
    std::uint16_t serial = 0x1234;
    std::string revision;  // SCSI identification revision text; empty = from `firmware`
    std::string diskDir;   // persist the camera disk here; empty = in memory
    // samples=on|off: a new disk (in memory, or none kept in diskDir yet) starts with the sample
    // images (SampleImages), on by default.
    bool sampleImages = true;
    // bigimage=WxH: a new disk also holds "Big Image", 16-bit colour of W pixels × H lines
    // (each 1..65535) at the model's finest size step, e.g. bigimage=10200x13600 on model 1.
    // Its data is made as it is read, so any size costs no memory. 0 × 0: none.
    std::uint32_t bigImageWidth = 0;
    std::uint32_t bigImageLines = 0;
    // overshoot=C/F: the steps the turntable stage coasts past a move's destination at coarse
    // and at fine speed.
    int stageCoarseOvershoot = 67;
    int stageFineOvershoot = 1;
    std::vector<SimFault> faults;
    // focus=D (the lens fixed D native pixels of blur from best focus, 0 sharp) or
    // focus=sweep:D:S (from D pixels of blur through best focus after S seconds and back).
    SimFocus focus;
};

// Parses "model=6,link=scsi,speed=0,firmware=4.14,disk=DIR,samples=off,bigimage=10200x13600,
// fault=noreply:CS+drop:5" (every key optional, empty text = defaults) into `config`. False with
// a one-line reason on bad input.
bool ParseSimConfig(std::string_view keys, SimConfig& config, std::string& error);
// Parses one fault list "F+F+..." into `faults`.
bool ParseSimFaults(std::string_view text, std::vector<SimFault>& faults, std::string& error);
// Sets one key ("model", "link", "speed", "firmware", "serial", "revision", "disk", "samples",
// "bigimage", "fault", "focus", "overshoot"; a fault list is added to the faults already set).
// False with a one-line reason on bad input, leaving `config` as it was.
bool SetSimConfigKey(std::string_view key, std::string_view value, SimConfig& config,
                     std::string& error);

}  // namespace camsim
