#pragma once

#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

#include "camera/CommandTrace.h"

namespace scanora::cli {

// Writes the camera traffic to a file a person can read: one line per command, reply and data
// transfer, each with the wall-clock time to the millisecond.
//
//   10:42:07.118 >> CS
//   10:42:07.170 << #S0000 0000 1000 0333 9C40
//   10:42:07.301 .. ReadData in 65536 bytes
class TraceFile final : public CommandTrace {
public:
    // Null when the file cannot be created; `error` says why.
    static std::unique_ptr<TraceFile> Create(const std::string& path, std::string& error);

    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    using FilePtr = std::unique_ptr<std::FILE, FileCloser>;
    TraceFile(FilePtr file, std::string path) : file_(std::move(file)), path_(std::move(path)) {}

    void OnCommand(std::string_view text) override;
    void OnReply(std::string_view text, bool accepted) override;
    void OnFailure(std::string_view what) override;
    void OnDataPhase(std::string_view operation, Direction direction, std::size_t bytes) override;

    // Why the trace could not be written in full (a full disk), in words; empty when all of it
    // reached the file. The first failure is kept; the lines after it are lost.
    [[nodiscard]] std::string Error() const;

private:
    void WriteLine(std::string_view marker, std::string_view text);

    mutable std::mutex mutex_;
    FilePtr file_;
    const std::string path_;
    std::string error_;
};

}  // namespace scanora::cli
