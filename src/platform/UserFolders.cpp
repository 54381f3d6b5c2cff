#include "platform/UserFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

namespace scanora {
namespace {

// user-dirs.dirs is a handful of lines; anything longer is not that file.
constexpr std::size_t kMaxUserDirsBytes = 64 * 1024;

std::string_view Trim(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// The value of `key` in user-dirs.dirs ("XDG_PICTURES_DIR=\"$HOME/Pictures\""), with $HOME
// replaced; empty when the file does not name it. The file is written by xdg-user-dirs-update:
// one shell assignment per line, the value in double quotes, either absolute or "$HOME/...".
std::filesystem::path UserDirectory(const std::filesystem::path& file, std::string_view key,
                                    const std::filesystem::path& home)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return {};
    std::string text(kMaxUserDirsBytes, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));

    std::filesystem::path found;
    std::string_view rest = text;
    while (!rest.empty()) {
        const auto end = rest.find('\n');
        const std::string_view line = Trim(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        if (line.empty() || line.front() == '#')
            continue;
        const auto equals = line.find('=');
        if (equals == std::string_view::npos || Trim(line.substr(0, equals)) != key)
            continue;
        std::string_view value = Trim(line.substr(equals + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        constexpr std::string_view kHome = "$HOME";
        if (value.starts_with(kHome) && !home.empty()) {
            std::string relative(value.substr(kHome.size()));
            while (!relative.empty() && relative.front() == '/') relative.erase(0, 1);
            found = relative.empty() ? home : home / relative;
        } else if (value.starts_with('/')) {
            found = std::filesystem::path(value);
        }
        // The last assignment wins, as in the shell.
    }
    return found;
}

bool IsFolder(const std::filesystem::path& path)
{
    std::error_code ignored;
    return !path.empty() && std::filesystem::is_directory(path, ignored);
}

}  // namespace

UserFolders::UserFolders() : UserFolders([](const char* name) { return std::getenv(name); })
{
}

UserFolders::UserFolders(EnvironmentLookup environment) : environment_(std::move(environment))
{
}

std::filesystem::path UserFolders::AbsoluteVariable(const char* name) const
{
    const char* value = environment_ ? environment_(name) : nullptr;
    if (value == nullptr || *value != '/')
        return {};
    return value;
}

std::filesystem::path UserFolders::Home() const
{
    if (auto home = AbsoluteVariable("HOME"); !home.empty())
        return home;
    std::array<char, 4096> buffer{};
    passwd entry{};
    passwd* result = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 && result &&
        result->pw_dir && *result->pw_dir == '/')
        return result->pw_dir;
    return {};
}

std::filesystem::path UserFolders::ConfigHome() const
{
    if (auto config = AbsoluteVariable("XDG_CONFIG_HOME"); !config.empty())
        return config;
    const auto home = Home();
    return home.empty() ? home : home / ".config";
}

std::filesystem::path UserFolders::DataHome() const
{
    if (auto data = AbsoluteVariable("XDG_DATA_HOME"); !data.empty())
        return data;
    const auto home = Home();
    return home.empty() ? home : home / ".local" / "share";
}

std::filesystem::path UserFolders::StateHome() const
{
    if (auto state = AbsoluteVariable("XDG_STATE_HOME"); !state.empty())
        return state;
    const auto home = Home();
    return home.empty() ? home : home / ".local" / "state";
}

std::filesystem::path UserFolders::PicturesFolder() const
{
    const auto home = Home();
    const auto config = ConfigHome();
    if (!config.empty()) {
        if (auto pictures = UserDirectory(config / "user-dirs.dirs", "XDG_PICTURES_DIR", home);
            !pictures.empty())
            return pictures;
    }
    if (!home.empty() && IsFolder(home / "Pictures"))
        return home / "Pictures";
    return home;
}

std::filesystem::path UserFolders::ColorProfileFolder(
    const std::filesystem::path& systemFolder) const
{
    if (IsFolder(systemFolder))
        return systemFolder;
    const auto data = DataHome();
    return data.empty() ? data : data / "icc";
}

}  // namespace scanora
