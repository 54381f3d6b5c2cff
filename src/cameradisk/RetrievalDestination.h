#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace scanora {

class ClaimedPaths;
class UiPort;

// Asks where one retrieved image goes when it is not saved automatically: the desktop's Save-As
// dialog, the terminal's output folder. Nothing means the user cancelled.
class RetrievalPathChooser {
public:
    virtual ~RetrievalPathChooser() = default;

    // A new retrieval starts asking for its images' paths.
    virtual void BeginRetrieval() {}
    // `proposedFileName` is the image's name with the extension of the file kind; `dng` tells
    // which kind the file is.
    virtual std::optional<std::filesystem::path> ChoosePath(const std::string& proposedFileName,
                                                            bool dng) = 0;
};

// The free bytes of the file system holding a folder; nothing when it cannot be told.
using DiskSpaceProbe = std::function<std::optional<std::uint64_t>(const std::filesystem::path&)>;

// The names and places of retrieved files: the check of the image's name, the automatic file in
// the scans folder, the extensions a chosen file may have, the free space of its folder.
class RetrievalDestination {
public:
    static constexpr std::string_view kMissingFolderWarning =
        "Warning - the Save Scan Directory does not exist, retrieve file manualy";
    static constexpr std::string_view kTiffExtension = ".tif";
    static constexpr std::string_view kDngExtension = ".dng";

    // The image's name, or "NeedLegalFileName" after the warning when it cannot name a file.
    static std::string FileName(std::string_view imageName, UiPort& ui);
    [[nodiscard]] static std::string_view Extension(bool dng)
    {
        return dng ? kDngExtension : kTiffExtension;
    }
    // "<folder>/<fileName>" (the image's name with ".tif" or ".dng"), with "_1", "_2", ...
    // before the extension until neither a file nor an earlier image of the same retrieval
    // (`claimed`) has the name; the path is claimed. Nothing, after the warning, when the folder
    // does not exist.
    static std::optional<std::filesystem::path> AutomaticPath(const std::filesystem::path& folder,
                                                              const std::string& fileName,
                                                              ClaimedPaths& claimed, UiPort& ui);
    // True when the chosen file's extension, in any case, is "tif", "tiff" or "dng".
    [[nodiscard]] static bool HasAcceptedExtension(const std::filesystem::path& path);
    // The free bytes of the file system that holds `folder` (statvfs).
    [[nodiscard]] static std::optional<std::uint64_t> FreeBytes(
        const std::filesystem::path& folder);
};

}  // namespace scanora
