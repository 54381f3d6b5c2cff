#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace scanora {

AtomicFile::AtomicFile(std::filesystem::path target) : target_(std::move(target))
{
}

AtomicFile::~AtomicFile()
{
    Discard();
}

void AtomicFile::Fail(const std::string& what)
{
    if (!failed_)
        error_ = what + " " + target_.string() + ": " + std::strerror(errno);
    failed_ = true;
}

bool AtomicFile::Open()
{
    Discard();
    failed_ = false;
    error_.clear();
    position_ = size_ = 0;
    // A hidden name in the same folder, so the rename stays on one file system.
    const std::filesystem::path folder =
        target_.has_parent_path() ? target_.parent_path() : std::filesystem::path(".");
    std::string pattern = (folder / ("." + target_.filename().string() + ".XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    fd_ = mkostemp(name.data(), O_CLOEXEC);
    if (fd_ < 0) {
        Fail("cannot write");
        return false;
    }
    temporary_ = name.data();
    // A file that is replaced keeps its permissions; a new one gets the usual rw-r--r-- rather
    // than mkstemp's private 0600.
    struct stat existing {};
    const mode_t mode = stat(target_.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : 0644;
    fchmod(fd_, mode);
    return true;
}

bool AtomicFile::Write(std::span<const std::uint8_t> bytes)
{
    if (failed_ || fd_ < 0)
        return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = pwrite(fd_, bytes.data() + done, bytes.size() - done,
                                 static_cast<off_t>(position_ + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            Fail("cannot write");
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    position_ += bytes.size();
    size_ = std::max(size_, position_);
    return true;
}

void AtomicFile::Reserve(std::uint64_t bytes)
{
    // File systems without it (and a full disk) are left to the writes, which report it.
    if (fd_ >= 0 && !failed_ && bytes > size_)
        (void)fallocate(fd_, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(bytes));
}

bool AtomicFile::Seek(std::uint64_t offset)
{
    if (failed_ || offset > size_)
        return false;
    position_ = offset;
    return true;
}

bool AtomicFile::Commit()
{
    if (fd_ < 0 || failed_) {
        Discard();
        return false;
    }
    if (fsync(fd_) != 0)
        Fail("cannot save");
    if (close(fd_) != 0)
        Fail("cannot save");
    fd_ = -1;
    if (!failed_ && std::rename(temporary_.c_str(), target_.c_str()) != 0)
        Fail("cannot save");
    if (failed_) {
        Discard();
        return false;
    }
    temporary_.clear();
    return true;
}

void AtomicFile::Discard()
{
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
    if (!temporary_.empty()) {
        std::error_code ignored;
        std::filesystem::remove(temporary_, ignored);
        temporary_.clear();
    }
}

}  // namespace scanora
