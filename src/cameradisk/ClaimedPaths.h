#pragma once

#include <filesystem>
#include <set>

namespace scanora {

// The files one retrieval has taken, so that no two of its images go to the same file: a path
// is handed out once. A path taken before, or one where a file stands that the user did not
// agree to replace, gives way to the first free "name_1.ext", "name_2.ext", ... (free: neither
// taken nor on the disk).
class ClaimedPaths {
public:
    // Takes `wanted`, or the next free name after it. `mayReplace`: the user agreed to replace
    // the file at `wanted` (it stood there when the path was chosen).
    std::filesystem::path Claim(const std::filesystem::path& wanted, bool mayReplace);
    [[nodiscard]] bool IsClaimed(const std::filesystem::path& path) const;

    // "<stem>_<n><extension>" beside `path`.
    [[nodiscard]] static std::filesystem::path Numbered(const std::filesystem::path& path, int n);
    // True when anything stands at `path`, a dangling link included.
    [[nodiscard]] static bool Exists(const std::filesystem::path& path);

private:
    // The same file however it is written: absolute, with the links of its folder resolved.
    [[nodiscard]] static std::filesystem::path Key(const std::filesystem::path& path);

    std::set<std::filesystem::path> claimed_;
};

}  // namespace scanora
