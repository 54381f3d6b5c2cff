#include "camsim/SimDiskStore.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

#include "camsim/DiskImageFile.h"
#include "camsim/FileDescriptor.h"
#include "camsim/HexText.h"

namespace camsim {

namespace {

constexpr std::string_view kDirectoryName = "directory";
constexpr std::string_view kDirectoryTitle = "scanora-camsim-disk 1";
constexpr std::size_t kMostSlots = 256;
constexpr std::uint64_t kSectorSize = 512;
constexpr std::uintmax_t kLargestImageFile = 1u << 20;

std::optional<std::vector<std::uint8_t>> ReadFile(const std::filesystem::path& path)
{
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > kLargestImageFile)
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size)))
        return std::nullopt;
    return bytes;
}

// The words of one directory line.
std::vector<std::string_view> Words(std::string_view line)
{
    std::vector<std::string_view> words;
    while (!line.empty()) {
        const std::size_t start = line.find_first_not_of(' ');
        if (start == std::string_view::npos)
            break;
        line.remove_prefix(start);
        const std::size_t end = line.find(' ');
        words.push_back(line.substr(0, end));
        line.remove_prefix(end == std::string_view::npos ? line.size() : end);
    }
    return words;
}

std::optional<std::uint64_t> Decimal(std::string_view text)
{
    std::uint64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

}  // namespace

SimDiskStore::SimDiskStore(std::filesystem::path folder) : folder_(std::move(folder))
{
}

bool SimDiskStore::CheckWritable(std::string& error) const
{
    std::error_code status;
    std::filesystem::create_directories(folder_, status);
    if (!std::filesystem::is_directory(folder_, status)) {
        error = "the camera disk folder " + folder_.string() + " is not a folder";
        return false;
    }
    const std::filesystem::path probe = folder_ / "probe.tmp";
    const std::uint8_t byte = 0;
    if (!WriteAtomically(probe, std::span(&byte, 1))) {
        error = "the camera disk cannot be kept in " + folder_.string() + ": " +
                std::strerror(errno ? errno : EIO);
        return false;
    }
    std::filesystem::remove(probe, status);
    return true;
}

std::filesystem::path SimDiskStore::ImagePath(std::uint8_t block) const
{
    return folder_ / ("image-" + HexText::Format(block, 2) + ".bin");
}

bool SimDiskStore::Load(std::uint64_t totalSectors, std::vector<SimDiskEntry>& entries,
                        std::map<std::uint8_t, RecordedImage>& images) const
{
    std::ifstream in(folder_ / kDirectoryName);
    std::string line;
    if (!in || !std::getline(in, line) || line != kDirectoryTitle)
        return false;
    std::vector<SimDiskEntry> loaded;
    std::map<std::uint8_t, RecordedImage> loadedImages;
    std::uint64_t next = 0;
    while (std::getline(in, line)) {
        const std::vector<std::string_view> words = Words(line);
        if (words.empty())
            continue;
        const bool image = words[0] == "image" && words.size() == 4;
        if (!image && !(words[0] == "free" && words.size() == 3))
            return false;
        const std::optional<std::uint64_t> block = image ? Decimal(words[1]) : std::uint64_t{0};
        const std::optional<std::uint64_t> first = Decimal(words[words.size() - 2]);
        const std::optional<std::uint64_t> count = Decimal(words.back());
        if (!block || !first || !count || *first != next || *count == 0 ||
            *count > totalSectors - next || loaded.size() == kMostSlots)
            return false;
        next += *count;
        SimDiskEntry entry = SimDiskEntry::Free(*first, *count);
        if (image) {
            if (*block < 1 || *block > 255 ||
                loadedImages.contains(static_cast<std::uint8_t>(*block)))
                return false;
            const auto address = static_cast<std::uint8_t>(*block);
            const std::optional<std::vector<std::uint8_t>> bytes = ReadFile(ImagePath(address));
            std::optional<RecordedImage> recorded =
                bytes ? DiskImageFile::Decode(*bytes) : std::nullopt;
            // An image that no longer fits its slot is as lost as a missing one.
            const std::uint64_t size = recorded ? recorded->recipe.SensorLines(CaptureKind::Scan) *
                                                      recorded->recipe.LineBytes()
                                                : 0;
            if (recorded && size <= *count * kSectorSize) {
                entry = SimDiskEntry::Image(*recorded, address, *first, *count);
                loadedImages.emplace(address, std::move(*recorded));
            }
        }
        loaded.push_back(entry);
    }
    if (next != totalSectors)
        return false;
    entries = std::move(loaded);
    images = std::move(loadedImages);
    return true;
}

bool SimDiskStore::SaveDirectory(const std::vector<SimDiskEntry>& entries) const
{
    std::ostringstream text;
    text << kDirectoryTitle << '\n';
    for (const SimDiskEntry& entry : entries) {
        if (entry.IsFree())
            text << "free " << entry.firstSector << ' ' << entry.sectorCount << '\n';
        else
            text << "image " << unsigned{entry.block} << ' ' << entry.firstSector << ' '
                 << entry.sectorCount << '\n';
    }
    const std::string bytes = text.str();
    return WriteAtomically(
        folder_ / kDirectoryName,
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

bool SimDiskStore::SaveImage(std::uint8_t block, const RecordedImage& image) const
{
    return WriteAtomically(ImagePath(block), DiskImageFile::Encode(image));
}

void SimDiskStore::RemoveImage(std::uint8_t block) const
{
    std::error_code ignored;
    std::filesystem::remove(ImagePath(block), ignored);
}

bool SimDiskStore::WriteAtomically(const std::filesystem::path& path,
                                   std::span<const std::uint8_t> bytes) const
{
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    const std::filesystem::path temporary = path.string() + ".tmp";
    bool written = false;
    {
        const FileDescriptor file(
            ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
        std::size_t done = 0;
        while (file.IsValid() && done < bytes.size()) {
            const ssize_t count = ::write(file.Get(), bytes.data() + done, bytes.size() - done);
            if (count < 0 && errno == EINTR)
                continue;
            if (count <= 0)
                break;
            done += static_cast<std::size_t>(count);
        }
        written = file.IsValid() && done == bytes.size() && ::fsync(file.Get()) == 0;
    }
    if (!written || ::rename(temporary.c_str(), path.c_str()) != 0) {
        std::filesystem::remove(temporary, error);
        return false;
    }
    return true;
}

}  // namespace camsim
