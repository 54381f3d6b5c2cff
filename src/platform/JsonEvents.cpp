#include "platform/JsonEvents.h"

namespace scanora {

void JsonEvents::Emit(std::string_view kind, const JsonObject& fields)
{
    std::string line = "{\"event\": " + JsonObject::Quote(kind) +
                       ", \"operation\": " + JsonObject::Quote(operation_);
    if (!fields.Members().empty())
        line += ", " + fields.Members();
    Send(line + "}");
}

void JsonEvents::Result(const JsonObject& result)
{
    Send(result.Line());
}

void JsonEvents::Send(const std::string& line)
{
    const std::lock_guard lock(mutex_);
    if (sink_)
        sink_(line);
}

}  // namespace scanora
