#include "cli/CaptureCommand.h"

#include <unistd.h>

#include <charconv>
#include <cmath>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "acquire/CaptureCommandQueue.h"
#include "acquire/CaptureProgressEvents.h"
#include "acquire/CaptureSequence.h"
#include "acquire/PrescanSaver.h"
#include "acquire/PreviewImage.h"
#include "camera/QVExposure.h"
#include "cameradisk/DiskDirectory.h"
#include "cameradisk/RetrievalProgressEvents.h"
#include "cameradisk/ScanRetrieval.h"
#include "cli/CaptureProgressView.h"
#include "cli/CliApp.h"
#include "cli/CliReport.h"
#include "cli/CliUiPort.h"
#include "cli/EventScope.h"
#include "cli/GetProgressBar.h"
#include "cli/NextCaptureNotes.h"
#include "cli/OutputFileQuestion.h"
#include "cli/RetrievalTarget.h"
#include "context/AppContext.h"
#include "imaging/LevelSliders.h"
#include "output/ScanNaming.h"
#include "platform/TextConversion.h"
#include "settings/CurveFileImport.h"
#include "settings/InsertRotation.h"
#include "settings/QVCameraSetting.h"
#include "settings/QVSize.h"
#include "settings/SettingLists.h"
#include "settings/StoredSettingChoice.h"

namespace scanora::cli {
namespace {

std::optional<int> ParseInt(std::string_view text)
{
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// A finite decimal number: "nan" and "inf" are no percentages.
std::optional<double> ParseNumber(std::string_view text)
{
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<std::int32_t> InsertCode(std::string_view text)
{
    if (text == "left")
        return InsertRotation::kFromLeft;
    if (text == "top")
        return InsertRotation::kFromTop;
    if (text == "right")
        return InsertRotation::kFromRight;
    if (text == "bottom")
        return InsertRotation::kFromBottom;
    return std::nullopt;
}

// "W,H,X,Y" in percent of the full field.
std::optional<std::vector<double>> ParseCrop(std::string_view text)
{
    std::vector<double> values;
    while (true) {
        const std::size_t comma = text.find(',');
        const auto value = ParseNumber(text.substr(0, comma));
        if (!value || *value < 0.0 || *value > 100.0)
            return std::nullopt;
        values.push_back(*value);
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
    }
    if (values.size() != 4)
        return std::nullopt;
    return values;
}

const std::string* Find(const CliOptions& options, const std::string& key)
{
    const auto found = options.captureValues.find(key);
    return found == options.captureValues.end() ? nullptr : &found->second;
}

// Lets the command loop answer the capture's window commands.
class QueueSink {
public:
    QueueSink(CliUiPort& ui, CaptureCommandQueue& queue) : ui_(ui)
    {
        ui_.SetCommandSink([&queue](WindowCommand command) { queue.Post(command); });
    }
    ~QueueSink() { ui_.SetCommandSink({}); }
    QueueSink(const QueueSink&) = delete;
    QueueSink& operator=(const QueueSink&) = delete;

private:
    CliUiPort& ui_;
};

// What a prescan or a scan runs with: its progress on the terminal (with --json its events on
// top), the command loop that carries the capture's window commands, and the sequence, which
// carries the user notes set for the next captures.
struct CaptureRun {
    CaptureRun(AppContext& context, CliUiPort& ui, const EventScope& scope, std::FILE* err)
        : shown(err, isatty(fileno(err)) != 0),
          json(scope.Events() ? std::make_unique<CaptureProgressEvents>(*scope.Events(), shown)
                              : nullptr),
          sink(ui, queue),
          sequence(context.ForCapture(), image,
                   json ? static_cast<CaptureView&>(*json) : static_cast<CaptureView&>(shown),
                   &context.Stage())
    {
        sequence.SetUserText(NextCaptureNotes::ForUser().Load());
    }

    CaptureProgressView shown;
    std::unique_ptr<CaptureProgressEvents> json;
    PreviewImage image;
    CaptureCommandQueue queue;
    QueueSink sink;
    CaptureSequence sequence;
};

}  // namespace

CaptureCommand::CaptureCommand(const CliOptions& options, AppContext& context, CliUiPort& ui,
                               std::FILE* out, std::FILE* err,
                               const std::atomic<bool>& stopRequested)
    : options_(options),
      context_(context),
      ui_(ui),
      out_(out),
      err_(err),
      stopRequested_(stopRequested)
{
}

std::string CaptureCommand::CheckArguments(const CliOptions& options)
{
    const bool scan = options.command == "scan";
    if (!options.arguments.empty())
        return options.command + " takes no arguments";
    for (const auto& [key, value] : options.captureValues) {
        const bool scanOnly = key == "series" || key == "interval" || key == "retrieve";
        const bool prescanOnly = key == "fast" || key == "super" || key == "histogram";
        if ((scanOnly && !scan) || (prescanOnly && scan))
            return "--" + key + " does not apply to " + options.command;
    }
    if (!options.outputDir.empty() && scan)
        return "scan takes no -o (the image stays on the camera's disk; use --retrieve DIR)";
    if (!options.outputDir.empty() && !ScanNaming::HasTiffExtension(options.outputDir))
        return "the prescan file must end in .tif or .tiff";
    if (const std::string* v = Find(options, "insert"); v && !InsertCode(*v))
        return "--insert takes left, top, right or bottom";
    if (const std::string* v = Find(options, "crop"); v && !ParseCrop(*v))
        return "--crop takes W,H,X,Y in percent of the full field";
    for (const char* key : {"step", "line-time", "series", "interval"}) {
        if (const std::string* v = Find(options, key); v && !ParseInt(*v))
            return std::string("--") + key + " takes a whole number";
    }
    if (const std::string* v = Find(options, "series"); v && ParseInt(*v).value_or(0) < 1)
        return "--series takes a number of images of at least 1";
    if (const std::string* v = Find(options, "interval"); v && ParseInt(*v).value_or(0) < 1)
        return "--interval takes a number of seconds of at least 1";
    return {};
}

std::string CaptureCommand::SelectStoredSettings()
{
    SettingLists& lists = context_.Lists();
    for (const char* kind : {"size", "exposure", "curve", "histogram"}) {
        const std::string* name = Find(options_, kind);
        if (!name)
            continue;
        std::error_code error;
        if (std::string_view(kind) == "curve" && std::filesystem::exists(*name, error)) {
            if (!CurveFileImport::Load(*name, context_.Tools()).loadedHandles)
                return "cannot read the curve file " + *name;
            continue;
        }
        const SettingKind list = *StoredSettingChoice::KindNamed(kind);
        if (!StoredSettingChoice::Select(lists, context_.Tools(), list, *name))
            return StoredSettingChoice::UnknownName(lists, list, *name);
    }
    return {};
}

std::string CaptureCommand::ApplyOptions()
{
    // The stored settings first: the options below change what they set.
    if (std::string error = SelectStoredSettings(); !error.empty())
        return error;
    QVSize& size = context_.Size();
    CameraPreferences& prefs = context_.CameraSetting().Prefs();
    if (const std::string* v = Find(options_, "insert"))
        size.SetInsertRotation(*InsertCode(*v), false);
    if (const std::string* v = Find(options_, "step")) {
        const int step = *ParseInt(*v);
        const SensorGeometry& sensor = size.GetSensorGeometry();
        if (step < sensor.lowestStep || step > sensor.HighestStep())
            return "--step must lie between " + std::to_string(sensor.lowestStep) + " and " +
                   std::to_string(sensor.HighestStep()) + " for this camera";
        size.SetResolutionNumber(step);
    }
    if (const std::string* v = Find(options_, "crop")) {
        const std::vector<double> crop = *ParseCrop(*v);
        size.SetCropFromRectangle(crop[0], crop[1], crop[2], crop[3]);
        if (options_.command == "prescan")
            size.SetCropPrescan(true);
    }
    if (const std::string* v = Find(options_, "line-time")) {
        const int index = *ParseInt(*v);
        if (index < 0 || index > context_.Exposure().GetShortestIndex())
            return "--line-time takes an index from 0 (1/8 s) to " +
                   std::to_string(context_.Exposure().GetShortestIndex());
        context_.Exposure().SetLineTimeIndex(static_cast<std::int16_t>(index));
    }
    if (Find(options_, "fast"))
        prefs.fastPrescan = true;
    if (const std::string* v = Find(options_, "name"))
        prefs.scanName = *v;
    if (const std::string* v = Find(options_, "series")) {
        prefs.timeLapse = *ParseInt(*v) > 1;
        prefs.timeLapseImages = static_cast<std::int16_t>(*ParseInt(*v));
        const std::string* interval = Find(options_, "interval");
        prefs.timeLapseSeconds = static_cast<std::int16_t>(interval ? *ParseInt(*interval) : 10);
    }
    if (const std::string* v = Find(options_, "retrieve")) {
        // The scan brings its image home as TIFF, as the header's flags say.
        std::string error;
        retrieveTarget_ = RetrievalTarget::Resolve(
            *v, prefs.timeLapseImages <= 1 || !prefs.timeLapse, false, error);
        if (!retrieveTarget_)
            return "--retrieve: " + error;
        prefs.autoSaveScans = true;
        prefs.saveScansFolder = retrieveTarget_->Folder();
    }
    return {};
}

int CaptureCommand::Run()
{
    if (const std::string error = ApplyOptions(); !error.empty()) {
        std::fprintf(err_, "scanora-cli: %s\n", error.c_str());
        return kExitUsage;
    }
    return options_.command == "prescan" ? Prescan() : Scan();
}

int CaptureCommand::Prescan()
{
    // The file is settled before the prescan, not found unwritable after it.
    if (!options_.outputDir.empty() &&
        (!OutputFileQuestion::MayWrite(ui_, options_.outputDir, err_) ||
         !PrescanSaver(ui_).CheckCanCreate(options_.outputDir)))
        return kExitCameraFailure;
    const EventScope scope(options_.json, out_, ui_, "prescan");
    CaptureRun run(context_, ui_, scope, err_);
    CaptureSequence& sequence = run.sequence;
    const PreviewImage& image = run.image;

    PrescanChoice choice;
    if (Find(options_, "super")) {
        // The super prescan looks at the crop's corner at the current step.
        QVSize& size = context_.Size();
        const CameraWindow native = size.NativeWindow();
        choice.superPrescan = true;
        choice.superOriginPixel = native.firstPixel;
        choice.superOriginLine = native.firstLine;
    }
    if (Find(options_, "histogram")) {
        // The saved prescan carries the false colour of the chosen histogram setting.
        HistogramSetting histogram;
        context_.Tools().Capture(histogram);
        const auto table = LevelSliders(histogram.GetSliders()).FalseColorTable();
        sequence.SetPreviewMarks({{}, {table.begin(), table.end()}});
    }
    if (!sequence.Prescan(choice))
        return Failed("the prescan could not start");
    run.queue.RunUntilIdle(sequence, stopRequested_);
    run.shown.Finish();
    if (stopRequested_.load()) {
        std::fprintf(err_, "Prescan stopped.\n");
        return Stopped("the prescan was stopped");
    }
    if (!sequence.LastPrescanSucceeded())
        return Failed("the prescan failed");
    const bool save = !options_.outputDir.empty();
    if (save && !sequence.SavePreview(options_.outputDir))
        return Failed("the prescan could not be saved");
    if (options_.json) {
        JsonObject result;
        result.Integer("width", image.DisplayWidth()).Integer("height", image.DisplayHeight());
        if (save)
            result.Text("file", options_.outputDir);
        else
            result.Null("file");
        scope.Events()->Result(result);
        return kExitSuccess;
    }
    std::fprintf(out_, "Prescan: %d x %d pixels\n", image.DisplayWidth(), image.DisplayHeight());
    if (save)
        std::fprintf(out_, "Saved %s\n", options_.outputDir.c_str());
    return kExitSuccess;
}

int CaptureCommand::Scan()
{
    // The destination is settled before the scan, not found missing after it.
    if (retrieveTarget_) {
        if (const std::string error = retrieveTarget_->CreateFolder(); !error.empty()) {
            std::fprintf(err_, "scanora-cli: %s\n", error.c_str());
            return kExitCameraFailure;
        }
    }
    const int images = context_.CameraSetting().Prefs().timeLapse
                           ? context_.CameraSetting().Prefs().timeLapseImages
                           : 1;
    const std::string name = context_.CameraSetting().Prefs().scanName;
    const EventScope scope(
        options_.json, out_, ui_, "scan",
        JsonObject().Integer("images", images).Text("name", DiskDirectory::StoredName(name)));
    CaptureRun run(context_, ui_, scope, err_);
    CaptureSequence& sequence = run.sequence;

    // With automatic saving each new image comes home after its scan.
    GetProgressBar retrievalBar(err_, isatty(fileno(err_)) != 0);
    std::optional<RetrievalProgressEvents> retrievalEvents;
    if (scope.Events())
        retrievalEvents.emplace(*scope.Events(), retrievalBar);
    ScanRetrieval retrieval(context_.ForRetrieval());
    retrieval.SetProgress(retrievalEvents ? static_cast<RetrievalProgress*>(&*retrievalEvents)
                                          : &retrievalBar);
    if (retrieveTarget_)
        retrieval.SetFileName(retrieveTarget_->FileName());
    std::atomic<int> retrieved{0};
    std::vector<std::string> files;  // written by the retrieval's thread, read after the scan
    sequence.SetAfterScanRetrieval([&] {
        const RetrievalReport report = retrieval.Run(stopRequested_);
        retrieved += static_cast<int>(report.Count(RetrievalStatus::Written));
        for (const RetrievalItem& item : report.items) {
            if (item.status != RetrievalStatus::Written)
                continue;
            files.push_back(item.path.string());
            if (scope.Events())
                scope.Events()->Emit("file", JsonObject()
                                                 .Integer("slot", item.slot)
                                                 .Text("name", item.name)
                                                 .Text("path", item.path.string()));
            else
                std::fprintf(out_, "Retrieved %s\n", item.path.c_str());
        }
        return std::string();  // the lines above say what arrived
    });
    if (!sequence.Scan())
        return Failed("the scan could not start");
    run.queue.RunUntilIdle(sequence, stopRequested_);
    run.shown.Finish();
    if (stopRequested_.load()) {
        std::fprintf(err_, "Scan stopped.\n");
        return Stopped("the scan was stopped");
    }
    // The core has told the user what went wrong: a refused start, a camera that stopped
    // counting or answering, a missing closing reply.
    if (!sequence.ScansSucceeded())
        return Failed("the scan failed");
    const CameraWindow window = context_.Size().ScanWindow();
    const bool allRetrieved = !Find(options_, "retrieve") || retrieved >= images;
    if (options_.json) {
        std::string paths = "[";
        for (const std::string& file : files)
            paths += (paths.size() > 1 ? ", " : "") + CliReport::JsonString(file);
        JsonObject result;
        result.Integer("images", images)
            .Text("name", DiskDirectory::StoredName(name))
            .Integer("width", window.pixelsPerLine)
            .Integer("height", window.lines)
            .Raw("retrieved", paths + "]");
        if (!allRetrieved)
            result.Text("error", "not every image was retrieved");
        scope.Events()->Result(result);
        return allRetrieved ? kExitSuccess : kExitCameraFailure;
    }
    std::fprintf(out_, "Scanned %d image%s \"%s\": %d x %d pixels, on the camera's disk\n", images,
                 images == 1 ? "" : "s",
                 TextConversion::ForTerminal(DiskDirectory::StoredName(name)).c_str(),
                 window.pixelsPerLine, window.lines);
    return allRetrieved ? kExitSuccess : kExitCameraFailure;
}

int CaptureCommand::Failed(const std::string& fallback) const
{
    return options_.json ? CliApp::CameraFailed(out_, err_, true, ui_, fallback)
                         : kExitCameraFailure;
}

int CaptureCommand::Stopped(const std::string& why) const
{
    if (options_.json)
        std::fprintf(out_, "{\"error\": %s}\n", CliReport::JsonString(why).c_str());
    return kExitStopped;
}

}  // namespace scanora::cli
