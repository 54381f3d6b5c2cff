#pragma once

#include <cstddef>
#include <memory>
#include <new>

namespace scanora {

// Image buffers are large and their size follows the camera: a request that cannot be met is a
// result for the caller to report ("Insufficient memory ..."), not an exception. These return
// null when the array cannot be had or would exceed `limitBytes`.

// An array of `count` zeroed elements.
template <typename T>
std::unique_ptr<T[]> TryAllocateZeroed(std::size_t count, std::size_t limitBytes) noexcept
{
    if (count > limitBytes / sizeof(T))
        return nullptr;
    try {
        return std::make_unique<T[]>(count);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// An array of `count` elements whose contents the caller overwrites before reading.
template <typename T>
std::unique_ptr<T[]> TryAllocateForOverwrite(std::size_t count, std::size_t limitBytes) noexcept
{
    if (count > limitBytes / sizeof(T))
        return nullptr;
    try {
        return std::make_unique_for_overwrite<T[]>(count);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace scanora
