#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace scanora {

// The bytes of the colour profile last embedded in an image, kept so that a series of saves
// reads the profile file once. The bytes are reused while the same file name is asked for;
// a file that can not be read is tried again the next time.
class IccProfileCache {
public:
    // Larger files are not colour profiles anyone embeds; they are not read into memory.
    static constexpr std::uintmax_t kMaxProfileBytes = 64 * 1024 * 1024;

    // A copy of the profile's bytes; empty when the file can not be read or is empty or too
    // large. Safe to call from any thread.
    std::vector<std::uint8_t> Bytes(const std::string& path);

private:
    std::mutex mutex_;
    std::string path_;
    std::vector<std::uint8_t> bytes_;
};

}  // namespace scanora
