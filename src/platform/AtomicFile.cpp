#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "platform/LeftoverSweep.h"
#include "platform/LiveTemporaryFiles.h"
#include "platform/TemporaryName.h"

namespace scanora {

namespace {

namespace fs = std::filesystem;

// Links followed before giving up, as the kernel does.
constexpr int kMaxLinks = 40;
// Fresh hidden names tried before giving up (each one taken already).
constexpr int kNameAttempts = 100;

bool NamedTemporariesAsked()
{
    const char* const value = std::getenv("SCANORA_TEMPORARY_FILES");
    return value != nullptr && std::string_view(value) == "named";
}

fs::path FolderOf(const fs::path& path)
{
    return path.has_parent_path() ? path.parent_path() : fs::path(".");
}

// True for a folder of the kernel's process files (/proc/self/fd and the like), whose links
// name open files rather than paths.
bool IsProcessFolder(const fs::path& folder)
{
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(folder.c_str(), nullptr),
                                                           &std::free);
    return real && std::string_view(real.get()).starts_with("/proc/");
}

}  // namespace

AtomicFile::AtomicFile(std::filesystem::path target) : target_(std::move(target))
{
}

AtomicFile::~AtomicFile()
{
    Discard();
}

void AtomicFile::Fail(int error)
{
    if (!failed_) {
        error_ = "cannot write " + target_.string() + ": " + std::strerror(error);
        errorNumber_ = error;
    }
    failed_ = true;
}

void AtomicFile::Resolve()
{
    destination_ = target_;
    inPlace_ = false;
    for (int hop = 0; hop < kMaxLinks; ++hop) {
        struct stat info {};
        if (::lstat(destination_.c_str(), &info) != 0)
            return;  // a new file (or one the open will say why it cannot be written)
        if (!S_ISLNK(info.st_mode)) {
            inPlace_ = !S_ISREG(info.st_mode);
            return;
        }
        const fs::path folder = FolderOf(destination_);
        if (IsProcessFolder(folder)) {
            // /dev/stdout and its kind: only the kernel can follow these.
            destination_ = target_;
            inPlace_ = true;
            return;
        }
        std::error_code error;
        const fs::path link = fs::read_symlink(destination_, error);
        if (error)
            return;
        destination_ = link.is_absolute() ? link : folder / link;
    }
    // A loop of links: the open in place says so.
    destination_ = target_;
    inPlace_ = true;
}

bool AtomicFile::Open()
{
    Discard();
    failed_ = false;
    error_.clear();
    position_ = size_ = 0;
    Resolve();
    return inPlace_ ? OpenInPlace() : OpenTemporary();
}

bool AtomicFile::OpenInPlace()
{
    // Without waiting for a reader of a named pipe: none there is an error, not a hang.
    fd_ = ::open(destination_.c_str(), O_WRONLY | O_TRUNC | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        Fail(errno);
        return false;
    }
    const int flags = ::fcntl(fd_, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
    kind_ = Kind::InPlace;
    return true;
}

bool AtomicFile::OpenTemporary()
{
    const fs::path folder = FolderOf(destination_);
    LeftoverSweep::Sweep(folder, destination_.filename().string());
    // The unnamed file needs /proc to be linked into place later.
    const bool unnamed = !NamedTemporariesAsked() && ::access("/proc/self/fd", X_OK) == 0;
    bool opened = unnamed && OpenUnnamed(folder);
    if (!opened && !failed_)
        opened = OpenNamed(folder);
    if (!opened)
        return false;
    // The lock tells a sweeping program that somebody still writes this file.
    ::flock(fd_, LOCK_EX | LOCK_NB);
    // A file that is replaced keeps its permissions.
    struct stat existing {};
    if (::stat(destination_.c_str(), &existing) == 0)
        ::fchmod(fd_, existing.st_mode & 07777);
    return true;
}

bool AtomicFile::OpenUnnamed(const std::filesystem::path& folder)
{
    fd_ = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd_ >= 0) {
        kind_ = Kind::Unnamed;
        return true;
    }
    // The file system (or the kernel) has no unnamed files: the named ones serve.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
        Fail(errno);
    return false;
}

bool AtomicFile::OpenNamed(const std::filesystem::path& folder)
{
    const std::string fileName = destination_.filename().string();
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const fs::path candidate = folder / TemporaryName::Make(fileName);
        fd_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            temporary_ = candidate;
            liveEntry_ = LiveTemporaryFiles::Add(candidate.string());
            kind_ = Kind::Named;
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    Fail(errno);
    return false;
}

bool AtomicFile::Write(std::span<const std::uint8_t> bytes)
{
    if (failed_ || fd_ < 0)
        return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::uint64_t at = position_ + done;
        // A pipe or a terminal only takes bytes in order; patching goes by position.
        const ssize_t n =
            kind_ == Kind::InPlace && at == size_
                ? ::write(fd_, bytes.data() + done, bytes.size() - done)
                : ::pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(at));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            Fail(n == 0 ? EIO : errno);
            return false;
        }
        done += static_cast<std::size_t>(n);
        size_ = std::max(size_, position_ + done);
    }
    position_ += bytes.size();
    return true;
}

void AtomicFile::Reserve(std::uint64_t bytes)
{
    // File systems without it (and a full disk) are left to the writes, which report it.
    if ((kind_ == Kind::Unnamed || kind_ == Kind::Named) && !failed_ && bytes > size_)
        (void)::fallocate(fd_, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(bytes));
}

bool AtomicFile::Seek(std::uint64_t offset)
{
    if (failed_ || fd_ < 0 || offset > size_)
        return false;
    position_ = offset;
    return true;
}

bool AtomicFile::LinkUnnamed()
{
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, destination_.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    if (errno != EEXIST) {
        Fail(errno);
        return false;
    }
    // A file is there already: the new one gets a hidden name beside it first and is renamed
    // over it, so the name never stands empty.
    const fs::path folder = FolderOf(destination_);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const fs::path hidden = folder / TemporaryName::Make(destination_.filename().string());
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, hidden.c_str(), AT_SYMLINK_FOLLOW) != 0) {
            if (errno == EEXIST)
                continue;
            break;
        }
        const int entry = LiveTemporaryFiles::Add(hidden.string());
        const bool renamed = std::rename(hidden.c_str(), destination_.c_str()) == 0;
        const int error = errno;
        if (!renamed)
            ::unlink(hidden.c_str());
        LiveTemporaryFiles::Remove(entry);
        if (!renamed)
            Fail(error);
        return renamed;
    }
    Fail(errno);
    return false;
}

bool AtomicFile::Commit()
{
    if (fd_ < 0 || failed_) {
        Discard();
        return false;
    }
    // The bytes are on the disk before the name shows them. A device or a pipe keeps its own.
    if (kind_ != Kind::InPlace && ::fsync(fd_) != 0)
        Fail(errno);
    if (!failed_ && kind_ == Kind::Unnamed)
        LinkUnnamed();
    if (!failed_ && kind_ == Kind::Named &&
        std::rename(temporary_.c_str(), destination_.c_str()) != 0)
        Fail(errno);
    if (failed_) {
        Discard();
        return false;
    }
    // The name is the file's now.
    temporary_.clear();
    const int fd = fd_;
    fd_ = -1;
    LiveTemporaryFiles::Remove(liveEntry_);
    liveEntry_ = -1;
    kind_ = Kind::Closed;
    if (::close(fd) != 0 && errno != EINTR) {
        Fail(errno);
        return false;
    }
    return true;
}

void AtomicFile::Discard()
{
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
    }
    LiveTemporaryFiles::Remove(liveEntry_);
    liveEntry_ = -1;
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    kind_ = Kind::Closed;
}

bool AtomicFile::CheckWritable(const std::filesystem::path& target, std::string& error)
{
    AtomicFile probe(target);
    probe.Resolve();
    bool writable = false;
    if (probe.inPlace_) {
        struct stat info {};
        if (::stat(probe.destination_.c_str(), &info) != 0)
            probe.Fail(errno);
        else if (S_ISDIR(info.st_mode))
            probe.Fail(EISDIR);
        else if (::access(probe.destination_.c_str(), W_OK) != 0)
            probe.Fail(errno);
        writable = !probe.failed_;
    } else {
        writable = probe.OpenTemporary();
        probe.Discard();
    }
    error = probe.error_;
    return writable;
}

bool AtomicFile::WouldReplace(const std::filesystem::path& target)
{
    AtomicFile probe(target);
    probe.Resolve();
    struct stat info {};
    return !probe.inPlace_ && ::stat(probe.destination_.c_str(), &info) == 0 &&
           S_ISREG(info.st_mode);
}

}  // namespace scanora
