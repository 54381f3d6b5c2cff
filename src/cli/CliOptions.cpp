#include "cli/CliOptions.h"

namespace scanora::cli {

std::string CliUsage()
{
    return R"(Usage: scanora-cli [options] COMMAND [arguments]

Works the Qorvane camera back from a terminal.

Options:
  --camera SPEC   the camera link (default: $SCANORA_CAMERA, else auto):
                    auto                 SCSI first, then USB
                    usb[:VID:PID]        the USB camera (or the device VID:PID)
                    scsi[:/dev/sgN]      the SCSI camera (or that device)
                    sim[:key=value,...]  the simulated camera; keys model=1..7,
                                         link=usb|scsi, speed=F, firmware=4.14,
                                         disk=DIR, fault=F+F...,
                                         focus=D|sweep:D:S
                    socket:PATH          a scanora-camsim listening on PATH
                    tcp:127.0.0.1:PORT   a scanora-camsim listening on PORT
  --trace FILE    write every command, reply and data transfer to FILE
  --prefs FILE    the preferences file to use (default:
                  $XDG_CONFIG_HOME/Scanora/Scanora Prefs, else
                  ~/.config/Scanora/Scanora Prefs)
  --no-prefs      do not read the preferences file: start from the defaults
  --reset-prefs   first replace the preferences file with the built-in one
  --attach        send status, prescan, scan, abort, ls (with --json), get or
                  prefs select to the running desktop program over the session
                  bus instead of opening the camera
  --json          print results as JSON; prescan, scan, get, focus and stage
                  moves print their events first, one JSON object per line
  --yes           answer yes to every question
  --verbose       write the log to standard error as well (SCANORA_LOG=error,
                  warning, info or debug chooses how much without it); the log
                  file is $XDG_STATE_HOME/Scanora/scanora-cli.log, else
                  ~/.local/state/Scanora/scanora-cli.log
  --help          show this text

Commands:
  info            identify the camera: model, firmware, serial number, sensor
  status          the camera's status words, supply voltage and free disk space
  send TEXT       send one raw command (a carriage return is added) and print
                  the camera's reply
  get SLOT... [-o PATH] [--mode none|scan|tone|dng] [--depth 8|16]
                  retrieve images from the camera's disk as TIFF (DNG with
                  --mode dng) files into the folder PATH, made when missing
                  (default: the scans folder when automatic saving is on,
                  else the current folder); for one slot a PATH that is no
                  folder and does not end in "/" names the file
  prescan [-o FILE.tif] [--insert left|top|right|bottom] [--crop W,H,X,Y]
          [--line-time N] [--curve NAME|FILE.cur] [--fast] [--super]
          [--step N] [--size NAME] [--exposure NAME] [--histogram NAME]
                  a prescan into the 16-bit preview, saved as a TIFF with -o
                  (--crop prescans only the crop, in percent of the field;
                  --super reads the crop's corner at the size step --step)
  scan [--step N] [--crop W,H,X,Y] [--insert ...] [--line-time N]
       [--curve NAME|FILE.cur] [--size NAME] [--exposure NAME]
       [--name NAME] [--series N --interval S] [--retrieve PATH]
                  a full-resolution scan onto the camera's disk; --series
                  takes N images S seconds apart (time lapse); --retrieve
                  brings each new image home into PATH, as get -o does
                  --size, --exposure, --curve and --histogram choose a
                  stored setting by its name in "prefs show" (a --curve
                  that names an existing file loads that curve file);
                  --step, --crop, --insert and --line-time then change it
  focus [--column N] [--line N] [--zoom 0-3] [--channels rgb]
        [--readings N] [--seconds S] [--pause MS]
                  the focus aid: parks the carriage at the preview line
                  (default the middle), reads 100 pixels of it at the column
                  (default the middle of the sensor) again and again and
                  prints each reading's sharpness per channel with the best
                  so far; turn the lens until the numbers peak. Ends after N
                  readings or S seconds, or at Ctrl+C; the carriage is then
                  centred. --zoom 0 reads the widest window, 3 the finest
  ls [--sort slot|name|size|time|date|notes] [--reverse]
                  the images and free space on the camera's disk, with the
                  free space in all; * marks the newest image
  rm SLOT... [--yes]
                  delete images from the camera's disk by their slot numbers
                  (asks first; without a terminal --yes is needed)
  notes --next [TEXT]
                  the notes of the next capture: the capture notes the
                  settings give, and the user notes every following prescan
                  and scan carries; TEXT replaces those ("" clears them)
  notes SLOT [--set TEXT]
                  an image's capture notes and user notes; --set replaces
                  the user notes on the camera
  export-notes SLOT... -o FILE
                  write the notes of images to a text file
  init-disk [--yes]
                  erase every image on the camera's disk (asks first; without
                  a terminal --yes is needed)
  clean [--done]  move the sensor carriage to the cleaning position; with
                  --done, once the sensor is clean, back to the centre and home
  diag [version]  the camera's firmware version as the diagnostics window
                  shows it
  diag position 7552|6144|4096|home
                  move the sensor carriage to a test position, or home
  diag send TEXT  as send
  stage move POS  turn the stage to motor position POS (0-65535)
  stage jog min|max --fine|--coarse
                  run the stage towards one end of its travel until it is
                  there or Ctrl+C stops it (then the status is 0)
  stage calibrate measure how far the stage coasts past a coarse and a fine
                  move: "Calibration: COARSE, FINE"
  stage position  where the stage is, and whether it is turning
  stage home      turn the stage to its centre position
  prefs show      the setting lists with their current entries, and the
                  preferences key by key (no camera needed)
  prefs reset     replace the preferences file with the built-in one
  prefs select size|exposure|curve|histogram NAME
                  make a stored setting the current one in the preferences
                  file
  prefs get KEY   one preference's value as the file keeps it
  prefs set KEY VALUE
                  change one preference in the file; the preferences
                  dialog's number fields keep their ranges and messages
  prefs check FILE
                  read a preferences file and report what it holds: entries
                  per list, current entries, sections that can not be read

Exit status: 0 success, 1 the camera failed (prefs: the file could not be
read or written, or has sections that can not be read), 2 usage error.
Ctrl+C asks the running operation to stop; a second Ctrl+C exits at once.
)";
}

bool ParseCliOptions(const std::vector<std::string>& argv, const char* cameraEnvironment,
                     CliOptions& options, std::string& error)
{
    options = {};
    if (cameraEnvironment && *cameraEnvironment)
        options.cameraSpec = cameraEnvironment;
    else
        options.cameraSpec = "auto";

    bool onlyArguments = false;
    for (std::size_t i = 1; i < argv.size(); ++i) {
        const std::string& arg = argv[i];
        auto value = [&](const char* name) -> const std::string* {
            if (i + 1 >= argv.size()) {
                error = std::string(name) + " needs a value";
                return nullptr;
            }
            return &argv[++i];
        };
        const bool isOption = !onlyArguments && arg.size() > 1 && arg[0] == '-';
        if (!isOption) {
            (options.command.empty() ? options.command : options.arguments.emplace_back()) = arg;
        } else if (arg == "--") {
            onlyArguments = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == "--yes" || arg == "-y") {
            options.yes = true;
        } else if (arg == "--verbose" || arg == "-v") {
            options.verbose = true;
        } else if (arg == "--no-prefs") {
            options.noPrefs = true;
        } else if (arg == "--attach") {
            options.attach = true;
        } else if (arg == "--reset-prefs") {
            options.resetPrefs = true;
        } else if (arg == "--camera" || arg == "--trace" || arg == "--prefs") {
            const std::string* text = value(arg.c_str());
            if (!text)
                return false;
            (arg == "--camera"  ? options.cameraSpec
             : arg == "--trace" ? options.traceFile
                                : options.prefsFile) = *text;
        } else if (arg == "-o" || arg == "--output" || arg == "--mode" || arg == "--depth") {
            const std::string* text = value(arg.c_str());
            if (!text)
                return false;
            (arg == "--mode"    ? options.retrieveMode
             : arg == "--depth" ? options.retrieveDepth
                                : options.outputDir) = *text;
        } else if (arg == "--fast" || arg == "--super") {
            options.captureValues[arg.substr(2)];
        } else if (arg == "--step" || arg == "--crop" || arg == "--insert" ||
                   arg == "--line-time" || arg == "--curve" || arg == "--series" ||
                   arg == "--interval" || arg == "--name" || arg == "--retrieve" ||
                   arg == "--size" || arg == "--exposure" || arg == "--histogram") {
            const std::string* text = value(arg.c_str());
            if (!text)
                return false;
            options.captureValues[arg.substr(2)] = *text;
        } else if (arg == "--column" || arg == "--line" || arg == "--zoom" || arg == "--channels" ||
                   arg == "--readings" || arg == "--seconds" || arg == "--pause") {
            const std::string* text = value(arg.c_str());
            if (!text)
                return false;
            options.focusValues[arg.substr(2)] = *text;
        } else if (arg == "--fine" || arg == "--coarse") {
            const std::string speed = arg.substr(2);
            if (!options.stageSpeed.empty() && options.stageSpeed != speed) {
                error = "--fine and --coarse exclude each other";
                return false;
            }
            options.stageSpeed = speed;
        } else if (arg == "--reverse") {
            options.reverse = true;
        } else if (arg == "--done") {
            options.done = true;
        } else if (arg == "--next") {
            options.next = true;
        } else if (arg == "--sort" || arg == "--set") {
            const std::string* text = value(arg.c_str());
            if (!text)
                return false;
            if (arg == "--sort")
                options.sortColumn = *text;
            else
                options.userNotes = *text;
        } else if (arg.starts_with("--camera=")) {
            options.cameraSpec = arg.substr(9);
        } else if (arg.starts_with("--trace=")) {
            options.traceFile = arg.substr(8);
        } else if (arg.starts_with("--prefs=")) {
            options.prefsFile = arg.substr(8);
        } else {
            error = "unknown option " + arg;
            return false;
        }
    }
    if (options.command.empty() && !options.help) {
        error = "no command given";
        return false;
    }
    return true;
}

}  // namespace scanora::cli
