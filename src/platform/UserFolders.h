#pragma once

#include <filesystem>
#include <functional>

namespace scanora {

// Looks up an environment variable: its value, or null when it is not set.
using EnvironmentLookup = std::function<const char*(const char*)>;

// The user's folders, found the way the desktop finds them (XDG base directories and user
// directories). Every answer is worked out from the environment given at construction, so tests
// can point the program at a folder of their own.
class UserFolders {
public:
    // Reads the process environment.
    UserFolders();
    explicit UserFolders(EnvironmentLookup environment);

    // $HOME, else the home folder of the password database; empty when neither is known.
    [[nodiscard]] std::filesystem::path Home() const;
    // $XDG_CONFIG_HOME when it is an absolute path, else ~/.config.
    [[nodiscard]] std::filesystem::path ConfigHome() const;
    // $XDG_DATA_HOME when it is an absolute path, else ~/.local/share.
    [[nodiscard]] std::filesystem::path DataHome() const;
    // $XDG_STATE_HOME when it is an absolute path, else ~/.local/state (logs go here).
    [[nodiscard]] std::filesystem::path StateHome() const;
    // The user's pictures folder: XDG_PICTURES_DIR of user-dirs.dirs, else ~/Pictures when it
    // exists, else the home folder.
    [[nodiscard]] std::filesystem::path PicturesFolder() const;
    // Where colour profiles are looked for first: the system folder when it exists, else the
    // user's own (<data home>/icc).
    [[nodiscard]] std::filesystem::path ColorProfileFolder(
        const std::filesystem::path& systemFolder = "/usr/share/color/icc") const;

private:
    // An absolute path from a variable, or empty.
    [[nodiscard]] std::filesystem::path AbsoluteVariable(const char* name) const;

    EnvironmentLookup environment_;
};

}  // namespace scanora
