#pragma once

#include <filesystem>
#include <string>

#include "output/TiffInput.h"
#include "platform/UniqueFd.h"

namespace scanora {

// A TiffInput over a file on disk, read with positioned reads.
class FileTiffInput final : public TiffInput {
public:
    // Opens the file. False, with Error() saying why, when it cannot be opened.
    bool Open(const std::filesystem::path& path);

    [[nodiscard]] std::uint64_t Size() const override { return size_; }
    bool Read(std::uint64_t offset, std::span<std::uint8_t> out) override;
    [[nodiscard]] const std::string& Error() const { return error_; }

private:
    UniqueFd fd_;
    std::uint64_t size_ = 0;
    std::string error_;
};

}  // namespace scanora
