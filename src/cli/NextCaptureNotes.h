#pragma once

#include <filesystem>
#include <string>

namespace scanora::cli {

// The user notes the next captures carry, kept between runs of scanora-cli as the desktop
// program keeps them for its session: set by "notes --next TEXT", read by every prescan and scan
// until they change. A file in the program's state folder.
class NextCaptureNotes {
public:
    explicit NextCaptureNotes(std::filesystem::path folder)
        : path_(std::move(folder) / "next-capture-notes")
    {
    }
    // This user's: in the state folder beside the log.
    [[nodiscard]] static NextCaptureNotes ForUser();

    // The notes; empty when none were set (or the file cannot be read).
    [[nodiscard]] std::string Load() const;
    // Keeps `notes` (empty ones remove the file). False with `error` set when it cannot.
    bool Save(const std::string& notes, std::string& error) const;
    [[nodiscard]] const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace scanora::cli
