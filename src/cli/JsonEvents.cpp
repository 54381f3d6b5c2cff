#include "cli/JsonEvents.h"

#include "cli/CliReport.h"

namespace scanora::cli {

void JsonEvents::Emit(std::string_view kind, const JsonObject& fields)
{
    std::string line = "{\"event\": " + CliReport::JsonString(kind) +
                       ", \"operation\": " + CliReport::JsonString(operation_);
    if (!fields.Members().empty())
        line += ", " + fields.Members();
    WriteLine(line + "}");
}

void JsonEvents::Result(const JsonObject& result)
{
    WriteLine(result.Line());
}

void JsonEvents::WriteLine(const std::string& line)
{
    const std::lock_guard lock(mutex_);
    std::fputs(line.c_str(), out_);
    std::fputc('\n', out_);
    std::fflush(out_);
}

}  // namespace scanora::cli
