#include "output/FileTiffInput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace scanora {

bool FileTiffInput::Open(const std::filesystem::path& path)
{
    size_ = 0;
    fd_.Reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (!fd_.IsValid() || ::fstat(fd_.Get(), &info) != 0) {
        error_ = "cannot read " + path.string() + ": " + std::strerror(errno);
        fd_.Reset();
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error_ = "cannot read " + path.string() + ": not a file";
        fd_.Reset();
        return false;
    }
    size_ = static_cast<std::uint64_t>(info.st_size);
    return true;
}

bool FileTiffInput::Read(std::uint64_t offset, std::span<std::uint8_t> out)
{
    if (!fd_.IsValid() || offset > size_ || out.size() > size_ - offset)
        return false;
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t n = ::pread(fd_.Get(), out.data() + done, out.size() - done,
                                  static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace scanora
