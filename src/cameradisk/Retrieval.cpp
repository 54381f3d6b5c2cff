#include "cameradisk/Retrieval.h"

#include <algorithm>

#include "camera/QVCamera.h"
#include "cameradisk/ClaimedPaths.h"
#include "cameradisk/DiskDirectory.h"
#include "cameradisk/RetrievalHeader.h"
#include "cameradisk/RetrievalProgress.h"
#include "cameradisk/RetrievalTransfer.h"
#include "output/TIFFFile.h"
#include "platform/LinkError.h"
#include "platform/OpenWith.h"
#include "platform/UiPort.h"

namespace scanora {

std::size_t RetrievalReport::Count(RetrievalStatus status) const
{
    return static_cast<std::size_t>(std::count_if(
        items.begin(), items.end(), [status](const auto& item) { return item.status == status; }));
}

Retrieval::Retrieval(QVCamera& camera, UiPort& ui)
    : camera_(camera),
      ui_(ui),
      probe_(&RetrievalDestination::FreeBytes),
      opener_(&OpenWith::Open),
      directoryReader_([&camera] { return DiskDirectory(camera).Read(); })
{
}

std::string Retrieval::RetrievingText(std::string_view name)
{
    return "Retrieving \"" + std::string(name) + "\".";
}

std::optional<DiskEntry> Retrieval::Newest(std::span<const DiskEntry> entries)
{
    const DiskEntry* newest = nullptr;
    for (const DiskEntry& entry : entries) {
        // A slot the camera did not describe may be the newest image: an older one is not
        // brought home in its place.
        if (entry.unread)
            return std::nullopt;
        if (!entry.IsFree() && (!newest || entry.time > newest->time))
            newest = &entry;
    }
    if (!newest)
        return std::nullopt;
    return *newest;
}

void Retrieval::Show(std::string_view text)
{
    ui_.ShowMessage(text, MessageIcon::Exclamation, MessageButtons::Ok);
}

void Retrieval::Refuse(RetrievalItem& item, std::string_view text, std::string reason)
{
    Show(text);
    item.reason = std::move(reason);
}

void Retrieval::LogFileFailure(const RetrievalItem& item, const TIFFFile& file)
{
    ui_.Log(
        LogLevel::Error, LogCategory::CameraDisk,
        "retrieval to " + item.path.string() + ": " + WithErrno(file.Error(), file.ErrorNumber()));
}

void Retrieval::FileFailed(RetrievalItem& item, std::string_view text, const TIFFFile& file)
{
    LogFileFailure(item, file);
    Refuse(item, text, "could not write " + item.path.string());
    item.status = RetrievalStatus::Failed;
}

bool Retrieval::SavesAutomatically(const RetrievalSettings& settings) const
{
    return settings.choice.automatic || (settings.autoSave && !settings.saveScansFolder.empty());
}

RetrievalReport Retrieval::RetrieveEntries(std::span<const DiskEntry> entries,
                                           const RetrievalSettings& settings,
                                           const std::atomic<bool>& cancel)
{
    RetrievalReport report;
    const bool automatic = SavesAutomatically(settings);
    const bool dng = !settings.choice.automatic && settings.choice.mode == RetrievalMode::Dng;

    // Names first, and every path the user has to choose, before anything is transferred.
    std::vector<Planned> plan;
    if (!automatic && chooser_)
        chooser_->BeginRetrieval();
    for (const DiskEntry& entry : entries) {
        if (entry.IsFree())
            continue;
        Planned planned{&entry, RetrievalDestination::FileName(entry.name, ui_), std::nullopt};
        if (!automatic) {
            const std::string proposed =
                planned.name + std::string(RetrievalDestination::Extension(dng));
            planned.path = chooser_ ? chooser_->ChoosePath(proposed, dng) : std::nullopt;
            if (!planned.path || !RetrievalDestination::HasAcceptedExtension(*planned.path)) {
                report.cancelled = true;
                return report;
            }
            planned.replaceAgreed = ClaimedPaths::Exists(*planned.path);
        }
        plan.push_back(std::move(planned));
    }

    ClaimedPaths claimed;
    for (const Planned& planned : plan) {
        RetrievalItem& item = report.items.emplace_back();
        item.slot = planned.entry->slot;
        item.name = planned.name;
        const bool goOn = RetrieveOne(planned, settings, cancel, claimed, item);
        if (item.status == RetrievalStatus::Cancelled)
            report.cancelled = true;
        if (!goOn)
            break;
    }
    return report;
}

bool Retrieval::RetrieveOne(const Planned& planned, const RetrievalSettings& settings,
                            const std::atomic<bool>& cancel, ClaimedPaths& claimed,
                            RetrievalItem& item)
{
    const DiskEntry& entry = *planned.entry;
    item.status = RetrievalStatus::Skipped;

    const RetrievalHeader header = RetrievalHeader::Parse(entry.header);
    const std::optional<RetrievalFormat> format =
        RetrievalFormat::Choose(entry, header, settings.choice);
    // The data read addresses the image by its header block, a number of 1..255.
    if (!format || !DiskDirectory::HasHeaderBlock(entry)) {
        Refuse(item, kCannotRetrieve, "the image cannot be retrieved");
        return true;
    }
    RetrievalTransfer transfer(*format, entry.width, entry.height,
                               RetrievalFormat::RowSpacing(camera_.GetMaxSizeStep(), entry.extra));
    if (!transfer.Supported()) {
        Refuse(item, kCannotRetrieve, "the image cannot be retrieved");
        return true;
    }

    // Where the file goes, settled now: the images before this one have taken their files.
    if (planned.path) {
        item.path = claimed.Claim(*planned.path, planned.replaceAgreed);
    } else {
        const std::string fileName =
            settings.saveScansFileName.empty()
                ? planned.name + std::string(RetrievalDestination::Extension(format->dng))
                : settings.saveScansFileName;
        const auto path =
            RetrievalDestination::AutomaticPath(settings.saveScansFolder, fileName, claimed, ui_);
        if (!path) {
            item.reason = "the folder for scans does not exist";
            return true;
        }
        item.path = *path;
    }
    const std::filesystem::path folder =
        item.path.has_parent_path() ? item.path.parent_path() : std::filesystem::path(".");
    if (probe_) {
        const std::optional<std::uint64_t> free = probe_(folder);
        if (free && *free < transfer.OutputBytes()) {
            Refuse(item, kNotEnoughSpace, "not enough disk space");
            return true;
        }
    }

    const TIFFDescription description = RetrievalMetadata::Describe(
        entry, header, *format, item.path.stem().string(), settings.metadata);
    TIFFFile file(item.path);
    if (!file.Open(description)) {
        LogFileFailure(item, file);
        Refuse(item, kCannotOpen, "could not open " + item.path.string());
        return true;
    }
    if (progress_)
        progress_->OnStatus(RetrievingText(planned.name));

    const auto selector = static_cast<std::uint8_t>(entry.block);
    const RetrievalTransfer::BlockReader read = [this, selector](std::span<std::uint8_t> buffer,
                                                                 std::uint16_t chunk) {
        return camera_.ReadData(selector, buffer, RetrievalTransfer::kSectorsPerBlock, chunk);
    };
    const RetrievalTransfer::Outcome outcome = transfer.Run(read, file, cancel, progress_);
    if (progress_)
        progress_->OnTransferEnded();

    // Leaving without Close leaves no file: the partial one goes with `file`.
    switch (outcome) {
    case RetrievalTransfer::Outcome::Done: break;
    case RetrievalTransfer::Outcome::Cancelled:
        item.status = RetrievalStatus::Cancelled;
        item.reason = "the transfer was cancelled";
        return false;
    case RetrievalTransfer::Outcome::ReadFailed:
    case RetrievalTransfer::Outcome::ShortRead: {
        // A failed data phase reports its status; a short one, the device's I/O failure.
        const std::int32_t result = transfer.ReadResult();
        const auto status = static_cast<std::int16_t>(
            result < -1 ? -result : static_cast<std::int32_t>(LinkError::kIoDevice));
        camera_.Errors().ReportTransportError(status);
        item.status = RetrievalStatus::Failed;
        item.reason = "the camera did not send the image";
        return false;
    }
    case RetrievalTransfer::Outcome::WriteFailed:
        FileFailed(item, std::string(kCannotWrite) + ": " + item.path.string(), file);
        return false;
    case RetrievalTransfer::Outcome::NoMemory:
        camera_.Errors().ReportNoMemory();
        item.status = RetrievalStatus::Failed;
        item.reason = "not enough memory";
        return false;
    case RetrievalTransfer::Outcome::Unsupported:
        Refuse(item, kCannotRetrieve, "the image cannot be retrieved");
        return true;
    }
    if (!file.Close()) {
        FileFailed(item, std::string(kCannotWrite) + ": " + item.path.string(), file);
        return false;
    }
    item.status = RetrievalStatus::Written;
    if (settings.openAfter && !settings.openWithApplication.empty() && opener_)
        opener_(settings.openWithApplication, item.path);
    return true;
}

RetrievalReport Retrieval::RetrieveNewest(RetrievalSettings settings,
                                          const std::atomic<bool>& cancel)
{
    if (!settings.autoSave || !directoryReader_)
        return {};
    settings.choice.automatic = true;
    const std::vector<DiskEntry> directory = directoryReader_();
    const std::optional<DiskEntry> newest = Newest(directory);
    if (!newest) {
        RetrievalReport report;
        const bool unread = DiskDirectory::UnreadCount(directory) > 0;
        report.reason =
            unread ? "the camera's disk could not be read" : "the camera's disk holds no image";
        return report;
    }
    return RetrieveEntries(std::span(&*newest, 1), settings, cancel);
}

}  // namespace scanora
