#pragma once

#include <cstddef>
#include <memory>
#include <type_traits>

namespace scanora {

// Frees an array from TryAllocateLarge: the mapping it sits in.
struct LargeAllocationDeleter {
    std::size_t mappedBytes = 0;

    void operator()(void* data) const noexcept;
};

template <typename T>
using LargeArray = std::unique_ptr<T[], LargeAllocationDeleter>;

// Whether a large array asks the kernel for transparent huge pages.
enum class PageSize {
    kHuge,    // 2 MiB aligned and marked for huge pages where the kernel allows them
    kNormal,  // ordinary pages
};

// Preview and prescan buffers are written across their whole size for every group of lines (a
// turned preview puts a few bytes into each of hundreds of rows), so on ordinary 4 KiB pages the
// address translations rather than the bytes limit the copy. Maps `bytes` zeroed bytes on their
// own, 2 MiB aligned and advised for huge pages (kHuge); where the kernel gives no huge pages they
// work as ordinary memory. Null when the bytes cannot be had, exceed `limitBytes` or are 0.
void* TryMapLarge(std::size_t bytes, std::size_t limitBytes, PageSize pages,
                  std::size_t& mappedBytes) noexcept;

// An array of `count` zeroed elements as above.
template <typename T>
LargeArray<T> TryAllocateLarge(std::size_t count, std::size_t limitBytes,
                               PageSize pages = PageSize::kHuge) noexcept
{
    static_assert(std::is_trivially_default_constructible_v<T> &&
                  std::is_trivially_destructible_v<T>);
    if (count > limitBytes / sizeof(T))
        return LargeArray<T>(nullptr, LargeAllocationDeleter{});
    std::size_t mapped = 0;
    void* const data = TryMapLarge(count * sizeof(T), limitBytes, pages, mapped);
    return LargeArray<T>(static_cast<T*>(data), LargeAllocationDeleter{mapped});
}

}  // namespace scanora
