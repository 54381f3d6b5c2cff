#include "ui/BusDiskCalls.h"

#include <QPointer>

#include <system_error>
#include <utility>

#include "camera/QVCamera.h"
#include "cameradisk/DiskDirectory.h"
#include "cameradisk/DiskListing.h"
#include "cameradisk/DiskListingJson.h"
#include "cameradisk/DiskSelection.h"
#include "cameradisk/Retrieval.h"
#include "cameradisk/RetrievalFolderChooser.h"
#include "cameradisk/RetrievalProgressEvents.h"
#include "cameradisk/RetrievalReportJson.h"
#include "cameradisk/RetrievalSettings.h"
#include "context/AppContext.h"
#include "settings/QVCameraSetting.h"
#include "ui/FileManagerHost.h"
#include "ui/MainMenus.h"
#include "ui/PreviewDocument.h"
#include "ui/QVMainFrame.h"
#include "ui/QtUiPort.h"
#include "ui/RetrievalProgressOnStatusPane.h"

namespace scanora::ui {

namespace {

constexpr const char* kNotListed = "the camera disk could not be listed";

JsonObject Error(const std::string& message)
{
    return std::move(JsonObject().Text("error", message));
}

}  // namespace

BusDiskCalls::BusDiskCalls(AppContext& app, QVMainFrame& frame, QtUiPort& ui,
                           JsonEvents::LineSink lines)
    : app_(app), frame_(frame), ui_(ui), events_(std::make_shared<JsonEvents>(lines, "get"))
{
}

BusDiskCalls::~BusDiskCalls()
{
    // A job still running reports to nobody.
    events_->SetSink({});
}

FileManagerHost& BusDiskCalls::Host() const
{
    return frame_.Menus().FileManager();
}

bool BusDiskCalls::DiskInUse() const
{
    return Host().ScriptJobBusy() || Host().Window() != nullptr;
}

void BusDiskCalls::Cancel()
{
    if (Host().ScriptJobBusy())
        Host().CancelScriptJob();
}

std::string BusDiskCalls::CheckSlots(const std::vector<std::uint32_t>& slots)
{
    if (slots.empty())
        return "Retrieve needs the slot of at least one image";
    for (const std::uint32_t slot : slots) {
        if (slot < 1 || slot > 256)
            return std::to_string(slot) + " is not a slot number (1 to 256, as List gives them)";
    }
    return {};
}

std::string BusDiskCalls::List(Answer answer)
{
    QVCamera& camera = app_.Camera();
    auto listing = std::make_shared<std::string>();
    auto failed = std::make_shared<bool>(false);
    return Host().StartScriptJob(
        [&camera, listing, failed, answer = std::move(answer),
         alive = std::weak_ptr<const bool>(alive_)]() -> DiskJobRunner::Continuation {
            std::vector<DiskEntry> entries = DiskDirectory(camera).Read();
            // The camera's own message has been shown.
            if (entries.empty() && camera.Errors().HasError()) {
                *failed = true;
                *listing = kNotListed;
            } else {
                const std::size_t unread = DiskDirectory::UnreadCount(entries);
                DiskListing sorted(std::move(entries), camera.IsOrbiscan());
                sorted.Sort(DiskColumn::Slot, true);
                *listing = DiskListingJson::Line(sorted, unread);
            }
            return [listing, failed, answer, alive] {
                if (!alive.expired())
                    answer(!*failed, *listing);
            };
        });
}

std::string BusDiskCalls::Retrieve(std::vector<std::uint16_t> slots, std::filesystem::path folder,
                                   RetrievalMode mode)
{
    RetrievalSettings settings =
        RetrievalSettings::From(app_.ForRetrieval(), app_.PreferencesPath().parent_path());
    settings.ChooseForScript(mode, 0, app_.CameraSetting().Prefs().use16BitCurve);
    if (folder.empty()) {
        if (!settings.autoSave || settings.saveScansFolder.empty())
            return "no folder given, and automatic saving has no folder to put the images in";
        folder = settings.saveScansFolder;
    }
    settings.autoSave = false;

    FileManagerHost& host = Host();
    const std::string refused = host.StartScriptJob(
        [&camera = app_.Camera(), &ui = ui_, &gui = host.Gui(), &cancel = host.ScriptCancel(),
         pane = QPointer<QLabel>(&frame_.StatusPane(1)), events = events_, slots = std::move(slots),
         folder = std::move(folder), settings = std::move(settings),
         capture = &frame_.Document().CaptureEvents(),
         alive = std::weak_ptr<const bool>(alive_)]() -> DiskJobRunner::Continuation {
            // The retrieval's messages are its events meanwhile; the captures' come back after
            // it, unless the bus service has gone.
            ui.Events().Attach(events.get());
            const auto finish = [&](const JsonObject& result) -> DiskJobRunner::Continuation {
                ui.Events().Detach(events.get());
                return [events, result, capture, uiPort = &ui, alive] {
                    if (alive.expired())
                        return;
                    uiPort->Events().Attach(capture);
                    events->Result(result);
                };
            };
            std::string slotList = "[";
            for (const std::uint16_t slot : slots)
                slotList += (slotList.size() > 1 ? ", " : "") + std::to_string(slot);
            events->Emit("start", JsonObject().Raw("slots", slotList + "]"));
            const std::vector<DiskEntry> directory = DiskDirectory(camera).Read();
            if (directory.empty() && camera.Errors().HasError())
                return finish(Error(kNotListed));
            const DiskSelection selection = DiskSelection::Of(directory, slots);
            if (!selection.Ok())
                return finish(Error(selection.error));
            std::error_code error;
            std::filesystem::create_directories(folder, error);
            if (error)
                return finish(
                    Error("cannot make the folder " + folder.string() + ": " + error.message()));

            RetrievalFolderChooser chooser(folder, ui);
            RetrievalProgressOnStatusPane shown(gui, pane);
            RetrievalProgressEvents progress(*events, shown);
            Retrieval retrieval(camera, ui);
            retrieval.SetProgress(&progress);
            retrieval.SetPathChooser(&chooser);
            return finish(RetrievalReportJson::Of(
                retrieval.RetrieveEntries(selection.images, settings, cancel)));
        });
    return refused;
}

}  // namespace scanora::ui
