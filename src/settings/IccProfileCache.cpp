#include "settings/IccProfileCache.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace scanora {
namespace {

std::vector<std::uint8_t> ReadProfile(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path file(path);
    if (!std::filesystem::is_regular_file(file, error))
        return {};
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error || size == 0 || size > IccProfileCache::kMaxProfileBytes)
        return {};
    std::ifstream in(file, std::ios::binary);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    // A file that shrank while it was read gives what was there.
    bytes.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return bytes;
}

}  // namespace

std::vector<std::uint8_t> IccProfileCache::Bytes(const std::string& path)
{
    std::lock_guard guard(mutex_);
    if (path.empty())
        return {};
    if (path != path_ || bytes_.empty()) {
        bytes_ = ReadProfile(path);
        path_ = bytes_.empty() ? std::string() : path;
    }
    return bytes_;
}

}  // namespace scanora
