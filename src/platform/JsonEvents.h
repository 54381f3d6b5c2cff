#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/JsonObject.h"

namespace scanora {

// The events of one long operation for a program that reads them: one JSON object per line,
// each with "event" (its kind) and "operation" first, handed whole to the sink under a lock, so
// that lines from the camera's worker threads never interleave. The CLI's sink prints them
// (--json), the desktop program's sends them as D-Bus signals; docs/cli-json.md lists the kinds
// and their fields. The operation's result follows as the last line, without "event".
class JsonEvents {
public:
    using LineSink = std::function<void(const std::string& line)>;

    JsonEvents(LineSink sink, std::string operation)
        : sink_(std::move(sink)), operation_(std::move(operation))
    {
    }

    // Where the lines go from now on (none: nowhere), and the operation later events name.
    void SetSink(LineSink sink);
    void SetOperation(std::string operation);

    void Emit(std::string_view kind, const JsonObject& fields = {});
    // The result line that ends the events: the object as it is, without "event".
    void Result(const JsonObject& result);

private:
    std::mutex mutex_;
    LineSink sink_;
    std::string operation_;
};

}  // namespace scanora
