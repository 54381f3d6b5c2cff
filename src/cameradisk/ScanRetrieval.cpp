#include "cameradisk/ScanRetrieval.h"

#include "cameradisk/RetrievalSettings.h"

namespace scanora {

RetrievalReport ScanRetrieval::Run(const std::atomic<bool>& cancel)
{
    // The calibration file for DNG files is looked for beside the preferences.
    RetrievalSettings settings =
        RetrievalSettings::From(tools_, tools_.PreferencesPath().parent_path());
    settings.saveScansFileName = fileName_;
    Retrieval retrieval(tools_.Camera(), tools_.Ui());
    retrieval.SetProgress(progress_);
    if (reader_)
        retrieval.SetDirectoryReader(reader_);
    return retrieval.RetrieveNewest(std::move(settings), cancel);
}

std::string ScanRetrieval::StatusText(const RetrievalReport& report)
{
    constexpr std::string_view kNotSaved = "Scan not saved: ";
    if (report.items.empty())
        return std::string(kNotSaved) +
               (report.reason.empty() ? std::string("nothing was retrieved") : report.reason);
    const RetrievalItem& item = report.items.front();
    switch (item.status) {
    case RetrievalStatus::Written: return "Scan saved as " + item.path.string();
    case RetrievalStatus::Cancelled: return std::string(kNotSaved) + "the transfer was cancelled";
    case RetrievalStatus::Skipped:
    case RetrievalStatus::Failed: break;
    }
    return std::string(kNotSaved) + (item.reason.empty() ? "the transfer failed" : item.reason);
}

}  // namespace scanora
