#pragma once

#include <filesystem>
#include <string>

namespace scanora {

class UiPort;

// The question asked before a file the user named is replaced by a new one: the same words
// wherever a file is written on the user's say (retrieved images, exported notes, saved
// prescans). Devices and pipes are written, not replaced, and need no question.
class ReplaceConfirmation {
public:
    // "<path> already exists.\nDo you want to replace it?"
    [[nodiscard]] static std::string Question(const std::filesystem::path& path);
    // True when writing `path` replaces no file, or the user answers Yes.
    static bool Confirm(UiPort& ui, const std::filesystem::path& path);
};

}  // namespace scanora
