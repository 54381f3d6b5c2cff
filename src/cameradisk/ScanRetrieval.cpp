#include "cameradisk/ScanRetrieval.h"

#include "cameradisk/RetrievalSettings.h"

namespace scanora {

RetrievalReport ScanRetrieval::Run(const std::atomic<bool>& cancel)
{
    // The calibration file for DNG files is looked for beside the preferences.
    RetrievalSettings settings =
        RetrievalSettings::From(tools_, tools_.PreferencesPath().parent_path());
    Retrieval retrieval(tools_.Camera(), tools_.Ui());
    retrieval.SetProgress(progress_);
    return retrieval.RetrieveNewest(std::move(settings), cancel);
}

}  // namespace scanora
