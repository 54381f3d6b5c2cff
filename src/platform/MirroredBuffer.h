#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace scanora {

// A buffer mapped twice in a row: the bytes after its end are its beginning again. A ring of
// blocks kept in it can be read across its end as one run of memory, so that a reader that
// looks ahead past the last block finds the first without anything being copied there.
class MirroredBuffer {
public:
    // `size` is rounded up to whole pages. Null when the system cannot map it so (no memfd, no
    // address space, a limit).
    static std::unique_ptr<MirroredBuffer> Create(std::size_t size);
    ~MirroredBuffer();
    MirroredBuffer(const MirroredBuffer&) = delete;
    MirroredBuffer& operator=(const MirroredBuffer&) = delete;

    // `Size()` bytes, followed by the same bytes again.
    [[nodiscard]] std::uint8_t* Data() const { return data_; }
    [[nodiscard]] std::size_t Size() const { return size_; }

private:
    struct Mapping {
        std::uint8_t* data;
        std::size_t size;
    };

public:
    // Takes over a mapping made by Create.
    explicit MirroredBuffer(Mapping mapping) : data_(mapping.data), size_(mapping.size) {}

private:
    std::uint8_t* data_;
    std::size_t size_;
};

}  // namespace scanora
