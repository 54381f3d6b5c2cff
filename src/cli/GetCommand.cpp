#include "cli/GetCommand.h"

#include <unistd.h>

#include <charconv>
#include <memory>
#include <optional>
#include <string>

#include "cameradisk/DiskDirectory.h"
#include "cameradisk/Retrieval.h"
#include "cameradisk/RetrievalFolderChooser.h"
#include "cameradisk/RetrievalProgressEvents.h"
#include "cameradisk/RetrievalReportJson.h"
#include "cli/CliApp.h"
#include "cli/DiskSlotArguments.h"
#include "cli/EventScope.h"
#include "cli/GetProgressBar.h"
#include "cli/RetrievalTarget.h"
#include "context/AppContext.h"
#include "settings/QVCameraSetting.h"

namespace scanora::cli {

namespace {

std::optional<int> ParseSlot(const std::string& text)
{
    int slot = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), slot);
    if (error != std::errc() || end != text.data() + text.size() || slot < 1 || slot > 256)
        return std::nullopt;
    return slot;
}

}  // namespace

GetCommand::GetCommand(const CliOptions& options, AppContext& context, CliUiPort& ui,
                       std::FILE* out, std::FILE* err, const std::atomic<bool>& stopRequested)
    : options_(options),
      context_(context),
      ui_(ui),
      out_(out),
      err_(err),
      stopRequested_(stopRequested)
{
}

std::string GetCommand::CheckArguments(const CliOptions& options)
{
    if (options.arguments.empty())
        return "get needs the slot of at least one image, e.g. scanora-cli get 1";
    for (const std::string& argument : options.arguments) {
        if (!ParseSlot(argument))
            return "'" + argument + "' is not a directory slot (1..256)";
    }
    if (!options.retrieveMode.empty() && !RetrievalFormat::ParseMode(options.retrieveMode))
        return "--mode takes none, scan, tone or dng";
    if (!options.retrieveDepth.empty() && options.retrieveDepth != "8" &&
        options.retrieveDepth != "16")
        return "--depth takes 8 or 16";
    return {};
}

int GetCommand::Run()
{
    const RetrievalMode mode = options_.retrieveMode.empty()
                                   ? RetrievalMode::SavedWithScan
                                   : *RetrievalFormat::ParseMode(options_.retrieveMode);
    std::optional<RetrievalTarget> target;
    if (!options_.outputDir.empty()) {
        std::string error;
        target = RetrievalTarget::Resolve(options_.outputDir, options_.arguments.size() == 1,
                                          mode == RetrievalMode::Dng, error);
        if (!target) {
            std::fprintf(err_, "scanora-cli: %s\n", error.c_str());
            return kExitUsage;
        }
    }
    QVCamera& camera = context_.Camera();
    // "DNGColor" lives beside the preferences file.
    RetrievalSettings settings =
        RetrievalSettings::From(context_.ForRetrieval(), context_.PreferencesPath().parent_path());
    settings.ChooseForScript(mode,
                             options_.retrieveDepth.empty() ? 0 : std::stoi(options_.retrieveDepth),
                             context_.CameraSetting().Prefs().use16BitCurve);

    const std::vector<DiskEntry> directory = DiskDirectory(camera).Read();
    std::vector<DiskEntry> wanted;
    for (const std::string& argument : options_.arguments) {
        const int slot = *ParseSlot(argument);
        if (slot > static_cast<int>(directory.size()) ||
            directory[static_cast<std::size_t>(slot - 1)].IsFree()) {
            std::fprintf(err_, "scanora-cli: slot %d holds no image\n", slot);
            return kExitCameraFailure;
        }
        const DiskEntry& entry = directory[static_cast<std::size_t>(slot - 1)];
        if (entry.unread) {
            std::fprintf(err_, "scanora-cli: %s\n", DiskSelection::UnreadError(entry.slot).c_str());
            return kExitCameraFailure;
        }
        wanted.push_back(entry);
    }

    std::unique_ptr<RetrievalFolderChooser> chooser;
    if (target) {
        // The folder is made once the images are known to be there.
        if (const std::string error = target->CreateFolder(); !error.empty()) {
            std::fprintf(err_, "scanora-cli: %s\n", error.c_str());
            return kExitCameraFailure;
        }
        settings.autoSave = false;
        chooser = std::make_unique<RetrievalFolderChooser>(target->Folder(), context_.Ui(),
                                                           target->FileName());
    } else if (!settings.autoSave || settings.saveScansFolder.empty()) {
        chooser = std::make_unique<RetrievalFolderChooser>(".", context_.Ui());
    }
    std::string slots = "[";
    for (const DiskEntry& entry : wanted)
        slots += (slots.size() > 1 ? ", " : "") + std::to_string(entry.slot);
    const EventScope scope(options_.json, out_, ui_, "get", JsonObject().Raw("slots", slots + "]"));
    GetProgressBar progress(err_, isatty(fileno(err_)) != 0);
    std::optional<RetrievalProgressEvents> events;
    if (scope.Events())
        events.emplace(*scope.Events(), progress);
    Retrieval retrieval(camera, context_.Ui());
    retrieval.SetProgress(events ? static_cast<RetrievalProgress*>(&*events) : &progress);
    retrieval.SetPathChooser(chooser.get());
    const RetrievalReport report = retrieval.RetrieveEntries(wanted, settings, stopRequested_);
    PrintReport(report);

    if (stopRequested_.load())
        return kExitStopped;
    if (report.cancelled || report.Count(RetrievalStatus::Written) != wanted.size())
        return kExitCameraFailure;
    return kExitSuccess;
}

void GetCommand::PrintReport(const RetrievalReport& report) const
{
    if (options_.json) {
        std::fprintf(out_, "%s\n", RetrievalReportJson::Of(report).Line().c_str());
        return;
    }
    for (const RetrievalItem& item : report.items) {
        if (item.status == RetrievalStatus::Written)
            std::fprintf(out_, "%s\n", item.path.string().c_str());
    }
    if (report.cancelled)
        std::fprintf(err_, "Retrieval cancelled.\n");
}

}  // namespace scanora::cli
