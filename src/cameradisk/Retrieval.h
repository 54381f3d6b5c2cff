#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cameradisk/DiskEntry.h"
#include "cameradisk/RetrievalDestination.h"
#include "cameradisk/RetrievalSettings.h"

namespace scanora {

class ClaimedPaths;
class QVCamera;
class RetrievalProgress;
class TIFFFile;
class UiPort;

// How the retrieval of one image ended.
enum class RetrievalStatus {
    Written,    // the file is complete under its name
    Skipped,    // not transferred: no usable destination, not enough space, not openable
    Cancelled,  // stopped by the user; no file was left
    Failed,     // the camera or the file failed during the transfer; no file was left
};

struct RetrievalItem {
    std::uint16_t slot = 0;
    std::string name;
    RetrievalStatus status = RetrievalStatus::Skipped;
    std::filesystem::path path;  // where the file went (or would have gone)
    std::string reason;          // why it was not written, in a few words; empty when it was
};

// What a retrieval did, image by image, in list order.
struct RetrievalReport {
    std::vector<RetrievalItem> items;
    // The user cancelled: a path dialog, or the transfer.
    bool cancelled = false;
    // Why nothing was tried, when `items` is empty: no image, or a directory that could not be
    // read.
    std::string reason;

    [[nodiscard]] std::size_t Count(RetrievalStatus status) const;
};

// Retrieves images from the camera's disk into TIFF or DNG files: the file manager's Retrieve
// command, the automatic save after a scan and the terminal's "get" all come here. For each
// image it checks the name, finds the destination (automatically in the scans folder, or asks
// the path chooser), checks the free space, describes the file, transfers and converts the
// stored samples, and opens the new file when the preferences ask. A file only appears under
// its name once it is complete; a cancel or a failure leaves nothing behind.
class Retrieval {
public:
    static constexpr std::string_view kNotEnoughSpace = "Not enough disk space";
    static constexpr std::string_view kCannotOpen = "Could not open file";
    static constexpr std::string_view kCannotWrite = "Could not write file";
    // An image whose stored form or disk address this program cannot use.
    static constexpr std::string_view kCannotRetrieve = "The image cannot be retrieved";

    // Starts a program on a written file (OpenWith::Open unless a test gives another).
    using Opener = std::function<bool(const std::string&, const std::filesystem::path&)>;
    // Reads the camera disk's directory afresh (DiskDirectory unless a test gives another).
    using DirectoryReader = std::function<std::vector<DiskEntry>()>;

    Retrieval(QVCamera& camera, UiPort& ui);

    // Where progress goes (null: nowhere). Borrowed.
    void SetProgress(RetrievalProgress* progress) { progress_ = progress; }
    // Who is asked for the path of an image that is not saved automatically (null: such images
    // cancel the retrieval). Borrowed.
    void SetPathChooser(RetrievalPathChooser* chooser) { chooser_ = chooser; }
    void SetDiskSpaceProbe(DiskSpaceProbe probe) { probe_ = std::move(probe); }
    void SetOpener(Opener opener) { opener_ = std::move(opener); }
    void SetDirectoryReader(DirectoryReader reader) { directoryReader_ = std::move(reader); }

    // Retrieves `entries` in order; free slots are skipped. With automatic saving the files go
    // to the scans folder, otherwise the path chooser is asked for every image first, and a
    // cancelled choice cancels the whole retrieval before anything is transferred. Each file is
    // settled just before its transfer, and no two images go to the same file: an image whose
    // file another image of this retrieval has taken, or where a file stands that nobody
    // agreed to replace, gets the next free "_1", "_2", ... name. `cancel` is looked at after
    // every block; once raised the retrieval ends.
    RetrievalReport RetrieveEntries(std::span<const DiskEntry> entries,
                                    const RetrievalSettings& settings,
                                    const std::atomic<bool>& cancel);
    // The automatic save after a scan: reads the directory again and retrieves the newest image
    // (the latest capture time) into the scans folder as the header's flags say, then opens it
    // when "AutoOpenRetrieves" asks. Nothing happens unless automatic saving is on.
    RetrievalReport RetrieveNewest(RetrievalSettings settings, const std::atomic<bool>& cancel);

    // The newest image of a directory, when it holds any; nothing as well when a slot could not
    // be read, since the newest might be that one.
    [[nodiscard]] static std::optional<DiskEntry> Newest(std::span<const DiskEntry> entries);
    // "Retrieving \"name\"."
    [[nodiscard]] static std::string RetrievingText(std::string_view name);

private:
    struct Planned {
        const DiskEntry* entry = nullptr;
        std::string name;
        std::optional<std::filesystem::path> path;  // chosen by the user; none: automatic
        bool replaceAgreed = false;  // a file stood at the chosen path when it was chosen
    };

    // Transfers one planned image; false when the whole retrieval must stop. `claimed` holds
    // the files the retrieval has taken so far.
    bool RetrieveOne(const Planned& planned, const RetrievalSettings& settings,
                     const std::atomic<bool>& cancel, ClaimedPaths& claimed, RetrievalItem& item);
    [[nodiscard]] bool SavesAutomatically(const RetrievalSettings& settings) const;
    void Show(std::string_view text);
    // Shows `text` and notes `reason` as why the item was not written.
    void Refuse(RetrievalItem& item, std::string_view text, std::string reason);
    // Logs why the item's file failed: its path, the file's error and errno.
    void LogFileFailure(const RetrievalItem& item, const TIFFFile& file);
    // The file could not be written: logged, refused with `text`, and the item has failed.
    void FileFailed(RetrievalItem& item, std::string_view text, const TIFFFile& file);

    QVCamera& camera_;
    UiPort& ui_;
    RetrievalProgress* progress_ = nullptr;
    RetrievalPathChooser* chooser_ = nullptr;
    DiskSpaceProbe probe_;
    Opener opener_;
    DirectoryReader directoryReader_;
};

}  // namespace scanora
