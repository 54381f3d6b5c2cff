#pragma once

#include <string>
#include <string_view>

namespace scanora {

// How much a log line matters, most first. A log shows the lines at its level and above.
enum class LogLevel { Error, Warning, Info, Debug };

// Which layer of the program wrote a log line.
enum class LogCategory { Platform, Camera, Acquire, Imaging, Settings, Output, CameraDisk, Cli, Ui };

[[nodiscard]] std::string_view LogLevelName(LogLevel level);
[[nodiscard]] std::string_view LogCategoryName(LogCategory category);
// A failure's text with its errno for the log: "<text> (errno 13 EACCES)", or the text alone
// when `number` is 0.
[[nodiscard]] std::string WithErrno(std::string_view text, int number);

}  // namespace scanora
