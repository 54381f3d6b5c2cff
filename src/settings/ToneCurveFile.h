#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "platform/OutputStream.h"
#include "settings/CurveSetting.h"

namespace scanora {

// The tone curve file (".cur") that imports and exports the handles of one curve: plain text,
// the handle count and then x and y of each handle, every number followed by exactly one space,
// no line end ("3 0 0 128 140 255 255 "). It holds no name and no flags.
class ToneCurveFile {
public:
    using Handle = CurveSetting::Handle;
    // Only this much of a file is read; a file of seven handles needs at most 60.
    static constexpr std::size_t kMaxFileSize = 255;

    // The handles a file's text holds. Numbers are the text between single spaces, converted
    // up to the first character that is not a digit (an empty or wordy number is 0), so two
    // spaces in a row give a 0. A count of 0 or less gives no handles; more handles than a
    // curve holds are cut to kMaxHandles, and a file that ends before its count is reached
    // gives the complete pairs it holds. Coordinates are held to 0..255.
    static std::vector<Handle> Parse(std::string_view text);
    static void Write(OutputStream& out, std::span<const Handle> handles);

    // Reads a file; nothing when it can not be opened.
    static std::optional<std::vector<Handle>> Load(const std::filesystem::path& path);
    // Replaces the file at `path`, safely: the old file stays intact until the new one is
    // complete. False when the file could not be written.
    static bool Save(const std::filesystem::path& path, std::span<const Handle> handles);
};

}  // namespace scanora
