#pragma once

#include <atomic>
#include <string>

#include "cameradisk/Retrieval.h"
#include "cameradisk/RetrievalTools.h"

namespace scanora {

class RetrievalProgress;

// The automatic save after a scan ("AutoSaveScans"): the camera disk's directory is read again
// and its newest image retrieved into "SaveScansFolder" as its header's flags say, then opened
// with the chosen program when "AutoOpenRetrieves" asks. The capture sequence's after-scan step
// runs it in the desktop program and in the terminal alike.
class ScanRetrieval {
public:
    explicit ScanRetrieval(RetrievalTools tools) : tools_(tools) {}

    // Where the transfer's progress goes (null: nowhere). Borrowed.
    void SetProgress(RetrievalProgress* progress) { progress_ = progress; }
    // Reads the directory instead of a plain read (the desktop shows what it read as well).
    void SetDirectoryReader(Retrieval::DirectoryReader reader) { reader_ = std::move(reader); }
    // The file name, with its extension, the image is saved under in the scans folder instead
    // of its own (empty: its own).
    void SetFileName(std::string fileName) { fileName_ = std::move(fileName); }

    // Retrieves the newest image; `cancel` ends the transfer after its current block.
    RetrievalReport Run(const std::atomic<bool>& cancel);

    // One line for the status bar: the file the scan was saved as, or why it was not saved.
    [[nodiscard]] static std::string StatusText(const RetrievalReport& report);

private:
    RetrievalTools tools_;
    RetrievalProgress* progress_ = nullptr;
    Retrieval::DirectoryReader reader_;
    std::string fileName_;
};

}  // namespace scanora
