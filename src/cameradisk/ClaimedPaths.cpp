#include "cameradisk/ClaimedPaths.h"

#include <string>
#include <system_error>

namespace scanora {

std::filesystem::path ClaimedPaths::Key(const std::filesystem::path& path)
{
    std::error_code error;
    std::filesystem::path key = std::filesystem::weakly_canonical(path, error);
    if (error)
        key = std::filesystem::absolute(path, error).lexically_normal();
    return error ? path.lexically_normal() : key;
}

bool ClaimedPaths::Exists(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

std::filesystem::path ClaimedPaths::Numbered(const std::filesystem::path& path, int n)
{
    return path.parent_path() /
           (path.stem().string() + "_" + std::to_string(n) + path.extension().string());
}

bool ClaimedPaths::IsClaimed(const std::filesystem::path& path) const
{
    return claimed_.contains(Key(path));
}

std::filesystem::path ClaimedPaths::Claim(const std::filesystem::path& wanted, bool mayReplace)
{
    std::filesystem::path path = wanted;
    const bool wantedFree = !IsClaimed(wanted) && (mayReplace || !Exists(wanted));
    for (int n = 1; !wantedFree && (IsClaimed(path) || Exists(path)); ++n)
        path = Numbered(wanted, n);
    claimed_.insert(Key(path));
    return path;
}

}  // namespace scanora
