#include "camsim/FileDescriptor.h"

#include <unistd.h>

namespace camsim {

void FileDescriptor::Reset()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

}  // namespace camsim
