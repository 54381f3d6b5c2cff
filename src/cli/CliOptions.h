#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace scanora::cli {

// What the command line asked for.
struct CliOptions {
    std::string cameraSpec;   // --camera, else SCANORA_CAMERA, else "auto"
    std::string traceFile;    // --trace
    bool json = false;        // --json
    bool help = false;        // --help
    bool yes = false;         // --yes: answer questions with yes
    bool verbose = false;     // --verbose: the log on standard error as well
    std::string prefsFile;    // --prefs: the preferences file instead of the default one
    bool noPrefs = false;     // --no-prefs: start from the defaults, do not read the file
    bool attach = false;      // --attach: the command goes to the running desktop program
    bool resetPrefs = false;  // --reset-prefs: rewrite the file from the built-in text first
    // prescan/scan: --step, --crop, --insert, --line-time, --curve, --size, --exposure,
    // --histogram, --series, --interval, --name, --retrieve with their values; --fast and
    // --super with an empty value.
    std::map<std::string, std::string> captureValues;
    std::string command;  // info, status, send, ...
    std::vector<std::string> arguments;

    // get: the folder retrieved files go to (-o, --output), --mode and --depth.
    std::string outputDir;
    std::string retrieveMode;   // none, scan, tone or dng
    std::string retrieveDepth;  // 8 or 16

    // ls: --sort COLUMN and --reverse. notes: --set TEXT, the new user notes; --next, the notes
    // of the next capture instead of an image's. (export-notes writes the file that -o names.)
    std::string sortColumn;
    bool reverse = false;
    std::optional<std::string> userNotes;
    bool next = false;

    // clean: --done, the sensor is clean and the carriage goes back.
    bool done = false;
    // focus: --column, --line, --zoom, --channels, --readings, --seconds, --pause.
    std::map<std::string, std::string> focusValues;
    // stage jog: "fine" (--fine) or "coarse" (--coarse).
    std::string stageSpeed;
};

// Parses argv. False, with `error` set to a one-line reason, on a usage error.
bool ParseCliOptions(const std::vector<std::string>& argv, const char* cameraEnvironment,
                     CliOptions& options, std::string& error);

// The text of --help.
std::string CliUsage();

}  // namespace scanora::cli
