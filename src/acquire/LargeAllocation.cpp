#include "acquire/LargeAllocation.h"

#include <sys/mman.h>

#include <cstdint>

namespace scanora {

namespace {

constexpr std::size_t kHugePageBytes = std::size_t{2} << 20;
constexpr std::size_t kPageBytes = 4096;

std::size_t RoundUp(std::size_t bytes, std::size_t unit)
{
    return (bytes + unit - 1) / unit * unit;
}

}  // namespace

void LargeAllocationDeleter::operator()(void* data) const noexcept
{
    if (data != nullptr)
        munmap(data, mappedBytes);
}

void* TryMapLarge(std::size_t bytes, std::size_t limitBytes, PageSize pages,
                  std::size_t& mappedBytes) noexcept
{
    mappedBytes = 0;
    if (bytes == 0 || bytes > limitBytes || bytes > SIZE_MAX - 2 * kHugePageBytes)
        return nullptr;
    // Anonymous mappings come zeroed, and untouched pages cost nothing until written.
    if (pages == PageSize::kNormal) {
        const std::size_t size = RoundUp(bytes, kPageBytes);
        void* const data =
            mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (data == MAP_FAILED)
            return nullptr;
        mappedBytes = size;
        return data;
    }
    // Map a huge page more than needed and give back the unaligned head and the tail.
    const std::size_t size = RoundUp(bytes, kHugePageBytes);
    const std::size_t reserve = size + kHugePageBytes;
    void* const raw =
        mmap(nullptr, reserve, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        return nullptr;
    auto* const start = static_cast<std::uint8_t*>(raw);
    const auto address = reinterpret_cast<std::uintptr_t>(start);
    const std::size_t head = RoundUp(address, kHugePageBytes) - address;
    std::uint8_t* const data = start + head;
    if (head > 0)
        munmap(start, head);
    if (reserve - head > size)
        munmap(data + size, reserve - head - size);
    // Advice only: without it (huge pages off, an old kernel) the pages are ordinary ones.
    madvise(data, size, MADV_HUGEPAGE);
    mappedBytes = size;
    return data;
}

}  // namespace scanora
