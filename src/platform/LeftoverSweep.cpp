#include "platform/LeftoverSweep.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/TemporaryName.h"
#include "platform/UniqueFd.h"

namespace scanora {

namespace {

constexpr double kFreshMarginSeconds = 0.25;

double Seconds(const timespec& time)
{
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_nsec) / 1e9;
}

// The process's start in clock ticks after boot: field 22 of /proc/self/stat, counted after
// the command name in parentheses (which may hold blanks).
std::optional<double> StartTicksAfterBoot()
{
    std::ifstream file("/proc/self/stat");
    std::string line;
    if (!std::getline(file, line))
        return std::nullopt;
    const std::size_t end = line.rfind(')');
    if (end == std::string::npos)
        return std::nullopt;
    std::istringstream fields(line.substr(end + 1));
    std::string field;
    for (int index = 3; index <= 22; ++index) {
        if (!(fields >> field))
            return std::nullopt;
    }
    try {
        return std::stod(field);
    } catch (...) {
        return std::nullopt;
    }
}

}  // namespace

std::optional<double> LeftoverSweep::ProcessStart()
{
    const std::optional<double> ticks = StartTicksAfterBoot();
    const long ticksPerSecond = ::sysconf(_SC_CLK_TCK);
    timespec sinceBoot{};
    timespec now{};
    if (!ticks || ticksPerSecond <= 0 || ::clock_gettime(CLOCK_BOOTTIME, &sinceBoot) != 0 ||
        ::clock_gettime(CLOCK_REALTIME, &now) != 0)
        return std::nullopt;
    const double age = Seconds(sinceBoot) - *ticks / static_cast<double>(ticksPerSecond);
    return Seconds(now) - std::max(age, 0.0);
}

std::size_t LeftoverSweep::Sweep(const std::filesystem::path& folder, std::string_view fileName)
{
    const std::optional<double> start = ProcessStart();
    if (!start)
        return 0;
    const std::filesystem::path where = folder.empty() ? std::filesystem::path(".") : folder;
    DIR* const directory = ::opendir(where.c_str());
    if (directory == nullptr)
        return 0;
    std::size_t removed = 0;
    const int folderFd = ::dirfd(directory);
    while (const dirent* entry = ::readdir(directory)) {
        const std::string_view name = entry->d_name;
        if (!TemporaryName::IsOurs(name, fileName))
            continue;
        const UniqueFd file(
            ::openat(folderFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat info {};
        if (!file.IsValid() || ::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode))
            continue;
        // Written around or since this process started: possibly a writer that has not
        // locked it yet. File times come from a coarse clock and the start from clock ticks,
        // so the comparison keeps a margin.
        if (Seconds(info.st_mtim) >= *start - kFreshMarginSeconds)
            continue;
        if (::flock(file.Get(), LOCK_EX | LOCK_NB) != 0)
            continue;  // a living writer
        if (::unlinkat(folderFd, entry->d_name, 0) == 0)
            ++removed;
    }
    ::closedir(directory);
    return removed;
}

}  // namespace scanora
