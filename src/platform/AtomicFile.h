#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/OutputStream.h"

namespace scanora {

// Writes a file the safe way: the bytes go to a temporary file in the same folder, and only
// Commit() flushes them to the disk and puts the file under its final name in one step. Until
// then the previous file under that name is untouched; a writer that is destroyed without
// Commit (an error, a cancel, an exception) leaves nothing behind.
//
// The temporary file has no name at all where the file system allows it (O_TMPFILE): a program
// killed in the middle, even by SIGKILL, leaves nothing. Elsewhere it is a hidden
// ".NAME.XXXXXX" that LiveTemporaryFiles lets the program remove on its way out and that
// LeftoverSweep removes at the next write into the folder. SCANORA_TEMPORARY_FILES=named in the
// environment asks for the hidden names everywhere (for file systems that accept O_TMPFILE but
// cannot link such files).
//
// A target that is a symbolic link is written through: the file it points to gets the bytes and
// the link stays. A target that exists and is no regular file (a terminal, /dev/null, a named
// pipe, a device) cannot be replaced and is written in place.
class AtomicFile final : public OutputStream {
public:
    explicit AtomicFile(std::filesystem::path target);
    ~AtomicFile() override;
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file (or opens the device). False, with Error() saying why, when it
    // cannot.
    bool Open();

    bool Write(std::span<const std::uint8_t> bytes) override;
    using OutputStream::Write;
    [[nodiscard]] std::uint64_t Position() const override { return position_; }
    bool Seek(std::uint64_t offset) override;
    [[nodiscard]] bool Failed() const override { return failed_; }
    // Allocates the file's blocks up front where the file system can, without changing its size.
    void Reserve(std::uint64_t bytes) override;

    // Flushes and syncs the temporary file and puts it under the target's name. False (and the
    // temporary file gone) when anything failed, now or earlier.
    bool Commit();
    // Gives up: removes the temporary file. Also what the destructor does.
    void Discard();

    // True after Open when the target is written in place (no regular file).
    [[nodiscard]] bool WritesInPlace() const { return kind_ == Kind::InPlace; }
    // True after Open when the temporary file has a name (the file system refused O_TMPFILE).
    [[nodiscard]] bool HasTemporaryName() const { return kind_ == Kind::Named; }
    [[nodiscard]] const std::filesystem::path& Target() const { return target_; }
    // Why the last step failed, in words for the user: "cannot write <target>: <reason>".
    [[nodiscard]] const std::string& Error() const { return error_; }
    // The errno of the first failure (0 when none, or when it had none).
    [[nodiscard]] int ErrorNumber() const { return errorNumber_; }

    // Whether a file can be written at `target` now, found out by making (and dropping) the
    // temporary file, or for a device by its permissions. Nothing is changed; false with
    // `error` as Error() would say it.
    static bool CheckWritable(const std::filesystem::path& target, std::string& error);
    // True when Commit would replace a file: `target` (through its links) is a regular file.
    [[nodiscard]] static bool WouldReplace(const std::filesystem::path& target);

private:
    enum class Kind { Closed, Unnamed, Named, InPlace };

    // Where the bytes go (the target, or what its links point to) and how.
    void Resolve();
    bool OpenInPlace();
    bool OpenTemporary();
    bool OpenUnnamed(const std::filesystem::path& folder);
    bool OpenNamed(const std::filesystem::path& folder);
    // Puts the unnamed file under the final name (or over the file there).
    bool LinkUnnamed();
    void Fail(int error);

    std::filesystem::path target_;
    std::filesystem::path destination_;
    bool inPlace_ = false;
    Kind kind_ = Kind::Closed;
    int fd_ = -1;
    std::filesystem::path temporary_;  // a named temporary file
    int liveEntry_ = -1;               // its entry in LiveTemporaryFiles
    std::uint64_t position_ = 0;
    std::uint64_t size_ = 0;
    bool failed_ = false;
    std::string error_;
    int errorNumber_ = 0;
};

}  // namespace scanora
