#pragma once

#include <string>
#include <string_view>

namespace scanora {

// The hidden name a file is written under before it gets its own: ".NAME.XXXXXX" in the same
// folder, where NAME is the file's name and XXXXXX six random letters and digits. The same
// pattern tells the leftovers of an earlier program (one that was killed while writing) from
// everything else in the folder.
class TemporaryName {
public:
    static constexpr std::size_t kRandomLetters = 6;

    // A fresh hidden name for a file called `fileName`.
    [[nodiscard]] static std::string Make(std::string_view fileName);
    // True when `name` has the pattern and its NAME is `fileName` or ends in an extension of
    // the files this program writes (".tif", ".tiff", ".dng", ".txt", ".cur", in any case).
    [[nodiscard]] static bool IsOurs(std::string_view name, std::string_view fileName);
};

}  // namespace scanora
