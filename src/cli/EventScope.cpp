#include "cli/EventScope.h"

#include "cli/CliUiPort.h"

namespace scanora::cli {

EventScope::EventScope(bool json, std::FILE* out, CliUiPort& ui, std::string operation,
                       const JsonObject& start)
    : ui_(ui)
{
    if (!json)
        return;
    // Each line is printed and flushed as it comes, for a program that acts on it at once.
    events_ = std::make_unique<JsonEvents>(
        [out](const std::string& line) {
            std::fputs(line.c_str(), out);
            std::fputc('\n', out);
            std::fflush(out);
        },
        std::move(operation));
    ui_.SetEvents(events_.get());
    events_->Emit("start", start);
}

EventScope::~EventScope()
{
    if (events_)
        ui_.SetEvents(nullptr);
}

}  // namespace scanora::cli
