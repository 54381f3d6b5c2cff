#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string_view>

namespace scanora {

// Removes what killed programs left in a folder: hidden temporary files of this program's own
// pattern (TemporaryName) that nobody writes any more. A file is taken only when it was last
// written some seconds before this process started and no living writer holds its lock (every
// writer locks its temporary file for as long as it writes), so a second program writing into
// the same folder at the same time never loses its file.
class LeftoverSweep {
public:
    // Sweeps `folder` before a file called `fileName` is written there. Returns the files
    // removed; a folder that cannot be read is left alone.
    static std::size_t Sweep(const std::filesystem::path& folder, std::string_view fileName);

    // When this process started, in seconds since the epoch (from /proc); nothing when it
    // cannot be told, and then nothing is swept.
    [[nodiscard]] static std::optional<double> ProcessStart();
};

}  // namespace scanora
