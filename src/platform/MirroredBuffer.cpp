#include "platform/MirroredBuffer.h"

#include <sys/mman.h>
#include <unistd.h>

#include "platform/UniqueFd.h"

namespace scanora {

std::unique_ptr<MirroredBuffer> MirroredBuffer::Create(std::size_t size)
{
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    if (size == 0 || page == 0 || size > (SIZE_MAX / 2) - page)
        return nullptr;
    size = (size + page - 1) / page * page;
    const UniqueFd memory(::memfd_create("scanora-ring", MFD_CLOEXEC));
    if (!memory.IsValid() || ::ftruncate(memory.Get(), static_cast<off_t>(size)) != 0)
        return nullptr;
    // Room for both views first, then each view laid over its half.
    void* const room = ::mmap(nullptr, 2 * size, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (room == MAP_FAILED)
        return nullptr;
    auto* const data = static_cast<std::uint8_t*>(room);
    for (std::uint8_t* view : {data, data + size}) {
        if (::mmap(view, size, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_FIXED, memory.Get(), 0) ==
            MAP_FAILED) {
            ::munmap(room, 2 * size);
            return nullptr;
        }
    }
    return std::make_unique<MirroredBuffer>(Mapping{data, size});
}

MirroredBuffer::~MirroredBuffer()
{
    ::munmap(data_, 2 * size_);
}

}  // namespace scanora
