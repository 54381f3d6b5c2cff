#include "platform/JsonEvents.h"

namespace scanora {

void JsonEvents::SetSink(LineSink sink)
{
    const std::lock_guard lock(mutex_);
    sink_ = std::move(sink);
}

void JsonEvents::SetOperation(std::string operation)
{
    const std::lock_guard lock(mutex_);
    operation_ = std::move(operation);
}

void JsonEvents::Emit(std::string_view kind, const JsonObject& fields)
{
    const std::lock_guard lock(mutex_);
    std::string line = "{\"event\": " + JsonObject::Quote(kind) +
                       ", \"operation\": " + JsonObject::Quote(operation_);
    if (!fields.Members().empty())
        line += ", " + fields.Members();
    line += "}";
    if (sink_)
        sink_(line);
}

void JsonEvents::Result(const JsonObject& result)
{
    const std::lock_guard lock(mutex_);
    if (sink_)
        sink_(result.Line());
}

}  // namespace scanora
