#include "cli/CliApp.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "camera/QVCamera.h"
#include "cli/AttachCommand.h"
#include "cli/CaptureCommand.h"
#include "cli/CleanCommand.h"
#include "cli/DiagCommand.h"
#include "cli/DiskCommands.h"
#include "cli/FocusCommand.h"
#include "cli/GetCommand.h"
#include "cli/PrefsCommand.h"
#include "cli/StageCommand.h"
#include "context/AppContext.h"
#include "platform/UserFolders.h"

namespace scanora::cli {

namespace {

std::string Format(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string Hex4(unsigned value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", value);
    return text;
}

}  // namespace

CliApp::CliApp(CliOptions options, std::FILE* out, std::FILE* err, bool interactive,
               const std::atomic<bool>& stopRequested)
    : options_(std::move(options)),
      out_(out),
      err_(err),
      stopRequested_(stopRequested),
      interactive_(interactive),
      logger_(Logger::OptionsFor("scanora-cli", options_.verbose, std::getenv("SCANORA_LOG"),
                                 UserFolders())),
      ui_(err, options_.yes, interactive)
{
    ui_.SetLogger(&logger_);
}

CliApp::~CliApp() = default;

int CliApp::Usage(const std::string& error)
{
    std::fprintf(err_, "scanora-cli: %s\nTry 'scanora-cli --help'.\n", error.c_str());
    return kExitUsage;
}

int CliApp::Failure(std::FILE* out, std::FILE* err, bool json, const std::string& message)
{
    std::fprintf(err, "scanora-cli: %s\n", message.c_str());
    if (json)
        std::fprintf(out, "{\"error\": %s}\n", CliReport::JsonString(message).c_str());
    return kExitCameraFailure;
}

int CliApp::FileFailed(const std::string& message) const
{
    return Failure(out_, err_, options_.json, message);
}

int CliApp::CameraFailed(std::FILE* out, std::FILE* err, bool json, const CliUiPort& ui,
                         const std::string& fallback)
{
    const std::string message = ui.MessageShown() ? ui.LastMessage() : fallback;
    if (!ui.MessageShown())
        std::fprintf(err, "%s\n", message.c_str());
    if (json)
        std::fprintf(out, "{\"error\": %s}\n", CliReport::JsonString(message).c_str());
    return kExitCameraFailure;
}

int CliApp::Failed(const std::string& fallback)
{
    return CameraFailed(out_, err_, options_.json, ui_, fallback);
}

void CliApp::Print(const CliReport& report) const
{
    if (options_.json)
        report.PrintJson(out_);
    else
        report.PrintText(out_);
}

int CliApp::Run()
{
    logger_.Write(LogLevel::Info, LogCategory::Cli, "scanora-cli " + CommandLine());
    const int status = CheckOutput(RunCommand());
    if (status == kExitCameraFailure) {
        // What failed and why is in the log: say where it is.
        logger_.Write(LogLevel::Error, LogCategory::Cli,
                      "scanora-cli " + options_.command + " failed (exit status 1)");
        if (!logger_.File().empty())
            std::fprintf(err_, "scanora-cli: the log is in %s\n", logger_.File().c_str());
    }
    return status;
}

std::string CliApp::CommandLine() const
{
    std::string line = options_.command;
    for (const std::string& argument : options_.arguments) line += " " + argument;
    return line;
}

int CliApp::CheckOutput(int status)
{
    // The trace first: its failure is the one the user can still act on.
    const std::string traceError = trace_ ? trace_->Error() : std::string();
    errno = 0;
    const bool outputLost = std::fflush(out_) != 0 || std::ferror(out_) != 0;
    const int outputErrno = errno;
    if (!traceError.empty()) {
        std::fprintf(err_, "scanora-cli: %s\n", traceError.c_str());
        status = status == kExitSuccess ? kExitCameraFailure : status;
    }
    if (outputLost) {
        std::fprintf(err_, "scanora-cli: cannot write the output: %s\n",
                     std::strerror(outputErrno ? outputErrno : EIO));
        status = status == kExitSuccess ? kExitCameraFailure : status;
    }
    return status;
}

int CliApp::RunCommand()
{
    if (options_.help) {
        std::fputs(CliUsage().c_str(), out_);
        return kExitSuccess;
    }
    if (options_.attach) {
        if (const std::string usage = AttachCommand::CheckArguments(options_); !usage.empty())
            return Usage(usage);
        return AttachCommand(options_, out_, err_, stopRequested_).Run();
    }
    if (options_.command == "prefs")
        return Prefs();
    const bool disk = DiskCommands::Handles(options_.command);
    if (disk) {
        if (const std::string usage = DiskCommands::CheckArguments(options_, interactive_);
            !usage.empty())
            return Usage(usage);
    }
    const bool clean = options_.command == "clean";
    const bool diag = options_.command == "diag";
    const bool stage = options_.command == "stage";
    if (!disk && !clean && !diag && !stage && options_.command != "info" &&
        options_.command != "status" && options_.command != "send" && options_.command != "get" &&
        options_.command != "prescan" && options_.command != "scan" && options_.command != "focus")
        return Usage("unknown command '" + options_.command + "'");
    if (options_.done && !clean)
        return Usage("--done goes with clean");
    if (const std::string usage = clean   ? CleanCommand::CheckArguments(options_)
                                  : diag  ? DiagCommand::CheckArguments(options_)
                                  : stage ? StageCommand::CheckArguments(options_)
                                          : std::string();
        !usage.empty())
        return Usage(usage);
    if (options_.command == "focus") {
        if (const std::string usage = FocusCommand::CheckArguments(options_); !usage.empty())
            return Usage(usage);
    }
    const bool capture = options_.command == "prescan" || options_.command == "scan";
    if (capture) {
        if (const std::string usage = CaptureCommand::CheckArguments(options_); !usage.empty())
            return Usage(usage);
    }
    if (options_.command == "get") {
        if (const std::string usage = GetCommand::CheckArguments(options_); !usage.empty())
            return Usage(usage);
    }
    if (options_.command == "send" && options_.arguments.empty())
        return Usage("send needs the command text, e.g. scanora-cli send CS");
    if (!disk && !diag && !stage && options_.command != "send" && options_.command != "get" &&
        options_.command != "focus" && !options_.arguments.empty())
        return Usage(options_.command + " takes no arguments");

    std::string error;
    if (!options_.traceFile.empty()) {
        trace_ = TraceFile::Create(options_.traceFile, error);
        if (!trace_)
            return Usage(error);
    }
    CameraOptions cameraOptions;
    cameraOptions.trace = trace_.get();
    context_ = AppContext::Create(options_.cameraSpec, ui_, error, cameraOptions);
    if (!context_)
        return Usage(error);
    // The start-up step of every session. A file that is there but cannot be used stops the
    // command rather than let it run on settings the user did not choose.
    const SettingsFileReport prefs =
        context_->LoadPreferences({options_.prefsFile, options_.noPrefs, options_.resetPrefs});
    if (!prefs.fileError.empty())
        return FileFailed(prefs.fileError);
    if (Stopped())
        return kExitStopped;

    const QVCamera& camera = context_->Camera();
    if (!camera.IsConnected()) {
        const std::string& why = camera.OpenError().message;
        return Failed(why.empty() ? "No camera found." : why);
    }
    // A camera that did not tell its model is not known well enough to work with; a raw
    // command still goes to it, for diagnosis.
    if (camera.GetModelCode() == 0 && options_.command != "send")
        return Failed("The camera did not report its model.");
    ui_.Forget();
    // Every session starts the stage as the desktop program does; a raw command goes to the
    // camera as it finds it.
    if (options_.command != "send" && !context_->StartStage())
        return Failed("The stage could not be set up.");
    if (options_.command == "info")
        return Info();
    if (options_.command == "status")
        return Status();
    if (capture)
        return CaptureCommand(options_, *context_, ui_, out_, err_, stopRequested_).Run();
    if (disk)
        return DiskCommands::Run(options_, *context_, out_, err_);
    if (stage)
        return StageCommand(options_, *context_, ui_, out_, err_, stopRequested_).Run();
    if (options_.command == "get")
        return GetCommand(options_, *context_, ui_, out_, err_, stopRequested_).Run();
    if (clean)
        return CleanCommand(options_, *context_, ui_, out_, err_).Run();
    if (diag)
        return DiagCommand(options_, *context_, ui_, out_, err_).Run();
    if (options_.command == "focus")
        return FocusCommand(options_, *context_, ui_, out_, err_, stopRequested_).Run();
    return Send();
}

int CliApp::Prefs()
{
    if (const std::string error = PrefsCommand::CheckArguments(options_); !error.empty())
        return Usage(error);
    // The preferences file is the same whatever camera is attached: no camera is opened, so
    // nothing is identified and no camera message can come up.
    context_ = std::make_unique<AppContext>(CameraConnection(), ui_);
    return PrefsCommand(options_, *context_, out_, err_).Run();
}

int CliApp::Info()
{
    QVCamera& camera = context_->Camera();
    const double firmware = camera.GetFirmwareVersion();
    if (camera.Errors().HasError())
        return Failed("The camera did not report its firmware version.");
    if (Stopped())
        return kExitStopped;
    const std::uint16_t serial = camera.GetSerialNumber();
    if (camera.Errors().HasError())
        return Failed("The camera did not report its serial number.");

    CliReport report;
    report.AddInteger("modelCode", "Model code", camera.GetModelCode());
    report.AddText("modelName", "Model", camera.GetModelName());
    report.AddNumber("firmware", "Firmware", firmware, Format("%.2f", firmware));
    report.AddBool("newFirmware", "New firmware", camera.HasNewFirmware());
    report.AddInteger("serialNumber", "Serial number", serial, Hex4(serial).substr(2));
    report.AddInteger("sensorWidth", "Sensor width", camera.GetSensorWidth(),
                      std::to_string(camera.GetSensorWidth()) + " pixels");
    report.AddInteger("lines", "Lines", camera.GetMaxLines());
    report.AddNumber("pixelPitchMicrons", "Pixel pitch", camera.GetPixelPitch() / 100.0,
                     Format("%.2f µm", camera.GetPixelPitch() / 100.0));
    report.AddInteger("minSizeStep", "Smallest size step", camera.GetMinSizeStep());
    report.AddInteger("maxSizeStep", "Largest size step", camera.GetMaxSizeStep());
    report.AddInteger("maxLineTimeIndex", "Shortest line-time index", camera.GetMaxLineTimeIndex());
    report.AddText("link", "Link",
                   camera.GetTransportKind() == TransportKind::Usb ? "USB" : "SCSI");
    Print(report);
    return kExitSuccess;
}

int CliApp::Status()
{
    QVCamera& camera = context_->Camera();
    const int result = camera.QueryStatus();
    if (result != 0) {
        return Failed(result == -2 ? "The camera sent an empty status."
                                   : "The camera did not report its status.");
    }
    const double volts = camera.FilterVoltage();
    const unsigned flags = camera.GetStatusWord(0);

    CliReport report;
    report.AddInteger("flags", "Flags", flags,
                      Hex4(flags) + (camera.GetStatusBit4() ? " (motor moving)" : " (idle)"));
    report.AddBool("motorMoving", "Motor moving", camera.GetStatusBit4());
    report.AddInteger("linesScanned", "Lines scanned", camera.GetStatusWord1());
    report.AddInteger("motorPosition", "Motor position", camera.GetStatusWord(2));
    report.AddInteger("rawVoltage", "Supply voltage (raw)", camera.GetStatusWord(3),
                      Hex4(camera.GetStatusWord(3)));
    report.AddNumber("voltage", "Supply voltage", volts, Format("%.2f V", volts));
    report.AddInteger("diskFreeMB", "Disk free", camera.GetDiskFreeMB(),
                      std::to_string(camera.GetDiskFreeMB()) + " MB");
    Print(report);
    return kExitSuccess;
}

int CliApp::Send()
{
    return DiagCommand(options_, *context_, ui_, out_, err_).Send(options_.arguments);
}

}  // namespace scanora::cli
