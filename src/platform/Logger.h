#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "platform/LogRecord.h"
#include "platform/UiPort.h"

namespace scanora {

class UserFolders;

// Where the log goes and how much of it.
struct LoggerOptions {
    // Lines at this level and above go to standard error; none: nothing goes there.
    std::optional<LogLevel> terminalLevel;
    std::FILE* terminal = stderr;
    // The log file; empty: no file. Lines at `fileLevel` and above go there.
    std::filesystem::path file;
    LogLevel fileLevel = LogLevel::Info;
    // When a line would take the file past this size, the file is rotated: it becomes
    // "<name>.1", the older ones move up one number and the oldest beyond `keptFiles` goes.
    std::uintmax_t maxFileBytes = std::uintmax_t{1} << 20;
    int keptFiles = 3;
};

// The program's log: each line carries the time, the level, the layer that wrote it and the
// thread (its id and name), so that a bug report can say what failed, where and why. Lines go
// to standard error when asked for and to a size-bounded, rotated file in the user's state
// folder. Writing never fails the caller: a file that cannot be written is given up quietly
// (the terminal still gets its lines). Any thread may write.
class Logger {
public:
    explicit Logger(LoggerOptions options);
    Logger(const Logger&) = delete;
    Logger& operator=(const Logger&) = delete;
    ~Logger();

    void Write(LogLevel level, LogCategory category, std::string_view text);
    // A message the user is shown: a failure (no icon, the error or the exclamation icon) at
    // the error or warning level, a note or a question at the info level.
    void WriteShown(MessageIcon icon, std::string_view text);
    [[nodiscard]] bool Wants(LogLevel level) const;
    [[nodiscard]] const std::filesystem::path& File() const { return options_.file; }

    // The folder the program's logs go to: <state home>/Scanora.
    [[nodiscard]] static std::filesystem::path Folder(const UserFolders& folders);
    // "error", "warning", "info" or "debug" (any case); none for anything else.
    [[nodiscard]] static std::optional<LogLevel> ParseLevel(std::string_view text);
    // The options for `program`: its file "<program>.log" in Folder(); the terminal gets
    // everything with `verbose`, else the level `levelVariable` names ($SCANORA_LOG), else
    // nothing.
    [[nodiscard]] static LoggerOptions OptionsFor(std::string_view program, bool verbose,
                                                  const char* levelVariable,
                                                  const UserFolders& folders);

private:
    [[nodiscard]] std::string Line(LogLevel level, LogCategory category,
                                   std::string_view text) const;
    void WriteToFile(const std::string& line);
    [[nodiscard]] bool OpenFile();
    void Rotate();

    const LoggerOptions options_;
    std::mutex mutex_;
    std::FILE* file_ = nullptr;
    std::uintmax_t fileBytes_ = 0;
    bool fileFailed_ = false;
};

}  // namespace scanora
