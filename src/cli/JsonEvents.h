#pragma once

#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

#include "cli/JsonObject.h"

namespace scanora::cli {

// The events of one long operation for a program that reads the --json output: one JSON object
// per line on standard output, each with "event" (its kind) and "operation" first, written whole
// and flushed under a lock, so that lines from the camera's worker threads never interleave.
// docs/cli-json.md lists the kinds and their fields. The command's result follows as the last
// line, without "event".
class JsonEvents {
public:
    JsonEvents(std::FILE* out, std::string operation) : out_(out), operation_(std::move(operation))
    {
    }

    void Emit(std::string_view kind, const JsonObject& fields = {});
    // The result line that ends the output: the object as it is, without "event".
    void Result(const JsonObject& result);
    [[nodiscard]] const std::string& Operation() const { return operation_; }

private:
    void WriteLine(const std::string& line);

    std::mutex mutex_;
    std::FILE* out_;
    std::string operation_;
};

}  // namespace scanora::cli
