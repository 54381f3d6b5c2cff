#include "platform/SgScsiDeviceFinder.h"

#include <fcntl.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <optional>
#include <string_view>
#include <system_error>
#include <utility>

#include "platform/DeviceMessages.h"
#include "platform/SgScsiDevice.h"
#include "platform/UniqueFd.h"

namespace scanora {

namespace {

// The sg driver's SG_IO interface as used here appeared in version 3.0.
constexpr int kMinimumSgVersion = 30000;

// N of a node named "sgN", or nothing for any other name.
std::optional<unsigned> SgNumber(std::string_view name)
{
    constexpr std::string_view kPrefix = "sg";
    if (!name.starts_with(kPrefix) || name.size() == kPrefix.size()) {
        return std::nullopt;
    }
    const std::string_view digits = name.substr(kPrefix.size());
    unsigned number = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (ec != std::errc{} || end != digits.data() + digits.size()) {
        return std::nullopt;
    }
    return number;
}

DeviceError OpenError(const std::string& name, int error)
{
    switch (error) {
    case ENOENT:
    case ENXIO:
    case ENODEV: return {DeviceError::Kind::NotPresent, "No generic SCSI device at " + name + "."};
    case EACCES:
    case EPERM:
        return {DeviceError::Kind::NoPermission,
                "This user may not open " + name +
                    ". If it is the camera: " + std::string(kInstallUdevRuleAdvice)};
    case EBUSY: return {DeviceError::Kind::Busy, name + " is in use by another program."};
    default:
        return {DeviceError::Kind::Failed,
                "Could not open " + name + ": " +
                    std::error_code(error, std::generic_category()).message()};
    }
}

}  // namespace

SgScsiDeviceFinder::SgScsiDeviceFinder(std::string path, std::filesystem::path deviceRoot)
    : path_(std::move(path)), deviceRoot_(std::move(deviceRoot))
{
}

std::vector<std::string> SgScsiDeviceFinder::Candidates()
{
    if (!path_.empty()) {
        return {path_};
    }
    std::vector<std::pair<unsigned, std::string>> nodes;
    std::error_code error;
    for (std::filesystem::directory_iterator it(deviceRoot_, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (const auto number = SgNumber(name)) {
            nodes.emplace_back(*number, it->path().string());
        }
    }
    std::sort(nodes.begin(), nodes.end());
    std::vector<std::string> names;
    names.reserve(nodes.size());
    for (auto& node : nodes) {
        names.push_back(std::move(node.second));
    }
    return names;
}

std::unique_ptr<ScsiDevice> SgScsiDeviceFinder::Open(const std::string& name, DeviceError& why)
{
    why = {};
    // Only a character device is opened: a disk's block node (which answers SG_IO too) or a
    // plain file is refused before anything is sent to it.
    struct stat info {};
    if (::stat(name.c_str(), &info) != 0) {
        why = OpenError(name, errno);
        return nullptr;
    }
    if (!S_ISCHR(info.st_mode)) {
        why = {DeviceError::Kind::Failed, name + " is not a generic SCSI device."};
        return nullptr;
    }
    // Non-blocking for the open only, so a node held exclusively elsewhere answers EBUSY at once.
    UniqueFd device(::open(name.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
    if (!device.IsValid()) {
        why = OpenError(name, errno);
        return nullptr;
    }
    const int flags = ::fcntl(device.Get(), F_GETFL);
    if (flags < 0 || ::fcntl(device.Get(), F_SETFL, flags & ~O_NONBLOCK) < 0) {
        why = OpenError(name, errno);
        return nullptr;
    }
    int version = 0;
    if (::ioctl(device.Get(), SG_GET_VERSION_NUM, &version) < 0 || version < kMinimumSgVersion) {
        why = {DeviceError::Kind::Failed,
               name + " is not a generic SCSI device (or its sg driver is older than 3.0)."};
        return nullptr;
    }
    return std::make_unique<SgScsiDevice>(std::move(device));
}

}  // namespace scanora
