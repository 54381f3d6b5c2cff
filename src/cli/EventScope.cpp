#include "cli/EventScope.h"

#include "cli/CliUiPort.h"

namespace scanora::cli {

EventScope::EventScope(bool json, std::FILE* out, CliUiPort& ui, std::string operation,
                       const JsonObject& start)
    : ui_(ui)
{
    if (!json)
        return;
    events_ = std::make_unique<JsonEvents>(out, std::move(operation));
    ui_.SetEvents(events_.get());
    events_->Emit("start", start);
}

EventScope::~EventScope()
{
    if (events_)
        ui_.SetEvents(nullptr);
}

}  // namespace scanora::cli
