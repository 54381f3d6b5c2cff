#pragma once

#include <cstdio>
#include <filesystem>

namespace scanora {
class UiPort;
}

namespace scanora::cli {

// Asks before a command replaces the file named with -o, as retrieving an image does; a refusal
// (also the answer when no terminal is there to ask and --yes was not given) is reported once.
class OutputFileQuestion {
public:
    // True when `path` may be written: no file stands there, or the user agreed to replace it.
    static bool MayWrite(UiPort& ui, const std::filesystem::path& path, std::FILE* err);
};

}  // namespace scanora::cli
