#include "platform/LogRecord.h"

#include <cstring>

namespace scanora {

std::string_view LogLevelName(LogLevel level)
{
    switch (level) {
    case LogLevel::Error: return "error";
    case LogLevel::Warning: return "warning";
    case LogLevel::Info: return "info";
    case LogLevel::Debug: return "debug";
    }
    return "?";
}

std::string_view LogCategoryName(LogCategory category)
{
    switch (category) {
    case LogCategory::Platform: return "platform";
    case LogCategory::Camera: return "camera";
    case LogCategory::Acquire: return "acquire";
    case LogCategory::Imaging: return "imaging";
    case LogCategory::Settings: return "settings";
    case LogCategory::Output: return "output";
    case LogCategory::CameraDisk: return "cameradisk";
    case LogCategory::Cli: return "cli";
    case LogCategory::Ui: return "ui";
    }
    return "?";
}

std::string WithErrno(std::string_view text, int number)
{
    std::string line(text);
    if (number == 0)
        return line;
    line += " (errno " + std::to_string(number);
    if (const char* name = strerrorname_np(number))
        line += std::string(" ") + name;
    line += ")";
    return line;
}

}  // namespace scanora
