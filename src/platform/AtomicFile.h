#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/OutputStream.h"

namespace scanora {

// Writes a file the safe way: the bytes go to a temporary file in the same folder, and only
// Commit() flushes them to the disk and renames the file over the final name. Until then the
// previous file under that name is untouched; a writer that is destroyed without Commit (an
// error, a cancel, an exception) removes its temporary file and leaves nothing behind.
class AtomicFile final : public OutputStream {
public:
    explicit AtomicFile(std::filesystem::path target);
    ~AtomicFile() override;
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file. False, with Error() saying why, when it cannot.
    bool Open();

    bool Write(std::span<const std::uint8_t> bytes) override;
    using OutputStream::Write;
    [[nodiscard]] std::uint64_t Position() const override { return position_; }
    bool Seek(std::uint64_t offset) override;
    [[nodiscard]] bool Failed() const override { return failed_; }
    // Allocates the file's blocks up front where the file system can, without changing its size.
    void Reserve(std::uint64_t bytes) override;

    // Flushes, syncs and renames the temporary file over the target. False (and the temporary
    // file removed) when anything failed, now or earlier.
    bool Commit();
    // Gives up: removes the temporary file. Also what the destructor does.
    void Discard();

    [[nodiscard]] const std::filesystem::path& Target() const { return target_; }
    [[nodiscard]] const std::filesystem::path& TemporaryPath() const { return temporary_; }
    // Why the last step failed, in words for the user.
    [[nodiscard]] const std::string& Error() const { return error_; }

private:
    void Fail(const std::string& what);

    std::filesystem::path target_;
    std::filesystem::path temporary_;
    int fd_ = -1;
    std::uint64_t position_ = 0;
    std::uint64_t size_ = 0;
    bool failed_ = false;
    std::string error_;
};

}  // namespace scanora
