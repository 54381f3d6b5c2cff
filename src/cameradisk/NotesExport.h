#pragma once

#include <ctime>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "cameradisk/DiskEntry.h"

namespace scanora {

// The plain text file of image notes the file manager exports: a title line with the time it
// was made, then for each image its capture notes field by field and its user notes. Lines end
// in CR LF.
class NotesExport {
public:
    static constexpr std::size_t kCurveOffset = 112;
    static constexpr int kMaxCurveHandles = 7;

    // The text for `selected` (in the order they were selected; the text lists them from the
    // last to the first), made at `createdAt` (local time). `curvePoints`: the images carry the
    // tone curve they were taken with (the type-2 camera family) and it is listed.
    [[nodiscard]] static std::string Build(std::span<const DiskEntry> selected,
                                           const std::tm& createdAt, bool curvePoints);
    // Writes `text` as it is to `path`, replacing any file there; the old file stays whole until
    // the new one is complete. False, with `error` saying why, when it could not be written.
    static bool Write(const std::filesystem::path& path, std::string_view text, std::string& error);

private:
    static void AppendImage(std::string& text, const DiskEntry& entry, bool curvePoints);
};

}  // namespace scanora
