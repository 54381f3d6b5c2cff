#pragma once

#include <cstdint>
#include <span>

namespace scanora {

// Random access to the bytes of a file being read. The reader checks every range against Size()
// before it asks for it.
class TiffInput {
public:
    virtual ~TiffInput() = default;

    [[nodiscard]] virtual std::uint64_t Size() const = 0;
    // Fills `out` with the bytes at `offset`. False when not all of them can be read.
    virtual bool Read(std::uint64_t offset, std::span<std::uint8_t> out) = 0;
};

// A TiffInput over bytes in memory, which must outlive it.
class MemoryTiffInput final : public TiffInput {
public:
    explicit MemoryTiffInput(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    [[nodiscard]] std::uint64_t Size() const override { return bytes_.size(); }
    bool Read(std::uint64_t offset, std::span<std::uint8_t> out) override;

private:
    std::span<const std::uint8_t> bytes_;
};

}  // namespace scanora
