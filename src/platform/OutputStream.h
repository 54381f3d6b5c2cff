#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace scanora {

// Where a writer puts its bytes: a file being written under a temporary name, or memory in
// tests. Writers never see a path.
class OutputStream {
public:
    virtual ~OutputStream() = default;

    // Appends at the current position (or overwrites, after a Seek back). False once anything
    // has failed; a failed stream stays failed.
    virtual bool Write(std::span<const std::uint8_t> bytes) = 0;
    // The current position, in bytes from the start.
    [[nodiscard]] virtual std::uint64_t Position() const = 0;
    // Moves the position to `offset` (at most the current size) to patch what was written.
    virtual bool Seek(std::uint64_t offset) = 0;
    [[nodiscard]] virtual bool Failed() const = 0;
    // Tells the stream how many bytes it will hold in the end, so that it can make room for them
    // in one go. Only a hint: neither what the stream holds nor its size changes.
    virtual void Reserve(std::uint64_t /*bytes*/) {}

    bool Write(std::string_view text)
    {
        return Write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    }
};

// An OutputStream into memory.
class MemoryOutputStream final : public OutputStream {
public:
    bool Write(std::span<const std::uint8_t> bytes) override;
    using OutputStream::Write;
    [[nodiscard]] std::uint64_t Position() const override { return position_; }
    bool Seek(std::uint64_t offset) override;
    [[nodiscard]] bool Failed() const override { return false; }

    [[nodiscard]] const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
    [[nodiscard]] std::string_view Text() const
    {
        return {reinterpret_cast<const char*>(bytes_.data()), bytes_.size()};
    }

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

}  // namespace scanora
